// The search and the start-up reminder check on record files in a temporary home: the dialogs in order, the
// boxes of both windows afterwards.

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <map>

#include "app/reminder_window.h"
#include "app/limited_text_edit.h"
#include "app/text_codec.h"
#include "store/record_file.h"
#include "support/form_fixture.h"

namespace qb::test {
namespace {

using app::Pointer;

const Shown kHourglass = Shown::pointer("Form1", Pointer::Hourglass);
const Shown kArrow = Shown::pointer("Form1", Pointer::Default);
const Shown kContinue = Shown::question("Record found!  Continue search?", "Match found");
const Shown kComplete = Shown::message("Search complete!", "Attention");

class SearchTest : public FormFixture {
protected:
    SearchTest() {
        folder = makeQuillFolder();
        makeForm();
        form->Combo1->setEditText(QStringLiteral("c:\\quill"));
    }

    void put(const std::string& number, const store::Record& record) {
        writeFile(folder + "/" + number, store::recordFileBytes(record));
        records[number] = record;
    }

    // The record on screen, read back from the boxes.
    std::string shownNumber() const { return form->Text5->text().toStdString(); }
    void expectShownRecordIsItsFile() const {
        ASSERT_EQ(records.count(shownNumber()), 1u) << shownNumber();
        const store::Record& record = records.at(shownNumber());
        EXPECT_EQ(app::recordTextOf(form->Text1).value_or("<unmappable>"), record.text);
        EXPECT_EQ(app::toCp1252(form->Text2->text()).value_or("<unmappable>"), record.reminderDate);
    }
    void expectCriteriaEmptied() const {
        for (const QLineEdit* box : {form->text3, form->Text4, form->Text8, form->Text6, form->Text7})
            EXPECT_TRUE(box->text().isEmpty()) << box->objectName().toStdString();
        EXPECT_EQ(form->Combo1->currentText(), QStringLiteral("c:\\quill"));
    }
    // The numbers of the records a search finds, answering Yes throughout.
    std::vector<std::string> foundNumbers(int expectedMatches) {
        for (int i = 0; i < expectedMatches; ++i)
            dialogs.expectQuestion(true);
        std::vector<std::string> numbers;
        form->Text5->clear(); // so that every record shown changes it
        const QMetaObject::Connection watch = QObject::connect(
            form->Text5, &QLineEdit::textChanged, [&](const QString& text) { numbers.push_back(text.toStdString()); });
        form->Command1_Click();
        QObject::disconnect(watch);
        std::sort(numbers.begin(), numbers.end());
        return numbers;
    }

