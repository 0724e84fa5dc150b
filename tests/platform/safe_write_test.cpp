// Resaves keep what the user set: the mode, the owner, a symbolic link; a file that may not be written is refused and
// left as it is. New files never replace one that exists.

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <grp.h>
#include <optional>
#include <stdio.h> // renameat2, RENAME_EXCHANGE
#include <sys/acl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <thread>
#include <tuple>
#include <unistd.h>
#include <vector>

#include "child_process.h"
#include "platform/folder.h"
#include "platform/safe_write.h"
#include "temp_dir.h"

using namespace qb::platform;
using namespace qb::test;

namespace {

const std::string kOld = "\"\"\r\n\"old\"\r\n";
const std::string kNew = "\"\"\r\n\"new\"\r\n";

void writeWithMode(const std::string& path, const std::string& bytes, mode_t mode) {
    writeFile(path, bytes);
    ASSERT_EQ(::chmod(path.c_str(), mode), 0);
}

} // namespace

TEST(Resave, KeepsTheModeAndRefusesWhatItMayNotReplace) {
    struct Case {
        const char* name;
        std::function<void(const std::string& path)> place; // what stands at the name before the resave
        FileAccess access;
        int error;             // 0: saved
        unsigned mode;         // the file's mode afterwards; 0 when not checked
        const char* reasonHas; // a word the refusal's reason holds
    };
    const Case cases[] = {
        {"mode kept", [](const std::string& p) { writeWithMode(p, kOld, 0640); }, FileAccess::Shared, 0, S_IFREG | 0640,
         ""},
        {"group-writable mode kept", [](const std::string& p) { writeWithMode(p, kOld, 0664); }, FileAccess::Shared, 0,
         S_IFREG | 0664, ""},
        {"secret never wider than its owner", [](const std::string& p) { writeWithMode(p, kOld, 0644); },
         FileAccess::OwnerOnly, 0, S_IFREG | 0600, ""},
        {"read-only for everyone, root too", [](const std::string& p) { writeWithMode(p, kOld, 0444); },
         FileAccess::Shared, EACCES, S_IFREG | 0444, "read-only"},
        {"a folder", [](const std::string& p) { ASSERT_EQ(::mkdir(p.c_str(), 0755), 0); }, FileAccess::Shared, EISDIR,
         S_IFDIR | 0755, "ordinary"},
        {"a named pipe, refused without waiting", [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0); },
         FileAccess::Shared, EINVAL, S_IFIFO | 0644, "ordinary"},
        {"nothing yet: a new file", [](const std::string&) {}, FileAccess::Shared, 0, 0, ""},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string path = dir / "12061403.659";
        c.place(path);
        const Folder folder(dir.path());
        const Status status = replaceFile(folder, "12061403.659", kNew, c.access);
        EXPECT_EQ(status.error, c.error) << c.name << ": " << status.describe();
        EXPECT_NE(status.describe().find(c.reasonHas), std::string::npos) << c.name << ": " << status.describe();
        if (c.error == 0 || S_ISREG(c.mode)) {
            EXPECT_EQ(readFile(path), c.error == 0 ? kNew : kOld) << c.name;
        }
        if (c.mode != 0) {
            EXPECT_EQ(modeOf(path), c.mode) << c.name;
        }
        EXPECT_TRUE(hiddenNames(dir.path()).empty()) << c.name;
    }
}

