// The desktop's search: what a note shows, the notes found against the program's own search over the same folder,
// the password, and the answers to a question replaced by a newer one or held up by a folder that never answers.

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "finder/finder.h"
#include "quill_home.h"
#include "search/record_walk.h"
#include "slow_mount.h"
#include "store/record_file.h"

using namespace qb::finder;
using namespace std::chrono_literals;
using namespace std::string_view_literals;
using qb::store::Record;

namespace {

TEST(NoteTest, NameIsTheFirstLineAndDescriptionTheReminderOrWhenWritten) {
    const std::string longLine(300, 'x');
    const struct {
        std::string number;
        Record record;
        std::string name, description;
    } rows[] = {
        {"12061403.659", {"", "Call Bob\r\nabout it"}, "Call Bob", "Written 12/06 14:03:59, a year ending in 6"},
        {"01020304.005", {"12/25/26", "one\nline"}, "one", "Reminder 12/25/26"},
        {"notes.txt", {"", "lone\rreturn"}, "lone", ""},
        {"1206140x.659", {"", "  \r\nsecond line"}, "1206140x.659", ""},
        {"12061403.65", {"", longLine}, longLine.substr(0, kNameLength), ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(noteOf(row.number, row.record), (Note{row.number, row.name, row.description})) << row.record.text;
}

// The answers a finder gave, in the order they came.
class Replies {
public:
    Finder::Reply reply() {
        return [this](Answer answer) {
            const std::scoped_lock lock(mutex_);
            answers_.push_back(std::move(answer));
            came_.notify_all();
        };
    }
    /** The answers once count have come, or what came within the time. */
    std::vector<Answer> waitFor(std::size_t count, std::chrono::milliseconds within = 10s) {
        std::unique_lock lock(mutex_);
        came_.wait_for(lock, within, [&] { return answers_.size() >= count; });
        return answers_;
    }

private:
    std::mutex mutex_;
    std::condition_variable came_;
    std::vector<Answer> answers_;
};

class FinderTest : public qb::test::QuillHomeTest {
protected:
    // The numbers of the first matches of the program's own search for the text typed into its first box.
    std::vector<std::string> programFinds(const std::string& typed, std::size_t most) {
        qb::search::RecordWalk walk(drives, "c:\\quill\\*.*", qb::search::SearchCriteria::fromTyped(typed, "", ""));
        std::vector<std::string> numbers;
        while (numbers.size() < most)
            if (auto file = walk.next())
                numbers.push_back(file->number);
            else
                break;
        return numbers;
    }
    Replies replies;
};

TEST_F(FinderTest, FindsWhatTheProgramsSearchFindsInItsOrderUpToTheLimit) {
    for (int i = 0; i < 30; ++i)
        put("120614" + std::to_string(10 + i) + ".659",
            qb::store::recordFileBytes({"", i % 3 ? "fix the Kitchen tap" : "kitchen  TAP \xe9t\xe9"}));
    put("12061500.659", "\"only one field\"\r\n");           // not a record
    put("12061501.659", "\"\"\r\n\"KITCHEN TAP\0x\"\r\n"sv); // NUL bytes and all
    qb::test::writeFile(home / "drive_c/quill/sub/12061502.659", "\"\"\r\n\"kitchen tap\"\r\n");
    const struct {
        std::string words;
        std::size_t most, found; // found: how many the folder holds, up to most
    } rows[] = {{"kitchen", 10, 10},
                {"kitchen tap", 5, 5},
                {"KITCHEN TAP", 40, 21},
                {"\xc9T\xc9", 40, 10},
                {"kitchen  tap", 40, 10},
                {"nowhere", 10, 0},
                {"", 10, 0}};
    for (const auto& row : rows) {
        Replies answered;
        Finder finder(drives, {.results = row.most});
        finder.ask(row.words, answered.reply());
        const std::vector<Answer> answers = answered.waitFor(1);
        ASSERT_EQ(answers.size(), 1u) << row.words;
        std::vector<std::string> numbers;
        for (const Note& note : answers[0].notes)
            numbers.push_back(note.number);
        EXPECT_EQ(numbers.size(), row.found) << row.words;
        if (!row.words.empty()) {
            EXPECT_EQ(numbers, programFinds(row.words, row.most)) << row.words;
        }
    }
}

TEST_F(FinderTest, FindsNothingWhileAStartupPasswordIsSet) {
    put("12061403.659", qb::store::recordFileBytes({"", "secret plans"}));
    qb::test::writeFile(home / "drive_c/@.dat", "word\r\n");
    Finder finder(drives);
    finder.ask("secret", replies.reply());
    const std::vector<Answer> answers = replies.waitFor(1);
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].kind, Answer::Kind::Locked);
    EXPECT_TRUE(answers[0].notes.empty());
}

// A folder whose every open and read takes a minute: a question is answered once its bound has passed, and one
// replaced by a newer question at once, each with nothing found.
TEST_F(FinderTest, AFolderThatDoesNotAnswerHoldsUpNoAnswer) {
    qb::test::writeFile(home / "source/12061403.659", "\"\"\r\n\"tap\"\r\n");
    put(".keep", "");
    qb::test::SlowMount slow(home / "source", quill, 60000);
    if (!slow.mounted())
        GTEST_SKIP() << "no folder could be mounted through FUSE here (needs /dev/fuse, root and libfuse3-dev)";
    for (const auto bound : {200ms, 60000ms}) {
        Replies answered;
        Finder finder(drives, {.bound = bound});
        const auto asked = std::chrono::steady_clock::now();
        finder.ask("tap", answered.reply());
        if (bound > 10s)
            finder.ask("tap", replies.reply()); // the first question is over
        const std::vector<Answer> answers = answered.waitFor(1, 5s);
        ASSERT_EQ(answers.size(), 1u) << "no answer within 5 s, the bound " << bound.count() << " ms";
        EXPECT_TRUE(answers[0].notes.empty());
        if (bound < 10s) {
            EXPECT_GE(std::chrono::steady_clock::now() - asked, bound);
        }
    }
}

} // namespace