    std::string folder;
    std::map<std::string, store::Record> records;
};

TEST_F(SearchTest, InputChecksRefuseInOrderBeforeAnythingElse) {
    put("12061403.659", {"", "x"});
    struct Case {
        QString directory, date, text, search1;
        QString message;
    };
    const QString spaces = QStringLiteral("You may not have spaces in the directory name specified");
    const QString shape = QStringLiteral("You must enter the date using the format: DD/MM/YY");
    const QString quotes = QStringLiteral("You may not use quotation marks in the text boxes");
    const Case cases[] = {
        {"c:\\my quill", "1/2/26", "say \"x\"", "x", spaces},
        {"c:\\quill", "12/25/2026", "say \"x\"", "x", shape},
        {"c:\\quill", "12/25", "", "x", shape},
        {"c:\\quill", "12/25/26", "say \"x\"", "x", quotes}, // the record text is no criterion, but is checked
        {"c:\\quill", "", "", "\xE2\x82\xAC \"", quotes},
        {"c:\\quill", "", "", QString::fromUtf8("\xE2\x86\x92"), app::unmappableMessage("\xE2\x86\x92 (U+2192)")},
    };
    for (const Case& c : cases) {
        dialogs.clearLog();
        form->Combo1->setEditText(c.directory);
        form->Text2->setText(c.date);
        form->Text1->setPlainText(c.text);
        form->text3->setText(c.search1);
        form->Text4->setText(QStringLiteral("12"));
        form->Command1_Click();
        EXPECT_EQ(dialogs.events(), (std::vector<Shown>{Shown::message(c.message, "Alert!")}))
            << c.message.toStdString();
        EXPECT_EQ(form->text3->text(), c.search1) << "the boxes stay as typed";
        EXPECT_EQ(form->Text4->text(), QStringLiteral("12"));
        EXPECT_TRUE(form->Text5->text().isEmpty());
    }
}

// The search reads neither the record text nor the record number, so a character there that the code page cannot
// hold does not stop it: the match found replaces it.
TEST_F(SearchTest, TheRecordBoxMayHoldAnyCharacter) {
    put("12061403.659", {"", "a needle here"});
    form->Text1->setPlainText(QStringLiteral("typed \u2192"));
    form->text3->setText(QStringLiteral("needle"));
    dialogs.expectQuestion(false);
    form->Command1_Click();
    EXPECT_EQ(shownNumber(), "12061403.659");
    expectShownRecordIsItsFile();
}

TEST_F(SearchTest, EachMatchIsShownAndAskedAboutUntilNo) {
    put("12061403.659", {"12/25/26", "Buy tickets\r\nfor the show"});
    put("12061404.659", {"", "Tickets, again"});
    put("12061405.659", {"", "tickets once more"});
    put("12061406.659", {"", "nothing to see"});
    form->text3->setText(QStringLiteral("TICKETS"));
    form->Text7->setText(QStringLiteral("zzz"));
    form->Text8->setText(QString()); // no filters
    dialogs.expectQuestion(true);
    dialogs.expectQuestion(false);
    form->Command1_Click();

    EXPECT_EQ(dialogs.events(), (std::vector<Shown>{kHourglass, kArrow, kContinue, kHourglass, kArrow, kContinue,
                                                    kHourglass, Shown::beep(), kArrow, kComplete}));
    expectShownRecordIsItsFile(); // the record at which No was answered, with its number
    EXPECT_NE(records.at(shownNumber()).text, "nothing to see");
    expectCriteriaEmptied();
}

TEST_F(SearchTest, NoAtTheFirstMatchEndsTheSearchAtOnce) {
    for (const char* number : {"12061403.659", "12061404.659", "12061405.659"})
        put(number, {"", "red car"});
    form->text3->setText(QStringLiteral("red car"));
    dialogs.expectQuestion(false);
    form->Command1_Click();
    EXPECT_EQ(dialogs.dialogs(), (std::vector<Shown>{kContinue, kComplete}));
    EXPECT_EQ(dialogs.beeps(), 1);
    expectShownRecordIsItsFile();
    expectCriteriaEmptied();
}

TEST_F(SearchTest, NothingMatchingLeavesTheRecordBoxesAsTheyWere) {
    put("12061403.659", {"12/24/26", "Red  Car"});
    put("12061404.659", {"", "car red"});
    form->Text1->setPlainText(QStringLiteral("typed before"));
    form->Text2->setText(QStringLiteral("12/25/26"));
    form->text3->setText(QStringLiteral("red car"));
    form->Text6->setText(QStringLiteral("6"));
    form->Command1_Click();
    EXPECT_EQ(dialogs.events(), (std::vector<Shown>{kHourglass, Shown::beep(), kArrow, kComplete}));
    EXPECT_EQ(form->Text1->toPlainText(), QStringLiteral("typed before"));
    EXPECT_EQ(form->Text2->text(), QStringLiteral("12/25/26")); // the criterion stays
    EXPECT_TRUE(form->Text5->text().isEmpty());
    expectCriteriaEmptied();

    // With all three criteria empty nothing matches either, in a folder that does not exist as well.
    dialogs.clearLog();
    form->Text2->clear();
    form->Combo1->setEditText(QStringLiteral("c:\\missing"));
    form->Command1_Click();
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
    form->text3->setText(QString::fromUtf8("café"));
    EXPECT_EQ(foundNumbers(2), (std::vector<std::string>{"12061403.659", "12061406.659"}));
    form->Text2->clear(); // it shows the last match's reminder date, a criterion of the next search
    form->Text7->setText(QString::fromUtf8("ŒUVRE"));
    EXPECT_EQ(foundNumbers(2), (std::vector<std::string>{"12061404.659", "12061407.659"}));
    form->Text2->setText(QStringLiteral("12/25/"));
    EXPECT_EQ(foundNumbers(2), (std::vector<std::string>{"12061403.659", "12061404.659"}));
    form->text3->setText(QString::fromUtf8("été"));
    form->Text7->setText(QString::fromUtf8("CAFÉ NOIR"));
    form->Text2->setText(QStringLiteral("12/25/26"));
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
        form->text3->setText(QStringLiteral("note"));
        form->Text4->setText(QString::fromLatin1(month));
        form->Text8->setText(QString::fromLatin1(day));
        form->Text6->setText(QString::fromLatin1(year));
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
    QString reminderList() const { return form->form2().Text1->toPlainText(); }
};

TEST_F(ReminderCheckTest, CollectsTodaysRemindersIntoTheResultsWindow) {
    put("12011403.659", {"12/06/26", "Call Ann\r\nabout the car"});
    put("12021403.659", {"12/07/26", "tomorrow"});
    put("12031403.659", {"", "no reminder"});
    put("12041403.659", {"12/06/26", "Dentist"});
    put("12051403.659", {"06/12/26", "day first"});
    writeFile(folder + "/binary", std::string("\"12/06/26\"\r\n\"\0\"\r\n", 16));
    form->Text1->setPlainText(QStringLiteral("old"));
    form->Text4->setText(QString());
    form->runReminderCheck("12/06/26");

    const app::Form2& reminders = form->form2();
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
    ASSERT_TRUE(showActive(&form->form2()));
    form->form2().Command1->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_FALSE(reminders.isVisible());
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->Text1->toPlainText().isEmpty());
    EXPECT_TRUE(form->Text5->text().isEmpty());
}

TEST_F(ReminderCheckTest, NothingDueShowsAnEmptyResultsWindow) {
    put("12021403.659", {"12/07/26", "tomorrow"});
    form->runReminderCheck("12/06/26");
    EXPECT_TRUE(form->form2().isVisible());
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(reminderList().isEmpty());
    EXPECT_TRUE(form->Text5->text().isEmpty());
    EXPECT_EQ(dialogs.events(), (std::vector<Shown>{kHourglass, Shown::beep(), kArrow}));
}

TEST_F(ReminderCheckTest, AMissingDirectoryStillShowsTheResultsWindow) {
    form->Combo1->setEditText(QStringLiteral("d:\\gone"));
    form->runReminderCheck("12/06/26");
    EXPECT_TRUE(form->form2().isVisible());
    EXPECT_TRUE(reminderList().isEmpty());
    EXPECT_EQ(dialogs.beeps(), 1);
}

TEST_F(ReminderCheckTest, TheListKeepsItsLastThirtyThousandCharacters) {
    // Four entries of 10,056 characters each: the list starts inside the second entry's text.
    for (int i = 1; i <= 4; ++i)
        put("120" + std::to_string(i) + "1403.659", {"12/06/26", std::string(10000, static_cast<char>('a' + i))});
    form->runReminderCheck("12/06/26");
    const QString list = reminderList();
    EXPECT_EQ(app::storedLength(list), 30000);
    EXPECT_FALSE(list.startsWith(QStringLiteral("Reminder dated"))); // cut mid-entry
    const QString last = form->Text1->toPlainText();                 // the last match, also the last entry
    EXPECT_TRUE(list.endsWith(QStringLiteral("\n\n") + last + QStringLiteral("\n\n--------------------\n\n")));
    EXPECT_EQ(list.count(QStringLiteral("Reminder dated: 12/06/26")), 2);
}

} // namespace
} // namespace qb::test
