// What the windows look like: each rendered in a state a user meets, with fixed fonts and style, and compared pixel
// by pixel with its reference picture in tests/data/windows/. On a difference the rendering and a picture of the
// differing pixels go to window-renderings/ in the build folder. scripts/window-pictures.sh renders the references
// again after an intended change (QUILLBOX_UPDATE_REFERENCES=1).

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleHints>
#include <QTimer>
#include <algorithm>
#include <cstdlib>

#include "app/dialogs/progress_dialog.h"
#include "app/layout/controls.h"
#include "app/services/progress_window.h"
#include "app/services/qt_dialogs.h"
#include "app/windows/about_window.h"
#include "app/windows/reminder_window.h"
#include "app/windows/splash_window.h"
#include "form_fixture.h"
#include "import/import_run.h"
#include "store/record_file.h"

namespace qb::test {
namespace {

// Anti-aliasing may shade an edge pixel a little differently; a pixel differs when a channel moves further.
constexpr int kChannelTolerance = 48;

struct Comparison {
    qsizetype differing = 0;
    QImage marked; ///< the reference faded, with the differing pixels in red; null when the sizes differ
};

Comparison compare(const QImage& rendered, const QImage& reference) {
    if (rendered.size() != reference.size())
        return {std::max(rendered.width() * rendered.height(), 1), QImage()};
    Comparison result{0, reference.convertToFormat(QImage::Format_RGB32)};
    for (int y = 0; y < reference.height(); ++y) {
        for (int x = 0; x < reference.width(); ++x) {
            const QRgb a = rendered.pixel(x, y);
            const QRgb b = reference.pixel(x, y);
            const int change =
                std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
            const int grey = 192 + qGray(b) / 4;
            result.differing += change > kChannelTolerance;
            result.marked.setPixel(x, y, change > kChannelTolerance ? qRgb(255, 0, 0) : qRgb(grey, grey, grey));
        }
    }
    return result;
}

/** Whether a window looks as its reference picture; on a difference, says which, by how much and where to look. */
testing::AssertionResult looksAsItsReference(QWidget* window, const QString& name) {
    const QImage rendered = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QString reference = QStringLiteral(QUILLBOX_WINDOW_REFERENCES "/%1.png").arg(name);
    if (qEnvironmentVariableIntValue("QUILLBOX_UPDATE_REFERENCES") == 1) {
        if (!rendered.save(reference))
            return testing::AssertionFailure() << "cannot write " << reference.toStdString();
        return testing::AssertionSuccess();
    }
    const QImage expected(reference);
    const Comparison comparison = compare(rendered, expected);
    if (comparison.differing == 0)
        return testing::AssertionSuccess();

    const QString renderings = QStringLiteral(QUILLBOX_WINDOW_RENDERINGS);
    QDir().mkpath(renderings);
    const QString renderedPath = renderings + QStringLiteral("/%1.png").arg(name);
    rendered.save(renderedPath);
    testing::AssertionResult failure = testing::AssertionFailure();
    failure << name.toStdString() << ": ";
    if (comparison.marked.isNull()) {
        failure << "rendered " << rendered.width() << "x" << rendered.height() << ", the reference "
                << reference.toStdString() << " is " << expected.width() << "x" << expected.height();
    } else {
        const QString markedPath = renderings + QStringLiteral("/%1-difference.png").arg(name);
        comparison.marked.save(markedPath);
        failure << comparison.differing << " of " << expected.width() * expected.height() << " pixels differ from "
                << reference.toStdString() << "; the differing pixels in red: " << markedPath.toStdString();
    }
    return failure << "; the rendering: " << renderedPath.toStdString();
}

class WindowLooks : public FormFixture {
protected:
    void SetUp() override {
        // The same fonts, style and colours on every machine; a text cursor that does not blink.
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QApplication::setPalette(QApplication::style()->standardPalette());
        QApplication::setFont(app::defaultFont());
        QGuiApplication::styleHints()->setCursorFlashTime(0);
    }

    void put(const std::string& number, const store::Record& record) {
        writeFile(makeQuillFolder() + "/" + number, store::recordFileBytes(record));
    }
};

TEST_F(WindowLooks, MainWindowEmptyAndWithARecalledRecord) {
    app::MainWindow& f = makeForm();
    ASSERT_TRUE(showActive(&f));
    EXPECT_TRUE(looksAsItsReference(&f, QStringLiteral("main-window")));

    put("12011403.659", {"12/24/26", "Call the plumber about the kitchen tap.\r\nHis number is in the blue book."});
    f.controls().searchString1->setText(QStringLiteral("plumber"));
    dialogs.expectQuestion(false);
    f.search();
    EXPECT_TRUE(looksAsItsReference(&f, QStringLiteral("main-window-recalled")));
}

TEST_F(WindowLooks, ReminderWindowWithTwoReminders) {
    app::MainWindow& f = makeForm();
    put("12011403.659", {"12/06/26", "Dentist at 4 pm,\r\nbring the insurance card."});
    put("12021403.659", {"12/07/26", "tomorrow"});
    put("12031403.659", {"12/06/26", "Call Ann about the car."});
    f.runReminderCheck("12/06/26");
    ASSERT_TRUE(showActive(&f.reminderWindow()));
    EXPECT_TRUE(looksAsItsReference(&f.reminderWindow(), QStringLiteral("reminder-window")));
}

TEST_F(WindowLooks, AboutWindowAndSplash) {
    app::MainWindow& f = makeForm();
    f.showAbout();
    ASSERT_TRUE(showActive(f.aboutWindow()));
    EXPECT_TRUE(looksAsItsReference(f.aboutWindow(), QStringLiteral("about-window")));

    app::SplashWindow splash([] {}, exit);
    ASSERT_TRUE(showActive(&splash));
    EXPECT_TRUE(looksAsItsReference(&splash, QStringLiteral("splash-window")));
}

TEST_F(WindowLooks, ImportProgressWindow) {
    app::MainWindow& f = makeForm();
    app::QtProgressWindow progress(&f, dialogs, QStringLiteral("Importing"), QString(), QString());
    progress.update(QString::fromStdString(import::progressText(1, 3)), 0, 3);
    ASSERT_TRUE(showActive(&progress.window()));
    EXPECT_TRUE(looksAsItsReference(&progress.window(), QStringLiteral("import-progress")));
}

// The prompt as start-up shows it, through the real dialogs.
TEST_F(WindowLooks, PasswordPrompt) {
    writeFile(drivePath("c:\\@.dat"), "Secret\r\n");
    app::QtDialogs realDialogs;
    app::Services real{drives, clock, realDialogs, printer, exit};
    app::MainWindow f(real);
    int tries = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* prompt = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if ((!prompt || !prompt->isActiveWindow()) && ++tries < 100)
            return;
        poll.stop();
        if (!prompt) {
            ADD_FAILURE() << "no password prompt came up";
            return;
        }
        EXPECT_TRUE(looksAsItsReference(prompt, QStringLiteral("password-prompt")));
        prompt->reject(); // Cancel ends the program, through the test's exit
    });
    poll.start(20);
    f.startUp();
    EXPECT_EQ(exit.calls(), 1);
}

} // namespace
} // namespace qb::test
