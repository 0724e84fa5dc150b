// A search over a data folder whose files are slow to come, as on a network share: while it reads, the windows are
// drawn and answer the desktop, and no click reaches them until it ends.

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <sys/mount.h>
#include <sys/vfs.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "live_session.h"
#include "temp_dir.h"

namespace qb::e2e {
namespace {

constexpr long kFuseMagic = 0x65735546;

// The slow_folder tool's view of source at target, each open and read answered after a delay, one at a time.
class SlowMount {
public:
    SlowMount(const std::string& source, const std::string& target, int delayMs) : target_(target) {
#ifdef QUILLBOX_SLOW_FOLDER
        tool_ = ::fork();
        if (tool_ == 0) {
            ::execl(QUILLBOX_SLOW_FOLDER, QUILLBOX_SLOW_FOLDER, source.c_str(), target.c_str(),
                    std::to_string(delayMs).c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        for (int tries = 0; tries < 100 && !mounted(); ++tries) {
            if (::waitpid(tool_, nullptr, WNOHANG) == tool_) {
                tool_ = -1;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
#else
        (void)source, (void)delayMs;
#endif
    }
    ~SlowMount() {
        if (tool_ <= 0)
            return;
        ::kill(tool_, SIGTERM); // the tool unmounts as it ends
        ::waitpid(tool_, nullptr, 0);
        if (mounted())
            ::umount2(target_.c_str(), MNT_DETACH);
    }
    SlowMount(const SlowMount&) = delete;
    SlowMount& operator=(const SlowMount&) = delete;

    bool mounted() const {
        struct statfs status {};
        return ::statfs(target_.c_str(), &status) == 0 && status.f_type == kFuseMagic;
    }

private:
    std::string target_;
    pid_t tool_ = -1;
};

TEST(EndToEndSlowFolder, TheWindowsLiveOnAndTakeNoClickWhileASearchReads) {
    test::TempDir home, work;
    // 150 records, an open and a read each at 20 ms one after another: about six seconds of reading.
    for (int i = 0; i < 150; ++i)
        test::writeFile(work / ("source/1206" + std::to_string(1000 + i) + ".659"), "\"\"\r\n\"hay\"\r\n");
    test::writeFile(home / "drive_c/default.dat", "c:\\slow\r\n");
    test::writeFile(home / "drive_c/slow/.keep", "");
    SlowMount slow(work / "source", home / "drive_c/slow", 20);
    if (!slow.mounted())
        GTEST_SKIP() << "no folder could be mounted through FUSE here (needs /dev/fuse, root and libfuse3-dev)";

    LiveSession session({.home = home.path(), .workdir = work.path()});
    ASSERT_TRUE(session.started());
    ASSERT_TRUE(session.waitForWindow("MainWindow", {}, kStartUp));
    ASSERT_TRUE(session.click("MainWindow", "recordText"));
    ASSERT_TRUE(session.type("MainWindow", "keep me"));
    ASSERT_TRUE(session.waitUntil("the record text typed", [](const Snapshot& seen) {
        return seen.text("MainWindow", "recordText") == "keep me";
    }));

    ASSERT_TRUE(session.click("MainWindow", "&Search"));
    const long clicked = session.snapshot().seq;
    ASSERT_TRUE(session.waitUntil("ten more snapshots while the search reads",
                                  [&](const Snapshot& seen) { return seen.seq >= clicked + 10; }));
    ASSERT_FALSE(session.snapshot().window("Attention", "Search complete!")) << "the search was over too soon";
    // Clear form, clicked during the search, must not empty the record text, then or later.
    ASSERT_TRUE(session.click("MainWindow", "&Clear form"));
    ASSERT_TRUE(session.waitForWindow("Attention", "Search complete!", 60));
    ASSERT_TRUE(session.answer("Attention", "Search complete!", "OK"));
    ASSERT_TRUE(session.waitUntil("the main window active after the search", [](const Snapshot& seen) {
        return seen.window("MainWindow") && seen.window("MainWindow")->active;
    }));
    const long answered = session.snapshot().seq;
    ASSERT_TRUE(
        session.waitUntil("three more snapshots", [&](const Snapshot& seen) { return seen.seq >= answered + 3; }));
    EXPECT_EQ(session.snapshot().text("MainWindow", "recordText"), "keep me");
}

} // namespace
} // namespace qb::e2e