// Only the user's own links to a file are written through, every link of the way judged: in a shared folder a link
// may be another user's way into a file of this user's, and a link to nothing would make a file wherever it points.
TEST(Resave, WritesThroughTheUsersOwnLinksToAFileAndKeepsThem) {
    struct Case {
        const char* name;
        const char* link; // the record's link; {} for an absolute one to other/file; "chain" for two links to it;
                          // "sub" for sub/file, with the folder sub a link to other
        int error;
        uid_t linkOwner = 0; // who made the last link of the way (chain's hop, the folder sub): 0 for this user
        const char* reasonHas = "";
    };
    const Case cases[] = {
        {"relative link into another folder", "../other/file", 0},
        {"absolute link", nullptr, 0},
        {"chain of links", "chain", 0},
        {"through a folder that is the user's own link", "sub", 0},
        {"link to a folder", "../other", EISDIR},
        {"link to nothing", "../other/new", ENOENT, 0, "a link that points to nothing"},
        {"link another user made", "../other/file", EPERM, 65534, "a link that another user made"},
        {"chain through a link another user made", "chain", EPERM, 65534, "a link that another user made"},
        {"through a folder that is another user's link", "sub", EPERM, 65534, "a link that another user made"},
    };
    int notTried = 0;
    for (const Case& c : cases) {
        if (c.linkOwner != 0 && ::geteuid() != 0) {
            ++notTried; // a link of another user's can only be made as root
            continue;
        }
        TempDir dir;
        const std::string data = dir / "data", other = dir / "other";
        writeWithMode(other + "/file", kOld, 0640);
        writeFile(data + "/unrelated", "x");
        const std::string record = data + "/12061403.659";
        const std::string special = c.link ? c.link : "";
        const std::string link = !c.link              ? other + "/file"
                                 : special == "chain" ? "hop"
                                 : special == "sub"   ? "sub/file"
                                                      : special;
        ASSERT_EQ(::symlink(link.c_str(), record.c_str()), 0) << c.name;
        const std::string last = special == "chain" ? data + "/hop" : special == "sub" ? data + "/sub" : record;
        if (special == "chain" || special == "sub") {
            ASSERT_EQ(::symlink(special == "chain" ? "../other/file" : "../other", last.c_str()), 0);
        }
        if (c.linkOwner != 0) {
            ASSERT_EQ(::lchown(last.c_str(), c.linkOwner, c.linkOwner), 0);
        }
        const Folder folder(data);
        const Status status = replaceFile(folder, "12061403.659", kNew);
        EXPECT_EQ(status.error, c.error) << c.name << ": " << status.describe();
        EXPECT_NE(status.describe().find(c.reasonHas), std::string::npos) << c.name << ": " << status.describe();
        EXPECT_TRUE(S_ISLNK(modeOf(record))) << c.name << ": the link stays a link";
        EXPECT_EQ(readFile(other + "/file"), c.error == 0 ? kNew : kOld) << c.name;
        EXPECT_FALSE(std::filesystem::exists(other + "/new")) << c.name << ": nothing is made where a link points";
        if (c.error == 0) {
            EXPECT_EQ(modeOf(other + "/file"), S_IFREG | 0640u) << c.name << ": the target keeps its mode";
        }
        EXPECT_TRUE(hiddenNames(data).empty() && hiddenNames(other).empty()) << c.name;
    }
    if (notTried > 0)
        GTEST_SKIP() << notTried << " cases of another user's link were not tried: only root can make such a link";
}

