// The reminder window at start-up: Enter anywhere in it, the list included, proceeds to the main window; a line
// break is typed into the list with Ctrl+Enter. The window comes only once a run, so each case starts the program.

#include <gtest/gtest.h>

#include <optional>

#include "live_session.h"
#include "temp_dir.h"

namespace qb::e2e {
namespace {

constexpr const char* kReminders = "(Quillbox 1.2)  Reminder Date Alarm Search Results";

// The program started with alarm checking on, its reminder window up and the list clicked into.
class EndToEndReminderWindow : public testing::Test {
protected:
    void SetUp() override {
        test::writeFile(home_ / "drive_c/flag.dat", " \r\n");
        session_.emplace(StartOptions{.home = home_.path(), .workdir = work_.path()});
        ASSERT_TRUE(session_->started());
        ASSERT_TRUE(session_->waitForWindow(kReminders, {}, kStartUp));
        ASSERT_TRUE(session_->click(kReminders, "reminderList"));
        ASSERT_TRUE(session_->waitUntil("the focus in the reminder list", [](const Snapshot& seen) {
            const Window* reminders = seen.window(kReminders);
            return reminders && reminders->control("reminderList")->focus;
        }));
    }

    test::TempDir home_, work_;
    std::optional<LiveSession> session_;
};

TEST_F(EndToEndReminderWindow, EnterInTheListProceedsToTheMainWindow) {
    ASSERT_TRUE(session_->key(kReminders, "Return"));
    EXPECT_TRUE(session_->waitUntil("the main window shown and the reminder window hidden", [](const Snapshot& seen) {
        return seen.window("MainWindow") && !seen.window("ReminderWindow");
    }));
}

TEST_F(EndToEndReminderWindow, CtrlEnterInTheListTypesALineBreakAndTheWindowStays) {
    ASSERT_TRUE(session_->key(kReminders, "ctrl+Return"));
    EXPECT_TRUE(session_->waitUntil("a line break in the reminder list, the reminder window still up and the main "
                                    "window hidden",
                                    [](const Snapshot& seen) {
                                        return seen.text("ReminderWindow", "reminderList") == "\n" &&
                                               !seen.window("MainWindow");
                                    }));
}

} // namespace
} // namespace qb::e2e
