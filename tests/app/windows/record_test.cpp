// Saving, resaving, deleting and clearing the record on screen, and the data directory check.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <gtest/gtest.h>
#include <unistd.h>

#include "app/text/text_codec.h"
#include "app/widgets/limited_text_edit.h"
#include "app/windows/reminder_window.h"
#include "form_fixture.h"
#include "platform/files.h"
#include "refused_forms.h"
#include "scoped_mount.h"

namespace qb::test {
namespace {

const QString kAlert = QStringLiteral("Alert!");
const QString kAttention = QStringLiteral("Attention!");
const Shown kSaved = Shown::message("Your record has been saved!", "Saved!");
const std::string kFirstNumber = "12061403.659"; // the manual clock's start: 6 December 2026, 14:03:59

class RecordTest : public FormFixture {
protected:
    void SetUp() override {
        quill = makeQuillFolder();
        makeForm();
    }
    /** Fills the boxes the way a user would before saving. */
    void type(const QString& text, const QString& date = {}) {
        form->controls().recordText->setPlainText(text);
        form->controls().reminderDate->setText(date);
    }
    /** Puts a record on screen as a search for a word it holds finds it, No answered at once. */
    void recall(const QString& number, const char* word) {
        form->controls().searchString1->setText(QString::fromLatin1(word));
        form->controls().monthFilter->setText(number.left(2));
        form->controls().dayFilter->setText(number.mid(2, 2));
        dialogs.expectQuestion(false);
        form->search();
        ASSERT_EQ(form->controls().recordNumber->text(), number);
        dialogs.clearLog();
    }
    std::vector<std::string> quillFiles() const { return listFolder(quill); }
    std::string quill;
};

TEST_F(RecordTest, NewRecordIsWrittenByteExactAndFourBoxesAreEmptied) {
    type(QStringLiteral("Buy tickets\nfor the show"), QStringLiteral("12/25/26"));
    form->controls().searchString1->setText(QStringLiteral("first"));
    form->controls().searchString2->setText(QStringLiteral("second"));
    form->controls().monthFilter->setText(QStringLiteral("12"));
    form->controls().checkAlarms->setChecked(true);
    form->saveRecord();
    EXPECT_EQ(dialogs.dialogs(), std::vector<Shown>{kSaved});
    EXPECT_EQ(quillFiles(), std::vector<std::string>{kFirstNumber});
    EXPECT_EQ(readFile(quill + "/" + kFirstNumber), "\"12/25/26\"\r\n\"Buy tickets\r\nfor the show\"\r\n");
    for (QLineEdit* emptied :
         {form->controls().reminderDate, form->controls().searchString1, form->controls().recordNumber})
        EXPECT_TRUE(emptied->text().isEmpty()) << emptied->objectName().toStdString();
    EXPECT_TRUE(form->controls().recordText->toPlainText().isEmpty());
    EXPECT_EQ(form->controls().searchString2->text(), QStringLiteral("second"));
    EXPECT_EQ(form->controls().monthFilter->text(), QStringLiteral("12"));
    EXPECT_TRUE(form->controls().checkAlarms->isChecked());
    EXPECT_EQ(form->controls().dataDirectory->currentText(), QStringLiteral("c:\\quill"));

    form->saveRecord(); // the text is empty now
    EXPECT_EQ(dialogs.dialogs().back(), Shown::message("You can't save an empty text box!", kAlert));
}

TEST_F(RecordTest, ChecksRunInOrderAndOnlyTheFirstRefusalIsShown) {
    std::vector<RefusedForm> cases = refusedBySaveAndSearch();
    cases.insert(cases.end(), {{"c:\\quill", "1/2/26", "", "", kDateShapeRefusal},
                               {"c:\\quill", "12/25/ 6", "text", "", kDateShapeRefusal},
                               {"c:\\quill", "", "", "", "You can't save an empty text box!"}});
    for (const RefusedForm& c : cases) {
        dialogs.clearLog();
        form->controls().dataDirectory->setEditText(c.directory);
        type(c.text, c.date);
        form->controls().searchString1->setText(c.searchString1);
        form->saveRecord();
        EXPECT_EQ(dialogs.dialogs(), std::vector<Shown>{Shown::message(c.message, kAlert)}) << c.message.toStdString();
        EXPECT_EQ(form->controls().recordText->toPlainText(), c.text) << "a refusal leaves the boxes as they were";
        EXPECT_EQ(form->controls().reminderDate->text(), c.date);
    }
    EXPECT_TRUE(quillFiles().empty()) << "nothing written, the probe file gone";
}

TEST_F(RecordTest, ShapeOnlyDatesAndASingleSpaceAreSaved) {
    const char* dates[] = {"12/25/26", "12/25/2", "12/25/", "ab/cd/ef", ""};
    for (const char* date : dates) {
        type(QStringLiteral(" "), QString::fromLatin1(date));
        form->saveRecord();
        clock.advance(std::chrono::seconds(1));
    }
    EXPECT_EQ(quillFiles().size(), 5u);
    EXPECT_EQ(readFile(quill + "/" + kFirstNumber), "\"12/25/26\"\r\n\" \"\r\n");
    EXPECT_EQ(dialogs.messages(), std::vector<Shown>(5, kSaved));
}

TEST_F(RecordTest, ResaveReplacesTheVersionShownAndAnotherFolderGetsACopy) {
    const std::string theirs = "\"\"\r\n\"from the other machine\"\r\n";
    writeFile(quill + "/01030905.707", "\"\"\r\n\"old\"\r\n");
    recall(QStringLiteral("01030905.707"), "old");
    type(QStringLiteral("new text"), QStringLiteral("01/04/27"));
    form->saveRecord();
    EXPECT_EQ(quillFiles(), std::vector<std::string>{"01030905.707"});
    EXPECT_EQ(readFile(quill + "/01030905.707"), "\"01/04/27\"\r\n\"new text\"\r\n");
    EXPECT_TRUE(form->controls().recordNumber->text().isEmpty());

    // Rewritten elsewhere since it was shown (a sync tool, the user's other machine): that version stays.
    recall(QStringLiteral("01030905.707"), "new");
    writeFile(quill + "/01030905.707", theirs);
    type(QStringLiteral("edited here"));
    form->saveRecord();
    EXPECT_EQ(quillFiles(), (std::vector<std::string>{"01030905.707", kFirstNumber}));
    EXPECT_EQ(readFile(quill + "/01030905.707"), theirs);
    EXPECT_EQ(readFile(quill + "/" + kFirstNumber), "\"\"\r\n\"edited here\"\r\n");
    EXPECT_EQ(dialogs.messages(),
              std::vector<Shown>{
                  Shown::message("The record 01030905.707 was changed elsewhere since it was shown, so it has been "
                                 "left as it is there.  Your text has been saved as a new record, 12061403.659.",
                                 "Saved!")});

    const std::string other = drivePath("d:\\other");
    ASSERT_TRUE(platform::makeDirectories(other).ok());
    recall(QStringLiteral("01030905.707"), "machine");
    type(QStringLiteral("moved"));
    form->controls().dataDirectory->setEditText(QStringLiteral("D:\\OTHER"));
    form->saveRecord();
    EXPECT_EQ(readFile(other + "/01030905.707"), "\"\"\r\n\"moved\"\r\n");
    EXPECT_EQ(readFile(quill + "/01030905.707"), theirs);
}

TEST_F(RecordTest, ASecondSaveInTheSameSecondTakesTheNextFreeSecond) {
    writeFile(quill + "/12061404.600", "\"\"\r\n\"made ten years ago\"\r\n");
    for (const char* text : {"one", "two", "three"}) {
        type(QString::fromLatin1(text));
        form->saveRecord();
    }
    EXPECT_EQ(quillFiles(), (std::vector<std::string>{"12061403.659", "12061404.600", "12061404.601", "12061404.602"}));
    EXPECT_EQ(readFile(quill + "/12061404.600"), "\"\"\r\n\"made ten years ago\"\r\n");
    EXPECT_EQ(readFile(quill + "/12061404.601"), "\"\"\r\n\"two\"\r\n");
}

TEST_F(RecordTest, CharactersTheFilesCannotHoldAreRefusedByName) {
    type(QStringLiteral("caf\u00E9 \u20AC ok"));
    form->saveRecord();
    EXPECT_EQ(readFile(quill + "/" + kFirstNumber), "\"\"\r\n\"caf\xE9 \x80 ok\"\r\n");

    dialogs.clearLog();
    type(QStringLiteral("tick \u2713"));
    form->saveRecord();
    ASSERT_EQ(dialogs.dialogs().size(), 1u);
    EXPECT_TRUE(dialogs.dialogs()[0].text.contains(QStringLiteral("\u2713 (U+2713)")));
    EXPECT_EQ(dialogs.dialogs()[0].title, kAlert);
    EXPECT_EQ(form->controls().recordText->toPlainText(), QStringLiteral("tick \u2713"));
    EXPECT_EQ(quillFiles().size(), 1u);
}

// Every byte a record text can hold (all but the double quote), NUL, lone CR and LF among them, comes back from the
// boxes unchanged: a recalled record saved again without an edit keeps its file byte for byte. A NUL shows as the
// symbol for null, in the reminder date too. The record is a conflict copy that Syncthing made of a record two
// machines changed: it is found, and its number is shown and saved whole.
TEST_F(RecordTest, ARecalledRecordIsSavedAgainByteForByte) {
    const std::string kConflictCopy = "01030905.sync-conflict-20261208-015355-66GBZUU.707";
    std::string text = "needle\r\nlone\rCR, lone\nLF, CR CR LF\r\r\n, LF CR\n\r end ";
    for (int byte = 0; byte < 256; ++byte) {
        if (byte != '"')
            text += static_cast<char>(byte);
    }
    const std::string file = std::string("\"12/2\0/26\"\r\n\"", 13) + text + "\"\r\n";
    writeFile(quill + "/" + kConflictCopy, file);
    form->controls().searchString1->setText(QStringLiteral("NEEDLE"));
    dialogs.expectQuestion(false);
    form->search();
    ASSERT_EQ(form->controls().recordNumber->text(), QString::fromStdString(kConflictCopy));
    EXPECT_EQ(form->controls().reminderDate->text(), QStringLiteral("12/2\u2400/26"));
    EXPECT_TRUE(form->controls().recordText->toPlainText().contains(QStringLiteral(" end \u2400\u0001")));
    form->saveRecord();
    EXPECT_EQ(readFile(quill + "/" + kConflictCopy), file);
}

// The symbol for null typed into a box is a NUL in the record file, and a NUL is sought by typing it: in the boxes
// of a record it always stands for NUL, so a recalled record shows what its file holds.
TEST_F(RecordTest, TheSymbolForNullTypedIsANul) {
    type(QStringLiteral("typed \u2400 here"), QStringLiteral("12/0\u2400/26"));
    form->saveRecord();
    EXPECT_EQ(readFile(quill + "/" + kFirstNumber), std::string("\"12/0\0/26\"\r\n\"typed \0 here\"\r\n", 28));

    writeFile(quill + "/01030905.707", "\"\"\r\n\"typed  here\"\r\n"); // no NUL: no match
    form->controls().searchString1->setText(QStringLiteral("D \u2400 H"));
    dialogs.expectQuestion(false);
    form->search();
    EXPECT_EQ(form->controls().recordNumber->text(), QString::fromStdString(kFirstNumber));
    EXPECT_EQ(form->controls().recordText->toPlainText(), QStringLiteral("typed \u2400 here"));
    EXPECT_EQ(form->controls().reminderDate->text(), QStringLiteral("12/0\u2400/26"));
}

// Only what a save writes or uses is narrowed to the code page, after the checks; the other boxes may hold any
// character.
TEST_F(RecordTest, OnlyWhatTheSaveWritesMustFitTheCodePage) {
    form->controls().searchString1->setText(QStringLiteral("\u2713"));
    form->controls().searchString2->setText(QStringLiteral("\u2192"));
    form->controls().recordText->setPlainText(QString());
    form->saveRecord();
    EXPECT_EQ(dialogs.dialogs(), std::vector<Shown>{Shown::message("You can't save an empty text box!", kAlert)});

    dialogs.clearLog();
    type(QStringLiteral("kept"));
    form->saveRecord();
    EXPECT_EQ(dialogs.dialogs(), std::vector<Shown>{kSaved});
    EXPECT_EQ(readFile(quill + "/" + kFirstNumber), "\"\"\r\n\"kept\"\r\n");
}

TEST_F(RecordTest, ASaveThatCannotWriteSaysSoAndKeepsTheBoxes) {
    form->controls().dataDirectory->setEditText(QStringLiteral("c:\\vanished"));
    type(QStringLiteral("keep me"), QStringLiteral("12/25/26"));
    form->saveRecord();
    ASSERT_EQ(dialogs.dialogs().size(), 1u);
    EXPECT_TRUE(dialogs.dialogs()[0].text.startsWith(QStringLiteral("Your record could not be saved in c:\\vanished")));
    EXPECT_EQ(form->controls().recordText->toPlainText(), QStringLiteral("keep me"));
    EXPECT_EQ(form->controls().reminderDate->text(), QStringLiteral("12/25/26"));
    EXPECT_FALSE(platform::directoryExists(drivePath("c:\\vanished")));
}

TEST_F(RecordTest, AResaveOrDeleteInAReadOnlyFolderSaysSoAndKeepsTheFileAndTheRecordOnScreen) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "a read-only bind mount needs root";
    writeFile(quill + "/01030905.707", "\"\"\r\n\"old\"\r\n");
    ScopedMount readOnly = ScopedMount::readOnly(quill);
    if (!readOnly.valid())
        GTEST_SKIP() << "mount not allowed here";
    recall(QStringLiteral("01030905.707"), "old");
    type(QStringLiteral("new"));
    form->saveRecord();
    ASSERT_EQ(dialogs.dialogs().size(), 1u);
    EXPECT_TRUE(dialogs.dialogs()[0].text.contains(QStringLiteral("Read-only file system")));
    EXPECT_EQ(readFile(quill + "/01030905.707"), "\"\"\r\n\"old\"\r\n");
    EXPECT_EQ(form->controls().recordNumber->text(), QStringLiteral("01030905.707"));