// Another member of a shared folder swaps the user's own link for one of theirs, again and again, while the user
// resaves through it: each resave writes the user's file or is refused, and the file the other link leads to, a
// private file of the user's elsewhere, is never written.
TEST(Resave, ALinkSwappedWhileItIsJudgedIsNeverWrittenThrough) {
    if (::geteuid() != 0 || !qb::test::canMakeFilesUnreadable())
        GTEST_SKIP() << "needs root, to swap the links as another user";
    TempDir dir;
    const std::string data = dir / "data", other = dir / "other", secret = dir / "private/secret";
    writeWithMode(other + "/file", kOld, 0644);
    writeWithMode(secret, "the user's secret", 0600);
    ASSERT_EQ(::chmod((dir / "private").c_str(), 0700), 0);
    writeFile(data + "/unrelated", "x");
    qb::test::openToOthers(dir.path());
    ASSERT_EQ(::chmod(data.c_str(), 0777), 0);
    ASSERT_EQ(::symlink("../other/file", (data + "/12061403.659").c_str()), 0);
    ASSERT_EQ(::symlink(secret.c_str(), (data + "/theirs").c_str()), 0);
    ASSERT_EQ(::lchown((data + "/theirs").c_str(), 65534, 65534), 0);

    std::optional<std::string> swaps;
    std::atomic<bool> swapping = true;
    std::thread otherUser([&] {
        swaps = qb::test::runInChild([&] {
            int count = 0;
            const int folder = ::open(data.c_str(), O_PATH | O_DIRECTORY);
            for (const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
                 std::chrono::steady_clock::now() < end;)
                count += ::renameat2(folder, "12061403.659", folder, "theirs", RENAME_EXCHANGE) == 0;
            return std::to_string(count);
        });
        swapping = false;
    });
    int refused = 0;
    const Folder folder(data);
    for (int i = 0; swapping; ++i) {
        const Status status = replaceFile(folder, "12061403.659", i % 2 ? kNew : kOld);
        refused += !status.ok();
        EXPECT_TRUE(status.ok() || status.error == EPERM || status.error == EAGAIN) << status.describe();
    }
    otherUser.join();
    ASSERT_TRUE(swaps && std::stoi(*swaps) > 0) << "the other user swapped nothing";
    EXPECT_GT(refused, 0) << "no resave met the other user's link (" << *swaps << " swaps)";
    EXPECT_EQ(readFile(secret), "the user's secret");
    EXPECT_TRUE(readFile(other + "/file") == kOld || readFile(other + "/file") == kNew);
    EXPECT_TRUE(hiddenNames(data).empty() && hiddenNames(other).empty());
}

// Another member watches the folder and puts a file of theirs in place of the user's temporary file before it is
// renamed onto the record: a resave that says it saved has left the user's own file with her text at the name.
TEST(Resave, SavedMeansTheNameHoldsTheFileWritten) {
    if (::geteuid() != 0 || !qb::test::canMakeFilesUnreadable())
        GTEST_SKIP() << "needs root, to watch the folder as another user";
    TempDir dir;
    qb::test::openToOthers(dir.path());
    ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);
    writeFile(dir / "12061403.659", kOld);
    std::optional<std::string> swaps;
    std::atomic<bool> swapping = true;
    std::thread otherUser([&] {
        swaps = qb::test::runInChild([&] {
            const int watch = ::inotify_init1(IN_NONBLOCK), folder = ::open(dir.path().c_str(), O_PATH | O_DIRECTORY);
            ::inotify_add_watch(watch, dir.path().c_str(), IN_CREATE);
            int count = 0;
            alignas(inotify_event) char events[4096];
            for (const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
                 std::chrono::steady_clock::now() < end;) {
                const ssize_t size = ::read(watch, events, sizeof events);
                for (ssize_t at = 0; at < size; at += sizeof(inotify_event) + ((inotify_event*)(events + at))->len) {
                    const auto* event = (const inotify_event*)(events + at);
                    if (event->len > 0 && std::string_view(event->name).starts_with(".12061403.659.")) {
                        ::close(::openat(folder, "theirs", O_CREAT | O_WRONLY, 0644));
                        count += ::renameat(folder, "theirs", folder, event->name) == 0;
                    }
                }
            }
            return std::to_string(count);
        });
        swapping = false;
    });
    int wrongly = 0;
    const Folder folder(dir.path());
    for (int i = 0; swapping; ++i) {
        const std::string& bytes = i % 2 ? kNew : kOld;
        wrongly += replaceFile(folder, "12061403.659", bytes).ok() && readFile(dir / "12061403.659") != bytes;
    }
    otherUser.join();
    ASSERT_TRUE(swaps && std::stoi(*swaps) > 0) << "the other member swapped nothing";
    EXPECT_EQ(wrongly, 0) << "saves that left another file at the name (" << *swaps << " swaps)";
}

