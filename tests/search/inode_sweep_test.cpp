// The sweep of a folder in inode order reads into the page cache exactly the files the walk's pattern lists, and
// starts no read while it is held.

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

#include "commands.h"
#include "search/inode_sweep.h"
#include "temp_dir.h"

namespace {

using qb::search::InodeSweep;

// Whether the first page of a file is in the page cache; after evict(), it is not (where the file system allows).
bool cached(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    void* map = ::mmap(nullptr, 4096, PROT_READ, MAP_SHARED, fd, 0);
    unsigned char resident = 0;
    const bool in = map != MAP_FAILED && ::mincore(map, 4096, &resident) == 0 && (resident & 1) != 0;
    if (map != MAP_FAILED)
        ::munmap(map, 4096);
    ::close(fd);
    return in;
}

void evict(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ::fdatasync(fd);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(fd);
}

TEST(InodeSweep, ReadsWhatThePatternListsAndNothingWhileHeld) {
    qb::test::TempDir dir;
    std::vector<std::string> listed, other;
    for (int i = 0; i < 2000; ++i) {
        const std::string name = (i % 10 == 0 ? "0101" : "0202") + std::to_string(1000 + i) + ".659";
        (i % 10 == 0 ? listed : other).push_back(dir / name);
        qb::test::writeFile(dir / name, "\"\"\r\n\"hay\"\r\n");
    }
    const auto evictAll = [&] {
        for (const auto* files : {&listed, &other})
            for (const std::string& path : *files)
                evict(path);
    };
    evictAll();
    if (cached(listed.front()))
        GTEST_SKIP() << "files cannot be put out of the page cache here (tmpfs?)";
    const int folder = ::open(dir.path().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    {
        InodeSweep sweep(folder, dir.path(), "0101????.*", InodeSweep::kBatch);
        sweep.pause();
        sweep.withReadersIdle(evictAll); // whatever was read before it was held
        ::usleep(100'000);
        for (const std::string& path : listed)
            ASSERT_FALSE(cached(path)) << path << " was read while the sweep was held";
        sweep.resume();
        EXPECT_TRUE(qb::harness::waitUntil([&] {
            return std::all_of(listed.begin(), listed.end(), [](const std::string& path) { return cached(path); });
        })) << "the sweep did not read every listed file";
    }
    ::close(folder);
    for (const std::string& path : other)
        EXPECT_FALSE(cached(path)) << path << " is not listed by the pattern, yet was read";
}

} // namespace
