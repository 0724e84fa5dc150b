// The desktop's search: what a note shows, and the notes found against the program's own search over the same folder.
// The password, a newer question and a folder that never answers are tested end to end (tests/e2e).

#include <gtest/gtest.h>

#include <future>
#include <optional>

#include "finder/finder.h"
#include "quill_home.h"
#include "search/record_walk.h"
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

class FinderTest : public qb::test::QuillHomeTest {
protected:
    // The numbers of the first matches of the program's own search for the text typed into its first box.
    std::vector<std::string> programFinds(const std::string& typed, std::size_t most) {
        qb::search::RecordWalk walk(drives, "c:\\quill\\*.*", qb::search::SearchCriteria::fromTyped(typed, "", ""));
        std::vector<std::string> numbers;
        for (std::optional<qb::search::ListedFile> file; numbers.size() < most && (file = walk.next());)
            numbers.push_back(file->number);
        return numbers;
    }
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
        std::promise<Answer> answered;
        Finder finder(drives, {.results = row.most});
        finder.ask(row.words, [&](Answer given) { answered.set_value(std::move(given)); });
        std::future<Answer> answer = answered.get_future();
        ASSERT_EQ(answer.wait_for(10s), std::future_status::ready) << row.words;
        std::vector<std::string> numbers;
        for (const Note& note : answer.get().notes)
            numbers.push_back(note.number);
        EXPECT_EQ(numbers.size(), row.found) << row.words;
        EXPECT_EQ(numbers, programFinds(row.words, row.most)) << row.words;
    }
}

} // namespace