// A record of 1000:1000 in a folder all may write to, resaved by root, by another member of its group, and by a user
// of no group of its: the owner is kept where the writer may set it, else the group, else no group gains access.
TEST(Resave, KeepsTheOwnerOrTheGroupOrGivesNoOtherGroupAccess) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "giving a file to another user needs root";
    const struct {
        const char* name;
        std::vector<gid_t> groups; // the writer's groups; none given: the writer is root
        mode_t before;
        std::tuple<mode_t, uid_t, gid_t> after; // the file's mode, owner and group after the resave
    } cases[] = {
        {"root", {}, 0664, {S_IFREG | 0664, 1000, 1000}},
        {"a member of its group", {1000}, 0664, {S_IFREG | 0664, 65534, 1000}},
        {"no member of its group", {65534}, 0666, {S_IFREG | 0600, 65534, 65534}},
    };
    for (const auto& c : cases) {
        TempDir dir;
        ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);
        writeWithMode(dir / "r", kOld, c.before);
        ASSERT_EQ(::chown((dir / "r").c_str(), 1000, 1000), 0);
        const auto saved = qb::test::runInChild(
            [&] {
                const bool userRefused = !c.groups.empty() && (::setgroups(c.groups.size(), c.groups.data()) != 0 ||
                                                               ::setgid(65534) != 0 || ::setuid(65534) != 0);
                return userRefused ? std::string("no user") : replaceFile(Folder(dir.path()), "r", kNew).describe();
            },
            20, qb::test::ChildUser::Same);
        EXPECT_EQ(saved, "no error") << c.name;
        struct stat st {};
        ASSERT_EQ(::stat((dir / "r").c_str(), &st), 0);
        EXPECT_EQ(readFile(dir / "r"), kNew) << c.name;
        EXPECT_EQ(std::tuple(st.st_mode, st.st_uid, st.st_gid), c.after) << c.name;
    }
}

