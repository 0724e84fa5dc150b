// The sweep of a folder in inode order reads into the page cache exactly the files the walk's pattern lists, and
// starts no read while it is held.

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include "commands.h"
#include "readers/inode_sweep.h"
#include "temp_dir.h"

namespace {

// Whether the first page of a file is in the page cache; asked to, puts it out of the cache first.
bool cached(const std::string& path, bool evict = false) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (evict)
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    void* map = ::mmap(nullptr, 4096, PROT_READ, MAP_SHARED, fd, 0);
    unsigned char resident = 0;
    const bool in = map != MAP_FAILED && ::mincore(map, 4096, &resident) == 0 && (resident & 1) != 0;
    ::munmap(map, 4096);
    ::close(fd);
    return in;
}

TEST(InodeSweep, ReadsWhatThePatternListsAndNothingWhileHeld) {
    qb::test::TempDir dir;
    std::vector<std::string> listed, other;
    for (int i = 0; i < 2000; ++i) {
        const std::string path = dir / ((i % 10 != 0 ? "0101" : "0202") + std::to_string(1000 + i) + ".659");
        qb::test::writeFile(path, "\"\"\r\n\"hay\"\r\n");
        (i % 10 != 0 ? listed : other).push_back(path);
    }
    ::sync();
    const auto evictAll = [&] {
        for (const auto* files : {&listed, &other})
            std::for_each(files->begin(), files->end(), [](const auto& path) { (void)cached(path, true); });
    };
    evictAll();
    if (cached(listed.front()))
        GTEST_SKIP() << "files cannot be put out of the page cache here (tmpfs?)";
    const int folder = ::open(dir.path().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    const auto noneCached = [](const std::vector<std::string>& files) {
        return std::none_of(files.begin(), files.end(), [](const auto& path) { return cached(path); });
    };
    {
        qb::readers::InodeSweep held(folder, dir.path(), "0101????.*", qb::readers::InodeSweep::kBatchFiles);
        held.pause();
        held.withReadersIdle(evictAll); // whatever it read before it was held
        ::usleep(100'000);
        EXPECT_TRUE(noneCached(listed)) << "a file was read while the sweep was held";
    }
    {
        // In pieces of 64 names, so that many pieces are listed, each while the last is read.
        const qb::readers::InodeSweep sweep(folder, dir.path(), "0101????.*", qb::readers::InodeSweep::kBatchFiles, 64);
        EXPECT_TRUE(qb::harness::waitUntil([&] {
            return std::all_of(listed.begin(), listed.end(), [](const auto& path) { return cached(path); });
        })) << "the sweep did not read every listed file";
    }
    ::close(folder);
    EXPECT_TRUE(noneCached(other)) << "a file the pattern does not list was read";
}

} // namespace
