// The four windows against their tables: controls, texts, tool tips, places, fonts, tab order and limits; and the
// window behaviour that needs no record files: the splash, the about window, clearing the form, leaving the
// reminder window, and the directory check running before a button's operation.

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <cmath>

#include "app/reminder_window.h"
#include "app/about_window.h"
#include "app/splash_window.h"
#include "app/limited_text_edit.h"
#include "app/text_codec.h"
#include "support/form_fixture.h"

namespace qb::test {
namespace {

using app::Pointer;

/** One line of a window's control table; positions in twips. */
struct Row {
    const char* name;
    QString caption;
    QString toolTip;
    int left, top, width, height;
    const char* frame = nullptr; ///< the enclosing frame, when not the window itself
};

int pixels(int twips) {
    return static_cast<int>(std::lround(twips * QGuiApplication::primaryScreen()->logicalDotsPerInch() / 1440.0));
}

QSize pixelSize(int width, int height) {
    return {pixels(width), pixels(height)};
}

QString captionOf(const QWidget* control) {
    if (auto* button = qobject_cast<const QAbstractButton*>(control))
        return button->text();
    if (auto* label = qobject_cast<const QLabel*>(control))
        return label->text();
    if (auto* frame = qobject_cast<const QGroupBox*>(control))
        return frame->title();
    if (auto* edit = qobject_cast<const QLineEdit*>(control))
        return edit->text();
    if (auto* box = qobject_cast<const QPlainTextEdit*>(control))
        return box->toPlainText();
    if (auto* combo = qobject_cast<const QComboBox*>(control))
        return combo->currentText();
    return {};
}

void expectControls(const QWidget* window, const std::vector<Row>& rows) {
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto* control = window->findChild<QWidget*>(QString::fromLatin1(row.name));
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(captionOf(control), row.caption);
        EXPECT_EQ(control->toolTip(), row.toolTip);
        const QRect table(pixels(row.left), pixels(row.top), pixels(row.width), pixels(row.height));
        if (qobject_cast<const QLabel*>(control) && control->width() > table.width()) {
            // A label may grow to the right so that its text is not cut off, and only as far as its text needs.
            EXPECT_EQ(control->geometry().topLeft(), table.topLeft());
            EXPECT_EQ(control->height(), table.height());
            EXPECT_EQ(control->width(), control->sizeHint().width());
        } else {
            EXPECT_EQ(control->geometry(), table);
        }
        const QString container = row.frame ? QString::fromLatin1(row.frame) : window->objectName();
        EXPECT_EQ(control->parentWidget()->objectName(), container);
        EXPECT_FALSE(control->accessibleName().isEmpty());
    }
}

void expectFont(const QWidget* control, const QString& family, double points) {
    SCOPED_TRACE(control->objectName().toStdString());
    EXPECT_EQ(QFontInfo(control->font()).family(), family);
    EXPECT_DOUBLE_EQ(control->font().pointSizeF(), points);
}

void expectCentred(const QWidget* window) {
    const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
    // The window manager's frame may shift the client area by a few pixels.
    EXPECT_LE((window->geometry().center() - screenCentre).manhattanLength(), 12) << window->objectName().toStdString();
}

const QString kSans = QStringLiteral("Liberation Sans");
const QString kMono = QStringLiteral("Liberation Mono");

class WindowsTest : public FormFixture {};

TEST_F(WindowsTest, MainWindowFollowsItsTable) {
    app::Form1& f = makeForm();
    const QString searchTip = QStringLiteral("Enter a word or exact phrase to search for here. ");
    expectControls(
        &f,
        {{"Command1", "&Search",
          "After entering in search string(s) and/or a reminder date, search for matching records by clicking this.",
          2880, 1080, 1695, 495},
         {"Text1", "", "", 120, 3600, 8895, 2655},
         {"Text2", "",
          "Enter a date here to bring up any records with an alarm set to a particular date or set a date here for a "
          "reminder later",
          120, 2880, 2655, 285},
         {"text3", "", searchTip, 120, 1440, 1215, 285},
         {"Text5", "",
          "Shows you the record number of a recalled record.  This  number also indicates its creation date and time.",
          120, 480, 2655, 285},
         {"Label1", "Reminder date mm/dd/yy", "", 360, 2640, 2175, 255},
         {"Label2", "Search Strings to look for:", "", 360, 1080, 2175, 255},
         {"Label3", "Record Number", "", 360, 240, 2295, 255},
         {"Label4", "Location of data i.e., c:\\quill", "", 360, 1920, 2535, 255},
         {"Command2", "E&xit", "Click here to exit the program!", 7080, 1920, 1695, 495},
         {"Command3", "Sa&ve Record", "Save or resave the currently displayed record.", 4920, 240, 1815, 495},
         {"Command4", "&Clear form", "Clear out the current form", 2880, 240, 1695, 495},
         {"Command5", "&Delete record", "Delete the currently displayed record.", 7080, 240, 1695, 495},
         {"Check1", "Check alarms",
          "Click this check box to have the program check for reminders set to this date when the program starts", 7080,
          3240, 1335, 255},
         {"Command8", "&Print current record", "Print out the current displayed record", 4920, 1080, 1815, 495},
         {"Combo1", "c:\\quill",
          "Choose a directory to save your data in.   See the documentation about how to automatically add "
          "additional directories to this text box!",
          120, 2160, 2655, 330},
         {"Command9", "&Import records",
          "Import records from other programs.  See the documentation for more information.", 7080, 1080, 1695, 495},
         {"Frame1", "Use when searching - increases speed", "", 2880, 2640, 4095, 735},
         {"Text4", "",
          "Enter a 2 digit month here to speed up a search by only searching records made in the entered month", 120,
          240, 375, 285, "Frame1"},
         {"Label5", "2-digit month", "", 600, 360, 975, 255, "Frame1"},
         {"Text6", "",
          "Enter a 2 or 4 digit year here to speed up a search by only searching records made in the entered year",
          3120, 240, 495, 285, "Frame1"},
         {"Label6", "Yr", "", 3720, 360, 255, 255, "Frame1"},
         {"Text7", "", searchTip, 1560, 1440, 1215, 285},
         {"Text8", "",
          "Enter a 2 digit day here to speed up a search by only searching records made in the entered day", 1680, 240,
          375, 285, "Frame1"},
         {"Label7", "2-digit day", "", 2160, 360, 735, 255, "Frame1"},
         {"Command6", "Password", "Allows a user to set up or delete a password for entry into the program", 4920, 1920,
          1815, 495},
         {"Command7", "Set as default", "Makes the selected directory the default when you start the program.", 2880,
          1920, 1695, 495},
         {"Command10", "About the author", "Hey, who is that genius author?", 7080, 2640, 1695, 495},
         {"Command11", "R",
          "Click here to reformat the text in the large text box adding hard carriage returns to help with printing "
          "at a later time.",
          8400, 3240, 375, 255}});

    EXPECT_TRUE(f.windowTitle().startsWith(QStringLiteral("  Quillbox 1.2 ")));
    EXPECT_GT(f.windowTitle().size(), 20) << "the credit line is missing";
    EXPECT_EQ(f.size(), pixelSize(9045, 6525));
    expectCentred(&f);
    EXPECT_EQ(f.Text2->accessibleName(), QStringLiteral("Reminder date mm/dd/yy"));

    for (const QWidget* box : std::initializer_list<const QWidget*>{f.Text1, f.Text2, f.text3, f.Text5, f.Text4,
                                                                    f.Text6, f.Text7, f.Text8, f.Combo1})
        expectFont(box, kMono, 8.25);
    for (const QWidget* other :
         std::initializer_list<const QWidget*>{f.Command1, f.Label1, f.Check1, f.Frame1, f.Label5, f.Command11})
        expectFont(other, kSans, 8.25);

    EXPECT_TRUE(f.Combo1->isEditable());
    EXPECT_EQ(f.Text1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_TRUE(f.Text1->tabChangesFocus());
    EXPECT_TRUE(f.Text5->isReadOnly());
    EXPECT_NE(f.Text5->palette().color(QPalette::Base), f.Text2->palette().color(QPalette::Base))
        << "the record number box is not grey";
    QTest::keyClicks(f.Text5, "1206");
    EXPECT_EQ(f.Text5->text(), QString());
}

TEST_F(WindowsTest, OtherWindowsFollowTheirTables) {
    app::Form1& f = makeForm();
    app::Form2& reminders = f.form2();
    expectControls(
        &reminders,
        {{"Command1", "Click here to proceed into the main program", "Click here after viewing any alarms from today",
          3360, 6000, 3735, 495},
         {"Text1", "", "", 120, 240, 9285, 5295},
         {"Label1",
          "Above you will find any records containing a reminder date of today.   Additional searches may "
          "be performed later.",
          "", 240, 5640, 10335, 255},
         {"Command2", "Print these reminders", "Prints out the reminders shown above.", 240, 6000, 2415, 495}});
    EXPECT_EQ(reminders.windowTitle(), QStringLiteral("(Quillbox 1.2)  Reminder Date Alarm Search Results"));
    EXPECT_EQ(reminders.size(), pixelSize(9480, 6795));
    expectCentred(&reminders);
    EXPECT_TRUE(reminders.Command1->isDefault());
    expectFont(reminders.Text1, kMono, 8.25);
    expectFont(reminders.Command1, kSans, 8.25);
    expectFont(reminders.Label1, kSans, 8.25);

    f.Command10_Click();
    app::Form3* about = f.form3();
    ASSERT_NE(about, nullptr);
    expectControls(about, {{"Image1", "", "", 120, 120, 4080, 3000},
                           {"Command1", "Click here to return to the program", "", 120, 5400, 3135, 615}});
    EXPECT_EQ(about->windowTitle(), QStringLiteral("Quillbox 1.2 - The author:"));
    EXPECT_EQ(about->size(), pixelSize(4455, 6225));
    EXPECT_TRUE(about->Image1->hasScaledContents());
    for (const QLabel* line : {about->Label1, about->Label2, about->Label3, about->Label4, about->Label5}) {
        EXPECT_FALSE(line->text().isEmpty());
        EXPECT_GT(line->y(), about->Image1->geometry().bottom()) << "the lines sit below the picture";
        EXPECT_LT(line->geometry().bottom(), about->Command1->y());
    }

    app::frmSplash splash([] {}, exit);
    expectControls(&splash, {{"Frame1", "", "", 150, 0, 7080, 4050}});
    EXPECT_EQ(splash.size(), pixelSize(7380, 4170));
    expectCentred(&splash);
    EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(splash.imgLogo->pixmap().size(), QSize(320, 200));
    const std::pair<QLabel*, QString> lettering[] = {{splash.lblProductName, "Quillbox"},
                                                     {splash.lblCompanyProduct, "Presenting:"},
                                                     {splash.lblPlatform, "For Windows 95/98/NT"},
                                                     {splash.lblVersion, "Version 1.2"}};
    for (const auto& [label, text] : lettering)
        EXPECT_EQ(label->text(), text);
    expectFont(splash.lblProductName, kSans, 32.25);
    expectFont(splash.lblCompanyProduct, kSans, 18);
    expectFont(splash.lblPlatform, kSans, 15.75);
    expectFont(splash.lblVersion, kSans, 12);
    EXPECT_TRUE(splash.lblProductName->font().bold() && splash.lblVersion->font().bold());
    EXPECT_TRUE(splash.lblPlatform->alignment() & Qt::AlignRight);
    EXPECT_TRUE(splash.lblVersion->alignment() & Qt::AlignRight);
    for (QLabel* line : {splash.lblSlogan, splash.lblCompany, splash.lblCopyright, splash.lblContact}) {
        EXPECT_FALSE(line->text().isEmpty());
        expectFont(line, kSans, 8.25);
    }
}

/** The control that has the focus; the directory box's inner line edit counts as the box. */
QWidget* focusedControl() {
    QWidget* focus = QApplication::focusWidget();
    if (focus && qobject_cast<QComboBox*>(focus->parentWidget()))
        return focus->parentWidget();
    return focus;
}

/** The controls the focus visits, from where it is, pressing Tab between them. */
std::vector<QString> tabWalk(std::size_t steps) {
    std::vector<QString> names;
    for (std::size_t i = 0; i < steps; ++i) {
        names.push_back(focusedControl() ? focusedControl()->objectName() : QStringLiteral("(none)"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    return names;
}

TEST_F(WindowsTest, TabOrderRunsAsInTheTablesFromSearch) {
    makeQuillFolder(); // leaving the directory box checks it
    app::Form1& f = makeForm();
    ASSERT_TRUE(showActive(&f));
    const std::vector<QString> mainOrder = {"Command1", "Text1",     "Text2",     "text3",   "Text5",    "Command2",
                                            "Command3", "Command4",  "Command5",  "Check1",  "Command8", "Combo1",
                                            "Command9", "Text4",     "Text6",     "Text7",   "Text8",    "Command6",
                                            "Command7", "Command10", "Command11", "Command1"};
    EXPECT_EQ(tabWalk(mainOrder.size()), mainOrder);
    EXPECT_EQ(dialogs.events(), std::vector<Shown>{}) << "leaving an existing directory shows nothing";

    app::Form2& reminders = f.form2();
    ASSERT_TRUE(showActive(&reminders));
    EXPECT_EQ(tabWalk(4), (std::vector<QString>{"Command1", "Text1", "Command2", "Command1"}));
}

TEST_F(WindowsTest, FilterBoxesAndRecordTextRefuseCharactersBeyondTheirLimit) {
    app::Form1& f = makeForm();
    for (QLineEdit* filter : {f.Text4, f.Text8, f.Text6}) {
        QTest::keyClicks(filter, "123");
        EXPECT_EQ(filter->text(), QStringLiteral("12")) << filter->objectName().toStdString();
    }

    // A line break is stored as CR LF and counts two.
    const QString start(29997, 'a');
    f.Text1->setPlainText(start);
    f.Text1->moveCursor(QTextCursor::End);
    QTest::keyClick(f.Text1, Qt::Key_Return);
    QTest::keyClicks(f.Text1, "bcd");
    EXPECT_EQ(f.Text1->toPlainText(), start + "\nb");
    QTest::keyClick(f.Text1, Qt::Key_Return);
    EXPECT_EQ(app::storedLength(f.Text1->toPlainText()), 30000);

    // Typing over a selection gives its room back; a paste is cut to the room left.
    f.Text1->moveCursor(QTextCursor::Left, QTextCursor::KeepAnchor);
    QTest::keyClicks(f.Text1, "x");
    EXPECT_EQ(f.Text1->toPlainText(), start + "\nx");
    QTest::keyClick(f.Text1, Qt::Key_Backspace);
    QApplication::clipboard()->setText(QStringLiteral("yz\r\nw"));
    f.Text1->paste();
    EXPECT_EQ(f.Text1->toPlainText(), start + "\ny");
    f.Text1->setPlainText(start);
    f.Text1->moveCursor(QTextCursor::End);
    f.Text1->paste();
    EXPECT_EQ(f.Text1->toPlainText(), start + "yz") << "the line break would take two";
    f.Text1->setPlainText(QString(29995, 'a'));
    f.Text1->moveCursor(QTextCursor::End);
    f.Text1->paste();
    EXPECT_EQ(f.Text1->toPlainText(), QString(29995, 'a') + "yz\nw");

    // Text committed by an input method (dead keys, compose, IBus) is held to the same limit.
    f.Text1->setPlainText(QString(29998, 'a'));
    f.Text1->moveCursor(QTextCursor::End);
    QInputMethodEvent composed;
    composed.setCommitString(QStringLiteral("\u00e9\u00e8\u00ea"));
    QApplication::sendEvent(f.Text1, &composed);
    EXPECT_EQ(f.Text1->toPlainText(), QString(29998, 'a') + QStringLiteral("\u00e9\u00e8"));

    // The program may put a longer text there; the user cannot make it longer still, but may shorten it.
    f.Text1->setPlainText(QString(30005, 'q'));
    f.Text1->moveCursor(QTextCursor::End);
    QTest::keyClicks(f.Text1, "r");
    f.Text1->paste();
    EXPECT_EQ(f.Text1->toPlainText(), QString(30005, 'q'));
    QTest::keyClick(f.Text1, Qt::Key_Backspace);
    EXPECT_EQ(f.Text1->toPlainText().size(), 30004);
}

TEST_F(WindowsTest, SplashStartsTheMainWindowOnceAfterFiveSeconds) {
    int starts = 0;
    app::frmSplash* self = nullptr;
    app::frmSplash splash(
        [&] {
            ++starts;
            self->Timer1_Timer(); // the timer firing again while start-up waits at the password prompt
        },
        exit);
    self = &splash;
    splash.show();
    EXPECT_EQ(splash.Timer1->interval(), 5000);
    EXPECT_TRUE(splash.Timer1->isActive());

    splash.Timer1_Timer();
    splash.Timer1_Timer();
    EXPECT_EQ(starts, 1);
    EXPECT_FALSE(splash.Timer1->isActive());
    EXPECT_FALSE(splash.isVisible());
    EXPECT_EQ(exit.calls(), 0);
}

TEST_F(WindowsTest, EarlyKeyOrFrameClickEndsTheProgramWithoutStartingIt) {
    int starts = 0;
    {
        app::frmSplash splash([&] { ++starts; }, exit);
        splash.show();
        QTest::keyClick(&splash, Qt::Key_Shift); // a key without a character does nothing
        EXPECT_EQ(exit.calls(), 0);
        QTest::keyClick(&splash, Qt::Key_A);
        EXPECT_EQ(exit.calls(), 1);
        EXPECT_FALSE(splash.Timer1->isActive());
        splash.Timer1_Timer();
        EXPECT_EQ(starts, 0);
    }
    app::frmSplash splash([&] { ++starts; }, exit);
    splash.show();
    QTest::mouseClick(splash.lblProductName, Qt::LeftButton);
    QTest::mouseClick(splash.imgLogo, Qt::LeftButton);
    EXPECT_EQ(exit.calls(), 1) << "a click on the lettering or the picture does nothing";
    QPoint bare;
    for (int x = splash.Frame1->width() - 4; x > 0 && bare.isNull(); x -= 4)
        if (!splash.Frame1->childAt(x, splash.Frame1->height() / 2))
            bare = {x, splash.Frame1->height() / 2};
    ASSERT_FALSE(bare.isNull());
    QTest::mouseClick(splash.Frame1, Qt::LeftButton, {}, bare);
    EXPECT_EQ(exit.calls(), 2);
    EXPECT_EQ(starts, 0);
}

TEST_F(WindowsTest, AboutWindowOpensBesideTheMainWindowAndReturnUnloadsIt) {
    app::Form1& f = makeForm();
    f.Command10->click();
    QPointer<app::Form3> about = f.form3();
    ASSERT_TRUE(about);
    EXPECT_TRUE(about->isVisible());
    EXPECT_FALSE(about->isModal());
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(dialogs.events(), (std::vector<Shown>{Shown::pointer("Form1", Pointer::Hourglass),
                                                    Shown::pointer("Form1", Pointer::Default)}));

    f.hide();
    about->Command1->click();
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(f.form3(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(about.isNull());

    f.Command10->click();
    ASSERT_NE(f.form3(), nullptr) << "showing it again makes it afresh";
    EXPECT_TRUE(f.form3()->isVisible());
}

TEST_F(WindowsTest, ClearFormEmptiesTheEightBoxesInOrderAndKeepsDirectoryAndAlarms) {
    app::Form1& f = makeForm();
    std::vector<QString> emptied;
    const auto lineBoxes = {f.Text2, f.text3, f.Text5, f.Text4, f.Text8, f.Text6, f.Text7};
    for (QLineEdit* box : lineBoxes) {
        box->setText(QStringLiteral("12"));
        QObject::connect(box, &QLineEdit::textChanged, [&, box] { emptied.push_back(box->objectName()); });
    }
    f.Text1->setPlainText(QStringLiteral("a record"));
    QObject::connect(f.Text1, &QPlainTextEdit::textChanged, [&] { emptied.push_back(QStringLiteral("Text1")); });
    f.Combo1->setEditText(QStringLiteral("d:\\notes"));
    f.Check1->setChecked(true);

    f.clearForm();
    EXPECT_EQ(emptied, (std::vector<QString>{"Text1", "Text2", "text3", "Text5", "Text4", "Text8", "Text6", "Text7"}));
    for (QLineEdit* box : lineBoxes)
        EXPECT_TRUE(box->text().isEmpty());
    EXPECT_TRUE(f.Text1->toPlainText().isEmpty());
    EXPECT_EQ(f.Combo1->currentText(), QStringLiteral("d:\\notes"));
    EXPECT_TRUE(f.Check1->isChecked());
}

TEST_F(WindowsTest, EnterOrClosingTheReminderWindowProceedsToAnEmptyMainWindow) {
    app::Form1& f = makeForm();
    app::Form2& reminders = f.form2();
    EXPECT_TRUE(reminders.isVisible());
    EXPECT_FALSE(f.isVisible());
    ASSERT_TRUE(showActive(&reminders));

    // The list stays editable: Ctrl+Enter types a line break there, with either Enter key.
    const QString list = QStringLiteral("Reminder dated: 12/06/26");
    reminders.Text1->setPlainText(list);
    reminders.Text1->setFocus();
    reminders.Text1->moveCursor(QTextCursor::End);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return, Qt::ControlModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_TRUE(reminders.isVisible());
    EXPECT_EQ(reminders.Text1->toPlainText(), list + "\n\n");

    // Enter itself, in the list as on the default button, proceeds.
    f.Text1->setPlainText(QStringLiteral("last reminder found"));
    f.Text5->setText(QStringLiteral("120614.39"));
    f.Combo1->setEditText(QStringLiteral("d:\\notes"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_FALSE(reminders.isVisible());
    EXPECT_TRUE(f.isVisible());
    EXPECT_TRUE(f.Text1->toPlainText().isEmpty());
    EXPECT_TRUE(f.Text5->text().isEmpty());
    EXPECT_EQ(f.Combo1->currentText(), QStringLiteral("d:\\notes"));
    EXPECT_EQ(reminders.Text1->toPlainText(), list + "\n\n") << "the list stays";

    reminders.show();
    f.hide();
    ASSERT_TRUE(showActive(&reminders));
    reminders.Command1->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_FALSE(reminders.isVisible());

    // With no control holding the focus, the window itself takes Enter to the default button.
    reminders.show();
    f.hide();
    ASSERT_TRUE(showActive(&reminders));
    if (QApplication::focusWidget())
        QApplication::focusWidget()->clearFocus();
    QTest::keyClick(&reminders, Qt::Key_Return);
    EXPECT_FALSE(reminders.isVisible());
    EXPECT_TRUE(f.isVisible());

    // Through the frame it goes the same way; the window is hidden, not unloaded.
    reminders.show();
    f.hide();
    f.Text2->setText(QStringLiteral("12/06/26"));
    EXPECT_FALSE(reminders.close());
    EXPECT_FALSE(reminders.isVisible());
    EXPECT_TRUE(f.isVisible());
    EXPECT_TRUE(f.Text2->text().isEmpty());
    EXPECT_EQ(&f.form2(), &reminders);

    QPointer<app::Form2> loaded = &reminders;
    f.unloadForm2();
    EXPECT_TRUE(loaded.isNull());
}

class DirectoryCheckOrderTest : public FormFixture {
protected:
    /** The main window, active, with a missing directory typed into the box that has the focus. */
    app::Form1& formLeavingAMissingDirectory() {
        makeQuillFolder();
        app::Form1& f = makeForm();
        EXPECT_TRUE(showActive(&f));
        f.Combo1->setFocus();
        f.Combo1->setEditText(QStringLiteral("c:\\missing"));
        return f;
    }
    /** The two directory messages, then the save's refusal of the empty text. */
    static std::vector<Shown> checkThenSave() {
        const QString attention = QStringLiteral("Attention");
        return {Shown::message("The directory you have specified does not exist.  Please create it.", attention),
                Shown::message("Directory being changed back to program default of C:\\QUILL", attention),
                Shown::message("You can't save an empty text box!", "Alert!")};
    }
};

TEST_F(DirectoryCheckOrderTest, RunsBeforeTheButtonClickedWithTheMouse) {
    app::Form1& f = formLeavingAMissingDirectory();
    QTest::mouseClick(f.Command3, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(dialogs.messages().size(), std::size_t{3}, 2000);
    EXPECT_EQ(dialogs.messages(), checkThenSave());
    EXPECT_EQ(f.Combo1->currentText(), QStringLiteral("c:\\quill"));
    EXPECT_FALSE(f.Command3->isDown());
}

TEST_F(DirectoryCheckOrderTest, RunsBeforeTheButtonPressedByItsAccessKey) {
    formLeavingAMissingDirectory();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::AltModifier);
    QTRY_COMPARE_WITH_TIMEOUT(dialogs.messages().size(), std::size_t{3}, 2000);
    EXPECT_EQ(dialogs.messages(), checkThenSave());
}

TEST_F(DirectoryCheckOrderTest, AnotherWindowComingUpIsNotLeavingTheBox) {
    app::Form1& f = formLeavingAMissingDirectory();
    QWidget other;
    other.setObjectName(QStringLiteral("other"));
    ASSERT_TRUE(showActive(&other));
    EXPECT_TRUE(dialogs.messages().empty());
    other.hide();
    ASSERT_TRUE(showActive(&f));
    ASSERT_EQ(focusedControl(), f.Combo1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(dialogs.messages().size(), 2u) << "one check per leaving";
}

} // namespace
} // namespace qb::test
