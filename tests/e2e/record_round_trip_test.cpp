// A record typed, saved, found by a search, saved again unchanged and deleted, through the real windows and message
// boxes; the record files are compared byte for byte at each step.

#include <gtest/gtest.h>

#include <map>
#include <sys/stat.h>
#include <unistd.h>

#include "commands.h"
#include "live_session.h"
#include "scoped_mount.h"
#include "temp_dir.h"

namespace qb::e2e {
namespace {

// Every file of a folder with its bytes.
std::map<std::string, std::string> filesOf(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const std::string& name : test::listFolder(folder))
        files[name] = test::readFile(folder + "/" + name);
    return files;
}

// Searches for text in search string 1, answering the match questions in turn (true: go on), then closes
// "Search complete!".
void search(LiveSession& session, const std::string& text, std::initializer_list<bool> answers) {
    ASSERT_TRUE(session.click("MainWindow", "searchString1"));
    ASSERT_TRUE(session.type("MainWindow", text));
    ASSERT_TRUE(session.click("MainWindow", "&Search"));
    for (bool goOn : answers)
        ASSERT_TRUE(session.answer("Match found", "Record found!  Continue search?", goOn ? "&Yes" : "&No"));
    ASSERT_TRUE(session.answer("Attention", "Search complete!", "OK"));
}

// Saves the record on screen and waits until the form has been emptied.
void save(LiveSession& session) {
    ASSERT_TRUE(session.click("MainWindow", "Sa&ve Record"));
    ASSERT_TRUE(session.answer("Saved!", "Your record has been saved!", "OK"));
    ASSERT_TRUE(session.waitUntil("the record text emptied after the save",
                                  [](const Snapshot& seen) { return seen.text("MainWindow", "recordText") == ""; }));
}

std::string recordOnScreen(LiveSession& session) {
    return session.snapshot().text("MainWindow", "recordNumber").value_or("");
}

TEST(EndToEndRecord, SaveSearchResaveUnchangedAndDelete) {
    test::TempDir home, work;
    const std::string quill = home / "drive_c/quill";
    test::writeFile(quill + "/12011000.611", "\"12/24/26\"\r\n\"Anna: tea, milk\r\n  and bread\"\r\n");
    LiveSession session({.home = home.path(), .workdir = work.path()});
    ASSERT_TRUE(session.started());
    ASSERT_TRUE(session.waitForWindow("MainWindow", {}, kStartUp));

    ASSERT_TRUE(session.click("MainWindow", "recordText"));
    ASSERT_TRUE(session.type("MainWindow", "Call Anna"));
    ASSERT_TRUE(session.key("MainWindow", "Return"));
    ASSERT_TRUE(session.type("MainWindow", "about the tickets"));
    ASSERT_TRUE(session.click("MainWindow", "reminderDate"));
    ASSERT_TRUE(session.type("MainWindow", "12/25/26"));
    save(session);
    std::map<std::string, std::string> files = filesOf(quill);
    ASSERT_EQ(files.size(), 2u);
    files.erase("12011000.611");
    EXPECT_EQ(files.begin()->second, "\"12/25/26\"\r\n\"Call Anna\r\nabout the tickets\"\r\n");

    // Both records match; the second one found stays on screen and is saved again as it is.
    search(session, "anna", {true, false});
    const std::string recalled = recordOnScreen(session);
    ASSERT_EQ(filesOf(quill).count(recalled), 1u) << "record number on screen: " << recalled;
    const std::map<std::string, std::string> beforeResave = filesOf(quill);
    save(session);
    EXPECT_EQ(filesOf(quill), beforeResave) << "a resave of an unchanged record must keep every byte";

    search(session, "ANNA", {false});
    const std::string deleted = recordOnScreen(session);
    ASSERT_TRUE(session.click("MainWindow", "&Delete record"));
    ASSERT_TRUE(session.answer("Attention!", "Record deleted!", "OK"));
    std::map<std::string, std::string> left = beforeResave;
    EXPECT_EQ(left.erase(deleted), 1u) << "record number on screen: " << deleted;
    EXPECT_EQ(filesOf(quill), left);
    EXPECT_TRUE(session.waitUntil("the record number emptied after the delete",
                                  [](const Snapshot& seen) { return seen.text("MainWindow", "recordNumber") == ""; }));
}

// A record holding no-break spaces (byte 0xA0) and other Windows-1252 letters, found and saved again unchanged.
TEST(EndToEndRecord, NoBreakSpacesSurviveASearchAndResaveByteForByte) {
    test::TempDir home, work;
    const std::string quill = home / "drive_c/quill";
    const std::string record = "\"\"\r\n\"Tea\xA0"
                               "for\xA0"
                               "two at the caf\xE9\r\n10\xA0\x80\"\r\n";
    test::writeFile(quill + "/12011000.611", record);
    LiveSession session({.home = home.path(), .workdir = work.path()});
    ASSERT_TRUE(session.started());
    ASSERT_TRUE(session.waitForWindow("MainWindow", {}, kStartUp));

    search(session, "caf", {false});
    ASSERT_EQ(recordOnScreen(session), "12011000.611");
    save(session);
    EXPECT_EQ(test::readFile(quill + "/12011000.611"), record) << "the record file changed on a resave without edit";
    EXPECT_EQ(test::listFolder(quill).size(), 1u);
}

// Drive C on a USB stick formatted FAT, through FUSE: no modes, no hard links, no RENAME_NOREPLACE. Two new records,
// a search, a resave, a delete and a setting all work as on the disk.
TEST(EndToEndRecord, DriveCOnAFatStickThroughFuse) {
    if (::geteuid() != 0 || !harness::installed("fusefat") || !harness::installed("mkfs.vfat"))
        GTEST_SKIP() << "mounting a FAT image through FUSE needs root, fusefat and dosfstools";
    test::TempDir home, work;
    ::mkdir((home / "drive_c").c_str(), 0700);
    const test::ScopedMount stick = test::ScopedMount::fatThroughFuse(work / "stick.img", home / "drive_c");
    ASSERT_TRUE(stick.valid());
    const std::string quill = home / "drive_c/quill";
    LiveSession session({.home = home.path(), .workdir = work.path()});
    ASSERT_TRUE(session.started());
    ASSERT_TRUE(session.waitForWindow("MainWindow", {}, kStartUp));

    for (const char* text : {"first note", "second note"}) {
        ASSERT_TRUE(session.click("MainWindow", "recordText"));
        ASSERT_TRUE(session.type("MainWindow", text));
        save(session);
    }
    std::map<std::string, std::string> files = filesOf(quill);
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files.begin()->second, "\"\"\r\n\"first note\"\r\n");

