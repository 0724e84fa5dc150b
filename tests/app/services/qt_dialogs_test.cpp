// The Qt dialogs as the user meets them: one real dialog of each kind, answered while it is open.

#include "app/services/qt_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

#include "qt_print.h"
#include "temp_dir.h"

namespace qb::app {
namespace {

/**
 * Answers the next modal dialog with action once it is up. Polls every 20 ms and gives up after five seconds; a
 * dialog that is still open two seconds after the action is rejected, so a wrong answer fails instead of hanging.
 */
template <class Dialog> void answerNextDialog(std::function<void(Dialog*)> action) {
    auto* poll = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, [poll, tries, action] {
        QPointer<Dialog> dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            if (++*tries < 250)
                return;
            ADD_FAILURE() << "no dialog came up";
        } else {
            action(dialog);
            QTimer::singleShot(2000, dialog, [dialog] {
                ADD_FAILURE() << "the dialog is still open after the answer";
                dialog->reject();
            });
        }
        poll->stop();
        poll->deleteLater();
    });
    poll->start(20);
}

// A key as the X server repeats it while it is held: a release and a press of one moment, which Qt marks as a
// repeat or, when the press was not yet read as the release was handled, does not.
void sendRepeatOf(QWidget* box, Qt::Key key, bool marked) {
    QWidget* target = box->focusWidget() ? box->focusWidget() : box;
    for (const QEvent::Type type : {QEvent::KeyRelease, QEvent::KeyPress}) {
        QKeyEvent repeat(type, key, Qt::NoModifier, QString(), marked);
        repeat.setTimestamp(1000);
        QApplication::sendEvent(target, &repeat);
    }
}

// A message has one OK button and no icon, and takes no repeat of a key held down since before it came up. The
// message that ends a long job also takes no key in its first half second, so Enter pressed in passing as it comes
// up does not close it unseen.
TEST(QtDialogsTest, MessagesHaveOneOkButtonAndTakeNoKeyInPassing) {
    QtDialogs dialogs;
    const QString text = QStringLiteral("The records have been imported into the specified directory!");
    for (const bool endsAJob : {false, true}) {
        bool seen = false;
        answerNextDialog<QMessageBox>([&](QMessageBox* box) {
            seen = true;
            EXPECT_EQ(box->windowTitle(), QStringLiteral("Attention!"));
            EXPECT_EQ(box->text(), text);
            EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
            EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
            if (endsAJob) {
                QTest::keyClick(box, Qt::Key_Return);
                EXPECT_TRUE(box->isVisible()) << "Enter in passing closed the message";
                QTest::qWait(600);
            }
            for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space, Qt::Key_Escape}) {
                for (const bool marked : {true, false})
                    sendRepeatOf(box, key, marked);
            }
            EXPECT_TRUE(box->isVisible()) << "a held key answered the box";
            QTest::keyClick(box, Qt::Key_Return); // a key pressed while it is up does
        });
        if (endsAJob)
            dialogs.jobEndMessage(nullptr, text, QStringLiteral("Attention!"));
        else
            dialogs.message(nullptr, text, QStringLiteral("Attention!"));
        EXPECT_TRUE(seen) << endsAJob;
    }
}

