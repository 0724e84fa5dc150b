#pragma once
// The real quillbox executable on a virtual X screen (Xvfb) with a window manager (openbox), driven by real key
// presses and clicks (xdotool) and read through the window probe's snapshots. Every wait is bounded; a failed wait
// says what was on screen and saves a screenshot of the whole screen and the programs' output into the build folder.
//
//   LiveSession session({.home = home.path(), .workdir = work.path()});
//   ASSERT_TRUE(session.waitForWindow("MainWindow", {}, kStartUp));
//   ASSERT_TRUE(session.click("MainWindow", "Sa&ve Record"));
//   ASSERT_TRUE(session.answer("Alert!", "You can't save an empty text box!", "OK"));

#include <gtest/gtest.h>
#include <sys/types.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "commands.h"
#include "screen_snapshot.h"
#include "session_bus.h"
#include "temp_dir.h"

namespace qb::e2e {

/** Seconds to wait for the first window: the splash window alone stays up for five. */
inline constexpr double kStartUp = 30;

/** How the program is started. */
struct StartOptions {
    std::string home;                     ///< QUILLBOX_HOME, the folder that holds the drives
    std::string workdir;                  ///< the program's working directory
    std::vector<std::string> extraEnv{};  ///< more NAME=value settings for the program
    std::vector<std::string> arguments{}; ///< the program's arguments
    std::string fakeTime{};               ///< the program's clock as libfaketime's FAKETIME, "@2026-12-06 10:00:00"
    /** A session bus of the session's own with a notification server on the screen (dunst, showing each
     *  notification until it is closed) and a monitor that logs the notification traffic on the bus. */
    bool notifications = false;
    /** The program finds that bus by its socket in XDG_RUNTIME_DIR, as on a desktop with a user bus, rather than
     *  by DBUS_SESSION_BUS_ADDRESS. */
    bool busByRuntimeFolder = false;
    /** A session bus of the session's own with the accessibility bus on it (at-spi-bus-launcher), and the program's
     *  accessibility on, as when a screen reader runs. */
    bool screenReader = false;
    /** A session bus of the session's own that starts the desktops' search service on demand, from the packaged
     *  D-Bus service file pointed at this build's program, with the program's environment as the desktop hands it
     *  to the services it starts; the program itself is not started. */
    bool searchService = false;
};

/** One run of the program on a screen of its own; everything started is ended with its process group. */
class LiveSession {
public:
    explicit LiveSession(const StartOptions& options);
    LiveSession(const LiveSession&) = delete;
    LiveSession& operator=(const LiveSession&) = delete;

    /** Whether the screen, the window manager and the program were started. */
    testing::AssertionResult started() const;

    /** The probe's latest snapshot. */
    Snapshot snapshot() const;
    /** Waits until condition holds for a snapshot; on timeout fails with what (the state awaited) and the screen. */
    testing::AssertionResult waitUntil(const std::string& what, const std::function<bool(const Snapshot&)>& condition,
                                       double seconds = 5);
    /** Waits for a window (title, object name or class) showing text (a control's whole text; any when empty). */
    testing::AssertionResult waitForWindow(std::string_view window, std::string_view text = {}, double seconds = 5);
    /** Waits for the window to be active and the control (object name or caption) to stand still, then clicks it
     *  with a mouse button (1 left, 2 middle, 3 right). */
    testing::AssertionResult click(std::string_view window, std::string_view control, int button = 1);
    /** Waits for the window to be active, then sends keys in xdotool's names ("alt+v", "ctrl+Return"). */
    testing::AssertionResult key(std::string_view window, std::string_view keys);
    /** Waits for the window to be active, then holds a key (xdotool's name) down until releaseKey: the X server
     *  repeats it meanwhile, as it does for a key a user holds. */
    testing::AssertionResult holdKey(std::string_view window, std::string_view name);
    /** Lets a key held by holdKey go. */
    testing::AssertionResult releaseKey(std::string_view name);
    /** Waits for the window to be active, then types text into its focused control. */
    testing::AssertionResult type(std::string_view window, std::string_view text);
    /** Waits for a message box showing text and clicks its button. */
    testing::AssertionResult answer(std::string_view title, std::string_view text, std::string_view button);
    /** Saves a picture of the whole screen in the build folder (e2e-failures); returns its path, or why not. */
    std::string screenshot();

    /** The program's exit status once it has ended, waiting at most seconds; nothing while it runs or when it was
     *  killed. Windows of programs it started may still be waited for afterwards. */
    std::optional<int> waitForExit(double seconds);
    /** Once the program has ended, runs it again on the same screen and bus with other arguments and clock; false
     *  when it still runs or could not be started. */
    bool runAgain(const std::vector<std::string>& arguments, const std::string& fakeTime);
    /** The process id of the program while it runs. */
    pid_t programPid() const { return program_ ? program_->pid() : -1; }
    /** Runs a short command on the session's screen and bus (dunstctl, xdotool); its output, or nothing when it
     *  failed. */
    std::optional<std::string> command(const std::vector<std::string>& argv);
    /** What the monitor logged of the notification traffic on the session's bus (dbus-monitor's text). */
    std::string notificationTraffic() const;
    /** The address of the session's own bus; empty when it has none. */
    std::string sessionBusAddress() const { return bus_ ? bus_->address() : std::string(); }

private:
    std::string startScreen();
    std::string startNotifications();
    std::string startAccessibility();
    std::string startSearchService();
    std::vector<std::string> programEnvironment(const StartOptions& options) const;
    // A program of the session, started in the scratch folder with its output appended to log.
    harness::Command sessionCommand(std::vector<std::string> argv, const std::string& log) const;
    // Runs a short command on the session's screen and bus, at most seconds.
    harness::CommandResult runCommand(const std::vector<std::string>& argv, double seconds = 10) const;
    std::string sessionLog() const { return scratch_ / "session.log"; }
    testing::AssertionResult clickIn(std::string_view window, std::string_view text, std::string_view control,
                                     bool newWindow, int button = 1);
    testing::AssertionResult whenActive(std::string_view window, const std::vector<std::string>& command);
    testing::AssertionResult xdotool(const std::string& what, std::vector<std::string> command);
    testing::AssertionResult failure(const std::string& what, const Snapshot& seen);
    std::string failureFile(const char* extension) const;
    std::vector<std::string> environment() const;

    StartOptions options_;  // how the program was started last
    test::TempDir scratch_; // HOME of every process started here, the logs and the snapshots
    std::string display_;
    std::string startError_;
    // The processes in the order they start: each is ended, with its process group, before those started earlier.
    std::optional<harness::BackgroundProcess> screen_, windowManager_;
    std::unique_ptr<test::SessionBus> bus_;
    std::optional<harness::BackgroundProcess> accessibility_, monitor_, notifier_, program_;
    std::string programEnded_; // how the program ended, once it has ended while a window was awaited
    std::string lastAnswered_; // the X window id of the last box answered
    int screenshots_ = 0;
};

/** The base of tests that start at the main window: the program started in a home and a working folder of its own. */
class MainWindowTest : public testing::Test {
protected:
    void SetUp() override;

    test::TempDir home_, work_;
    std::optional<LiveSession> session_;
};

} // namespace qb::e2e
