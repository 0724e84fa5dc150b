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

#include "app/widgets/limited_text_edit.h"
#include "app/widgets/text_codec.h"
#include "app/windows/about_window.h"
#include "app/windows/reminder_window.h"
#include "app/windows/splash_window.h"
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
    app::MainWindow& f = makeForm();
    const QString searchTip = QStringLiteral("Enter a word or exact phrase to search for here. ");
    expectControls(
        &f,
        {{"searchButton", "&Search",
          "After entering in search string(s) and/or a reminder date, search for matching records by clicking this.",
          2880, 1080, 1695, 495},
         {"recordText", "", "", 120, 3600, 8895, 2655},
         {"reminderDate", "",
          "Enter a date here to bring up any records with an alarm set to a particular date or set a date here for a "
          "reminder later",
          120, 2880, 2655, 285},
         {"searchString1", "", searchTip, 120, 1440, 1215, 285},
         {"recordNumber", "",
          "Shows you the record number of a recalled record.  This  number also indicates its creation date and time.",
          120, 480, 2655, 285},
         {"reminderDateLabel", "Reminder date mm/dd/yy", "", 360, 2640, 2175, 255},
         {"searchStringsLabel", "Search Strings to look for:", "", 360, 1080, 2175, 255},
         {"recordNumberLabel", "Record Number", "", 360, 240, 2295, 255},
         {"dataDirectoryLabel", "Location of data i.e., c:\\quill", "", 360, 1920, 2535, 255},
         {"exitButton", "E&xit", "Click here to exit the program!", 7080, 1920, 1695, 495},
         {"saveButton", "Sa&ve Record", "Save or resave the currently displayed record.", 4920, 240, 1815, 495},
         {"clearButton", "&Clear form", "Clear out the current form", 2880, 240, 1695, 495},
         {"deleteButton", "&Delete record", "Delete the currently displayed record.", 7080, 240, 1695, 495},
         {"checkAlarms", "Check alarms",
          "Click this check box to have the program check for reminders set to this date when the program starts", 7080,
          3240, 1335, 255},
         {"printButton", "&Print current record", "Print out the current displayed record", 4920, 1080, 1815, 495},
         {"dataDirectory", "c:\\quill",
          "Choose a directory to save your data in.   See the documentation about how to automatically add "
          "additional directories to this text box!",
          120, 2160, 2655, 330},
         {"importButton", "&Import records",
          "Import records from other programs.  See the documentation for more information.", 7080, 1080, 1695, 495},
         {"creationFilters", "Use when searching - increases speed", "", 2880, 2640, 4095, 735},
         {"monthFilter", "",
          "Enter a 2 digit month here to speed up a search by only searching records made in the entered month", 120,
          240, 375, 285, "creationFilters"},
         {"monthLabel", "2-digit month", "", 600, 360, 975, 255, "creationFilters"},
         {"yearFilter", "",
          "Enter a 2 or 4 digit year here to speed up a search by only searching records made in the entered year",
          3120, 240, 495, 285, "creationFilters"},
         {"yearLabel", "Yr", "", 3720, 360, 255, 255, "creationFilters"},
         {"searchString2", "", searchTip, 1560, 1440, 1215, 285},
         {"dayFilter", "",
          "Enter a 2 digit day here to speed up a search by only searching records made in the entered day", 1680, 240,
          375, 285, "creationFilters"},
         {"dayLabel", "2-digit day", "", 2160, 360, 735, 255, "creationFilters"},
         {"passwordButton", "Password", "Allows a user to set up or delete a password for entry into the program", 4920,
          1920, 1815, 495},
         {"setDefaultButton", "Set as default", "Makes the selected directory the default when you start the program.",
          2880, 1920, 1695, 495},
         {"aboutButton", "About the author", "Hey, who is that genius author?", 7080, 2640, 1695, 495},
         {"reformatButton", "R",
          "Click here to reformat the text in the large text box adding hard carriage returns to help with printing "
          "at a later time.",
          8400, 3240, 375, 255}});

    EXPECT_TRUE(f.windowTitle().startsWith(QStringLiteral("  Quillbox 1.2 ")));
    EXPECT_GT(f.windowTitle().size(), 20) << "the credit line is missing";
    EXPECT_EQ(f.size(), pixelSize(9045, 6525));
    expectCentred(&f);
    EXPECT_EQ(f.controls().reminderDate->accessibleName(), QStringLiteral("Reminder date mm/dd/yy"));

    for (const QWidget* box : std::initializer_list<const QWidget*>{
             f.controls().recordText, f.controls().reminderDate, f.controls().searchString1, f.controls().recordNumber,
             f.controls().monthFilter, f.controls().yearFilter, f.controls().searchString2, f.controls().dayFilter,
             f.controls().dataDirectory})
        expectFont(box, kMono, 8.25);
    for (const QWidget* other : std::initializer_list<const QWidget*>{
             f.controls().searchButton, f.controls().reminderDateLabel, f.controls().checkAlarms,
             f.controls().creationFilters, f.controls().monthLabel, f.controls().reformatButton})
        expectFont(other, kSans, 8.25);

    EXPECT_TRUE(f.controls().dataDirectory->isEditable());
    EXPECT_EQ(f.controls().recordText->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_TRUE(f.controls().recordText->tabChangesFocus());
    EXPECT_TRUE(f.controls().recordNumber->isReadOnly());
    EXPECT_NE(f.controls().recordNumber->palette().color(QPalette::Base),
              f.controls().reminderDate->palette().color(QPalette::Base))
        << "the record number box is not grey";
    QTest::keyClicks(f.controls().recordNumber, "1206");
    EXPECT_EQ(f.controls().recordNumber->text(), QString());
}

