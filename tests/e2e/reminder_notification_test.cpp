// `quillbox --remind` against a real notification server: dunst on the virtual screen, on a session bus of the
// test's own, whose traffic a monitor logs. Exactly one notification with today's reminders, the process waiting
// for it with no file open, ending with 0 when it is closed or clicked; a click opens Quillbox, whose splash window a
// key or the desktop's close (Alt+F4) ends at once.

#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <optional>
#include <thread>
#include <unistd.h>

#include "live_session.h"
#include "temp_dir.h"

namespace qb::e2e {
namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kToday = "@2026-12-06 08:30:00";

int occurrences(const std::string& text, const std::string& part) {
    int count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// Alarm checking on, two records due on 6 December 2026 and one the day after.
class EndToEndReminderNotification : public testing::Test {
protected:
    void SetUp() override { writeHome(); }

    void writeHome() {
        test::writeFile(home_ / "drive_c/flag.dat", " \r\n");
        test::writeFile(home_ / "drive_c/quill/11281415.602",
                        "\"12/06/26\"\r\n\"Call the plumber about the kitchen tap.\r\nHis number is in the blue "
                        "address book.\"\r\n");
        test::writeFile(home_ / "drive_c/quill/12010930.611",
                        "\"12/06/26\"\r\n\"Dentist at 4 pm & bring the <insurance> card\"\r\n");
        test::writeFile(home_ / "drive_c/quill/12031702.648", "\"12/07/26\"\r\n\"Pay the rent\"\r\n");
    }

    void start(bool busByRuntimeFolder = false) {
        session_.emplace(StartOptions{.home = home_.path(),
                                      .workdir = work_.path(),
                                      .arguments = {"--remind"},
                                      .fakeTime = kToday,
                                      .notifications = true,
                                      .busByRuntimeFolder = busByRuntimeFolder});
        ASSERT_TRUE(session_->started());
    }

    // How many notifications dunst shows, or -1 when it cannot be asked.
    int displayed() {
        const std::optional<std::string> count = session_->command({"dunstctl", "count", "displayed"});
        return count ? std::stoi(*count) : -1;
    }

    testing::AssertionResult waitUntilDisplayed(int expected) {
        const auto deadline = Clock::now() + std::chrono::seconds(20);
        int seen = displayed();
        for (; seen != expected && Clock::now() < deadline; seen = displayed())
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (seen == expected)
            return testing::AssertionSuccess();
        return testing::AssertionFailure() << "dunst shows " << seen << " notifications, not " << expected
                                           << "; screenshot: " << session_->screenshot();
    }

    // The files the waiting program holds open under the Quillbox home, by their paths.
    std::vector<std::string> filesHeldUnderHome() const {
        std::vector<std::string> held;
        const std::string fds = "/proc/" + std::to_string(session_->programPid()) + "/fd";
        for (const auto& fd : std::filesystem::directory_iterator(fds)) {
            std::error_code gone;
            const std::string target = std::filesystem::read_symlink(fd.path(), gone).string();
            if (target.starts_with(home_.path()))
                held.push_back(target);
        }
        return held;
    }

    test::TempDir home_, work_;
    std::optional<LiveSession> session_;
};

TEST_F(EndToEndReminderNotification, OneNotificationWithTodaysRemindersUntilItIsClosed) {
    start();
    ASSERT_TRUE(waitUntilDisplayed(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(500)); // no second one follows
    EXPECT_EQ(displayed(), 1);
    ASSERT_EQ(session_->waitForExit(0), std::nullopt) << "the program ended before the notification was closed";
    EXPECT_EQ(filesHeldUnderHome(), std::vector<std::string>{}) << "the waiting program holds files open";
    session_->screenshot();

    const std::string traffic = session_->notificationTraffic();
    EXPECT_EQ(occurrences(traffic, "member=Notify"), 1) << traffic;
    for (const char* sent : {"string \"Quillbox\"", "string \"quillbox\"", "string \"Quillbox: 2 reminders for today\"",
                             "string \"default\"", "string \"Open Quillbox\"", "string \"desktop-entry\"",
                             "string \"image-data\"", "int32 64", "Call the plumber about the kitchen tap.",
                             "Dentist at 4 pm &amp; bring the &lt;insurance&gt; card"})
        EXPECT_NE(traffic.find(sent), std::string::npos) << sent << " was not sent:\n" << traffic;
    for (const char* unsent : {"His number", "Pay the rent"})
        EXPECT_EQ(traffic.find(unsent), std::string::npos) << unsent << " was sent";

    ASSERT_TRUE(session_->command({"dunstctl", "close"}));
    EXPECT_EQ(session_->waitForExit(10), 0) << "the program did not end with 0 once its notification was closed";
    const std::optional<std::string> history = session_->command({"dunstctl", "history"});
    ASSERT_TRUE(history);
    EXPECT_EQ(occurrences(*history, "\"appname\""), 1) << *history;
    EXPECT_NE(history->find("\"data\" : \"Quillbox\""), std::string::npos) << *history;
}

TEST_F(EndToEndReminderNotification, AClickOnItOpensQuillbox) {
    start(true); // the program finds the bus by its socket in the runtime folder
    ASSERT_TRUE(waitUntilDisplayed(1));
    const std::optional<std::string> notification = session_->command({"xdotool", "search", "--class", "Dunst"});
    ASSERT_TRUE(notification) << "no notification window on the screen";
    const std::string window = notification->substr(0, notification->find('\n'));
    ASSERT_TRUE(session_->command({"xdotool", "mousemove", "--window", window, "60", "20", "click", "1"}));
    EXPECT_EQ(session_->waitForExit(10), 0) << "the program did not end with 0 after the click";
    ASSERT_TRUE(session_->waitForWindow("SplashWindow", {}, kStartUp)) << "the click did not open Quillbox";
    ASSERT_TRUE(session_->key("SplashWindow", "space")); // a key in the splash window ends Quillbox at once
    EXPECT_TRUE(harness::waitUntil([&] {
        return !session_->command({"xdotool", "search", "--name", "^Quillbox$"});
    })) << "Quillbox did not end";
}

// The desktop's close of the splash window (Alt+F4) ends Quillbox as a key does: no main window, no setting written.
TEST_F(EndToEndReminderNotification, AltF4OnTheSplashEndsQuillboxAtOnce) {
    const std::string before = test::folderFingerprint(home_.path());
    session_.emplace(StartOptions{.home = home_.path(), .workdir = work_.path()});
    ASSERT_TRUE(session_->started());
    ASSERT_TRUE(session_->waitForWindow("SplashWindow", {}, kStartUp));
    std::optional<int> ended; // under load openbox at times lets Alt+F4 through to the program: it is pressed again
    for (int press = 0; press < 3 && !ended; ++press) {
        ASSERT_TRUE(session_->key("SplashWindow", "alt+F4"));
        ended = session_->waitForExit(1);
    }
    EXPECT_EQ(ended, 0);
    EXPECT_EQ(test::folderFingerprint(home_.path()), before);
}

TEST_F(EndToEndReminderNotification, WithAPasswordNoRecordTextCrossesTheBus) {
    test::writeFile(home_ / "drive_c/@.dat", "word\r\n");
    start();
    ASSERT_TRUE(waitUntilDisplayed(1));
    ASSERT_TRUE(session_->command({"dunstctl", "close"}));
    EXPECT_EQ(session_->waitForExit(10), 0);
    const std::string traffic = session_->notificationTraffic();
    EXPECT_NE(traffic.find("string \"Quillbox: 2 reminders for today\""), std::string::npos) << traffic;
    EXPECT_NE(traffic.find("string \"Open Quillbox to read them\""), std::string::npos) << traffic;
    for (const char* secret : {"plumber", "Dentist", "rent"})
        EXPECT_EQ(traffic.find(secret), std::string::npos) << secret << " crossed the bus";
}

// Login and the daily timer both run `quillbox --remind`: one notification a day, then one for what was saved for
// today since, and a new day starts afresh. Standard output tells all of today's reminders every time.
TEST_F(EndToEndReminderNotification, OneNotificationADayAndOneForWhatWasSavedSince) {
    start();
    const auto run = [&](const std::string& clock) { ASSERT_TRUE(session_->runAgain({"--remind"}, clock)); };
    const auto notified = [&](int count) {
        ASSERT_TRUE(waitUntilDisplayed(1));
        ASSERT_TRUE(session_->command({"dunstctl", "close"}));
        EXPECT_EQ(session_->waitForExit(10), 0);
        EXPECT_EQ(occurrences(session_->notificationTraffic(), "member=Notify"), count);
    };
    notified(1);                 // at login: both reminders of 6 December
    run("@2026-12-06 08:00:00"); // the timer, later that morning: nothing new
    EXPECT_EQ(session_->waitForExit(10), 0);
    EXPECT_EQ(displayed(), 0);
    EXPECT_EQ(occurrences(session_->notificationTraffic(), "member=Notify"), 1);

    test::writeFile(home_ / "drive_c/quill/12061100.659", "\"12/06/26\"\r\n\"Water the plants\"\r\n");
    run("@2026-12-06 12:00:00");
    notified(2);
    const std::string traffic = session_->notificationTraffic();
    const std::string last = traffic.substr(traffic.rfind("member=Notify"));
    EXPECT_NE(last.find("string \"Quillbox: 1 reminder for today\""), std::string::npos) << last;
    EXPECT_NE(last.find("Water the plants"), std::string::npos) << last;
    EXPECT_EQ(last.find("plumber"), std::string::npos) << "a reminder told this morning was told again: " << last;

    run("@2026-12-07 08:00:00"); // the next day: the rent
    notified(3);
    EXPECT_NE(session_->notificationTraffic().rfind("Pay the rent"), std::string::npos);
    const std::optional<std::string> history = session_->command({"dunstctl", "history"});
    ASSERT_TRUE(history);
    std::cout << "notifications shown:\n" << *history << "\n";
}

TEST_F(EndToEndReminderNotification, NothingToTellShowsNothing) {
    const struct {
        const char* what;
        std::string removed;
    } cases[] = {{"alarm checking off", "drive_c/flag.dat"}, {"nothing due", "drive_c/quill"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        writeHome();
        std::filesystem::remove_all(home_ / c.removed);
        start();
        EXPECT_EQ(session_->waitForExit(10), 0);
        EXPECT_EQ(displayed(), 0);
        EXPECT_EQ(session_->notificationTraffic().find("member=Notify"), std::string::npos);
        session_.reset();
    }
}

} // namespace
} // namespace qb::e2e
