// The file-system matrix: the store's real functions and the search's real walk on every file system a desktop
// mounts, each mounted by the test and undone again; one line per file system says what was checked, and a file
// system that cannot be mounted here is named as skipped with the reason. Run as root by scripts/fs-matrix.sh.

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

#include "child_process.h"
#include "mounts.h"
#include "platform/drive_map.h"
#include "search/record_walk.h"
#include "store/directory_probe.h"
#include "store/record_store.h"
#include "store/settings.h"
#include "temp_dir.h"

namespace qb::matrix {
namespace {

using store::Record;
using store::recordFileBytes;
using test::hiddenNames;
using test::modeOf;
using test::readFile;

// Both clocks stopped on one second: 7 December 2026, 10:00:00.
const platform::LocalDateTime kMoment{2026, 12, 7, 10, 0, 0};

// The records a walk over the folder hands out, by number, read ahead or not.
std::map<std::string, std::string> walk(const platform::DriveMap& drives, const std::string& folder,
                                        readers::ReadAheadMode readAhead) {
    search::RecordWalk records(drives, folder + "/*.*", search::SearchCriteria::fromTyped("note", "", ""),
                               {.readAhead = readAhead});
    std::map<std::string, std::string> found;
    while (auto file = records.next())
        found[file->number] = file->record.text;
    return found;
}

// Every step on one mounted file system; the notes say what was checked and what the file system could not hold.
void exercise(const std::string& root, std::vector<std::string>& notes) {
    // The target of a linked record lies in a folder of its own; inside the data folder, since sshfs refuses links
    // that climb out with "..".
    const std::string data = root + "/data", elsewhere = data + "/elsewhere";
    ASSERT_EQ(::mkdir(data.c_str(), 0755), 0) << std::strerror(errno);
    ASSERT_EQ(::mkdir(elsewhere.c_str(), 0755), 0) << std::strerror(errno);
    const platform::DriveMap drives(root + "/home", "/");
    ASSERT_TRUE(drives.ensureDriveC());

    ASSERT_TRUE(store::probeForSave(drives, data).ok());
    const store::SaveResult first = store::saveRecord(drives, data, {"", "first note"}, kMoment);
    const store::SaveResult second = store::saveRecord(drives, data, {"", "second note"}, kMoment);
    ASSERT_TRUE(first.status.ok() && second.status.ok()) << first.status.describe() << second.status.describe();
    EXPECT_EQ(first.number + " " + second.number, "12071000.600 12071000.601");
    EXPECT_EQ(readFile(data + "/12071000.600"), recordFileBytes({"", "first note"}));
    notes.push_back("2 new records in one second");

    // A resave replaces the version recalled (again below); one of a version shown before it is saved as a new record.
    const Record resaved{"12/25/26", "first note, resaved"};
    const auto resave = [&](const Record& record, const store::Recalled& shown) {
        return store::resaveRecord(drives, data, shown, record, kMoment);
    };
    const store::Recalled shownFirst = store::recallRecord(drives, data, first.number);
    EXPECT_TRUE(resave(resaved, shownFirst).ok());
    const store::SaveResult stale = resave({"", "stale"}, shownFirst);
    EXPECT_EQ(stale.changedElsewhere + " " + readFile(data + "/" + stale.number),
              first.number + " \"\"\r\n\"stale\"\r\n");
    EXPECT_EQ(readFile(data + "/" + first.number), recordFileBytes(resaved));
    notes.push_back("resave, a stale one saved as new");

    const std::string firstPath = data + "/" + first.number;
    if (::chmod(firstPath.c_str(), 0640) == 0 && (modeOf(firstPath) & 07777) == 0640) {
        EXPECT_TRUE(resave(resaved, store::recallRecord(drives, data, first.number)).ok());
        EXPECT_EQ(modeOf(firstPath) & 07777, 0640u) << "the mode is kept";
        ASSERT_EQ(::chmod(firstPath.c_str(), 0444), 0);
        EXPECT_EQ(resave({"", "lost"}, store::recallRecord(drives, data, first.number)).status.error, EACCES);
        EXPECT_EQ(readFile(firstPath), recordFileBytes(resaved)) << "a read-only record stays as it is";
        ASSERT_EQ(::chmod(firstPath.c_str(), 0644), 0);
        notes.push_back("mode kept, read-only refused");
    } else {
        notes.push_back("read-only resave skipped (keeps no modes)");
    }

    const std::string linked = data + "/12071000.700";
    test::writeFile(elsewhere + "/target", recordFileBytes({"", "linked note"}));
    const bool links = ::symlink("elsewhere/target", linked.c_str()) == 0;
    if (links) {
        const platform::Status through =
            resave({"", "linked note, resaved"}, store::recallRecord(drives, data, "12071000.700")).status;
        EXPECT_TRUE(through.ok()) << through.describe();
        EXPECT_TRUE(S_ISLNK(modeOf(linked))) << "the link stays";
        EXPECT_EQ(readFile(elsewhere + "/target"), recordFileBytes({"", "linked note, resaved"}));
        notes.push_back("resave through a link");
    } else {
        notes.push_back(std::string("link resave skipped (") + std::strerror(errno) + ")");
    }

    std::map<std::string, std::string> expected{{first.number, resaved.text}, {second.number, "second note"}};
    if (links)
        expected["12071000.700"] = "linked note, resaved";
    EXPECT_EQ(walk(drives, data, readers::ReadAheadMode::Off), expected);
    EXPECT_EQ(walk(drives, data, readers::ReadAheadMode::Always), expected) << "read ahead";
    notes.push_back("walk");

    EXPECT_EQ(store::deleteRecord(drives, data, second.number).kind, store::DeleteResult::Kind::Deleted);
    EXPECT_NE(::access((data + "/" + second.number).c_str(), F_OK), 0);
    if (links) {
        EXPECT_EQ(store::deleteRecord(drives, data, "12071000.700").kind, store::DeleteResult::Kind::Deleted);
        EXPECT_EQ(readFile(elsewhere + "/target"), recordFileBytes({"", "linked note, resaved"}));
    }
    notes.push_back("delete");

    const store::Settings settings(drives);
    EXPECT_TRUE(settings.setDefaultDirectory(data).ok());
    EXPECT_TRUE(settings.storeAlarmFlag(true).ok());
    EXPECT_TRUE(settings.setPassword("secret1").ok());
    const platform::Status password = settings.setPassword("secret2");
    EXPECT_TRUE(password.ok()) << password.describe();
    EXPECT_EQ(settings.defaultDirectory(), data);
    EXPECT_EQ(readFile(root + "/home/drive_c/@.dat"), "secret2\r\n");
    EXPECT_TRUE(settings.alarmFlag());
    notes.push_back("settings");

    for (const std::string& folder : {data, elsewhere, root + "/home/drive_c"})
        EXPECT_TRUE(hiddenNames(folder).empty()) << folder << " holds " << hiddenNames(folder).front();
}

// The failures the running test has had so far.
int failures() {
    const ::testing::TestResult* result = ::testing::UnitTest::GetInstance()->current_test_info()->result();
    int failed = 0;
    for (int i = 0; i < result->total_part_count(); ++i)
        failed += result->GetTestPartResult(i).failed() ? 1 : 0;
    return failed;
}

void print(const std::string& name, const std::string& line) {
    std::cout << "  " << name << std::string(name.size() < 10 ? 10 - name.size() : 1, ' ') << line << std::endl;
}

class FileSystemMatrix : public ::testing::Test {
protected:
    void SetUp() override {
        if (::geteuid() != 0)
            GTEST_SKIP() << "mounting needs root";
        test::openToOthers(scratch.path()); // the SSH server reads its authorized key as nobody
    }
    test::TempDir scratch;
};

TEST_F(FileSystemMatrix, StoreAndWalkOnEveryFileSystem) {
    const harness::SshServer ssh(scratch / "ssh", "nobody");
    for (const FileSystem& fs : fileSystems()) {
        const Mount mount(fs, scratch.path(), ssh);
        if (!mount.skipReason().empty()) {
            print(fs.name, "SKIPPED: " + mount.skipReason());
            continue;
        }
        SCOPED_TRACE(fs.name);
        const int failuresBefore = failures();
        std::vector<std::string> notes;
        exercise(mount.path(), notes);
        std::string line = failures() > failuresBefore ? "FAILED after: " : "ok: ";
        for (const std::string& note : notes)
            line += note + (&note == &notes.back() ? "" : ", ");
        print(fs.name, line);
    }
}

TEST_F(FileSystemMatrix, TwoMachinesSharingOneFolderOverSsh) {
    const harness::SshServer ssh(scratch / "ssh", "nobody");
    const FileSystem& sshfs = *std::find_if(fileSystems().begin(), fileSystems().end(),
                                            [](const FileSystem& fs) { return std::string(fs.name) == "sshfs"; });
    const Mount one(sshfs, scratch.path(), ssh, "-one");
    const Mount two(sshfs, scratch.path(), ssh, "-two");
    if (!one.skipReason().empty() || !two.skipReason().empty()) {
        print("sshfs x2", "SKIPPED: " + one.skipReason() + two.skipReason());
        return;
    }
    const platform::DriveMap drives(scratch.path(), "/");
    // The second machine looked for the name before the first one saved, so its view of the folder is out of date.
    struct stat st {};
    ASSERT_NE(::stat((two.path() + "/12071000.600").c_str(), &st), 0);
    const store::SaveResult mine = store::saveRecord(drives, one.path(), {"", "from one"}, kMoment);
    const store::SaveResult theirs = store::saveRecord(drives, two.path(), {"", "from two"}, kMoment);
    EXPECT_EQ(mine.number + " " + theirs.number, "12071000.600 12071000.601")
        << mine.status.describe() << " " << theirs.status.describe();
    EXPECT_EQ(readFile(two.path() + "/12071000.600"), recordFileBytes({"", "from one"}));
    EXPECT_EQ(readFile(one.path() + "/12071000.601"), recordFileBytes({"", "from two"}));
    print("sshfs x2", std::string(HasFailure() ? "FAILED" : "ok") + ": two mounts of one folder, clocks stopped on " +
                          "one second: " + mine.number + " and " + theirs.number);
}

} // namespace
} // namespace qb::matrix
