// The progress window of a long job, with the stop question scripted: every way of asking to stop asks first and
// only Yes stops the job. (Enter and Space in passing are tried on the real program, in tests/e2e.)

#include "app/services/progress_window.h"

#include "app/dialogs/progress_dialog.h"

#include <QPushButton>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <utility>

#include "services_fixture.h"

namespace qb::test {
namespace {

const QString kTitle = QStringLiteral("Importing records");
const QString kQuestion = QStringLiteral("Stop the import after the record being written?");

class ProgressWindowTest : public ServicesFixture {
protected:
    std::unique_ptr<app::QtProgressWindow> openActive() {
        auto window = std::make_unique<app::QtProgressWindow>(nullptr, dialogs, kTitle,
                                                              QStringLiteral("Reading the file..."), kQuestion);
        EXPECT_TRUE(showActive(&window->window()));
        return window;
    }
};

TEST_F(ProgressWindowTest, EveryWayOfStoppingAsksFirstAndOnlyYesStops) {
    using Press = std::function<void(app::QtProgressWindow&)>;
    const std::pair<const char*, Press> ways[] = {
        {"a click on Stop", [](app::QtProgressWindow& w) { QTest::mouseClick(w.window().stopButton, Qt::LeftButton); }},
        {"Alt+S", [](app::QtProgressWindow& w) { QTest::keyClick(&w.window(), Qt::Key_S, Qt::AltModifier); }},
        {"Escape", [](app::QtProgressWindow& w) { QTest::keyClick(&w.window(), Qt::Key_Escape); }},
        {"the frame's close button", [](app::QtProgressWindow& w) { w.window().close(); }},
    };
    for (const auto& [way, press] : ways) {
        for (const bool yes : {false, true}) {
            dialogs.clearLog();
            dialogs.expectConfirm(yes);
            const std::unique_ptr<app::QtProgressWindow> window = openActive();
            press(*window);
            // An access key clicks its button a moment later, once the button has been drawn pressed.
            QTRY_VERIFY_WITH_TIMEOUT(!dialogs.dialogs().empty(), 1000);
            EXPECT_EQ(dialogs.dialogs(), std::vector<Shown>{Shown::confirm(kQuestion, kTitle)}) << way;
            EXPECT_EQ(window->stopRequested(), yes) << way;
            EXPECT_EQ(window->window().stopButton->isEnabled(), !yes) << way;
            EXPECT_TRUE(window->window().isVisible()) << way << ": the window stays until the job has ended";
            if (yes) {
                press(*window); // once confirmed, nothing more is asked
                QTest::qWait(200);
                EXPECT_EQ(dialogs.dialogs().size(), 1u) << way;
            }
        }
    }
}

} // namespace
} // namespace qb::test
