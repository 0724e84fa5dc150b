#include <gtest/gtest.h>

#include <algorithm>

#include "quill_home.h"
#include "search/record_walk.h"
#include "store/record_file.h"

using namespace qb::search;
using namespace qb::readers;
using namespace qb::store;
using qb::test::writeFile;

namespace {

class RecordWalkTest : public qb::test::QuillHomeTest {
protected:
    void put(const std::string& name, const Record& record) const { QuillHomeTest::put(name, recordFileBytes(record)); }
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
    writeFile(quill + "/empty.txt", "");
    writeFile(quill + "/onefield", "\"12/06/26\"\r\n");
    writeFile(quill + "/nul.bin", std::string("\"12/06/26\"\r\n\"a\0b\"\r\n", 18)); // two fields: a record
    writeFile(quill + "/huge", "\"12/06/26\"\r\n\"" + std::string(qb::store::kMaxFieldBytes + 1, 'x') + "\"\r\n");
    writeFile(quill + "/.hidden", recordFileBytes({"12/06/26", "hidden"}));
    writeFile(quill + "/sub/12061403.659", recordFileBytes({"12/06/26", "in a subfolder"}));
    put("12061404.659", {"12/06/26", "second"});
    // Records of the most bytes read in one piece, and of one byte more, which are read as a stream.
    const std::size_t frame = recordFileBytes({"12/06/26", ""}).size();
    put("12061405.659", {"12/06/26", std::string(qb::readers::kMaxWholeFileBytes - frame, 'w')});
    put("12061406.659", {"12/06/26", std::string(qb::readers::kMaxWholeFileBytes + 1 - frame, 's')});

    for (const FeedOptions& options : {FeedOptions{ReadAheadMode::Off}, FeedOptions{ReadAheadMode::Always},
                                       FeedOptions{ReadAheadMode::Always, ReaderKind::Threads}}) {
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
    for (const auto& name : names)
        put(name, {"", name == first->number ? "match" : "changed"});
    EXPECT_FALSE(walk.next());
}

TEST_F(RecordWalkTest, APlainFieldIsMatchedInTheNumberFormItIsReadAs) {
    writeFile(quill + "/12061403.659", "12/06/26,15e19\r\n");
    writeFile(quill + "/12061404.659", "\"12/06/26\",\"15e19\"\r\n");
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
    writeFile(quill + "/12061403.659", "  \"note\r\n12/06/26\"\r\n\"a\"\r\n");
    writeFile(quill + "/12061404.659", "  12/06/26  ,b\r\n");
    writeFile(quill + "/12061405.659", "\"\"\r\n\"12/06/26 in the text only\"\r\n");
    RecordWalk walk(drives, "c:\\quill\\*.*", SearchCriteria::fromTyped("", "", "12/06/26"));
    std::vector<std::string> found;
    while (const auto file = walk.next())
        found.push_back(file->number);
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<std::string>{"12061403.659", "12061404.659"}));
}
