// The reminder window at start-up, as a user meets it with alarm checking on: once the check has ended it lists the
// records due today; in the list, Ctrl+Enter types a line break and the window stays, and Enter proceeds to the main
// window.

#include <gtest/gtest.h>

#include <algorithm>

#include "live_session.h"
#include "temp_dir.h"

namespace qb::e2e {
namespace {

constexpr const char* kReminders = "(Quillbox 1.2)  Reminder Date Alarm Search Results";

TEST(EndToEndReminderWindow, ListsTodaysRemindersThenCtrlEnterTypesALineBreakAndEnterProceeds) {
    test::TempDir home, work;
    test::writeFile(home / "drive_c/flag.dat", " \r\n");
    test::writeFile(home / "drive_c/quill/12011000.611", "\"12/06/26\"\r\n\"Buy tickets\r\nfor the show\"\r\n");
    test::writeFile(home / "drive_c/quill/12021000.611", "\"12/07/26\"\r\n\"tomorrow\"\r\n");
    test::writeFile(home / "drive_c/quill/12031000.611", "\"12/06/26\"\r\n\"Call Anna\"\r\n");
    LiveSession session({.home = home.path(), .workdir = work.path(), .fakeTime = "@2026-12-06 10:00:00"});
    ASSERT_TRUE(session.started());
    // The window is up from the check's first file on; the list is whole once the pointer is back to the arrow.
    ASSERT_TRUE(session.waitUntil(
        "the reminder check ended, its window up",
        [](const Snapshot& seen) { return seen.window(kReminders) && !seen.busy; }, kStartUp));
    const std::string list = session.snapshot().text(kReminders, "reminderList").value_or("");
    EXPECT_NE(list.find("Reminder dated: 12/06/26\n\nBuy tickets\nfor the show\n\n--------------------"),
              std::string::npos)
        << list;
    EXPECT_NE(list.find("Reminder dated: 12/06/26\n\nCall Anna\n\n--------------------"), std::string::npos) << list;
    EXPECT_EQ(list.find("tomorrow"), std::string::npos) << list;

    ASSERT_TRUE(session.click(kReminders, "reminderList"));
    ASSERT_TRUE(session.waitUntil("the focus in the reminder list", [](const Snapshot& seen) {
        const Window* reminders = seen.window(kReminders);
        return reminders && reminders->control("reminderList")->focus;
    }));
    ASSERT_TRUE(session.key(kReminders, "ctrl+Return"));
    const auto lineBreaks = [](const std::string& text) { return std::count(text.begin(), text.end(), '\n'); };
    EXPECT_TRUE(
        session.waitUntil("one more line break in the list, the main window still hidden", [&](const Snapshot& seen) {
            const std::string typed = seen.text(kReminders, "reminderList").value_or("");
            return lineBreaks(typed) == lineBreaks(list) + 1 && typed.size() == list.size() + 1 &&
                   !seen.window("MainWindow");
        }));
    ASSERT_TRUE(session.key(kReminders, "Return"));
    EXPECT_TRUE(session.waitUntil("the main window shown and the reminder window hidden", [](const Snapshot& seen) {
        return seen.window("MainWindow") && !seen.window("ReminderWindow");
    }));
}

} // namespace
} // namespace qb::e2e
