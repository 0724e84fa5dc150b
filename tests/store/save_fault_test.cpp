// Saves that fail for real: a full disk, a read-only folder, a failing write and a save killed half-way. Each must
// leave the old record file or the new one, byte for byte, and no visible stray file.

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <unistd.h>

#include "commands.h"
#include "injection.h"
#include "platform/files.h"
#include "quill_home.h"
#include "scoped_mount.h"
#include "store/directory_probe.h"
#include "store/record_store.h"

using namespace qb::store;
using namespace qb::harness;
using namespace qb::test;

namespace {

constexpr const char* kNumber = "12061403.659";
const std::string kOldBytes = "\"\"\r\n\"the old text\"\r\n";
const qb::platform::LocalDateTime kNow{2026, 12, 6, 14, 3, 59};

struct SaveFaultTest : qb::test::QuillHomeTest {
    void SetUp() override { ASSERT_TRUE(qb::platform::makeDirectories(quill).ok()); }
    void writeOldRecord() { put(kNumber, kOldBytes); }
    std::vector<std::string> visibleFiles() const {
        std::vector<std::string> visible;
        for (const std::string& name : listFolder(quill))
            if (name[0] != '.')
                visible.push_back(name);
        return visible;
    }
    // The save tool's command line for this home; a new record's moment may be given (YYYY-MM-DDTHH:MM:SS). What it
    // says on standard error goes to errors().
    std::string saveCommand(const std::string& number, const std::string& text, const std::string& moment = "") const {
        return std::string(QUILLBOX_SAVE_TOOL) + " '" + home.path() + "' 'c:\\quill' " + number + " '" + text + "' " +
               moment + " >/dev/null 2>'" + (work / "errors") + "'";
    }
    std::string errors() const { return readFile(work / "errors"); }
    // strace's options that write its trace to trace(), so that a test can see that its fault was injected.
    std::string tracing() const { return "strace -f -qq -o '" + (work / "trace") + "' "; }
    std::string trace() const { return readFile(work / "trace"); }

    TempDir work; // outside the home: what the tools say
};

// fiu-run preloads libfiu ahead of everything; in a sanitizer build the sanitizer runtime must load first, so the
// command is started through a shell that puts it back in front. Empty in a normal build.
std::string sanitizerRuntimeFirst() {
#if defined(__SANITIZE_ADDRESS__)
    std::ifstream maps("/proc/self/maps");
    for (std::string line; std::getline(maps, line);) {
        const auto at = line.find('/');
        if (at != std::string::npos && line.find("/libasan.so") != std::string::npos)
            return "sh -c 'LD_PRELOAD=\"" + line.substr(at) + " $LD_PRELOAD\" exec \"$0\" \"$@\"' ";
    }
#endif
    return "";
}

} // namespace

TEST_F(SaveFaultTest, FullDiskKeepsTheOldRecordAndWritesNoNewOne) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "mounting a small tmpfs needs root";
    ScopedMount disk = ScopedMount::tmpfs(quill, std::size_t{64} * 1024);
    if (!disk.valid())
        GTEST_SKIP() << "mount not allowed here";
    writeOldRecord();
    qb::test::fillFileSystem(quill);
    const std::string bigText(20000, 'x');
    const SaveResult resave =
        resaveRecord(drives, "c:\\quill", recallRecord(drives, "c:\\quill", kNumber), {"", bigText}, kNow);
    EXPECT_EQ(resave.status.error, ENOSPC);
    const SaveResult fresh = saveRecord(drives, "c:\\quill", {"", bigText}, {2026, 12, 7, 9, 0, 0});
    EXPECT_FALSE(fresh.status.ok());
    EXPECT_EQ(readFile(quill + "/" + kNumber), kOldBytes);
    EXPECT_EQ(visibleFiles(), (std::vector<std::string>{kNumber, "filler"}));
    EXPECT_TRUE(hiddenNames(quill).empty());
}

TEST_F(SaveFaultTest, ReadOnlyFolderRefusesTheProbeAndTheSave) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "a read-only bind mount needs root (root ignores mode bits)";
    writeOldRecord();
    put("testit.dat", "the user's notes"); // a taken probe name changes nothing here
    ScopedMount readOnly = ScopedMount::readOnly(quill);
    if (!readOnly.valid())
        GTEST_SKIP() << "mount not allowed here";
    EXPECT_EQ(probeForSave(drives, "c:\\quill").error, EROFS);
    EXPECT_EQ(probeDataDirectory(drives, "c:\\quill").error, EROFS);
    EXPECT_EQ(
        resaveRecord(drives, "c:\\quill", recallRecord(drives, "c:\\quill", kNumber), {"", "new"}, kNow).status.error,
        EROFS);
    EXPECT_EQ(readFile(quill + "/" + kNumber), kOldBytes);
    EXPECT_EQ(readFile(quill + "/testit.dat"), "the user's notes");
    EXPECT_EQ(listFolder(quill), (std::vector<std::string>{kNumber, "testit.dat"}));
}