// The search's question has Yes as its default; the confirmation of a step that cannot be taken back has No, and the
// focus on it. Enter takes the default, Escape says No.
TEST(QtDialogsTest, QuestionsHaveYesAndNoAndTheirDefault) {
    QtDialogs dialogs;
    using Ask = std::function<bool(const QString&, const QString&)>;
    const std::pair<Ask, QMessageBox::StandardButton> kinds[] = {
        {[&](const QString& text, const QString& title) { return dialogs.question(nullptr, text, title); },
         QMessageBox::Yes},
        {[&](const QString& text, const QString& title) { return dialogs.confirm(nullptr, text, title); },
         QMessageBox::No},
    };
    const QString text = QStringLiteral("Stop the import after the record being written?");
    const QString title = QStringLiteral("Importing records");
    for (const auto& [ask, defaultButton] : kinds) {
        answerNextDialog<QMessageBox>([&, defaultButton = defaultButton](QMessageBox* box) {
            EXPECT_EQ(box->windowTitle(), title);
            EXPECT_EQ(box->text(), text);
            EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
            EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
            EXPECT_EQ(box->focusWidget(), box->button(defaultButton));
            QTest::keyClick(box, Qt::Key_Return); // Enter takes the default
        });
        EXPECT_EQ(ask(text, title), defaultButton == QMessageBox::Yes);

        for (const QMessageBox::StandardButton button : {QMessageBox::Yes, QMessageBox::No}) {
            answerNextDialog<QMessageBox>([button](QMessageBox* box) { box->button(button)->click(); });
            EXPECT_EQ(ask(text, title), button == QMessageBox::Yes);
        }
        answerNextDialog<QMessageBox>([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
        EXPECT_FALSE(ask(text, title)) << "Escape is not Yes";
    }
}

TEST(QtDialogsTest, InputBoxShowsPromptAndEntryAndCancelGivesEmptyText) {
    QtDialogs dialogs;
    answerNextDialog<QInputDialog>([](QInputDialog* box) {
        EXPECT_EQ(box->windowTitle(), QStringLiteral("Password"));
        EXPECT_EQ(box->labelText(), QStringLiteral("Please enter the password"));
        EXPECT_EQ(box->textValue(), QStringLiteral("old"));
        box->setTextValue(QStringLiteral("new one"));
        box->accept();
    });
    EXPECT_EQ(dialogs.inputBox(nullptr, QStringLiteral("Please enter the password"), QStringLiteral("Password"),
                               QStringLiteral("old")),
              QStringLiteral("new one"));

    answerNextDialog<QInputDialog>([](QInputDialog* box) {
        // the ampersand is shown, not taken as an access key
        const QLabel* label = box->findChild<QLabel*>();
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text(), QStringLiteral("Enter a P/W && click OK"));
        box->reject();
    });
    const QString cancelled = dialogs.inputBox(nullptr, QStringLiteral("Enter a P/W & click OK"),
                                               QStringLiteral("Title"), QStringLiteral("kept?"));
    EXPECT_TRUE(cancelled.isEmpty());
}

TEST(QtDialogsTest, FileFiltersKeepTheirCaptionsAndAllFilesMeansFilesWithoutADotToo) {
    EXPECT_EQ(nameFiltersOf(QStringLiteral("Text files (*.txt)|*.txt|All files (*.*)|*.*")),
              (QStringList{"Text files (*.txt) (*.txt)", "All files (*.*) (*)"}));
    EXPECT_EQ(nameFiltersOf(QStringLiteral("Data|*.csv; *.txt")), (QStringList{"Data (*.csv *.txt)"}));
    EXPECT_EQ(nameFiltersOf(QStringLiteral("No patterns")), QStringList{});
}

TEST(QtDialogsTest, FileOpenPreselectsTheEntryAndGivesTheFullPath) {
    test::TempDir folder;
    test::writeFile(folder / "notes", "a,b\r\n");
    const QString filter = QStringLiteral("Text files (*.txt)|*.txt|All files (*.*)|*.*");
    QtDialogs dialogs;
    answerNextDialog<QFileDialog>([&](QFileDialog* box) {
        EXPECT_EQ(box->selectedNameFilter(), QStringLiteral("All files (*.*)"));
        EXPECT_EQ(box->fileMode(), QFileDialog::ExistingFile);
        auto* name = box->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->setText(QString::fromStdString(folder / "notes")); // as typed by the user
        static_cast<QDialog*>(box)->accept();                    // the file dialog's own accept checks the chosen file
    });
    EXPECT_EQ(dialogs.openFile(nullptr, filter, 2), QString::fromStdString(folder / "notes"));

    answerNextDialog<QFileDialog>([](QFileDialog* box) {
        EXPECT_EQ(box->selectedNameFilter(), QStringLiteral("Text files (*.txt)"));
        box->reject();
    });
    EXPECT_TRUE(dialogs.openFile(nullptr, filter, 1).isEmpty());
}

TEST(QtDialogsTest, FontDialogGivesTheConfirmedFontAndNothingOnCancel) {
    QWidget window;
    FontChoice mono = initialPrinterFont();
    mono.name = QStringLiteral("Liberation Mono");
    mono.pointSize = 12;
    QtDialogs dialogs;
    answerNextDialog<QDialog>([](QDialog* box) { box->accept(); });
    EXPECT_EQ(dialogs.chooseFont(&window, kFontDialogFlags, mono), mono);

    answerNextDialog<QDialog>([](QDialog* box) { box->reject(); });
    EXPECT_FALSE(dialogs.chooseFont(&window, kFontDialogFlags, initialPrinterFont()).has_value());
}

TEST(QtDialogsTest, PointerIsTheHourglassUntilSetBackToTheDefault) {
    QWidget window;
    QtDialogs dialogs;
    dialogs.setPointer(&window, Pointer::Hourglass);
    EXPECT_EQ(window.cursor().shape(), Qt::WaitCursor);
    dialogs.setPointer(&window, Pointer::Default);
    EXPECT_EQ(window.cursor().shape(), Qt::ArrowCursor);
}

} // namespace
} // namespace qb::app
