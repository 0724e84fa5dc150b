// The windows for a screen-reader user and a keyboard-only user: every control has a name that the accessibility
// tree exposes, taken from its caption or its label; every button can be reached with Tab or its access key, and
// Space, Enter or the access key runs its operation.

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFontDialog>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/dialogs/font_dialog.h"
#include "app/layout/controls.h"
#include "app/widgets/limited_text_edit.h"
#include "app/windows/about_window.h"
#include "app/windows/reminder_window.h"
#include "app/windows/splash_window.h"
#include "form_fixture.h"

namespace qb::test {
namespace {

/** The controls of a window: the widgets the program named (Qt's own parts are unnamed or named qt_...). */
QList<QWidget*> namedControls(const QWidget* window) {
    QList<QWidget*> controls;
    for (QWidget* child : window->findChildren<QWidget*>())
        if (!child->objectName().isEmpty() && !child->objectName().startsWith(QStringLiteral("qt_")))
            controls.append(child);
    return controls;
}

/** Every object the accessibility tree shows below an interface, as a screen reader walks it. */
void collectTree(QAccessibleInterface* node, QSet<QObject*>& seen) {
    for (int i = 0; i < node->childCount(); ++i) {
        if (QAccessibleInterface* child = node->child(i)) {
            seen.insert(child->object());
            collectTree(child, seen);
        }
    }
}

/** What a screen reader should call a control that shows its own caption. */
QString captionName(const QWidget* control) {
    if (auto* button = qobject_cast<const QAbstractButton*>(control))
        return app::withoutAccessKey(button->text());
    if (auto* label = qobject_cast<const QLabel*>(control))
        return label->text();
    if (auto* frame = qobject_cast<const QGroupBox*>(control))
        return frame->title();
    return {};
}

void expectReadable(QWidget* window) {
    SCOPED_TRACE(window->objectName().toStdString());
    QAccessibleInterface* windowNode = QAccessible::queryAccessibleInterface(window);
    ASSERT_NE(windowNode, nullptr);
    QSet<QObject*> tree;
    collectTree(windowNode, tree);

    for (QWidget* control : namedControls(window)) {
        SCOPED_TRACE(control->objectName().toStdString());
        QAccessibleInterface* node = QAccessible::queryAccessibleInterface(control);
        ASSERT_NE(node, nullptr);
        // On Linux a combo box is read by its text and announced with the label related to it (checked below).
        if (!qobject_cast<QComboBox*>(control)) {
            EXPECT_EQ(node->text(QAccessible::Name), control->accessibleName());
        }
        EXPECT_TRUE(tree.contains(control)) << "the control is missing from the window's accessibility tree";
        // A one-letter caption says too little; such a button is named after what it does.
        if (const QString caption = captionName(control); caption.size() > 1) {
            EXPECT_EQ(control->accessibleName(), caption);
        }
        // A screen reader can press the buttons and toggle the check box.
        const QString action = qobject_cast<QCheckBox*>(control) ? QAccessibleActionInterface::toggleAction()
                                                                 : QAccessibleActionInterface::pressAction();
        if (qobject_cast<QAbstractButton*>(control)) {
            ASSERT_NE(node->actionInterface(), nullptr);
            EXPECT_TRUE(node->actionInterface()->actionNames().contains(action));
        }
    }
}

class AccessibilityTest : public FormFixture {
protected:
    /** Presses Tab until target has the focus; false when it never gets it. */
    static bool tabTo(QWidget* target) {
        for (int presses = 0; presses < 40; ++presses) {
            if (focusedControl() == target)
                return true;
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        return false;
    }

    /** How many dialogs showed this text so far. */
    qsizetype shownCount(const QString& text) const {
        qsizetype count = 0;
        for (const Shown& shown : dialogs.dialogs())
            count += shown.text == text;
        return count;
    }

    /** A predicate that turns true once one more dialog with this text has come up than now. */
    std::function<bool()> shows(const QString& text) const {
        const qsizetype before = shownCount(text);
        return [this, text, before] { return shownCount(text) > before; };
    }
};

TEST_F(AccessibilityTest, EveryControlOfTheFourWindowsHasANameTheAccessibilityTreeReads) {
    QAccessible::setActive(true);
    app::MainWindow& f = makeForm();
    expectReadable(&f);
    // A box without a caption of its own is named after the label beside it, and the tree relates the two.
    const std::pair<QWidget*, QLabel*> labelled[] = {{f.controls().reminderDate, f.controls().reminderDateLabel},
                                                     {f.controls().searchString1, f.controls().searchStringsLabel},
                                                     {f.controls().recordNumber, f.controls().recordNumberLabel},
                                                     {f.controls().dataDirectory, f.controls().dataDirectoryLabel},
                                                     {f.controls().monthFilter, f.controls().monthLabel},
                                                     {f.controls().yearFilter, f.controls().yearLabel},
                                                     {f.controls().dayFilter, f.controls().dayLabel}};
    for (const auto& [box, label] : labelled) {
        SCOPED_TRACE(box->objectName().toStdString());
        // The filters are related to their frame as well.
        QList<QObject*> labels;
        for (const auto& [related, relation] :
             QAccessible::queryAccessibleInterface(box)->relations(QAccessible::Label))
            labels.append(related->object());
        EXPECT_TRUE(labels.contains(label));
    }
    for (const auto& [box, label] : {labelled[0], labelled[2], labelled[3], labelled[4], labelled[6]})
        EXPECT_EQ(box->accessibleName(), label->text()) << box->objectName().toStdString();
    EXPECT_EQ(f.controls().reformatButton->accessibleName(), QStringLiteral("Reformat the record text"))
        << "not just \"R\"";

    expectReadable(&f.reminderWindow());
    f.showAbout();
    ASSERT_NE(f.aboutWindow(), nullptr);
    expectReadable(f.aboutWindow());
    app::SplashWindow splash([] {}, exit);
    splash.show();
    expectReadable(&splash);
    QAccessible::setActive(false);
}

TEST_F(AccessibilityTest, KeysAloneRunEveryOperationOfTheMainWindow) {
    makeQuillFolder();
    app::MainWindow& f = makeForm();
    ASSERT_TRUE(showActive(&f));

    struct Operation {
        QPushButton* button;
        std::function<void()> prepare;                ///< the form's content and the answers to its dialogs
        std::function<std::function<bool()>()> watch; ///< made just before the key: true once the operation ran
    };
    const auto nothing = [] {};
    const auto cancelInput = [this] { dialogs.expectInput(QString()); };
    const Operation operations[] = {
        {f.controls().searchButton, nothing, [&] { return shows(QStringLiteral("Search complete!")); }},
        {f.controls().saveButton, nothing, [&] { return shows(QStringLiteral("You can't save an empty text box!")); }},
        {f.controls().clearButton, [&] { f.controls().recordText->setPlainText(QStringLiteral("to be cleared")); },
         [&] { return std::function<bool()>([&] { return f.controls().recordText->toPlainText().isEmpty(); }); }},
        {f.controls().deleteButton, nothing,
         [&] { return shows(QStringLiteral("There is no record number specified to delete!")); }},
        {f.controls().printButton, [this] { dialogs.expectFont(std::nullopt); },
         [&] { return shows(Shown::font().text); }},
        {f.controls().importButton, cancelInput,
         [&] { return shows(QStringLiteral("Enter the number of items/groups in quotes per record (1-100)")); }},
        {f.controls().passwordButton, cancelInput, [&] { return shows(QStringLiteral("Password was deleted!")); }},
        {f.controls().setDefaultButton, nothing, [&] { return shows(QStringLiteral("New default directory set!")); }},
        {f.controls().reformatButton, nothing,
         [&] { return shows(QStringLiteral("The text has been reformatted.  Click SAVE to save changes.")); }},
        {f.controls().exitButton, nothing,
         [&] { return std::function<bool()>([&, before = exit.calls()] { return exit.calls() > before; }); }},
    };

    for (const Operation& operation : operations) {
        QPushButton* button = operation.button;
        SCOPED_TRACE(button->objectName().toStdString());
        // With the focus on the button, Space and Enter both press it.
        for (const Qt::Key key : {Qt::Key_Space, Qt::Key_Return}) {
            operation.prepare();
            const std::function<bool()> ran = operation.watch();
            ASSERT_TRUE(tabTo(button));
            QTest::keyClick(button, key);
            EXPECT_TRUE(ran()) << (key == Qt::Key_Space ? "Space" : "Enter");
        }
        // Its access key presses it from anywhere in the window.
        const QKeySequence accessKey = QKeySequence::mnemonic(button->text());
        if (accessKey.isEmpty())
            continue;
        ASSERT_TRUE(tabTo(f.controls().recordText));
        operation.prepare();
        const std::function<bool()> ran = operation.watch();
        QTest::keySequence(&f, accessKey);
        // An access key presses its button with a short visible delay.
        EXPECT_TRUE(QTest::qWaitFor(ran, 2000)) << accessKey.toString().toStdString();
    }
    EXPECT_EQ(dialogs.pendingAnswers(), 0u);
    EXPECT_EQ(printer.printed().size(), 3 * 6u) << "three printouts of six lines each";
}

TEST_F(AccessibilityTest, KeysAloneOpenAndLeaveTheAboutAndReminderWindows) {
    app::MainWindow& f = makeForm();
    ASSERT_TRUE(showActive(&f));
    ASSERT_TRUE(tabTo(f.controls().aboutButton));
    QTest::keyClick(f.controls().aboutButton, Qt::Key_Return);
    app::AboutWindow* about = f.aboutWindow();
    ASSERT_NE(about, nullptr);
    ASSERT_TRUE(showActive(about));
    ASSERT_TRUE(tabTo(about->controls().returnButton));
    QTest::keyClick(about->controls().returnButton, Qt::Key_Space);
    EXPECT_EQ(f.aboutWindow(), nullptr) << "Space on its button leaves the about window";

    app::ReminderWindow& reminders = f.reminderWindow();
    ASSERT_TRUE(showActive(&reminders));
    dialogs.expectFont(std::nullopt);
    ASSERT_TRUE(tabTo(reminders.controls().printButton));
    QTest::keyClick(reminders.controls().printButton, Qt::Key_Space);
    EXPECT_FALSE(printer.calls().empty()) << "Space on \"Print these reminders\" prints";
    EXPECT_FALSE(reminders.isVisible()) << "and proceeds to the main window";

    ASSERT_TRUE(showActive(&reminders));
    ASSERT_TRUE(tabTo(reminders.controls().proceedButton));
    QTest::keyClick(reminders.controls().proceedButton, Qt::Key_Return);
    EXPECT_FALSE(reminders.isVisible()) << "Enter on its button proceeds to the main window";
    EXPECT_TRUE(f.isVisible());
}

/** Once a modal dialog is up and has the focus, presses key where the focus is and tells where that was; a dialog
 *  still open half a second later is rejected, so a key that does not close it fails the test instead of hanging. */
void pressInModalDialog(Qt::Key key, const std::function<void(QWidget*)>& focusWas, int triesLeft = 200) {
    QTimer::singleShot(10, [key, focusWas, triesLeft] {
        QPointer<QDialog> dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        QWidget* focus = QApplication::focusWidget();
        if (!dialog || !focus || !dialog->isAncestorOf(focus)) {
            if (triesLeft > 0)
                return pressInModalDialog(key, focusWas, triesLeft - 1);
            ADD_FAILURE() << "no dialog with the focus came up";
            if (dialog)
                dialog->reject();
            return;
        }
        focusWas(focus);
        QTest::keyClick(focus, key);
        QTimer::singleShot(500, [dialog] {
            if (dialog && dialog->isVisible()) {
                ADD_FAILURE() << "the key left the dialog open";
                dialog->reject();
            }
        });
    });
}

TEST(FontDialogKeys, EnterInTheFontListsConfirmsTheWholeDialogAndEscapeCancels) {
    for (const auto& [key, confirms] : {std::pair{Qt::Key_Return, true}, std::pair{Qt::Key_Escape, false}}) {
        bool inLists = false;
        pressInModalDialog(key, [&](QWidget* focus) {
            inLists = focus->parentWidget() && qobject_cast<QFontDialog*>(focus->parentWidget()->parentWidget());
            inLists = inLists || qobject_cast<QFontDialog*>(focus->parentWidget());
        });
        const bool chosen = app::runFontDialog(nullptr, app::kFontDialogFlags, app::initialPrinterFont()).has_value();
        EXPECT_TRUE(inLists) << "the dialog opens with the focus in its font lists";
        EXPECT_EQ(chosen, confirms) << (confirms ? "Enter confirms the choice" : "Escape cancels");
    }
}

} // namespace
} // namespace qb::test
