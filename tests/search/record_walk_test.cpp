#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "platform/drive_map.h"
#include "search/record_walk.h"
#include "store/record_file.h"
#include "temp_dir.h"

using namespace qb::search;
using qb::platform::DriveMap;
using qb::store::Record;
using qb::store::recordFileBytes;
using qb::test::TempDir;
using qb::test::writeFile;

namespace {

// A Quillbox home with the data directory c:\quill in it.
class RecordWalkTest : public ::testing::Test {
protected:
    void put(const std::string& name, const Record& record) {
        writeFile(quill() + "/" + name, recordFileBytes(record));
    }
    std::string quill() const { return home.path() + "/drive_c/quill"; }

    TempDir home;
    DriveMap drives{home.path(), home.path()};
};

using Names = std::vector<std::string>;

} // namespace

TEST_F(RecordWalkTest, HandsOutMatchesWithBothFieldsAsRead) {
    put("12061403.659", {"12/25/26", "Buy Tickets\r\nfor the show"});
    put("12061404.659", {"", "nothing here"});
    put("12061405.659", {"01/01/27", "more TICKETS"});
    RecordWalk walk(drives, "C:\\QUILL\\*.*", SearchCriteria::fromTyped("tickets", "", ""));
    std::vector<ListedFile> found;
    while (auto file = walk.next())
        found.push_back(std::move(*file));
    std::sort(found.begin(), found.end(), [](auto& a, auto& b) { return a.number < b.number; });
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].number, "12061403.659");
    EXPECT_EQ(found[0].record, (Record{"12/25/26", "Buy Tickets\r\nfor the show"})); // not upper-cased
    EXPECT_EQ(found[1].record, (Record{"01/01/27", "more TICKETS"}));
    EXPECT_FALSE(walk.next()); // used up, and stays so
}

TEST_F(RecordWalkTest, EveryListedFileIsReadWhenNothingMatches) {
    put("12061403.659", {"12/25/26", "a"});
    put("12061404.659", {"", "b"});
    RecordWalk walk(drives, "c:\\quill\\*.*", {});
    int readable = 0;
    while (auto file = walk.nextFile()) {
        EXPECT_TRUE(file->readable);
        EXPECT_FALSE(file->matches);
        EXPECT_FALSE(file->record.text.empty());
        ++readable;
    }
    EXPECT_EQ(readable, 2);
}

TEST_F(RecordWalkTest, FilesThatAreNotRecordsArePassedOverHoweverTheyAreRead) {
    put("12061403.659", {"12/06/26", "first"});
    writeFile(quill() + "/empty.txt", "");
    writeFile(quill() + "/onefield", "\"12/06/26\"\r\n");
    writeFile(quill() + "/nul.bin", std::string("\"12/06/26\"\r\n\"a\0b\"\r\n", 18)); // two fields: a record
    writeFile(quill() + "/huge", "\"12/06/26\"\r\n\"" + std::string(qb::store::kMaxFieldBytes + 1, 'x') + "\"\r\n");
    writeFile(quill() + "/.hidden", recordFileBytes({"12/06/26", "hidden"}));
    writeFile(quill() + "/sub/12061403.659", recordFileBytes({"12/06/26", "in a subfolder"}));
    put("12061404.659", {"12/06/26", "second"});
    // Records of the most bytes read in one piece, and of one byte more, which are read as a stream.
    const std::size_t frame = recordFileBytes({"12/06/26", ""}).size();
    put("12061405.659", {"12/06/26", std::string(qb::readers::kMaxWholeFileBytes - frame, 'w')});
    put("12061406.659", {"12/06/26", std::string(qb::readers::kMaxWholeFileBytes + 1 - frame, 's')});

    for (const WalkOptions& options : {WalkOptions{ReadAheadMode::Off}, WalkOptions{ReadAheadMode::Always},
                                       WalkOptions{ReadAheadMode::Always, ReaderKind::Threads}}) {
        RecordWalk walk(drives, "c:\\quill\\*.*", SearchCriteria::fromTyped("", "", "12/06/26"), options);
        Names unreadable, matched;
        while (auto file = walk.nextFile()) {
            (file->readable ? matched : unreadable).push_back(file->number);
            EXPECT_EQ(file->matches, file->readable);
        }
        std::sort(unreadable.begin(), unreadable.end());
        std::sort(matched.begin(), matched.end());
        EXPECT_EQ(unreadable, (Names{"empty.txt", "huge", "onefield"}));
        EXPECT_EQ(matched, (Names{"12061403.659", "12061404.659", "12061405.659", "12061406.659", "nul.bin"}));
    }
}