    dialogs.clearLog();
    form->controls().recordText->setPlainText(QStringLiteral("x"));
    form->deleteRecord();
    ASSERT_EQ(dialogs.dialogs().size(), 1u);
    EXPECT_TRUE(dialogs.dialogs()[0].text.startsWith(QStringLiteral("The record 01030905.707 could not be deleted")));
    EXPECT_EQ(form->controls().recordNumber->text(), QStringLiteral("01030905.707"));
    EXPECT_EQ(form->controls().recordText->toPlainText(), QStringLiteral("x"));
    EXPECT_TRUE(platform::fileExists(quill + "/01030905.707"));
}

TEST_F(RecordTest, DeleteNeedsANumberAndAFileAndThenClearsAllEightBoxes) {
    form->deleteRecord();
    EXPECT_EQ(dialogs.dialogs(),
              std::vector<Shown>{Shown::message("There is no record number specified to delete!", kAttention)});

    dialogs.clearLog();
    form->controls().recordNumber->setText(QStringLiteral("01030905.707"));
    form->controls().searchString1->setText(QStringLiteral("kept"));
    form->deleteRecord();
    EXPECT_EQ(dialogs.dialogs(), std::vector<Shown>{Shown::message("Cannot find that file to delete", kAttention)});
    EXPECT_EQ(form->controls().searchString1->text(), QStringLiteral("kept"));

    dialogs.clearLog();
    writeFile(quill + "/01030905.707", "\"\"\r\n\"x\"\r\n");
    writeFile(quill + "/12061403.659", "\"\"\r\n\"other\"\r\n");
    form->controls().dataDirectory->setEditText(QStringLiteral("C:\\Quill"));
    form->controls().checkAlarms->setChecked(true);
    form->controls().searchString2->setText(QStringLiteral("s2"));
    form->controls().yearFilter->setText(QStringLiteral("26"));
    form->deleteRecord();
    EXPECT_EQ(dialogs.dialogs(), std::vector<Shown>{Shown::message("Record deleted!", kAttention)});
    EXPECT_EQ(quillFiles(), std::vector<std::string>{"12061403.659"});
    for (QLineEdit* box : {form->controls().reminderDate, form->controls().searchString1, form->controls().recordNumber,
                           form->controls().monthFilter, form->controls().dayFilter, form->controls().yearFilter,
                           form->controls().searchString2})
        EXPECT_TRUE(box->text().isEmpty()) << box->objectName().toStdString();
    EXPECT_EQ(form->controls().dataDirectory->currentText(), QStringLiteral("C:\\Quill"));
    EXPECT_TRUE(form->controls().checkAlarms->isChecked());
}

TEST_F(RecordTest, ClearFormEmptiesTheEightBoxesKeepsDirectoryAndAlarmsAndTouchesNoFile) {
    writeFile(quill + "/01030905.707", "\"\"\r\n\"x\"\r\n");
    const auto lineBoxes = {form->controls().reminderDate, form->controls().searchString1,
                            form->controls().recordNumber, form->controls().monthFilter,
                            form->controls().dayFilter,    form->controls().yearFilter,
                            form->controls().searchString2};
    for (QLineEdit* box : lineBoxes)
        box->setText(QStringLiteral("12"));
    form->controls().recordNumber->setText(QStringLiteral("01030905.707"));
    form->controls().recordText->setPlainText(QStringLiteral("x"));
    form->controls().dataDirectory->setEditText(QStringLiteral("d:\\notes"));
    form->controls().checkAlarms->setChecked(true);
    form->clearForm();
    for (QLineEdit* box : lineBoxes)
        EXPECT_TRUE(box->text().isEmpty()) << box->objectName().toStdString();
    EXPECT_TRUE(form->controls().recordText->toPlainText().isEmpty());
    EXPECT_EQ(form->controls().dataDirectory->currentText(), QStringLiteral("d:\\notes"));
    EXPECT_TRUE(form->controls().checkAlarms->isChecked());
    form->clearForm();
    EXPECT_TRUE(dialogs.events().empty());
    EXPECT_TRUE(form->controls().recordNumber->text().isEmpty());
    EXPECT_EQ(quillFiles(), std::vector<std::string>{"01030905.707"});
}

TEST_F(RecordTest, DirectoryCheckFallsBackOnlyWhenTheProbeFails) {
    const QString attention = QStringLiteral("Attention");
    const std::vector<Shown> fallback = {
        Shown::message("The directory you have specified does not exist.  Please create it.", attention),
        Shown::message("Directory being changed back to program default of C:\\QUILL", attention)};

    form->controls().dataDirectory->setEditText(QStringLiteral("C:\\QUILL"));
    form->checkDataDirectory();
    EXPECT_TRUE(dialogs.events().empty());
    EXPECT_TRUE(quillFiles().empty()) << "the probe file is gone again";

    ASSERT_TRUE(platform::makeDirectories(drivePath("c:\\my notes")).ok());
    form->controls().dataDirectory->setEditText(QStringLiteral("c:\\my notes"));
    form->checkDataDirectory();
    form->controls().dataDirectory->setEditText(QString()); // probes \testdir, in the root of drive C
    form->checkDataDirectory();
    EXPECT_TRUE(dialogs.events().empty());

    form->controls().dataDirectory->setEditText(QStringLiteral("e:\\nowhere"));
    form->checkDataDirectory();
    EXPECT_EQ(dialogs.dialogs(), fallback);
    EXPECT_EQ(form->controls().dataDirectory->currentText(), QStringLiteral("c:\\quill"));
    EXPECT_EQ(form->controls().dataDirectory->count(), 0) << "the list is not changed";
}

TEST_F(RecordTest, ReformatBreaksLongLinesAndRefusesToOverflowTheBox) {
    QString line;
    for (int i = 0; i < 20; ++i)
        line += QStringLiteral("abcd ");
    form->controls().recordText->setPlainText(line);
    form->reformatText();
    EXPECT_EQ(form->controls().recordText->toPlainText(), line.left(70) + "\n" + line.mid(70));

    // Only the space character is a place to break: a no-break space is not, and it stays one.
    dialogs.clearLog();
    app::setFieldBytes(form->controls().recordText, std::string(100, '\xA0'));
    form->reformatText();
    EXPECT_EQ(app::fieldBytes(form->controls().recordText), std::string(100, '\xA0'));
    EXPECT_EQ(dialogs.dialogs(), std::vector<Shown>{Shown::message(
                                     "The text has been reformatted.  Click SAVE to save changes.", kAttention)});

    dialogs.clearLog();
    QString full;
    while (full.size() < 29990)
        full += line; // 30000 characters of 66-character lines gain a break each: too long for the box
    full.truncate(29990);
    form->controls().recordText->setPlainText(full);
    form->reformatText();
    EXPECT_EQ(form->controls().recordText->toPlainText(), full) << "nothing of the user's text is dropped";
    ASSERT_EQ(dialogs.dialogs().size(), 1u);
    EXPECT_TRUE(dialogs.dialogs()[0].text.contains(QStringLiteral("longer than 30000 characters")));
    EXPECT_EQ(dialogs.dialogs()[0].title, kAttention);
}

} // namespace
} // namespace qb::test