TEST_F(WindowsTest, OtherWindowsFollowTheirTables) {
    app::MainWindow& f = makeForm();
    app::ReminderWindow& reminders = f.reminderWindow();
    expectControls(
        &reminders,
        {{"proceedButton", "Click here to proceed into the main program",
          "Click here after viewing any alarms from today", 3360, 6000, 3735, 495},
         {"reminderList", "", "", 120, 240, 9285, 5295},
         {"explanation",
          "Above you will find any records containing a reminder date of today.   Additional searches may "
          "be performed later.",
          "", 240, 5640, 10335, 255},
         {"printButton", "Print these reminders", "Prints out the reminders shown above.", 240, 6000, 2415, 495}});
    EXPECT_EQ(reminders.windowTitle(), QStringLiteral("(Quillbox 1.2)  Reminder Date Alarm Search Results"));
    EXPECT_EQ(reminders.size(), pixelSize(9480, 6795));
    expectCentred(&reminders);
    EXPECT_TRUE(reminders.proceedButton->isDefault());
    expectFont(reminders.reminderList, kMono, 8.25);
    expectFont(reminders.proceedButton, kSans, 8.25);
    expectFont(reminders.explanation, kSans, 8.25);

    f.showAbout();
    app::AboutWindow* about = f.aboutWindow();
    ASSERT_NE(about, nullptr);
    expectControls(about, {{"picture", "", "", 120, 120, 4080, 3000},
                           {"returnButton", "Click here to return to the program", "", 120, 5400, 3135, 615}});
    EXPECT_EQ(about->windowTitle(), QStringLiteral("Quillbox 1.2 - The author:"));
    EXPECT_EQ(about->size(), pixelSize(4455, 6225));
    EXPECT_TRUE(about->picture->hasScaledContents());
    for (const QLabel* line :
         {about->creditLine, about->summaryLine, about->licenceLine, about->contactLine, about->bugsLine}) {
        EXPECT_FALSE(line->text().isEmpty());
        EXPECT_GT(line->y(), about->picture->geometry().bottom()) << "the lines sit below the picture";
        EXPECT_LT(line->geometry().bottom(), about->returnButton->y());
    }

    app::SplashWindow splash([] {}, exit);
    expectControls(&splash, {{"frame", "", "", 150, 0, 7080, 4050}});
    EXPECT_EQ(splash.size(), pixelSize(7380, 4170));
    expectCentred(&splash);
    EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(splash.logo->pixmap().size(), QSize(320, 200));
    const std::pair<QLabel*, QString> lettering[] = {{splash.productName, "Quillbox"},
                                                     {splash.presenting, "Presenting:"},
                                                     {splash.platformLine, "For Windows 95/98/NT"},
                                                     {splash.version, "Version 1.2"}};
    for (const auto& [label, text] : lettering)
        EXPECT_EQ(label->text(), text);
    expectFont(splash.productName, kSans, 32.25);
    expectFont(splash.presenting, kSans, 18);
    expectFont(splash.platformLine, kSans, 15.75);
    expectFont(splash.version, kSans, 12);
    EXPECT_TRUE(splash.productName->font().bold() && splash.version->font().bold());
    EXPECT_TRUE(splash.platformLine->alignment() & Qt::AlignRight);
    EXPECT_TRUE(splash.version->alignment() & Qt::AlignRight);
    for (QLabel* line : {splash.slogan, splash.maker, splash.copyright, splash.contact}) {
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
    app::MainWindow& f = makeForm();
    ASSERT_TRUE(showActive(&f));
    const std::vector<QString> mainOrder = {
        "searchButton",     "recordText",  "reminderDate",   "searchString1", "recordNumber", "exitButton",
        "saveButton",       "clearButton", "deleteButton",   "checkAlarms",   "printButton",  "dataDirectory",
        "importButton",     "monthFilter", "yearFilter",     "searchString2", "dayFilter",    "passwordButton",
        "setDefaultButton", "aboutButton", "reformatButton", "searchButton"};
    EXPECT_EQ(tabWalk(mainOrder.size()), mainOrder);
    EXPECT_EQ(dialogs.events(), std::vector<Shown>{}) << "leaving an existing directory shows nothing";

    app::ReminderWindow& reminders = f.reminderWindow();
    ASSERT_TRUE(showActive(&reminders));
    EXPECT_EQ(tabWalk(4), (std::vector<QString>{"proceedButton", "reminderList", "printButton", "proceedButton"}));
}

TEST_F(WindowsTest, FilterBoxesAndRecordTextHaveTheirLimits) {
    app::MainWindow& f = makeForm();
    for (QLineEdit* filter : {f.controls().monthFilter, f.controls().dayFilter, f.controls().yearFilter}) {
        QTest::keyClicks(filter, "123");
        EXPECT_EQ(filter->text(), QStringLiteral("12")) << filter->objectName().toStdString();
    }

    EXPECT_EQ(f.controls().recordText->maxLength(), 30000);
}

TEST_F(WindowsTest, SplashStartsTheMainWindowOnceAfterFiveSeconds) {
    int starts = 0;
    app::SplashWindow* self = nullptr;
    app::SplashWindow splash(
        [&] {
            ++starts;
            self->startMainWindow(); // the timer firing again while start-up waits at the password prompt
        },
        exit);
    self = &splash;
    splash.show();
    EXPECT_EQ(splash.timer->interval(), 5000);
    EXPECT_TRUE(splash.timer->isActive());

    splash.startMainWindow();
    splash.startMainWindow();
    EXPECT_EQ(starts, 1);
    EXPECT_FALSE(splash.timer->isActive());
    EXPECT_FALSE(splash.isVisible());
    EXPECT_EQ(exit.calls(), 0);
}

TEST_F(WindowsTest, EarlyKeyOrFrameClickEndsTheProgramWithoutStartingIt) {
    int starts = 0;
    {
        app::SplashWindow splash([&] { ++starts; }, exit);
        splash.show();
        QTest::keyClick(&splash, Qt::Key_Shift); // a key without a character does nothing
        EXPECT_EQ(exit.calls(), 0);
        QTest::keyClick(&splash, Qt::Key_A);
        EXPECT_EQ(exit.calls(), 1);
        EXPECT_FALSE(splash.timer->isActive());
        splash.startMainWindow();
        EXPECT_EQ(starts, 0);
    }
    app::SplashWindow splash([&] { ++starts; }, exit);
    splash.show();
    QTest::mouseClick(splash.productName, Qt::LeftButton);
    QTest::mouseClick(splash.logo, Qt::LeftButton);
    EXPECT_EQ(exit.calls(), 1) << "a click on the lettering or the picture does nothing";
    QPoint bare;
    for (int x = splash.frame->width() - 4; x > 0 && bare.isNull(); x -= 4)
        if (!splash.frame->childAt(x, splash.frame->height() / 2))
            bare = {x, splash.frame->height() / 2};
    ASSERT_FALSE(bare.isNull());
    QTest::mouseClick(splash.frame, Qt::LeftButton, {}, bare);
    EXPECT_EQ(exit.calls(), 2);
    EXPECT_EQ(starts, 0);
}

TEST_F(WindowsTest, AboutWindowOpensBesideTheMainWindowAndReturnUnloadsIt) {
    app::MainWindow& f = makeForm();
    f.controls().aboutButton->click();
    QPointer<app::AboutWindow> about = f.aboutWindow();
    ASSERT_TRUE(about);
    EXPECT_TRUE(about->isVisible());
    EXPECT_FALSE(about->isModal());
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(dialogs.events(), (std::vector<Shown>{Shown::pointer("MainWindow", Pointer::Hourglass),
                                                    Shown::pointer("MainWindow", Pointer::Default)}));

    f.hide();
    about->returnButton->click();
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(f.aboutWindow(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(about.isNull());

    f.controls().aboutButton->click();
    ASSERT_NE(f.aboutWindow(), nullptr) << "showing it again makes it afresh";
    EXPECT_TRUE(f.aboutWindow()->isVisible());
}

TEST_F(WindowsTest, ClearFormEmptiesTheEightBoxesInOrderAndKeepsDirectoryAndAlarms) {
    app::MainWindow& f = makeForm();
    std::vector<QString> emptied;
    const auto lineBoxes = {f.controls().reminderDate, f.controls().searchString1, f.controls().recordNumber,
                            f.controls().monthFilter,  f.controls().dayFilter,     f.controls().yearFilter,
                            f.controls().searchString2};
    for (QLineEdit* box : lineBoxes) {
        box->setText(QStringLiteral("12"));
        QObject::connect(box, &QLineEdit::textChanged, [&, box] { emptied.push_back(box->objectName()); });
    }
    f.controls().recordText->setPlainText(QStringLiteral("a record"));
    QObject::connect(f.controls().recordText, &QPlainTextEdit::textChanged,
                     [&] { emptied.push_back(QStringLiteral("recordText")); });
    f.controls().dataDirectory->setEditText(QStringLiteral("d:\\notes"));
    f.controls().checkAlarms->setChecked(true);

    f.clearForm();
    EXPECT_EQ(emptied, (std::vector<QString>{"recordText", "reminderDate", "searchString1", "recordNumber",
                                             "monthFilter", "dayFilter", "yearFilter", "searchString2"}));
    for (QLineEdit* box : lineBoxes)
        EXPECT_TRUE(box->text().isEmpty());
    EXPECT_TRUE(f.controls().recordText->toPlainText().isEmpty());
    EXPECT_EQ(f.controls().dataDirectory->currentText(), QStringLiteral("d:\\notes"));
    EXPECT_TRUE(f.controls().checkAlarms->isChecked());
}

TEST_F(WindowsTest, EnterOrClosingTheReminderWindowProceedsToAnEmptyMainWindow) {
    app::MainWindow& f = makeForm();
    app::ReminderWindow& reminders = f.reminderWindow();
    EXPECT_TRUE(reminders.isVisible());
    EXPECT_FALSE(f.isVisible());
    ASSERT_TRUE(showActive(&reminders));

    // The list stays editable: Ctrl+Enter types a line break there, with either Enter key.
    const QString list = QStringLiteral("Reminder dated: 12/06/26");
    reminders.reminderList->setPlainText(list);
    reminders.reminderList->setFocus();
    reminders.reminderList->moveCursor(QTextCursor::End);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return, Qt::ControlModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_TRUE(reminders.isVisible());
    EXPECT_EQ(reminders.reminderList->toPlainText(), list + "\n\n");

    // Enter itself, in the list as on the default button, proceeds.
    f.controls().recordText->setPlainText(QStringLiteral("last reminder found"));
    f.controls().recordNumber->setText(QStringLiteral("120614.39"));
    f.controls().dataDirectory->setEditText(QStringLiteral("d:\\notes"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_FALSE(reminders.isVisible());
    EXPECT_TRUE(f.isVisible());
    EXPECT_TRUE(f.controls().recordText->toPlainText().isEmpty());
    EXPECT_TRUE(f.controls().recordNumber->text().isEmpty());
    EXPECT_EQ(f.controls().dataDirectory->currentText(), QStringLiteral("d:\\notes"));
    EXPECT_EQ(reminders.reminderList->toPlainText(), list + "\n\n") << "the list stays";

    reminders.show();
    f.hide();
    ASSERT_TRUE(showActive(&reminders));
    reminders.proceedButton->setFocus();
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
    f.controls().reminderDate->setText(QStringLiteral("12/06/26"));
    EXPECT_FALSE(reminders.close());
    EXPECT_FALSE(reminders.isVisible());
    EXPECT_TRUE(f.isVisible());
    EXPECT_TRUE(f.controls().reminderDate->text().isEmpty());
    EXPECT_EQ(&f.reminderWindow(), &reminders);

    QPointer<app::ReminderWindow> loaded = &reminders;
    f.unloadReminderWindow();
    EXPECT_TRUE(loaded.isNull());
}

class DirectoryCheckOrderTest : public FormFixture {
protected:
    /** The main window, active, with a missing directory typed into the box that has the focus. */
    app::MainWindow& formLeavingAMissingDirectory() {
        makeQuillFolder();
        app::MainWindow& f = makeForm();
        EXPECT_TRUE(showActive(&f));
        f.controls().dataDirectory->setFocus();
        f.controls().dataDirectory->setEditText(QStringLiteral("c:\\missing"));
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
    app::MainWindow& f = formLeavingAMissingDirectory();
    QTest::mouseClick(f.controls().saveButton, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(dialogs.messages().size(), std::size_t{3}, 2000);
    EXPECT_EQ(dialogs.messages(), checkThenSave());
    EXPECT_EQ(f.controls().dataDirectory->currentText(), QStringLiteral("c:\\quill"));
    EXPECT_FALSE(f.controls().saveButton->isDown());
}

TEST_F(DirectoryCheckOrderTest, RunsBeforeTheButtonPressedByItsAccessKey) {
    formLeavingAMissingDirectory();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::AltModifier);
    QTRY_COMPARE_WITH_TIMEOUT(dialogs.messages().size(), std::size_t{3}, 2000);
    EXPECT_EQ(dialogs.messages(), checkThenSave());
}

// A right or middle press takes the focus like a left one, so the check runs, but it clicks no button. The buttons
// keep their access keys' way through the check afterwards.
TEST_F(DirectoryCheckOrderTest, OtherMouseButtonsRunTheCheckButNotTheButton) {
    app::MainWindow& f = formLeavingAMissingDirectory();
    std::vector<Shown> checkOnly = checkThenSave();
    checkOnly.pop_back();
    for (const Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton, Qt::LeftButton}) {
        dialogs.clearLog();
        f.controls().dataDirectory->setFocus();
        f.controls().dataDirectory->setEditText(QStringLiteral("c:\\missing"));
        QTest::mouseClick(f.controls().saveButton, button);
        QCoreApplication::processEvents(); // a click queued after the press would run now
        EXPECT_EQ(dialogs.messages(), button == Qt::LeftButton ? checkThenSave() : checkOnly) << button;
        EXPECT_FALSE(f.controls().saveButton->isDown()) << button;
    }
    dialogs.clearLog();
    f.controls().dataDirectory->setFocus();
    f.controls().dataDirectory->setEditText(QStringLiteral("c:\\missing"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::AltModifier);
    QTRY_COMPARE_WITH_TIMEOUT(dialogs.messages().size(), std::size_t{3}, 2000);
    EXPECT_EQ(dialogs.messages(), checkThenSave());
}

TEST_F(DirectoryCheckOrderTest, AnotherWindowComingUpIsNotLeavingTheBox) {
    app::MainWindow& f = formLeavingAMissingDirectory();
    QWidget other;
    other.setObjectName(QStringLiteral("other"));
    ASSERT_TRUE(showActive(&other));
    EXPECT_TRUE(dialogs.messages().empty());
    other.hide();
    ASSERT_TRUE(showActive(&f));
    ASSERT_EQ(focusedControl(), f.controls().dataDirectory);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(dialogs.messages().size(), 2u) << "one check per leaving";
}

} // namespace
} // namespace qb::test