TEST_F(RecordWalkTest, AMissingFolderIsAnEmptyWalk) {
    RecordWalk walk(drives, "d:\\nowhere\\*.*", SearchCriteria::fromTyped("a", "", ""));
    EXPECT_FALSE(walk.nextFile());
    EXPECT_FALSE(walk.next());
}

TEST_F(RecordWalkTest, EachFileIsReadWhenTheWalkReachesIt) {
    const Names names{"12061403.659", "12061404.659", "12061405.659"};
    for (const auto& name : names)
        put(name, {"", "match"});
    RecordWalk walk(drives, "c:\\quill\\*.*", SearchCriteria::fromTyped("match", "", ""));
    const auto first = walk.next();
    ASSERT_TRUE(first);
    // While the user is asked, the other records change; the walk goes on with what is on disk then.
    for (const auto& name : names) {
        if (name != first->number)
            put(name, {"", "changed"});
    }
    EXPECT_FALSE(walk.next());
}

TEST_F(RecordWalkTest, APlainFieldIsMatchedInTheNumberFormItIsReadAs) {
    writeFile(quill() + "/12061403.659", "12/06/26,15e19\r\n");
    writeFile(quill() + "/12061404.659", "\"12/06/26\",\"15e19\"\r\n");
    RecordWalk walk(drives, "c:\\quill\\*.*", SearchCriteria::fromTyped("1.5e+20", "", ""));
    const auto found = walk.next();
    ASSERT_TRUE(found);
    EXPECT_EQ(found->number, "12061403.659");
    EXPECT_EQ(found->record.text, "1.5E+20");
    EXPECT_FALSE(walk.next());
}

// The quick test before a file's fields are read looks for the reminder date in the first field only; that field
// may be quoted across a line break or plain between spaces.
TEST_F(RecordWalkTest, TheReminderDateIsFoundWhereverItsFieldSpreads) {
    writeFile(quill() + "/12061403.659", "  \"note\r\n12/06/26\"\r\n\"a\"\r\n");
    writeFile(quill() + "/12061404.659", "  12/06/26  ,b\r\n");
    writeFile(quill() + "/12061405.659", "\"\"\r\n\"12/06/26 in the text only\"\r\n");
    RecordWalk walk(drives, "c:\\quill\\*.*", SearchCriteria::fromTyped("", "", "12/06/26"));
    std::vector<std::string> found;
    while (const auto file = walk.next())
        found.push_back(file->number);
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<std::string>{"12061403.659", "12061404.659"}));
}

namespace {

// Folders of hay records with needles at chosen places of their listing, walked as a search that asks after each
// match. At the first question some files ahead of the walk change; the walk must see each as it stands then.
class ChangingFolderTest : public RecordWalkTest {
protected:
    static constexpr int kFiles = 600;

    // Fills the data directory folder (in drive c) and gives its listing order.
    Names prepare(const std::string& folder) {
        for (int i = 0; i < kFiles; ++i)
            writeFile(home / ("drive_c/" + folder + "/1206" + std::to_string(1000 + i) + ".659"),
                      recordFileBytes({"", "hay"}));
        Names order;
        RecordWalk listing(drives, "c:\\" + folder + "\\*.*", {}, {ReadAheadMode::Off});
        while (auto file = listing.nextFile())
            order.push_back(file->number);
        for (int at : {100, 102, 103, 104, 250, 599})
            writeFile(home / ("drive_c/" + folder + "/" + order.at(at)), recordFileBytes({"", "needle " + order[at]}));
        return order;
    }

