// Importing records from a comma-delimited file through the main window: the answer, the dialogs in order, the
// pointer, the record files and the record on screen.

#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <filesystem>
#include <gtest/gtest.h>

#include "app/widgets/limited_text_edit.h"
#include "form_fixture.h"

namespace qb::test {
namespace {

const Shown kAsk =
    Shown::input("Enter the number of items/groups in quotes per record (1-100)", "Your input is needed!");
const Shown kChoose =
    Shown::message("On the next screen, choose the text file (comma delimited) that you want to open.", "Attention!");
const Shown kFileDialog = Shown::openFile("all files (*.*)|*.*| Text Files (*.txt)|*.txt", 2);
const Shown kPatient = Shown::message(
    "The importing process takes a long time (2 seconds/record).  Press Enter to begin - BE PATIENT!", "Attention!");
const Shown kImported =
    Shown::jobEndMessage("The records have been imported into the specified directory!", "Attention!");
const Shown kStopQuestion = Shown::confirm("Stop the import after the record being written?", "Importing records");
const QString kProblemText = QStringLiteral("There was a problem importing your file.  Please read the documention.");
const Shown kProblem = Shown::jobEndMessage(kProblemText, "Attention");
const Shown kHourglass = Shown::pointer("MainWindow", app::Pointer::Hourglass);
const Shown kDefault = Shown::pointer("MainWindow", app::Pointer::Default);

const std::string kSmithJones = "\"Smith\",\"12 Oak St\"\r\n\"Jones\",\"4 Elm Rd\"\r\n";

class ImportTest : public FormFixture {
protected:
    void SetUp() override {
        quill = makeQuillFolder();
        makeForm();
        writeFile(source, kSmithJones);
    }
    /** Scripts one whole run: the answers to the input box, then the file the dialog returns and, when there is
     *  one, the progress window of the import. */
    void script(std::initializer_list<const char*> answers, const std::string& file) {
        for (const char* answer : answers)
            dialogs.expectInput(QString::fromUtf8(answer));
        dialogs.expectOpenFile(QString::fromStdString(file));
        if (!file.empty())
            dialogs.expectProgress();
    }
    std::string source = workdir / "people.csv";
    std::string quill;
};

TEST_F(ImportTest, ARunShowsItsDialogsInOrderAndLeavesTheRecordOnScreen) {
    form->controls().recordText->setPlainText(QStringLiteral("on screen"));
    form->controls().reminderDate->setText(QStringLiteral("12/25/26"));
    form->controls().recordNumber->setText(QStringLiteral("01030905.707"));
    script({"2"}, source);
    form->importRecords();

    // The progress window names the record that comes next, and the wait after the last one.
    EXPECT_EQ(dialogs.events(), (std::vector<Shown>{kAsk, kChoose, kFileDialog, kPatient, kHourglass,
                                                    Shown::progress("Reading the file...", "Importing records"),
                                                    Shown::progress("Record 1 of 2 - about 4 seconds left", {}, "0/2"),
                                                    Shown::progress("Record 2 of 2 - about 2 seconds left", {}, "1/2"),
                                                    Shown::progress("Record 2 of 2 - about 2 seconds left", {}, "2/2"),
                                                    Shown::progress({}, {}, "closed"), kImported, kDefault}));
    EXPECT_EQ(listFolder(quill), (std::vector<std::string>{"12061403.659", "12061404.601"}));
    EXPECT_EQ(readFile(quill + "/12061404.601"), "\"\"\r\n\"Jones\r\n4 Elm Rd\r\n\"\r\n");
    EXPECT_EQ(form->controls().recordText->toPlainText(), QStringLiteral("on screen"));
    EXPECT_EQ(form->controls().reminderDate->text(), QStringLiteral("12/25/26"));
    EXPECT_EQ(form->controls().recordNumber->text(), QStringLiteral("01030905.707"));
}

TEST_F(ImportTest, AnswersOutsideTheRangeOrNoWholeNumberAreAskedAgainWithoutAMessage) {
    script({"0", "-1", " 5", "A", "99999", "5x", "1e9", "40000", "2.5"}, source);
    form->importRecords();
    std::vector<Shown> asked(9, kAsk);
    asked.insert(asked.end(), {kChoose, kFileDialog, kPatient, kImported});
    EXPECT_EQ(dialogs.dialogs(), asked);
    // 2.5 rounds to two fields a record.
    ASSERT_EQ(listFolder(quill).size(), 2u);
    EXPECT_EQ(readFile(quill + "/12061403.659"), "\"\"\r\n\"Smith\r\n12 Oak St\r\n\"\r\n");
}

TEST_F(ImportTest, AcceptedAnswersGoOnToTheFileDialogAndNoFileEndsQuietly) {
    for (const char* answer : {"1", "100", "9999", "250", "10000"}) {
        dialogs.clearLog();
        script({answer}, "");
        form->importRecords();
        EXPECT_EQ(dialogs.events(), (std::vector<Shown>{kAsk, kChoose, kFileDialog, kDefault})) << answer;
    }
    EXPECT_TRUE(listFolder(quill).empty());
}

TEST_F(ImportTest, AnEmptyAnswerEndsQuietly) {
    dialogs.expectInput(QString());
    form->importRecords();
    EXPECT_EQ(dialogs.events(), (std::vector<Shown>{kAsk, kDefault}));
    EXPECT_EQ(dialogs.pendingAnswers(), 0u);
}

TEST_F(ImportTest, AMissingTargetFolderTakesTheProblemPath) {
    form->controls().dataDirectory->setEditText(QStringLiteral("c:\\nowhere"));
    script({"2"}, source);
    form->importRecords();
    EXPECT_EQ(dialogs.dialogs(), (std::vector<Shown>{kAsk, kChoose, kFileDialog, kPatient, kProblem}));
    EXPECT_EQ(dialogs.events().end()[-3], Shown::progress({}, {}, "closed")) << "the problem comes after the window";
    EXPECT_FALSE(std::filesystem::exists(drivePath("c:\\nowhere")));
}

TEST_F(ImportTest, TheFolderAndADrivePathAreFoundWhateverTheirLetterCase) {
    form->controls().dataDirectory->setEditText(QStringLiteral("C:\\QUILL"));
    script({"4"}, "c:\\People.CSV"); // a drive path typed into the file dialog
    writeFile(drivePath("c:\\") + "/people.csv", kSmithJones);
    form->importRecords();
    EXPECT_EQ(dialogs.messages().back(), kImported);
    EXPECT_EQ(listFolder(quill), std::vector<std::string>{"12061403.659"});
}

TEST_F(ImportTest, AFileThatRunsOutOfFieldsKeepsTheWholeRecords) {
    writeFile(source, "a,b,c,d,e,f,g\r\n");
    script({"3"}, source);
    form->importRecords();
    EXPECT_EQ(dialogs.messages(), (std::vector<Shown>{kChoose, kPatient, kProblem}));
    EXPECT_EQ(dialogs.events().back(), kDefault);
    EXPECT_EQ(listFolder(quill).size(), 2u);
}

TEST_F(ImportTest, ACharacterTheRecordsCannotHoldIsNamed) {
    writeFile(source, "fine,caf\xC3\xA9,done \xE2\x9C\x93\r\n");
    script({"1"}, source);
    form->importRecords();
    const Shown problem = dialogs.messages().back();
    EXPECT_EQ(problem.title, QStringLiteral("Attention"));
    EXPECT_TRUE(problem.text.startsWith(kProblemText));
    EXPECT_TRUE(problem.text.contains(QStringLiteral("\u2713 (U+2713)"))) << problem.text.toStdString();
    EXPECT_TRUE(listFolder(quill).empty());

    // In the folder's name it ends the import before the file is asked for.
    dialogs.clearLog();
    form->controls().dataDirectory->setEditText(QStringLiteral("c:\\\u2713"));
    dialogs.expectInput(QStringLiteral("1"));
    form->importRecords();
    ASSERT_EQ(dialogs.events().size(), 3u);
    EXPECT_TRUE(dialogs.events()[1].text.contains(QStringLiteral("U+2713")));
    EXPECT_EQ(dialogs.events()[2], kDefault);
}

TEST_F(ImportTest, AFileThatIsNoTextSaysWhy) {
    writeFile(source, std::string("\xFF\xFES\0m\0i\0", 7)); // UTF-16 by its mark, but half a character at the end
    script({"1"}, source);
    form->importRecords();
    const Shown problem = dialogs.messages().back();
    EXPECT_EQ(problem.title, QStringLiteral("Attention"));
    EXPECT_TRUE(problem.text.startsWith(kProblemText + QStringLiteral("\n\nThe file begins as UTF-16")))
        << problem.text.toStdString();
    EXPECT_TRUE(listFolder(quill).empty());
}

// Stop after the first of three records: that record stays whole, nothing of the others is written, and the user is
// told. Meanwhile no key reaches the main window.
TEST_F(ImportTest, StopEndsTheRunAfterTheRecordBeingWrittenAndNoInputReachesTheMainWindow) {
    writeFile(source, "\"Smith\",\"12 Oak St\"\r\n\"Jones\",\"4 Elm Rd\"\r\n\"Brown\",\"9 Ash Ln\"\r\n");
    ASSERT_TRUE(showActive(form.get()));
    form->controls().recordText->setFocus();
    dialogs.expectInput(QStringLiteral("2"));
    dialogs.expectOpenFile(QString::fromStdString(source));
    dialogs.expectProgress(1, [&] {
        QTest::keyClicks(form->controls().recordText, "typed");
        QTest::keyClick(form->controls().recordText, Qt::Key_V, Qt::AltModifier); // "Sa&ve Record"
    });
    dialogs.expectConfirm(true);
    form->importRecords();

    EXPECT_EQ(listFolder(quill), std::vector<std::string>{"12061403.659"});
    EXPECT_EQ(readFile(quill + "/12061403.659"), "\"\"\r\n\"Smith\r\n12 Oak St\r\n\"\r\n");
    const std::vector<Shown> progress = dialogs.only({Shown::Kind::Progress});
    EXPECT_EQ(progress, (std::vector<Shown>{Shown::progress("Reading the file...", "Importing records"),
                                            Shown::progress("Record 1 of 3 - about 6 seconds left", {}, "0/3"),
                                            Shown::progress("Record 2 of 3 - about 4 seconds left", {}, "1/3"),
                                            Shown::progress({}, {}, "closed")}));
    EXPECT_EQ(dialogs.dialogs(),
              (std::vector<Shown>{kAsk, kChoose, kFileDialog, kPatient, kStopQuestion,
                                  Shown::jobEndMessage("The import was stopped: 1 record was imported into the "
                                                       "specified directory. The remaining records were not imported.",
                                                       "Attention!")}));
    EXPECT_TRUE(form->controls().recordText->toPlainText().isEmpty()) << "no key reached the record box";

    QTest::keyClicks(form->controls().recordText, "after");
    EXPECT_EQ(form->controls().recordText->toPlainText(), QStringLiteral("after"))
        << "input comes back after the import";
}

// Stop asks first, and No goes on as if Stop had not been pressed: every record is imported.
TEST_F(ImportTest, StopAnsweredNoGoesOnWithEveryRecord) {
    writeFile(source, "\"Smith\",\"12 Oak St\"\r\n\"Jones\",\"4 Elm Rd\"\r\n\"Brown\",\"9 Ash Ln\"\r\n");
    dialogs.expectInput(QStringLiteral("2"));
    dialogs.expectOpenFile(QString::fromStdString(source));
    dialogs.expectProgress(1);
    dialogs.expectConfirm(false);
    form->importRecords();
    EXPECT_EQ(dialogs.dialogs(), (std::vector<Shown>{kAsk, kChoose, kFileDialog, kPatient, kStopQuestion, kImported}));
    EXPECT_EQ(listFolder(quill), (std::vector<std::string>{"12061403.659", "12061404.601", "12061404.603"}));
    EXPECT_EQ(readFile(quill + "/12061404.603"), "\"\"\r\n\"Brown\r\n9 Ash Ln\r\n\"\r\n");
}

} // namespace
} // namespace qb::test
