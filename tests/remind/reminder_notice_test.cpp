// What `quillbox --remind` tells: which records are due, in which words, and that telling it changes nothing on disk.

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/clock.h"
#include "platform/cp1252.h"
#include "quill_home.h"
#include "remind/reminder_check.h"
#include "remind/reminder_notice.h"
#include "store/record_file.h"

using namespace qb::remind;
using namespace qb::platform;
using namespace qb::store;
using namespace qb::test;

namespace {

constexpr LocalDateTime kSixthOfDecember{2026, 12, 6, 8, 30, 0};

TEST(ReminderDate, IsMonthDayAndTwoDigitYearWithLeadingZeros) {
    const struct {
        LocalDateTime day;
        const char* date;
    } cases[] = {
        {kSixthOfDecember, "12/06/26"},
        {{2031, 1, 2, 0, 0, 0}, "01/02/31"},
        {{2000, 10, 31, 23, 59, 59}, "10/31/00"},
        {{2109, 7, 4, 12, 0, 0}, "07/04/09"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(reminderDateOf(c.day), c.date);
}

TEST(NoticeLine, IsTheFirstLineWithTextTrimmedAndCut) {
    const std::string eighty(80, 'x');
    const struct {
        std::string text;
        std::string line;
    } cases[] = {
        {"Call Ann", "Call Ann"},
        {"Buy tickets\r\nfor the show", "Buy tickets"},
        {"first\nsecond", "first"},                                    // a lone LF ends a line, as in the text box
        {"\r\n  \r\n\t\r\n  Dentist at 4  \r\nlater", "Dentist at 4"}, // blank lines and blanks around go
        {"a\rb\r\nc", "a\rb"},                                         // a lone CR belongs to its line
        {eighty, eighty},                                              // fits exactly
        {eighty + "y", std::string(79, 'x') + "\x85"},                 // one too many: cut, with an ellipsis
        {std::string(70, 'x') + "          yz", std::string(70, 'x') + "\x85"}, // no blanks before the ellipsis
        {"", "(no text)"},
        {"  \r\n\t\r\n", "(no text)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(noticeLine(c.text), c.line) << c.text;
}

std::vector<Record> dueRecords(int count) {
    std::vector<Record> records;
    for (int i = 1; i <= count; ++i)
        records.push_back({"12/06/26", "Reminder " + std::to_string(i) + "\r\nsecond line"});
    return records;
}

std::string printedEntry(int i) {
    return "Reminder dated: 12/06/26\n\nReminder " + std::to_string(i) + "\nsecond line\n\n--------------------\n\n";
}

TEST(ReminderNotice, TellsTheCountTheFirstLinesAndTheRemindersAsTheWindowListsThem) {
    std::string twelveBody;
    for (int i = 1; i <= 10; ++i)
        twelveBody += "Reminder " + std::to_string(i) + "\n";
    twelveBody += "and 2 more";
    std::string twelvePrinted = "Quillbox: 12 reminders for today\n\n";
    for (int i = 1; i <= 12; ++i)
        twelvePrinted += printedEntry(i);

    const struct {
        int count;
        std::string summary;
        std::string body;
        std::string printed;
    } cases[] = {
        {0, "Quillbox: 0 reminders for today", "", "Quillbox: 0 reminders for today\n\n"},
        {1, "Quillbox: 1 reminder for today", "Reminder 1", "Quillbox: 1 reminder for today\n\n" + printedEntry(1)},
        {2, "Quillbox: 2 reminders for today", "Reminder 1\nReminder 2",
         "Quillbox: 2 reminders for today\n\n" + printedEntry(1) + printedEntry(2)},
        {12, "Quillbox: 12 reminders for today", twelveBody, twelvePrinted},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count);
        ReminderNotice notice;
        for (const Record& record : dueRecords(c.count))
            notice.add(record);
        EXPECT_EQ(notice.count(), static_cast<std::size_t>(c.count));
        EXPECT_EQ(notice.summary(), c.summary);
        EXPECT_EQ(notice.body(), c.body);
        EXPECT_EQ(notice.printed(), c.printed);
    }
}

TEST(ReminderNotice, WithAPasswordNoRecordTextIsTold) {
    for (int count : {1, 3, 12}) {
        ReminderNotice notice(RecordTexts::Private);
        for (const Record& record : dueRecords(count))
            notice.add({record.reminderDate, "secret " + record.text});
        const std::string summary =
            "Quillbox: " + std::to_string(count) + (count == 1 ? " reminder" : " reminders") + " for today";
        EXPECT_EQ(notice.summary(), summary);
        EXPECT_EQ(notice.body(), "Open Quillbox to read them");
        EXPECT_EQ(notice.printed(), summary + "\nOpen Quillbox to read them\n");
    }
}

TEST(ReminderNotice, TextIsUtf8AndControlCharactersShowAsSymbols) {
    const std::string longText(85, '\xe9');
    const struct {
        std::string text; // Windows-1252, as read from a record file
        std::string body;
        std::string printedText;
    } cases[] = {
        {"Caf\xe9 \x80 5 \x93quoted\x94", "Café € 5 “quoted”", "Café € 5 “quoted”"},
        {"\x1b[31mred\x1b[0m", "␛[31mred␛[0m", "␛[31mred␛[0m"}, // no terminal escape gets through
        {std::string("bell\x07 del\x7f nul\0", 15), "bell␇ del␡ nul␀", "bell␇ del␡ nul␀"},
        {"over\rwrite", "over␍write", "over␍write"},
        {"tab\there\r\nnext\nlast", "tab\there", "tab\there\nnext\nlast"},
        {"\x81\x8d\x8f\x90\x9d", "\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD", "\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"}, // C1 controls
        {longText, qb::platform::cp1252ToUtf8(longText.substr(0, 79)) + "…", qb::platform::cp1252ToUtf8(longText)},
    };
    for (const auto& c : cases) {
        ReminderNotice notice;
        notice.add({"12/06/26", c.text});
        EXPECT_EQ(notice.body(), c.body) << c.text;
        EXPECT_EQ(notice.printed(), "Quillbox: 1 reminder for today\n\nReminder dated: 12/06/26\n\n" + c.printedText +
                                        "\n\n--------------------\n\n")
            << c.text;
    }
}

// A Quillbox home, its records and settings written by hand, checked on the sixth of December 2026.
class TodaysRemindersTest : public qb::test::QuillHomeTest {
protected:
    /** Writes a record file at a path in the home. */
    void put(const std::string& path, const Record& record) { writeFile(home / path, recordFileBytes(record)); }
    ReminderNotice check() {
        const std::string before = folderFingerprint(home.path());
        ReminderNotice notice = todaysReminders(drives, kSixthOfDecember, ToldReminders("12/06/26")).all;
        EXPECT_EQ(folderFingerprint(home.path()), before) << "the check created or changed something (home or workdir)";
        return notice;
    }
};

TEST_F(TodaysRemindersTest, WithAlarmCheckingOffNothingIsDue) {
    put("drive_c/quill/12011000.611", {"12/06/26", "due today"});
    EXPECT_EQ(check().count(), 0u);
    writeFile(home / "drive_c/flag.dat", "");
    EXPECT_EQ(check().count(), 1u) << "an alarm flag of any content turns checking on";
}

TEST_F(TodaysRemindersTest, AnEmptyOrMissingHomeTellsNothingAndCreatesNothing) {
    EXPECT_EQ(check().count(), 0u);
    writeFile(home / "drive_c/flag.dat", " \r\n"); // alarm checking on, but c:\quill does not exist
    EXPECT_EQ(check().count(), 0u);
    const TempDir scratch;
    const DriveMap nowhere(scratch / "no-home", scratch / "workdir");
    EXPECT_EQ(todaysReminders(nowhere, kSixthOfDecember, ToldReminders("12/06/26")).all.count(), 0u);
    EXPECT_EQ(qb::test::listFolder(scratch.path()), std::vector<std::string>{}) << "no home was made";
}

TEST_F(TodaysRemindersTest, TheDueRecordsAreThoseOfTheDefaultDirectoryDatedToday) {
    writeFile(home / "drive_c/flag.dat", " \r\n");
    put("drive_c/quill/12011000.611", {"12/06/26", "in c:\\quill"});
    put("drive_d/notes/12011000.611", {"12/06/26", "due in d:\\notes"});
    put("drive_d/notes/12021000.611", {"12/07/26", "tomorrow"});
    put("drive_d/notes/12031000.611", {"", "no date"});
    put("drive_d/notes/12041000.611", {"06/12/26", "day first"});
    put("drive_d/notes/12051000.611", {"12/06/25", "last year"});
    writeFile(home / "drive_d/notes/12061000.611", "\"12/06/26\"\r\n"); // one field only: not a record
    writeFile(home / "drive_d/notes/12071000.611", std::string("\"12/06/26\"\r\n\"nul\0byte\"\r\n", 24));
    writeFile(home / "drive_d/notes/sub/12081000.611", recordFileBytes({"12/06/26", "in a folder below"}));
    writeFile(home / "drive_d/notes/.12091000.611", recordFileBytes({"12/06/26", "hidden"}));

    EXPECT_EQ(check().body(), "in c:\\quill") << "without a default directory, c:\\quill";
    writeFile(home / "drive_c/DEFAULT.DAT", "D:\\NOTES\r\n");
    const ReminderNotice notice = check();
    EXPECT_EQ(notice.count(), 2u);
    std::vector<std::string> told{notice.body().substr(0, notice.body().find('\n')),
                                  notice.body().substr(notice.body().find('\n') + 1)};
    std::sort(told.begin(), told.end());
    EXPECT_EQ(told, (std::vector<std::string>{"due in d:\\notes", "nul␀byte"})) << "a NUL byte shows as its symbol";
}

TEST_F(TodaysRemindersTest, RemindersToldTodayAreAllPrintedButNotNotifiedAgain) {
    writeFile(home / "drive_c/flag.dat", " \r\n");
    put("drive_c/quill/12011000.611", {"12/06/26", "told this morning"});
    put("drive_c/quill/12021000.611", {"12/06/26", "saved since"});
    ToldReminders told("12/06/26");
    told.add(quill, {"12011000.611"});
    told.add(home / "drive_d/notes", {"12021000.611"}); // the same number in another folder is another record
    const TodaysReminders due = todaysReminders(drives, kSixthOfDecember, told);
    EXPECT_EQ(due.folder, quill);
    EXPECT_EQ(due.all.count(), 2u);
    EXPECT_EQ(due.untold.body(), "saved since");
    EXPECT_EQ(due.untoldNumbers, std::vector<std::string>{"12021000.611"});

    // Too many told to list them in the file: the same records due are told again not at all, and one more due
    // has them all told again.
    for (int i = 0; i < 6000; ++i)
        put("drive_c/quill/" + std::to_string(11000000 + i) + ".600", {"12/06/26", "many"});
    told.add(quill, todaysReminders(drives, kSixthOfDecember, told).untoldNumbers);
    const ToldReminders read = ToldReminders::parse(told.bytes(), "12/06/26");
    EXPECT_EQ(todaysReminders(drives, kSixthOfDecember, read).untold.count(), 0u);
    put("drive_c/quill/12031000.611", {"12/06/26", "one more"});
    EXPECT_EQ(todaysReminders(drives, kSixthOfDecember, read).untold.count(), 6003u);
}

TEST_F(TodaysRemindersTest, ThePasswordFileKeepsEveryTextInside) {
    writeFile(home / "drive_c/flag.dat", " \r\n");
    put("drive_c/quill/12011000.611", {"12/06/26", "secret"});
    for (const char* password : {"word\r\n", ""}) { // even an empty password file
        writeFile(home / "drive_c/@.dat", password);
        const ReminderNotice notice = check();
        EXPECT_EQ(notice.count(), 1u);
        EXPECT_EQ(notice.printed().find("secret"), std::string::npos);
        EXPECT_EQ(notice.body(), "Open Quillbox to read them");
    }
}

TEST_F(TodaysRemindersTest, TheListingOrderIsKeptInBodyAndPrint) {
    writeFile(home / "drive_c/flag.dat", " \r\n");
    for (int i = 10; i < 40; ++i)
        put("drive_c/quill/12" + std::to_string(i) + "1000.611", {"12/06/26", "record " + std::to_string(i)});
    const ReminderNotice notice = check();
    std::vector<std::string> walked;
    qb::search::RecordWalk walk = reminderCheckWalk(drives, "c:\\quill", "12/06/26");
    while (auto file = walk.nextFile())
        walked.push_back(file->record.text);
    ASSERT_EQ(walked.size(), 30u);
    std::string body, printed = "Quillbox: 30 reminders for today\n\n";
    for (std::size_t i = 0; i < walked.size(); ++i) {
        if (i < 10)
            body += walked[i] + "\n";
        printed += "Reminder dated: 12/06/26\n\n" + walked[i] + "\n\n--------------------\n\n";
    }
    EXPECT_EQ(notice.body(), body + "and 20 more");
    EXPECT_EQ(notice.printed(), printed);
}

} // namespace
