#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include "slow_mount.h"
#include "temp_dir.h"

#include "readers/slow_read_watch.h"

using namespace qb::readers;
using namespace std::chrono_literals;

namespace {

// A folder as the walk sees it: what reading file i costs, the blocks read from a disk after it and whether the
// thread waited for it (else a long read was the machine's doing).
struct Folder {
    const char* what;
    std::function<std::chrono::nanoseconds(int)> readTime;
    std::function<long(int)> blockInput;
    std::function<bool(int)> waited;
    int firstSlowFile; // the file after which the watch must have found the reads slow; -1 for never
};

// The file after which the watch first finds the reads slow, or -1 within files.
int firstSlowFile(const Folder& folder, int files) {
    int file = 0;
    long waits = 0;
    SlowReadWatch watch([&] { return ThreadWaits{folder.blockInput(file), waits}; });
    std::chrono::nanoseconds group{};
    for (; file < files; ++file) {
        group += folder.readTime(file);
        waits += folder.waited(file);
        if ((file + 1) % SlowReadWatch::kGroup != 0)
            continue;
        if (watch.slowAfterGroup(group))
            return file;
        group = {};
    }
    return -1;
}

} // namespace

TEST(SlowReadWatch, StartsReadingAheadWhereFilesAreSlowToComeAndNowhereElse) {
    const auto none = [](int) { return 0L; };
    const auto never = [](int) { return false; };
    const auto always = [](int) { return true; };
    const Folder folders[] = {
        {"warm: page-cache hits", [](int) { return 3us; }, none, never, -1},
        {"warm on a busy machine: reads held up without waiting", [](int i) { return i % 6 == 5 ? 5ms : 3us; }, none,
         never, -1},
        {"warm, one read in 10 held up and waiting", [](int i) { return i % 10 == 9 ? 5ms : 3us; }, none,
         [](int i) { return i % 10 == 9; }, -1},
        {"slow: each read waits 2 ms", [](int) { return 2ms; }, none, always, 7},
        {"turns slow after 1000 files", [](int i) { return i < 1000 ? 3us : 2ms; }, none,
         [](int i) { return i >= 1000; }, 1007},
        {"just below a slow read", [](int) { return 99us; }, none, always, -1},
        // Block input in 512-byte units. Cold, the reader beside the walk reads a batch of 256 files at a time: 2 MB of
        // inodes, inode blocks read ahead and contents, while the walk waits.
        {"cold disk: quick reads that wait for blocks", [](int) { return 40us; },
         [](int i) { return 4000L * ((i + 255) / 256); }, always, 287},
        {"turns cold after 1000 files", [](int) { return 5us; },
         [](int i) { return i < 1000 ? 7L : 7 + 4000L * ((i - 1000 + 256) / 256); }, never, 1279},
        {"warm, a page now and then taken back by the system", [](int) { return 5us; },
         [](int i) { return 8L * (i / 40) + 256L * (i / 1000); }, never, -1},
        {"warm, one burst of the listing's blocks", [](int) { return 5us; }, [](int i) { return i < 500 ? 0L : 2000L; },
         never, -1},
        {"cold folder: the first files read 19 MB", [](int) { return 40us; },
         [](int i) { return i == 0 ? 0L : 39000L + 4000L * (i / 256); }, always, 31},
    };
    for (const Folder& folder : folders)
        EXPECT_EQ(firstSlowFile(folder, 3000), folder.firstSlowFile) << folder.what;
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
