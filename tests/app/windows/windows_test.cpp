// The four windows' tables, checked for what must hold of any table; and the window behaviour that needs no record
// files: the splash, the about window, leaving the reminder window, and the directory check running before a button's
// operation.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <map>
#include <set>

#include "app/text/text_codec.h"
#include "app/widgets/limited_text_edit.h"
#include "app/windows/about_window.h"
#include "app/windows/reminder_window.h"
#include "app/windows/splash_window.h"
#include "form_fixture.h"
#include "store/record_file.h"

namespace qb::test {
namespace {

using app::Pointer;

/**
 * What must hold for any window's table, checked on the window built from it: each control has a name for screen
 * readers, no access key is used twice, the tab indices are unique, Tab visits the controls that take the focus in
 * their order, and each of those lies whole inside its window or frame. A label may reach into its neighbour or past
 * the window's edge: it paints no background, and its text ends before it.
 */
template <class Slots> void expectSoundTable(QWidget& window, std::span<const app::ControlRow<Slots>> table) {
    SCOPED_TRACE(window.objectName().toStdString());
    std::map<int, QWidget*> tabStops;
    std::set<int> tabIndices;
    std::set<QString> accessKeys;
    for (const app::ControlRow<Slots>& row : table) {
        const app::ControlFields& fields = row.control;
        SCOPED_TRACE(fields.name);
        auto* control = window.findChild<QWidget*>(QString::fromLatin1(fields.name));
        ASSERT_NE(control, nullptr);
        EXPECT_FALSE(control->accessibleName().trimmed().isEmpty());
        if (fields.tabIndex >= 0) {
            EXPECT_TRUE(tabIndices.insert(fields.tabIndex).second) << "tab index used twice";
        }
        const QString accessKey = QKeySequence::mnemonic(QString::fromUtf8(fields.caption)).toString();
        if (!accessKey.isEmpty()) {
            EXPECT_TRUE(accessKeys.insert(accessKey).second) << "access key used twice";
        }
        if (control->focusPolicy() & Qt::TabFocus) {
            const QWidget* container = control->parentWidget();
            EXPECT_TRUE(QRect(QPoint(), container->size()).contains(control->geometry()))
                << "not inside " << container->objectName().toStdString();
            tabStops[fields.tabIndex] = control;
        }
    }
    const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
    EXPECT_LE((window.geometry().center() - screenCentre).manhattanLength(), 12) << "not centred on the screen";
    if (tabStops.empty())
        return;
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    tabStops.begin()->second->setFocus();
    std::vector<QWidget*> expected;
    expected.reserve(tabStops.size() + 1);
    for (const auto& [index, control] : tabStops)
        expected.push_back(control);
    expected.push_back(expected.front()); // and round again
    std::vector<QWidget*> visited;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        visited.push_back(focusedControl());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(visited, expected) << "Tab does not follow the tab indices";
}

class WindowsTest : public FormFixture {};

TEST_F(WindowsTest, EveryWindowIsBuiltFromASoundTable) {
    makeQuillFolder(); // leaving the directory box checks it
    app::MainWindow& f = makeForm();
    expectSoundTable(f, app::MainWindow::controlTable());
    EXPECT_EQ(dialogs.events(), std::vector<Shown>{}) << "leaving an existing directory shows nothing";
    expectSoundTable(f.reminderWindow(), app::ReminderWindow::controlTable());
    f.showAbout();
    ASSERT_NE(f.aboutWindow(), nullptr);
    expectSoundTable(*f.aboutWindow(), app::AboutWindow::controlTable());
    app::SplashWindow splash([] {}, exit);
    expectSoundTable(splash, app::SplashWindow::controlTable());
}

TEST_F(WindowsTest, FilterBoxesAndRecordTextHaveTheirLimits) {
    app::MainWindow& f = makeForm();
    for (QLineEdit* filter : {f.controls().monthFilter, f.controls().dayFilter, f.controls().yearFilter}) {
        QTest::keyClicks(filter, "123");
        EXPECT_EQ(filter->text(), QStringLiteral("12")) << filter->objectName().toStdString();
    }
    // The record box takes from the user no more than a record file holds.
    const auto limit = static_cast<int>(store::kRecordTextLimit);
    f.controls().recordText->setPlainText(QString(limit, QLatin1Char('a')));
    f.controls().recordText->moveCursor(QTextCursor::End);
    QTest::keyClicks(f.controls().recordText, "b");
    EXPECT_EQ(app::storedLength(f.controls().recordText->toPlainText()), limit);

    QTest::keyClicks(f.controls().recordNumber, "1206");
    EXPECT_EQ(f.controls().recordNumber->text(), QString()) << "the record number is read-only";
}

TEST_F(WindowsTest, SplashTimerStartsTheMainWindowOnce) {
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
    EXPECT_TRUE(splash.timer().isActive());

    splash.startMainWindow();
    splash.startMainWindow();
    EXPECT_EQ(starts, 1);
    EXPECT_FALSE(splash.timer().isActive());
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
        EXPECT_FALSE(splash.timer().isActive());
        splash.startMainWindow();
        EXPECT_EQ(starts, 0);
    }
    app::SplashWindow splash([&] { ++starts; }, exit);
    splash.show();
    QTest::mouseClick(splash.controls().productName, Qt::LeftButton);
    QTest::mouseClick(splash.controls().logo, Qt::LeftButton);
    EXPECT_EQ(exit.calls(), 1) << "a click on the lettering or the picture does nothing";
    QPoint bare;
    for (int x = splash.controls().frame->width() - 4; x > 0 && bare.isNull(); x -= 4)
        if (!splash.controls().frame->childAt(x, splash.controls().frame->height() / 2))
            bare = {x, splash.controls().frame->height() / 2};
    ASSERT_FALSE(bare.isNull());
    QTest::mouseClick(splash.controls().frame, Qt::LeftButton, {}, bare);
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
    about->controls().returnButton->click();
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(f.aboutWindow(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(about.isNull());

    f.controls().aboutButton->click();
    ASSERT_NE(f.aboutWindow(), nullptr) << "showing it again makes it afresh";
    EXPECT_TRUE(f.aboutWindow()->isVisible());
}

TEST_F(WindowsTest, EnterOrClosingTheReminderWindowProceedsToAnEmptyMainWindow) {
    app::MainWindow& f = makeForm();
    app::ReminderWindow& reminders = f.reminderWindow();
    EXPECT_TRUE(reminders.isVisible());
    EXPECT_FALSE(f.isVisible());
    ASSERT_TRUE(showActive(&reminders));

    // The list stays editable: Ctrl+Enter types a line break there, with either Enter key.
    const QString list = QStringLiteral("Reminder dated: 12/06/26");
    reminders.controls().reminderList->setPlainText(list);
    reminders.controls().reminderList->setFocus();
    reminders.controls().reminderList->moveCursor(QTextCursor::End);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return, Qt::ControlModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_TRUE(reminders.isVisible());
    EXPECT_EQ(reminders.controls().reminderList->toPlainText(), list + "\n\n");

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
    EXPECT_EQ(reminders.controls().reminderList->toPlainText(), list + "\n\n") << "the list stays";

    reminders.show();
    f.hide();
    ASSERT_TRUE(showActive(&reminders));
    reminders.controls().proceedButton->setFocus();
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

// The button's access key runs the check and then the button. A right or middle press takes the focus like a left
// one, so the check runs, but it clicks no button; the access key keeps its way through the check afterwards.
TEST_F(DirectoryCheckOrderTest, RunsBeforeTheAccessKeyButOtherMouseButtonsPressNoButton) {
    app::MainWindow& f = formLeavingAMissingDirectory();
    std::vector<Shown> checkOnly = checkThenSave();
    checkOnly.pop_back();
    const Qt::MouseButton accessKey = Qt::NoButton;
    for (const Qt::MouseButton button : {accessKey, Qt::RightButton, Qt::MiddleButton, Qt::LeftButton, accessKey}) {
        dialogs.clearLog();
        f.controls().dataDirectory->setFocus();
        f.controls().dataDirectory->setEditText(QStringLiteral("c:\\missing"));
        if (button == accessKey) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::AltModifier);
            QTRY_COMPARE_WITH_TIMEOUT(dialogs.messages().size(), std::size_t{3}, 2000);
        } else {
            QTest::mouseClick(f.controls().saveButton, button);
            QCoreApplication::processEvents(); // a click queued after the press would run now
        }
        const bool pressed = button == Qt::LeftButton || button == accessKey;
        EXPECT_EQ(dialogs.messages(), pressed ? checkThenSave() : checkOnly) << button;
        EXPECT_FALSE(f.controls().saveButton->isDown()) << button;
    }
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
