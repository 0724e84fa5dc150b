// The folder feed, however it reads: every listed file in the listing's order, each as it stands after the last
// pause; no read started while paused, none further ahead than the window; no reader holding the process's
// descriptors or outliving the feed.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <poll.h>
#include <sys/inotify.h>
#include <thread>
#include <unistd.h>

#include "readers/folder_feed.h"
#include "readers/inode_sweep.h"
#include "temp_dir.h"

using namespace qb::readers;
using namespace std::chrono_literals;
using Names = std::vector<std::string>;
using qb::test::writeFile;

namespace {

// The threads of this process, once they are expected of them or a bounded while has passed.
int threads(int expected = -1) {
    for (int tries = 0;; ++tries, std::this_thread::sleep_for(1ms)) {
        const auto tasks = std::filesystem::directory_iterator("/proc/self/task");
        if (const auto count = static_cast<int>(std::distance(begin(tasks), end(tasks)));
            count == expected || expected < 0 || tries == 2000)
            return count;
    }
}

// Counts the opens of files in a folder: take() gives those since the last take().
struct Opens {
    explicit Opens(const std::string& folder) { EXPECT_GE(::inotify_add_watch(fd.get(), folder.c_str(), IN_OPEN), 0); }
    std::size_t take() {
        std::size_t count = 0;
        alignas(inotify_event) char events[1 << 16];
        for (ssize_t n; (n = ::read(fd.get(), events, sizeof events)) > 0;)
            for (const char* at = events; at < events + n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                count += event->len > 0; // a file in the folder, not the folder itself
                at += sizeof(inotify_event) + event->len;
            }
        return count;
    }
    qb::platform::Descriptor fd{::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)};
};

} // namespace

// Hay files with needles at chosen places of the listing, fed as a search feeds them: sieving, paused at each needle
// while the user is asked. During the first question some files ahead of the feed change.
TEST(FolderFeed, HandsOutTheListingInOrderAndReadsNothingOfItWhilePaused) {
    constexpr std::size_t sweep = ReadAhead::kPartnerFiles + InodeSweep::kReaders * InodeSweep::kBatchFiles;
    const struct {
        const char* what;
        FeedOptions options;
        int readers;          // reader threads while the user is asked; -1 for some
        std::size_t inFlight; // the most files the readers may still open once paused
    } feeds[] = {
        {"alone", {ReadAheadMode::Off}, 0, 0},
        {"warm, with a partner", {ReadAheadMode::WhenSlow}, usableCores() > 1 ? 1 : 0, ReadAhead::kPartnerFiles},
        {"warm, turning slow as the caller waits", {ReadAheadMode::WhenSlow}, -1, sweep},
        {"a sweep and its follower", {ReadAheadMode::Always}, -1, sweep},
        {"threads", {ReadAheadMode::Always, ReaderKind::Threads, 8}, 8, 8},
    };
    std::thread([] {}).join(); // helpers a runtime starts with the first thread are counted in before
    const int before = threads();
    for (const auto& feed : feeds) {
        const qb::test::TempDir dir;
        for (int i = 0; i < 600; ++i)
            writeFile(dir / ("1206" + std::to_string(1000 + i) + ".659"), "hay");
        Names order, handed, questions;
        for (qb::platform::WildcardListing listing(dir.path(), "*.*"); auto name = listing.next();)
            order.push_back(*name);
        for (int at : {100, 102, 103, 104, 250, 599})
            writeFile(dir / order.at(at), "needle " + order[at]);
        Opens opens(dir.path());
        int pipe[2];
        ASSERT_EQ(::pipe(pipe), 0);
        {
            FolderFeed feeder(dir.path() + "/", "*.*", feed.options,
                              [](std::string_view bytes) { return bytes.starts_with("needle"); });
            while (auto file = feeder.next(Sieving::On)) {
                handed.push_back(file->name);
                std::this_thread::sleep_for(feed.readers < 0 && handed.size() < 16 ? 1ms : 0ms);
                if (file->content->kind != WholeFile::Kind::Read)
                    continue;
                questions.push_back(file->name);
                feeder.pause();
                (void)opens.take();
                std::this_thread::sleep_for(100ms);
                EXPECT_LE(opens.take(), feed.inFlight) << feed.what << ": reads started while paused";
                const int readers = threads() - before; // the user's questions are no slow reads
                EXPECT_TRUE(feed.readers < 0 ? readers > 0 : readers == feed.readers) << feed.what << ": " << readers;
                if (questions.size() > 1)
                    continue;
                // No reader keeps a descriptor of the process's but the folder: the pipe ends once closed here.
                ::close(pipe[1]);
                pollfd end{pipe[0], POLLIN, 0};
                EXPECT_EQ(::poll(&end, 1, 2000), 1) << feed.what << ": a reader kept the pipe open";
                writeFile(dir / order[101], "needle"); // hay before, a match now
                writeFile(dir / order[102], "hay");    // a match before, hay now
                writeFile(dir / order[104], "needle");
                feeder.resume();
            }
        }
        ::close(pipe[0]);
        EXPECT_EQ(handed, order) << feed.what;
        EXPECT_EQ(questions, (Names{order[100], order[101], order[103], order[104], order[250], order[599]}))
            << feed.what;
        EXPECT_EQ(threads(before), before) << feed.what << ": a reader outlived the feed";
    }
}

TEST(FolderFeed, ReadsNoFurtherAheadThanTheWindowHolds) {
    const qb::test::TempDir dir;
    const std::string bytes(std::size_t{32} * 1024, 'x');
    for (int i = 0; i < 600; ++i)
        writeFile(dir / ("1206" + std::to_string(1000 + i) + ".659"), bytes);
    Opens opens(dir.path());
    FolderFeed feed(dir.path() + "/", "*.*", {ReadAheadMode::Always, ReaderKind::Threads, 8}, {});
    ASSERT_TRUE(feed.next(Sieving::Off));
    std::this_thread::sleep_for(300ms);
    // The file handed out, 4 MiB of contents held ahead of it and a file more for each reader that started below that.
    EXPECT_LE(opens.take(), 1 + std::size_t{4} * 1024 * 1024 / bytes.size() + 8);
}
