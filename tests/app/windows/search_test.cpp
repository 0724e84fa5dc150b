// The search and the start-up reminder check on record files in a temporary home: the dialogs in order, the
// boxes of both windows afterwards.

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <map>

#include "app/text/text_codec.h"
#include "app/widgets/limited_text_edit.h"
#include "app/windows/reminder_window.h"
#include "form_fixture.h"
#include "refused_forms.h"
#include "slow_mount.h"
#include "store/record_file.h"

namespace qb::test {
namespace {

using app::Pointer;

const Shown kHourglass = Shown::pointer("MainWindow", Pointer::Hourglass);
const Shown kArrow = Shown::pointer("MainWindow", Pointer::Default);
const Shown kContinue = Shown::question("Record found!  Continue search?", "Match found");
const Shown kComplete = Shown::message("Search complete!", "Attention");

class SearchTest : public FormFixture {
protected:
    SearchTest() {
        folder = makeQuillFolder();
        makeForm();
        form->controls().dataDirectory->setEditText(QStringLiteral("c:\\quill"));
    }

    void put(const std::string& number, const store::Record& record) {
        writeFile(folder + "/" + number, store::recordFileBytes(record));
        records[number] = record;
    }

    // The record on screen, read back from the boxes.
    std::string shownNumber() const { return form->controls().recordNumber->text().toStdString(); }
    void expectShownRecordIsItsFile() const {
        ASSERT_EQ(records.count(shownNumber()), 1u) << shownNumber();
        const store::Record& record = records.at(shownNumber());
        EXPECT_EQ(app::fieldBytes(form->controls().recordText).value_or("<unmappable>"), record.text);
        EXPECT_EQ(app::toCp1252(form->controls().reminderDate->text()).value_or("<unmappable>"), record.reminderDate);
    }
    void expectCriteriaEmptied() const {
        for (const QLineEdit* box :
             {form->controls().searchString1, form->controls().monthFilter, form->controls().dayFilter,
              form->controls().yearFilter, form->controls().searchString2})
            EXPECT_TRUE(box->text().isEmpty()) << box->objectName().toStdString();
        EXPECT_EQ(form->controls().dataDirectory->currentText(), QStringLiteral("c:\\quill"));
    }
    // The numbers of the records a search finds, answering Yes throughout.
    std::vector<std::string> foundNumbers(int expectedMatches) {
        for (int i = 0; i < expectedMatches; ++i)
            dialogs.expectQuestion(true);
        std::vector<std::string> numbers;
        form->controls().recordNumber->clear(); // so that every record shown changes it
        const QMetaObject::Connection watch =
            QObject::connect(form->controls().recordNumber, &QLineEdit::textChanged,
                             [&](const QString& text) { numbers.push_back(text.toStdString()); });
        form->search();
        QObject::disconnect(watch);
        std::sort(numbers.begin(), numbers.end());
        return numbers;
    }