// A group folder of mode 2770, whose members may rename and remove each other's entries, with a default ACL that
// gives member 1001 read access to new files. The user (1000, of groups 4242 and 4343, umask 077) reads record 601
// (group 4343, which the member is not in) and resaves it after something happened at its name: only the version read
// is replaced, with its mode, group and ACL and never more; every other version stays as it was, and so does the
// user's private note that her link 600 leads to. A record whose version is unknown (its read failed as it was
// shown) replaces nothing and is written for the user alone.
TEST(Resave, ReplacesExactlyTheVersionReadWhereMembersRenameEachOthersFiles) {
    if (::geteuid() != 0 || !qb::test::canMakeFilesUnreadable())
        GTEST_SKIP() << "needs root, to act as two members of a group";
    constexpr uid_t kUser = 1000, kMember = 1001;
    constexpr gid_t kGroup = 4242, kSecret = 4343;
    constexpr const char* kOwnAcl = "user::rw-,user:1002:r--,group::r--,mask::r--,other::---";
    enum class Put { Nothing, LinkMoved, File, SameBytes, EditedInPlace, Folder, Removed, Unread, UnreadRemoved };
    const struct {
        const char* name;
        Put put;                                // what happened at the name since it was read
        uid_t owner;                            // of the record read, or of what was put in its place
        const char* acl;                        // the record's own ACL, or none
        bool refused;                           // as changed elsewhere, everything left as it was
        std::tuple<mode_t, uid_t, gid_t> after; // the record's mode, owner and group after the resave
    } cases[] = {
        {"nothing", Put::Nothing, kUser, nullptr, false, {S_IFREG | 0660, kUser, kSecret}},
        {"with an ACL of its own", Put::Nothing, kUser, kOwnAcl, false, {S_IFREG | 0640, kUser, kSecret}},
        {"the record was another member's", Put::Nothing, kMember, nullptr, false, {S_IFREG | 0660, kUser, kSecret}},
        {"the user's own link moved onto it", Put::LinkMoved, kUser, nullptr, true, {S_IFLNK | 0777, kUser, kUser}},
        {"another member's file open to all", Put::File, kMember, nullptr, true, {S_IFREG | 0666, kMember, kGroup}},
        {"the user's other file (a sync tool)", Put::File, kUser, nullptr, true, {S_IFREG | 0666, kUser, kGroup}},
        {"the same bytes, renumbered", Put::SameBytes, kUser, nullptr, false, {S_IFREG | 0660, kUser, kSecret}},
        {"edited in place", Put::EditedInPlace, kUser, nullptr, true, {S_IFREG | 0660, kUser, kSecret}},
        {"a folder", Put::Folder, kMember, nullptr, true, {S_IFDIR | 0777, kMember, kGroup}},
        {"the record deleted", Put::Removed, kUser, nullptr, false, {S_IFREG | 0660, kUser, kSecret}},
        {"its read failed", Put::Unread, kUser, nullptr, true, {S_IFREG | 0660, kUser, kSecret}},
        {"unread, renamed away", Put::UnreadRemoved, kUser, nullptr, false, {S_IFREG | 0600, kUser, kUser}},
    };
    for (const auto& c : cases) {
        TempDir dir;
        qb::test::openToOthers(dir.path());
        const std::string shared = dir / "shared", note = dir / "notes/A.rec";
        writeWithMode(note, "note A", 0600);
        ASSERT_EQ(::chown(note.c_str(), kUser, kUser), 0);
        ASSERT_EQ(::chown((dir / "notes").c_str(), kUser, kUser), 0);
        const std::string record = shared + "/601";
        writeWithMode(record, kOld, 0660);
        ASSERT_EQ(::chown(record.c_str(), c.put == Put::Nothing ? c.owner : kUser, kSecret), 0);
        ASSERT_TRUE(!c.acl || qb::test::setAcl(record, ACL_TYPE_ACCESS, c.acl)) << c.name;
        ASSERT_EQ(::symlink(note.c_str(), (shared + "/600").c_str()), 0);
        ASSERT_EQ(::lchown((shared + "/600").c_str(), kUser, kUser), 0);
        ASSERT_EQ(::chown(shared.c_str(), 0, kGroup), 0);
        ASSERT_EQ(::chmod(shared.c_str(), 02770), 0);
        ASSERT_TRUE(qb::test::setAcl(shared, ACL_TYPE_DEFAULT, "u::rwx,g::rwx,u:1001:r,m::rwx,o::-"));
        const VersionRead read = readVersion(Folder(shared), "601", 1024);
        ASSERT_TRUE(read.ok()) << read.status.describe();
        const bool unread = c.put == Put::Unread || c.put == Put::UnreadRemoved;
        if (c.put == Put::File || c.put == Put::SameBytes)
            writeFile(shared + "/theirs", c.put == Put::File ? "theirs" : kOld);
        if (c.put == Put::EditedInPlace)
            writeFile(record, "\"\"\r\n\"their edit\"\r\n");
        const bool kept = c.put == Put::Nothing || c.put == Put::EditedInPlace || c.put == Put::Unread;
        const bool put = (kept || ::unlink(record.c_str()) == 0) &&
                         (c.put != Put::LinkMoved || ::rename((shared + "/600").c_str(), record.c_str()) == 0) &&
                         (c.put != Put::File || ::rename((shared + "/theirs").c_str(), record.c_str()) == 0) &&
                         (c.put != Put::SameBytes || ::rename((shared + "/theirs").c_str(), record.c_str()) == 0) &&
                         (c.put != Put::Folder || ::mkdir(record.c_str(), 0700) == 0);
        ASSERT_TRUE(put && (c.put != Put::File ||
                            (::chmod(record.c_str(), 0666) == 0 && ::chown(record.c_str(), c.owner, kGroup) == 0)));
        ASSERT_TRUE(c.put != Put::Folder ||
                    (::chmod(record.c_str(), 0777) == 0 && ::chown(record.c_str(), c.owner, kGroup) == 0));
        const std::string before = c.refused && S_ISREG(std::get<0>(c.after)) ? readFile(record) : "";
        const auto saved = qb::test::runInChild(
            [&] {
                const gid_t groups[] = {kGroup, kSecret};
                ::umask(077);
                if (::setgroups(2, groups) != 0 || ::setgid(kUser) != 0 || ::setuid(kUser) != 0)
                    return std::string("no user");
                const ReplaceResult replaced =
                    replaceVersion(Folder(shared), "601", kNew, unread ? std::nullopt : std::optional(read.version));
                return replaced.kind == ReplaceResult::Kind::Changed ? std::string("changed")
                                                                     : replaced.status.describe();
            },
            20, qb::test::ChildUser::Same);
        ASSERT_TRUE(saved) << c.name;
        EXPECT_EQ(*saved, c.refused ? "changed" : "no error") << c.name;
        struct stat st {};
        ASSERT_EQ(::lstat(record.c_str(), &st), 0) << c.name;
        EXPECT_EQ(std::tuple(st.st_mode, st.st_uid, st.st_gid), c.after) << c.name;
        if (S_ISREG(st.st_mode)) {
            EXPECT_EQ(readFile(record), c.refused ? before : kNew) << c.name;
            if (!c.refused) { // never the member's read access that the folder's default ACL gives new files
                EXPECT_EQ(qb::test::accessAcl(record), c.acl ? c.acl : "") << c.name;
            }
        }
        EXPECT_EQ(readFile(note), "note A") << c.name << ": the note the user's link leads to";
        EXPECT_TRUE(hiddenNames(shared).empty()) << c.name;
    }
}