TEST_F(SaveFaultTest, FailingWriteCallLeavesTheOldRecord) {
    if (!installed("fiu-run"))
        GTEST_SKIP() << "fiu-run (fiu-utils) is not installed";
    writeOldRecord();
    const std::string fail = "fiu-run -x -c 'enable name=posix/io/rw/write,failinfo=28' " + sanitizerRuntimeFirst();
    EXPECT_EQ(runShell(fail + saveCommand(kNumber, "new text")).status, 1);
    EXPECT_EQ(errors(), "not saved: write failed: No space left on device\n") << "the fault was not injected";
    EXPECT_EQ(readFile(quill + "/" + kNumber), kOldBytes);
    EXPECT_EQ(runShell(fail + saveCommand("-", "new text")).status, 1);
    EXPECT_EQ(errors(), "not saved: write failed: No space left on device\n") << "the fault was not injected";
    EXPECT_EQ(listFolder(quill), std::vector<std::string>{kNumber});
    // without the fault the same command saves
    EXPECT_EQ(runShell(saveCommand(kNumber, "new text")).status, 0);
    EXPECT_EQ(readFile(quill + "/" + kNumber), "\"\"\r\n\"new text\"\r\n");
}

TEST_F(SaveFaultTest, SaveKilledHalfWayLeavesTheOldOrTheNewFile) {
    if (!installed("strace"))
        GTEST_SKIP() << "strace is not installed";
    writeOldRecord();
    // The resave's own calls: the temporary file's write and flush, and the rename over the record.
    for (const char* call : {"write", "fsync", "renameat"}) {
        const std::string kill = tracing() + "-e inject=" + call + ":signal=KILL ";
        (void)runShell(kill + saveCommand(kNumber, "new text"));
        EXPECT_NE(trace().find("+++ killed by SIGKILL +++"), std::string::npos)
            << call << ": the kill was not injected";
        const std::string now = readFile(quill + "/" + kNumber);
        EXPECT_TRUE(now == kOldBytes || now == "\"\"\r\n\"new text\"\r\n") << call << ": " << now;
        EXPECT_EQ(visibleFiles(), std::vector<std::string>{kNumber}) << call;
    }
}

TEST_F(SaveFaultTest, NewRecordsNeverReplaceAFileWhateverTheFileSystemLacks) {
    if (!installed("strace"))
        GTEST_SKIP() << "strace is not installed";
    // LeakSanitizer cannot run under a tracer; the sanitizer build checks leaks in the other tests.
    const std::string traced = "env ASAN_OPTIONS=\"${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0\" " + tracing();
    // What a file system without RENAME_NOREPLACE (FUSE, NFS) and without hard links (exFAT, FAT: EPERM; rclone: EIO)
    // answers; the record must still take the next free second.
    const char* const fileSystems[] = {
        "",
        "-e inject=renameat2:error=EINVAL",
        "-e inject=renameat2:error=EINVAL -e inject=linkat:error=EPERM",
        "-e inject=renameat2:error=EINVAL -e inject=linkat:error=EIO",
    };
    for (const char* lacks : fileSystems) {
        for (const std::string& name : listFolder(quill))
            ASSERT_TRUE(qb::platform::removeFile(quill + "/" + name).ok());
        put("12071000.600", "someone else's");
        const std::string save = traced + lacks + " " + saveCommand("-", "new text", "2026-12-07T10:00:00");
        EXPECT_EQ(runShell(save).status, 0) << lacks;
        EXPECT_EQ(runShell(save).status, 0) << lacks;
        for (const char* call : {"renameat2", "linkat"})
            EXPECT_EQ(injected(trace(), call), std::string(lacks).find(call) != std::string::npos) << lacks;
        EXPECT_EQ(listFolder(quill), (std::vector<std::string>{"12071000.600", "12071000.601", "12071000.602"}))
            << lacks;
        EXPECT_EQ(readFile(quill + "/12071000.600"), "someone else's") << lacks;
        EXPECT_EQ(readFile(quill + "/12071000.602"), "\"\"\r\n\"new text\"\r\n") << lacks;
    }
    // A rename over the reservation that fails leaves neither the reservation nor the temporary file.
    const std::string failing =
        traced + "-e inject=renameat2:error=EINVAL -e inject=linkat:error=EPERM -e inject=renameat:error=EIO ";
    EXPECT_EQ(runShell(failing + saveCommand("-", "new text")).status, 1);
    EXPECT_TRUE(injected(trace(), "renameat")) << "the rename over the reservation did not fail";
    EXPECT_EQ(listFolder(quill).size(), 3u);
}