    std::string folder;
    std::map<std::string, store::Record> records;
};

TEST_F(SearchTest, InputChecksRefuseInOrderBeforeAnythingElse) {
    put("12061403.659", {"", "x"});
    std::vector<RefusedForm> cases = refusedBySaveAndSearch();
    cases.insert(
        cases.end(),
        {{"c:\\quill", "12/25/26", "say \"x\"", "x", kQuotesRefusal}, // the record text is no criterion, but is checked
         {"c:\\quill", "", "", "\xE2\x82\xAC \"", kQuotesRefusal},
         {"c:\\quill", "", "", QString::fromUtf8("\xE2\x86\x92"), app::unmappableMessage("\xE2\x86\x92 (U+2192)")}});
    for (const RefusedForm& c : cases) {
        dialogs.clearLog();
        form->controls().dataDirectory->setEditText(c.directory);
        form->controls().reminderDate->setText(c.date);
        form->controls().recordText->setPlainText(c.text);
        form->controls().searchString1->setText(c.searchString1);
        form->controls().monthFilter->setText(QStringLiteral("12"));
        form->search();
        EXPECT_EQ(dialogs.events(), (std::vector<Shown>{Shown::message(c.message, "Alert!")}))
            << c.message.toStdString();
        EXPECT_EQ(form->controls().searchString1->text(), c.searchString1) << "the boxes stay as typed";
        EXPECT_EQ(form->controls().monthFilter->text(), QStringLiteral("12"));
        EXPECT_TRUE(form->controls().recordNumber->text().isEmpty());
    }
}

// The search reads neither the record text nor the record number, so a character there that the code page cannot
// hold does not stop it: the match found replaces it.
TEST_F(SearchTest, TheRecordBoxMayHoldAnyCharacter) {
    put("12061403.659", {"", "a needle here"});
    form->controls().recordText->setPlainText(QStringLiteral("typed \u2192"));
    form->controls().searchString1->setText(QStringLiteral("needle"));
    dialogs.expectQuestion(false);
    form->search();
    EXPECT_EQ(shownNumber(), "12061403.659");
    expectShownRecordIsItsFile();
}

TEST_F(SearchTest, EachMatchIsShownAndAskedAboutUntilNo) {
    put("12061403.659", {"12/25/26", "Buy tickets\r\nfor the show"});
    put("12061404.659", {"", "Tickets, again"});
    put("12061405.659", {"", "tickets once more"});
    put("12061406.659", {"", "nothing to see"});
    form->controls().searchString1->setText(QStringLiteral("TICKETS"));
    form->controls().searchString2->setText(QStringLiteral("zzz"));
    form->controls().dayFilter->setText(QString()); // no filters
    dialogs.expectQuestion(true);
    dialogs.expectQuestion(false);
    form->search();

    EXPECT_EQ(dialogs.events(), (std::vector<Shown>{kHourglass, kArrow, kContinue, kHourglass, kArrow, kContinue,
                                                    kHourglass, Shown::beep(), kArrow, kComplete}));
    expectShownRecordIsItsFile(); // the record at which No was answered, with its number
    EXPECT_NE(records.at(shownNumber()).text, "nothing to see");
    expectCriteriaEmptied();
}

TEST_F(SearchTest, NoAtTheFirstMatchEndsTheSearchAtOnce) {
    for (const char* number : {"12061403.659", "12061404.659", "12061405.659"})
        put(number, {"", "red car"});
    form->controls().searchString1->setText(QStringLiteral("red car"));
    dialogs.expectQuestion(false);
    form->search();
    EXPECT_EQ(dialogs.dialogs(), (std::vector<Shown>{kContinue, kComplete}));
    EXPECT_EQ(dialogs.beeps(), 1);
    expectShownRecordIsItsFile();
    expectCriteriaEmptied();
}

TEST_F(SearchTest, NothingMatchingLeavesTheRecordBoxesAsTheyWere) {
    put("12061403.659", {"12/24/26", "Red  Car"});
    put("12061404.659", {"", "car red"});
    form->controls().recordText->setPlainText(QStringLiteral("typed before"));
    form->controls().reminderDate->setText(QStringLiteral("12/25/26"));
    form->controls().searchString1->setText(QStringLiteral("red car"));
    form->controls().yearFilter->setText(QStringLiteral("6"));
    form->search();
    EXPECT_EQ(dialogs.events(), (std::vector<Shown>{kHourglass, Shown::beep(), kArrow, kComplete}));
    EXPECT_EQ(form->controls().recordText->toPlainText(), QStringLiteral("typed before"));
    EXPECT_EQ(form->controls().reminderDate->text(), QStringLiteral("12/25/26")); // the criterion stays
    EXPECT_TRUE(form->controls().recordNumber->text().isEmpty());
    expectCriteriaEmptied();

    // With all three criteria empty nothing matches either, in a folder that does not exist as well.
    dialogs.clearLog();
    form->controls().reminderDate->clear();
    form->controls().dataDirectory->setEditText(QStringLiteral("c:\\missing"));
    form->search();
    EXPECT_EQ(dialogs.events(), (std::vector<Shown>{kHourglass, Shown::beep(), kArrow, kComplete}));
}

TEST_F(SearchTest, StringsDatesAndAccentedCaseAreMatchedEachInItsField) {
    put("12061403.659", {"12/25/26", "Caf\xE9 au lait"});      // é
    put("12061404.659", {"12/25/36", "\x9Cuvre compl\xE8te"}); // œ è
    put("12061405.659", {"", "12/25/26 in the text only"});    // a date in the text
    put("12061406.659", {"01/02/03", "CAF\xC9 noir"});         // É
    put("12061407.659", {"", "\x8C"
                             "UVRE and \xC9"
                             "T\xC9"}); // Œ É
    form->controls().searchString1->setText(QString::fromUtf8("café"));
    EXPECT_EQ(foundNumbers(2), (std::vector<std::string>{"12061403.659", "12061406.659"}));
    form->controls().reminderDate->clear(); // it shows the last match's reminder date, a criterion of the next search
    form->controls().searchString2->setText(QString::fromUtf8("ŒUVRE"));
    EXPECT_EQ(foundNumbers(2), (std::vector<std::string>{"12061404.659", "12061407.659"}));
    form->controls().reminderDate->setText(QStringLiteral("12/25/"));
    EXPECT_EQ(foundNumbers(2), (std::vector<std::string>{"12061403.659", "12061404.659"}));
    form->controls().searchString1->setText(QString::fromUtf8("été"));
    form->controls().searchString2->setText(QString::fromUtf8("CAFÉ NOIR"));
    form->controls().reminderDate->setText(QStringLiteral("12/25/26"));
    EXPECT_EQ(foundNumbers(3), (std::vector<std::string>{"12061403.659", "12061406.659", "12061407.659"}));
    expectShownRecordIsItsFile(); // accented text shown as it is stored
}

TEST_F(SearchTest, CreationDateFiltersSelectByRecordNumber) {
    for (const char* number :
         {"12251403.659", "12250101.600", "12251403.759", "12241403.659", "05011403.059", "03250000.612"})
        put(number, {"", "note"});
    writeFile(folder + "/notes.txt", "not a record"); // files that are not records are passed over
    writeFile(folder + "/12259999.6xx", "\"only one field\"\r\n");
    const auto search = [&](const char* month, const char* day, const char* year, int matches) {
        form->controls().searchString1->setText(QStringLiteral("note"));
        form->controls().monthFilter->setText(QString::fromLatin1(month));
        form->controls().dayFilter->setText(QString::fromLatin1(day));
        form->controls().yearFilter->setText(QString::fromLatin1(year));
        return foundNumbers(matches);
    };
    EXPECT_EQ(search("12", "25", "26", 2), (std::vector<std::string>{"12250101.600", "12251403.659"}));
    EXPECT_EQ(search("12", "25", "6", 2), (std::vector<std::string>{"12250101.600", "12251403.659"}));
    EXPECT_EQ(search("", "", "26", 4).size(), 4u);
    EXPECT_EQ(search("5", "", "", 0), std::vector<std::string>{});
    EXPECT_EQ(search("05", "", "", 1), std::vector<std::string>{"05011403.059"});
    EXPECT_EQ(search("", "25", "", 4),
              (std::vector<std::string>{"03250000.612", "12250101.600", "12251403.659", "12251403.759"}));
    EXPECT_EQ(search("", "", "", 6).size(), 6u);
}

class ReminderCheckTest : public SearchTest {
protected:
    QString reminderList() const { return form->reminderWindow().controls().reminderList->toPlainText(); }
};

TEST_F(ReminderCheckTest, CollectsTodaysRemindersIntoTheResultsWindow) {
    put("12011403.659", {"12/06/26", "Call Ann\r\nabout the car"});
    put("12021403.659", {"12/07/26", "tomorrow"});
    put("12031403.659", {"", "no reminder"});
    put("12041403.659", {"12/06/26", "Dentist"});
    put("12051403.659", {"06/12/26", "day first"});
    form->controls().recordText->setPlainText(QStringLiteral("old"));
    form->controls().monthFilter->setText(QString());
    form->runReminderCheck("12/06/26");

    const app::ReminderWindow& reminders = form->reminderWindow();
    EXPECT_TRUE(reminders.isVisible());
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(dialogs.events(), (std::vector<Shown>{kHourglass, Shown::beep(), kArrow}));
    const QString ann =
        QStringLiteral("Reminder dated: 12/06/26\n\nCall Ann\nabout the car\n\n--------------------\n\n");
    const QString dentist = QStringLiteral("Reminder dated: 12/06/26\n\nDentist\n\n--------------------\n\n");
    // In listing order; the main window holds the last of them, with its number.
    EXPECT_TRUE(reminderList() == ann + dentist || reminderList() == dentist + ann) << reminderList().toStdString();
    EXPECT_EQ(shownNumber(), reminderList().startsWith(ann) ? "12041403.659" : "12011403.659");
    expectShownRecordIsItsFile();
    expectCriteriaEmptied();

    // Enter in the results window proceeds to the main window, emptied.
    ASSERT_TRUE(showActive(&form->reminderWindow()));
    form->reminderWindow().controls().proceedButton->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_FALSE(reminders.isVisible());
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->controls().recordText->toPlainText().isEmpty());
    EXPECT_TRUE(form->controls().recordNumber->text().isEmpty());
}

// A record holding NUL bytes is a record like any other: it is listed with each NUL as the symbol for null, and
// the main window holds it as its file has it.
TEST_F(ReminderCheckTest, ARecordHoldingNulIsListedWithTheSymbolForNull) {
    put("12011403.659", {"12/06/26", std::string("before\0after\0", 13)});
    form->runReminderCheck("12/06/26");
    EXPECT_EQ(reminderList(), QStringLiteral("Reminder dated: 12/06/26\n\nbefore\u2400after\u2400\n\n"
                                             "--------------------\n\n"));
    EXPECT_EQ(shownNumber(), "12011403.659");
    expectShownRecordIsItsFile();
}

TEST_F(ReminderCheckTest, NothingDueShowsAnEmptyResultsWindow) {
    put("12021403.659", {"12/07/26", "tomorrow"});
    form->runReminderCheck("12/06/26");
    EXPECT_TRUE(form->reminderWindow().isVisible());
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(reminderList().isEmpty());
    EXPECT_TRUE(form->controls().recordNumber->text().isEmpty());
    EXPECT_EQ(dialogs.events(), (std::vector<Shown>{kHourglass, Shown::beep(), kArrow}));
}

TEST_F(ReminderCheckTest, AMissingDirectoryStillShowsTheResultsWindow) {
    form->controls().dataDirectory->setEditText(QStringLiteral("d:\\gone"));
    form->runReminderCheck("12/06/26");
    EXPECT_TRUE(form->reminderWindow().isVisible());
    EXPECT_TRUE(reminderList().isEmpty());
    EXPECT_EQ(dialogs.beeps(), 1);
}

// Over a folder slow to read the list grows in the results window while the check reads, not all at once at its end;
// meanwhile the window takes no request to close it.
TEST_F(ReminderCheckTest, TheListGrowsWhileTheCheckReads) {
    TempDir source;
    for (int i = 100; i < 200; ++i)
        writeFile(source / ("12011" + std::to_string(i) + ".659"), store::recordFileBytes({"12/06/26", "due"}));
    const SlowMount slow(source.path(), folder, 5);
    if (!slow.mounted())
        GTEST_SKIP() << "no folder could be mounted through FUSE here (needs /dev/fuse, root and libfuse3-dev)";
    std::vector<qsizetype> shownBeforeTheEnd; // entries in the list each time it changed before the beep
    bool closedDuringTheCheck = false; // closing the window through its frame meanwhile is refused, as other input
    QObject::connect(form->reminderWindow().controls().reminderList, &QPlainTextEdit::textChanged, [&] {
        const qsizetype entries = reminderList().count(QStringLiteral("Reminder dated"));
        if (dialogs.beeps() == 0)
            shownBeforeTheEnd.push_back(entries);
        if (entries < 100)
            closedDuringTheCheck = closedDuringTheCheck || form->reminderWindow().close();
    });
    form->runReminderCheck("12/06/26");
    EXPECT_FALSE(closedDuringTheCheck);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(reminderList().count(QStringLiteral("Reminder dated")), 100);
    EXPECT_TRUE(std::any_of(shownBeforeTheEnd.begin(), shownBeforeTheEnd.end(),
                            [](qsizetype entries) { return entries > 0 && entries < 100; }))
        << "the list came whole at the end: " << ::testing::PrintToString(shownBeforeTheEnd);
}

TEST_F(ReminderCheckTest, TheListKeepsItsLastThirtyThousandCharacters) {
    // Four entries of 10,056 characters each: the list starts inside the second entry's text.
    for (int i = 1; i <= 4; ++i)
        put("120" + std::to_string(i) + "1403.659", {"12/06/26", std::string(10000, static_cast<char>('a' + i))});
    form->runReminderCheck("12/06/26");
    const QString list = reminderList();
    EXPECT_EQ(app::storedLength(list), 30000);
    EXPECT_FALSE(list.startsWith(QStringLiteral("Reminder dated"))); // cut mid-entry
    const QString last = form->controls().recordText->toPlainText(); // the last match, also the last entry
    EXPECT_TRUE(list.endsWith(QStringLiteral("\n\n") + last + QStringLiteral("\n\n--------------------\n\n")));
    EXPECT_EQ(list.count(QStringLiteral("Reminder dated: 12/06/26")), 2);
}

} // namespace
} // namespace qb::test
