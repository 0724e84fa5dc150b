#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include "slow_mount.h"
#include "temp_dir.h"

#include "readers/slow_read_watch.h"

using namespace qb::readers;
using namespace std::chrono_literals;

namespace {

// A folder as the walk sees it: what taking file i costs, the blocks read from a disk after it and whether the thread
// waited for it (else a long read was the machine's doing); from which file on it is slow (-1 for never) and within
// how many files of that the watch must have noticed: a cold folder within its first few dozen files, a folder that
// turns slow within a few dozen of turning, or a few of a partner's takes where only its block input tells.
struct Folder {
    const char* what;
    std::function<std::chrono::nanoseconds(int)> readTime;
    std::function<long(int)> blockInput;
    std::function<bool(int)> waited;
    int slowFrom;
    int noticedWithin;
};

// The file at which the watch first finds the reads slow, or -1 within files.
int firstSlowFile(const Folder& folder, int files) {
    int file = 0;
    long waits = 0;
    std::chrono::steady_clock::time_point now{};
    SlowReadWatch watch([&] { return ThreadWaits{folder.blockInput(file), waits}; }, [&] { return now; });
    for (; file < files; ++file) {
        now += folder.readTime(file);
        waits += folder.waited(file);
        if (watch.noteFile())
            return file;
    }
    return -1;
}

} // namespace

TEST(SlowReadWatch, StartsReadingAheadWhereFilesAreSlowToComeAndNowhereElse) {
    const auto none = [](int) { return 0L; };
    const auto never = [](int) { return false; };
    const auto always = [](int) { return true; };
    const Folder folders[] = {
        {"warm: page-cache hits", [](int) { return 3us; }, none, never, -1, 0},
        {"warm on a busy machine: reads held up without waiting", [](int i) { return i % 6 == 5 ? 5ms : 3us; }, none,
         never, -1, 0},
        {"warm, one read in 10 held up and waiting", [](int i) { return i % 10 == 9 ? 5ms : 3us; }, none,
         [](int i) { return i % 10 == 9; }, -1, 0},
        {"slow: each read waits 2 ms", [](int) { return 2ms; }, none, always, 0, 48},
        {"turns slow after 1000 files", [](int i) { return i < 1000 ? 3us : 2ms; }, none,
         [](int i) { return i >= 1000; }, 1000, 48},
        {"just below a slow read", [](int) { return 99us; }, none, always, -1, 0},
        // Block input in 512-byte units. Cold, the disk gives a burst of 2 MB (inodes, inode blocks read ahead and
        // contents) as a partner takes its next files, while the walk waits: every 256 files here, twice a take.
        {"cold disk: quick reads that wait for blocks", [](int) { return 40us; },
         [](int i) { return 4000L * ((i + 255) / 256); }, always, 0, 600},
        {"turns cold after 1000 files", [](int) { return 5us; },
         [](int i) { return i < 1000 ? 7L : 7 + 4000L * ((i - 1000 + 256) / 256); }, never, 1000, 600},
        {"warm, a page now and then taken back by the system", [](int) { return 5us; },
         [](int i) { return 8L * (i / 40) + 256L * (i / 1000); }, never, -1, 0},
        {"warm, one burst of the listing's blocks", [](int) { return 5us; }, [](int i) { return i < 500 ? 0L : 2000L; },
         never, -1, 0},
        {"cold folder: the first files read 19 MB", [](int) { return 40us; },
         [](int i) { return i == 0 ? 0L : 39000L + 4000L * (i / 256); }, always, 0, 48},
    };
    for (const Folder& folder : folders) {
        const int first = firstSlowFile(folder, 3000), from = folder.slowFrom;
        EXPECT_TRUE(from < 0 ? first == -1 : first >= from && first < from + folder.noticedWithin) << folder.what;
    }
}

TEST(SlowReadWatch, TellsAShareFromALocalFolder) {
    qb::test::TempDir local, share;
    qb::test::writeFile(local / "12061403.659", "\"\"\r\n\"a\"\r\n");
    const qb::test::SlowMount mount(local.path(), share.path(), 0);
    if (!mount.mounted())
        GTEST_SKIP() << "no folder could be mounted through FUSE here (needs /dev/fuse, root and libfuse3-dev)";
    for (const auto& [folder, kind] :
         {std::pair{local.path(), FolderKind::Local}, {share.path(), FolderKind::Remote}}) {
        const int fd = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        EXPECT_EQ(folderKind(fd), kind) << folder;
        ::close(fd);
    }
}