    // Each question as "number: text", answering Yes throughout.
    Names search(const std::string& folder, const Names& order, WalkOptions options) {
        const auto put = [&](const std::string& name, const Record& record) {
            writeFile(home / ("drive_c/" + folder + "/" + name), recordFileBytes(record));
        };
        RecordWalk walk(drives, "c:\\" + folder + "\\*.*", SearchCriteria::fromTyped("needle", "", ""), options);
        Names questions;
        while (auto found = walk.next()) {
            questions.push_back(found->number + ": " + found->record.text);
            if (questions.size() == 1) {
                put(order[101], {"", "needle rewritten"}); // hay before, a match now
                put(order[102], {"", "hay now"});          // a match before, hay now
                std::remove((home / ("drive_c/" + folder + "/" + order[103])).c_str());
                put(order[104], {"", "needle after"});
                put("12069999.659", {"", "needle added"});
            }
        }
        return questions;
    }
};

} // namespace

TEST_F(ChangingFolderTest, ReadingAheadAsksTheSameQuestionsAsReadingOneFileAfterAnother) {
    const Names order = prepare("alone");
    ASSERT_EQ(order.size(), static_cast<std::size_t>(kFiles));
    ASSERT_EQ(prepare("ahead"), order); // folders made alike list alike
    ASSERT_EQ(prepare("threads"), order);
    const Names alone = search("alone", order, {ReadAheadMode::Off});
    const Names ahead = search("ahead", order, {ReadAheadMode::Always});
    EXPECT_EQ(ahead, alone) << "alongside, with the sweep";
    EXPECT_EQ(search("threads", order, {ReadAheadMode::Always, ReaderKind::Threads}), alone) << "a read per thread";
    const Names expected{order[100] + ": needle " + order[100], order[101] + ": needle rewritten",
                         order[104] + ": needle after", order[250] + ": needle " + order[250],
                         order[599] + ": needle " + order[599]};
    Names seen = ahead;
    // Whether a file added during the walk is listed is up to the file system; it is the same with both readings.
    std::erase(seen, "12069999.659: needle added");
    EXPECT_EQ(seen, expected);
}

namespace {

// The threads of this process.
int threadCount() {
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task"))
        ++count;
    return count;
}

// Waits a bounded while for the threads of this process to come down to a number; the number it ends at.
int threadCountComingDownTo(int expected) {
    int count = threadCount();
    for (int tries = 0; count != expected && tries < 2000; ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        count = threadCount();
    }
    return count;
}

} // namespace

TEST_F(RecordWalkTest, NoAtTheFirstMatchEndsEveryReaderAndAWarmWalkHasOneReaderAtMost) {
    for (int i = 0; i < 2000; ++i)
        put("1206" + std::to_string(1000 + i) + ".659", {"", "needle"});
    std::thread([] {}).join(); // helpers a runtime starts with the first thread are counted in before
    const int before = threadCount();
    {
        RecordWalk walk(drives, "c:\\quill\\*.*", SearchCriteria::fromTyped("needle", "", ""),
                        {ReadAheadMode::Always, ReaderKind::Threads, 8});
        ASSERT_TRUE(walk.next());
        EXPECT_EQ(threadCount(), before + 8); // the readers are there while the user is asked
    }                                         // "No": the walk ends here
    EXPECT_EQ(threadCountComingDownTo(before), before);
    {
        RecordWalk walk(drives, "c:\\quill\\*.*", SearchCriteria::fromTyped("needle", "", ""), {ReadAheadMode::Always});
        ASSERT_TRUE(walk.next());
        EXPECT_GT(threadCount(), before) << "the reader alongside and the sweep";
    }
    EXPECT_EQ(threadCountComingDownTo(before), before) << "a reader or the sweep outlived the walk";

    // The folder is in the page cache: one reader alongside the walk at most, and none on one core. That reader
    // keeps no descriptor of the process's but the folder: a pipe closed meanwhile ends for its other end at once.
    int pipe[2];
    ASSERT_EQ(::pipe2(pipe, O_CLOEXEC), 0);
    RecordWalk walk(drives, "c:\\quill\\*.*", SearchCriteria::fromTyped("needle", "", ""));
    int files = walk.nextFile() ? 1 : 0;
    ::close(pipe[1]);
    pollfd end{pipe[0], POLLIN, 0};
    EXPECT_EQ(::poll(&end, 1, 2000), 1) << "the pipe stayed open while the walk lived";
    ::close(pipe[0]);
    while (walk.nextFile())
        ++files;
    EXPECT_EQ(files, 2000);
    EXPECT_EQ(threadCount(), before + (qb::readers::usableCores() > 1 ? 1 : 0));
}
