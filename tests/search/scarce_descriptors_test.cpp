// The walk in a process that is short of file descriptors, as under a low `ulimit -n`: whatever the readers ahead
// of it cannot open, the walk reads itself, so every match is found and every file reads as it does without them.

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <sys/resource.h>
#include <unistd.h>

#include "child_process.h"
#include "quill_home.h"
#include "search/record_walk.h"
#include "store/record_file.h"

using namespace qb::search;
using namespace qb::readers;
using qb::store::recordFileBytes;

namespace {

constexpr int kFiles = 1500;

int openDescriptors() {
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count - 1; // the listing's own
}

// Takes every descriptor the process has left, then gives back spare of them; the ones taken stay open.
void holdAllDescriptorsBut(int spare) {
    std::vector<int> taken;
    for (int fd; (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;)
        taken.push_back(fd);
    for (int i = 0; i < spare && !taken.empty(); ++i) {
        ::close(taken.back());
        taken.pop_back();
    }
}

// How the child is short of descriptors.
enum class Shortage {
    LowLimit,   // a limit 20 above what is open when the walk starts, as `ulimit -n 40` leaves a program
    GoneMidway, // readers started with plenty, then the process has one descriptor left after the first file
};

class ScarceDescriptorsTest : public qb::test::QuillHomeTest {
protected:
    void SetUp() override {
        for (int i = 0; i < kFiles; ++i) {
            const bool needle = i % 190 == 7; // 8 of them, spread over the listing
            const std::string text = needle ? "needle " + std::to_string(i) : "hay";
            put("1206" + std::to_string(1000 + i) + ".659", recordFileBytes({"", text}));
        }
        // One match too large to be read whole: read on from the descriptor the walk holds.
        put("12069999.659", recordFileBytes({"", "needle " + std::string(qb::readers::kMaxWholeFileBytes, 'x')}));
        for (const std::string& folder : {home.path(), home / "drive_c", quill})
            qb::test::openToOthers(folder);
    }

    // The matches of a search in a child process short of descriptors, sorted, with each readable file counted.
    std::optional<std::string> walkInChild(FeedOptions options, Shortage shortage) {
        return qb::test::runInChild([&] {
            if (shortage == Shortage::LowLimit) {
                const rlimit low{static_cast<rlim_t>(openDescriptors() + 20),
                                 static_cast<rlim_t>(openDescriptors() + 20)};
                if (::setrlimit(RLIMIT_NOFILE, &low) != 0)
                    return std::string("setrlimit failed");
            }
            RecordWalk walk(drives, "c:\\quill\\*.*", SearchCriteria::fromTyped("needle", "", ""), options);
            std::vector<std::string> found;
            int readable = 0;
            while (auto file = walk.nextFile()) {
                if (shortage == Shortage::GoneMidway && readable == 0)
                    holdAllDescriptorsBut(1);
                readable += file->readable;
                if (file->matches)
                    found.push_back(file->number);
            }
            std::sort(found.begin(), found.end());
            std::string report = std::to_string(readable) + " readable:";
            for (const std::string& number : found)
                report += " " + number;
            return report;
        });
    }
};

} // namespace

TEST_F(ScarceDescriptorsTest, EveryMatchIsFoundHoweverFewDescriptorsAreLeft) {
    const auto expected = walkInChild({ReadAheadMode::Off}, Shortage::LowLimit);
    ASSERT_TRUE(expected);
    ASSERT_EQ(expected->substr(0, expected->find(':')), std::to_string(kFiles + 1) + " readable");
    ASSERT_EQ(std::count(expected->begin(), expected->end(), '.'), 9) << *expected; // the needles' numbers
    const struct {
        const char* what;
        FeedOptions options;
    } walks[] = {
        {"warm, read by the walk and its partner", {ReadAheadMode::WhenSlow}},
        {"read ahead with the sweep, as when cold", {ReadAheadMode::Always}},
        {"read ahead by threads, as on a share", {ReadAheadMode::Always, ReaderKind::Threads}},
    };
    for (const auto& walk : walks) {
        for (const Shortage shortage : {Shortage::LowLimit, Shortage::GoneMidway}) {
            EXPECT_EQ(walkInChild(walk.options, shortage), expected)
                << walk.what << (shortage == Shortage::LowLimit ? ", low limit" : ", descriptors gone midway");
        }
    }
}