TEST(Resave, AFileThisUserMayNotWriteIsRefusedInAFolderItMayWrite) {
    if (::geteuid() != 0 || !qb::test::canMakeFilesUnreadable())
        GTEST_SKIP() << "needs root, to run the save as another user";
    TempDir dir;
    qb::test::openToOthers(dir.path());
    ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0); // the rename alone would be allowed
    writeWithMode(dir / "others", kOld, 0644);
    writeWithMode(dir / "mine", kOld, 0644);
    ASSERT_EQ(::chown((dir / "mine").c_str(), 65534, 65534), 0);
    const auto saved = qb::test::runInChild([&] {
        const Folder folder(dir.path());
        return std::to_string(replaceFile(folder, "others", kNew).error) + " " +
               std::to_string(replaceFile(folder, "mine", kNew).error);
    });
    EXPECT_EQ(saved, std::to_string(EACCES) + " 0");
    EXPECT_EQ(readFile(dir / "others"), kOld);
    EXPECT_EQ(readFile(dir / "mine"), kNew);
    EXPECT_TRUE(hiddenNames(dir.path()).empty());
}

TEST(FolderNames, PlainNamesAndTheHiddenNamesOfSafeWrites) {
    for (const char* plain : {"12061403.659", "a", ".hidden", "caf\xE9", "x.y.z", "\x01\t", "a..b", "...x", "12..00"})
        EXPECT_TRUE(isPlainFileName(plain)) << plain;
    for (std::string_view planted : {"", ".", "..", "x\\..\\..\\victim.txt", "a\\b", "a/b", "..\\x"})
        EXPECT_FALSE(isPlainFileName(planted)) << planted;
    EXPECT_FALSE(isPlainFileName(std::string_view("a\0b", 3)));

    EXPECT_TRUE(isHiddenFileNameOf(".default.dat.Ab12Cd", "default.dat"));
    EXPECT_TRUE(isHiddenFileNameOf(".DEFAULT.DAT.zzzzzz", "default.dat"));
    for (const char* other : {"default.dat", ".default.dat.Ab12C", ".default.dat.Ab12Cde", ".default.dat.Ab-2Cd",
                              ".default.datxAb12Cd", "..default.dat.Ab12Cd", ".default.da.Ab12Cd"})
        EXPECT_FALSE(isHiddenFileNameOf(other, "default.dat")) << other;

    TempDir dir;
    const Folder folder(dir.path());
    const NewFile hidden = folder.createHidden("testit.dat", "x");
    ASSERT_TRUE(hidden.status.ok());
    EXPECT_TRUE(isHiddenFileNameOf(hidden.name, "testit.dat")) << hidden.name;
    EXPECT_EQ(readFile(dir / hidden.name), "x");
}
