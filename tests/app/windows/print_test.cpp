// The two printouts driven through their handlers: the printer calls in order, the font copy, the dialogs and
// pointers, and what the windows do afterwards.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "app/text/text_codec.h"
#include "app/widgets/limited_text_edit.h"
#include "app/windows/reminder_window.h"
#include "form_fixture.h"

namespace qb::test {
namespace {

using Calls = std::vector<std::string>;

const Calls kFontCopy = {"font name Liberation Serif", "font size 12.5",      "font bold true", "font italic false",
                         "font underline true",        "font strikeout true", "color #000080"};
// The copy of the printer's own font, made when the font dialog is left as it opened at the first printout.
const Calls kCourierCopy = {"font name Courier New", "font size 10",         "font bold false", "font italic false",
                            "font underline false",  "font strikeout false", "color #000000"};

app::FontChoice serifChoice() {
    return {.name = "Liberation Serif",
            .pointSize = 12.5,
            .bold = true,
            .underline = true,
            .strikeout = true,
            .color = QColor(0, 0, 0x80)};
}

Calls joined(std::initializer_list<Calls> parts) {
    Calls all;
    for (const Calls& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// The printer calls that print the texts as items, from the first line's place, and then end the document.
Calls printedThenEnded(std::initializer_list<std::string> texts) {
    Calls calls{"first line 99 100"};
    for (const std::string& text : texts)
        calls.push_back("print " + text);
    calls.push_back("end");
    return calls;
}

Calls recordPage(const std::string& dateLine, const std::string& text) {
    return printedThenEnded({"   ", dateLine, "  ", text, "  ", " "});
}

class RecordPrintoutTest : public FormFixture {
protected:
    RecordPrintoutTest() {
        makeForm();
        form->controls().reminderDate->setText("12/25/26");
        form->controls().recordText->setPlainText("Buy tickets\nfor the show");
        form->controls().recordNumber->setText("120614035.659");
    }
};

TEST_F(RecordPrintoutTest, ChosenFontIsCopiedInOrderThenTheSixLinesPrint) {
    dialogs.expectFont(serifChoice());
    form->printRecord();

    // The text is one item with its line break as CR LF; the record number is not printed.
    EXPECT_EQ(printer.calls(),
              joined({kFontCopy, recordPage("Reminder date : 12/25/26", "Buy tickets\r\nfor the show")}));
    EXPECT_EQ(dialogs.events(),
              (std::vector<Shown>{Shown::pointer("MainWindow", app::Pointer::Hourglass), Shown::font(),
                                  Shown::pointer("MainWindow", app::Pointer::Default)}));
    EXPECT_EQ(form->controls().recordText->toPlainText(), "Buy tickets\nfor the show");
    EXPECT_EQ(form->controls().recordNumber->text(), "120614035.659");
}

// The font dialog opens on the printer's font: Courier New 10 in black at first, then the last font chosen. OK
// without a change copies exactly that, so the page is the one a cancel prints.
TEST_F(RecordPrintoutTest, TheFontDialogOpensOnThePrintersFont) {
    dialogs.expectFontUnchanged();
    form->printRecord();
    EXPECT_EQ(printer.calls(),
              joined({kCourierCopy, recordPage("Reminder date : 12/25/26", "Buy tickets\r\nfor the show")}));

    dialogs.expectFont(serifChoice());
    form->printRecord();
    dialogs.expectFontUnchanged();
    form->reminderWindow().printReminders();
    // The reminder printout opens on the font chosen before.
    EXPECT_EQ(dialogs.fontsOffered(),
              (std::vector<app::FontChoice>{app::initialPrinterFont(), app::initialPrinterFont(), serifChoice()}));
    EXPECT_EQ(printer.font(), serifChoice());
}

TEST_F(RecordPrintoutTest, CancelledFontDialogCopiesNothingAndStillPrints) {
    dialogs.expectFont(std::nullopt);
    form->printRecord();
    EXPECT_EQ(printer.calls(), joined({recordPage("Reminder date : 12/25/26", "Buy tickets\r\nfor the show")}));
    EXPECT_TRUE(dialogs.messages().empty());
}

TEST_F(RecordPrintoutTest, ARefusedCopyStopsTheCopiesAfterIt) {
    printer.refuse("font italic");
    dialogs.expectFont(serifChoice());
    form->printRecord();
    const Calls copied(kFontCopy.begin(), kFontCopy.begin() + 4);
    EXPECT_EQ(printer.calls(), joined({copied, recordPage("Reminder date : 12/25/26", "Buy tickets\r\nfor the show")}));
}

TEST_F(RecordPrintoutTest, AnEmptyFormPrintsSixLinesWithEmptyFields) {
    form->clearForm();
    dialogs.expectFont(std::nullopt);
    form->printRecord();
    EXPECT_EQ(printer.printed(), (Calls{"   ", "Reminder date : ", "  ", "", "  ", " "}));
}

TEST_F(RecordPrintoutTest, PdfFileOrFailedPrinterIsToldAfterThePointerIsBack) {
    using Kind = app::PrintResult::Kind;
    for (const app::PrintResult& outcome :
         {app::PrintResult{Kind::Printed, "saved as the PDF file\n/x/printouts/p.pdf"},
          app::PrintResult{Kind::Failed, "no paper"}}) {
        dialogs.clearLog();
        printer.setOutcome(outcome);
        dialogs.expectFont(std::nullopt);
        form->printRecord();
        EXPECT_EQ(dialogs.events().back(), Shown::message(outcome.message, "Attention!"));
        EXPECT_EQ(dialogs.events().end()[-2], Shown::pointer("MainWindow", app::Pointer::Default));
    }
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->controls().reminderDate->text(), "12/25/26");
}

// A printout shows what the screen shows: characters the record files cannot store, a no-break space and a lone
// line feed from a record file print as they are, in a font of any name.
TEST_F(RecordPrintoutTest, EveryCharacterOnScreenPrintsInAnyFont) {
    app::FontChoice anyFont = serifChoice();
    anyFont.name = QString::fromUtf8("Noto Sans CJK \u65e5\u672c");
    form->controls().reminderDate->setText(QString::fromUtf8("12/25/\u2192"));
    app::setFieldBytes(form->controls().recordText, std::string("a\xA0") + "b\nc");
    form->controls().recordText->appendPlainText(QString::fromUtf8("Snow \u2603 day"));
    dialogs.expectFont(anyFont);
    form->printRecord();

    EXPECT_EQ(printer.calls()[0], "font name Noto Sans CJK \u65e5\u672c");
    EXPECT_EQ(printer.printed(),
              (Calls{"   ", "Reminder date : 12/25/\u2192", "  ", "a\u00a0b\nc\r\nSnow \u2603 day", "  ", " "}));
    EXPECT_TRUE(dialogs.messages().empty());

    form->reminderWindow().controls().reminderList->setPlainText(QString::fromUtf8("Reminder dated: 12/06/26\n\u2603"));
    dialogs.expectFont(anyFont);
    form->reminderWindow().printReminders();
    EXPECT_EQ(printer.printed().end()[-2], "Reminder dated: 12/06/26\r\n\u2603");
}

class ReminderPrintoutTest : public FormFixture {
protected:
    ReminderPrintoutTest() {
        makeForm();
        fillMainForm();
        form->reminderWindow().controls().reminderList->setPlainText("Reminder dated: 12/06/26\n\nFeed the cat\n");
    }
    app::ReminderWindow& reminderWindow() { return form->reminderWindow(); }

    void fillMainForm() {
        for (QLineEdit* box : {form->controls().reminderDate, form->controls().searchString1,
                               form->controls().recordNumber, form->controls().monthFilter, form->controls().dayFilter,
                               form->controls().yearFilter, form->controls().searchString2})
            box->setText("1");
        form->controls().recordText->setPlainText("found record");
        form->controls().dataDirectory->setEditText("c:\\notes");
        form->controls().checkAlarms->setChecked(true);
    }
    void expectMainFormEmpty() {
        EXPECT_TRUE(form->controls().recordText->toPlainText().isEmpty());
        for (QLineEdit* box : {form->controls().reminderDate, form->controls().searchString1,
                               form->controls().recordNumber, form->controls().monthFilter, form->controls().dayFilter,
                               form->controls().yearFilter, form->controls().searchString2})
            EXPECT_TRUE(box->text().isEmpty()) << box->objectName().toStdString();
        EXPECT_EQ(form->controls().dataDirectory->currentText(), "c:\\notes");
        EXPECT_TRUE(form->controls().checkAlarms->isChecked());
    }
};

const Calls kReminderPage = printedThenEnded({"   ", "The set of reminders was printed on: 12-06-2026    14:03:59",
                                              "  ", "Reminder dated: 12/06/26\r\n\r\nFeed the cat\r\n", " "});

TEST_F(ReminderPrintoutTest, PrintsTheListWithTheDateLineThenProceedsToTheMainWindow) {
    ASSERT_TRUE(reminderWindow().isVisible());
    dialogs.expectFont(serifChoice());
    reminderWindow().printReminders();

    EXPECT_EQ(printer.calls(), joined({kFontCopy, kReminderPage}));
    // The font dialog belongs to the reminder window; the pointer is the main window's.
    ASSERT_EQ(dialogs.events(),
              (std::vector<Shown>{Shown::pointer("MainWindow", app::Pointer::Hourglass), Shown::font(),
                                  Shown::pointer("MainWindow", app::Pointer::Default)}));
    EXPECT_EQ(dialogs.events()[1].parent, "ReminderWindow");
    EXPECT_FALSE(reminderWindow().isVisible());
    EXPECT_TRUE(form->isVisible());
    expectMainFormEmpty();
    // The list stays in the hidden window.
    EXPECT_EQ(reminderWindow().controls().reminderList->toPlainText(), "Reminder dated: 12/06/26\n\nFeed the cat\n");
}

TEST_F(ReminderPrintoutTest, TheFirstPrintoutWithTheFontLeftAsShownIsInCourierNew10Black) {
    dialogs.expectFontUnchanged();
    reminderWindow().printReminders();
    EXPECT_EQ(dialogs.fontsOffered(), (std::vector<app::FontChoice>{app::initialPrinterFont()}));
    EXPECT_EQ(printer.calls(), joined({kCourierCopy, kReminderPage}));
}

TEST_F(ReminderPrintoutTest, AnEmptyListAndACancelledFontStillPrintFiveLines) {
    clock.set({2027, 1, 2, 9, 5, 7});
    reminderWindow().controls().reminderList->clear();
    dialogs.expectFont(std::nullopt);
    reminderWindow().printReminders();
    EXPECT_EQ(printer.calls(),
              joined({printedThenEnded(
                  {"   ", "The set of reminders was printed on: 01-02-2027    09:05:07", "  ", "", " "})}));
    expectMainFormEmpty();
}

TEST_F(ReminderPrintoutTest, AFailedPrinterKeepsTheReminderWindowForAnotherTry) {
    printer.setOutcome({app::PrintResult::Kind::Failed, "The printer is off line."});
    dialogs.expectFont(std::nullopt);
    reminderWindow().printReminders();
    EXPECT_EQ(dialogs.messages(), (std::vector<Shown>{Shown::message("The printer is off line.", "Attention!")}));
    EXPECT_TRUE(reminderWindow().isVisible());
    EXPECT_FALSE(form->isVisible());

    printer.setOutcome({});
    dialogs.expectFont(std::nullopt);
    reminderWindow().printReminders();
    EXPECT_FALSE(reminderWindow().isVisible());
    expectMainFormEmpty();
}

} // namespace
} // namespace qb::test