    search(session, "note", {false});
    const std::string recalled = recordOnScreen(session);
    ASSERT_EQ(files.count(recalled), 1u) << "record number on screen: " << recalled;
    ASSERT_TRUE(session.click("MainWindow", "recordText"));
    ASSERT_TRUE(session.key("MainWindow", "ctrl+End"));
    ASSERT_TRUE(session.type("MainWindow", ", resaved"));
    save(session);
    files[recalled].insert(files[recalled].size() - 3, ", resaved");
    EXPECT_EQ(filesOf(quill), files);

    search(session, "note", {false});
    const std::string deleted = recordOnScreen(session);
    ASSERT_TRUE(session.click("MainWindow", "&Delete record"));
    ASSERT_TRUE(session.answer("Attention!", "Record deleted!", "OK"));
    files.erase(deleted);
    EXPECT_EQ(filesOf(quill), files);

    ASSERT_TRUE(session.click("MainWindow", "Set as default"));
    ASSERT_TRUE(session.answer("Attention!", "New default directory set!", "OK"));
    EXPECT_EQ(test::readFile(home / "drive_c/default.dat"), "c:\\quill\r\n");
}

// A file whose name would climb out of the data folder, planted by whoever shares it, is never found, so neither a
// resave nor a delete can reach the file it names.
TEST(EndToEndRecord, APlantedNameOrAnotherUsersLinkReachesNothingOutsideTheDataFolder) {
    test::TempDir home, work;
    const std::string quill = home / "drive_c/quill";
    test::writeFile(home / "drive_c/victim.txt", "the user's own file");
    test::writeFile(quill + "/x\\..\\..\\victim.txt", "\"\"\r\n\"Anna planted\"\r\n");
    test::writeFile(quill + "/12011000.611", "\"\"\r\n\"Anna, real\"\r\n");
    // Another user's link to a record-shaped file of this user's outside the folder: read, never written through.
    const bool root = ::geteuid() == 0; // only root can make a link of another user's
    const std::string outside = "\"\"\r\n\"Bert's own note\"\r\n";
    test::writeFile(home / "drive_c/bert.txt", outside);
    if (root) {
        ASSERT_EQ(::symlink("../bert.txt", (quill + "/12021000.611").c_str()), 0);
        ASSERT_EQ(::lchown((quill + "/12021000.611").c_str(), 65534, 65534), 0);
    }
    LiveSession session({.home = home.path(), .workdir = work.path()});
    ASSERT_TRUE(session.started());
    ASSERT_TRUE(session.waitForWindow("MainWindow", {}, kStartUp));

    search(session, "anna", {true}); // one match only; the planted file is not listed
    ASSERT_EQ(recordOnScreen(session), "12011000.611");
    save(session);
    search(session, "anna", {false});
    ASSERT_TRUE(session.click("MainWindow", "&Delete record"));
    ASSERT_TRUE(session.answer("Attention!", "Record deleted!", "OK"));
    EXPECT_EQ(test::readFile(home / "drive_c/victim.txt"), "the user's own file");
    if (root) {
        search(session, "bert", {false});
        ASSERT_EQ(recordOnScreen(session), "12021000.611");
        ASSERT_TRUE(session.click("MainWindow", "recordText"));
        ASSERT_TRUE(session.type("MainWindow", " changed"));
        ASSERT_TRUE(session.click("MainWindow", "Sa&ve Record"));
        ASSERT_TRUE(session.answer("Alert!",
                                   "Your record could not be saved in c:\\quill (the file is a link that another user "
                                   "made). Nothing was written; the record is still on screen.",
                                   "OK"));
        // Deleting it removes the link, as any record, and never what it leads to.
        ASSERT_TRUE(session.click("MainWindow", "&Delete record"));
        ASSERT_TRUE(session.answer("Attention!", "Record deleted!", "OK"));
        EXPECT_EQ(test::readFile(home / "drive_c/bert.txt"), outside);
    }
    EXPECT_EQ(filesOf(quill),
              (std::map<std::string, std::string>{{"x\\..\\..\\victim.txt", "\"\"\r\n\"Anna planted\"\r\n"}}));
    if (!root)
        GTEST_SKIP() << "another user's link was not tried: only root can make one";
}

} // namespace
} // namespace qb::e2e
