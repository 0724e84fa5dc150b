#include "live_session.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace qb::e2e {
namespace {

using Clock = std::chrono::steady_clock;

std::chrono::milliseconds millis(double seconds) {
    return std::chrono::milliseconds(static_cast<long>(seconds * 1000));
}

// Starts argv in a session (and process group) of its own with stdout and stderr going to output; the child is
// killed when this process dies, so a test that is killed leaves no screen behind. keepOpen is inherited.
pid_t spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env, const std::string& dir,
            int output, int keepOpen = -1) {
    std::vector<char*> args, vars;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    for (const std::string& var : env)
        vars.push_back(const_cast<char*>(var.c_str()));
    args.push_back(nullptr);
    vars.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid != 0)
        return pid;
    ::setsid();
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    const int nothing = ::open("/dev/null", O_RDONLY);
    ::dup2(nothing, 0);
    ::dup2(output, 1);
    ::dup2(output, 2);
    if (keepOpen >= 0)
        ::fcntl(keepOpen, F_SETFD, 0);
    if (::chdir(dir.c_str()) == 0)
        ::execvpe(args[0], args.data(), vars.data());
    ::_exit(127);
}

// Ends a process group: politely, then after three seconds by force; reaps its leader. The leader is signalled on
// its own too, in case it has not made its group yet.
void stopGroup(pid_t& leader) {
    if (leader <= 0)
        return;
    ::kill(-leader, SIGTERM);
    ::kill(leader, SIGTERM);
    int status = 0;
    const auto deadline = Clock::now() + std::chrono::seconds(3);
    while (::waitpid(leader, &status, WNOHANG) == 0 && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ::kill(-leader, SIGKILL);
    ::kill(leader, SIGKILL);
    ::waitpid(leader, &status, 0);
    leader = -1;
}

// Reads what fd delivers until it closes or the time is up.
std::string readUntilClosed(int fd, Clock::time_point deadline) {
    std::string text;
    char buffer[4096];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd ready{fd, POLLIN, 0};
        if (left <= 0 || ::poll(&ready, 1, static_cast<int>(left)) <= 0)
            return text;
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            return text;
        text.append(buffer, static_cast<std::size_t>(n));
    }
}

struct Ran {
    bool ok = false;
    std::string output;
};

// Runs a short command to its end (at most seconds) and returns its output.
Ran run(const std::vector<std::string>& argv, const std::vector<std::string>& env, double seconds = 10) {
    int channel[2];
    if (::pipe2(channel, O_CLOEXEC) != 0)
        return {};
    pid_t pid = spawn(argv, env, "/", channel[1]);
    ::close(channel[1]);
    const auto deadline = Clock::now() + millis(seconds);
    Ran ran;
    ran.output = readUntilClosed(channel[0], deadline);
    ::close(channel[0]);
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (Clock::now() > deadline) {
            stopGroup(pid);
            return ran;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ::kill(-pid, SIGKILL); // anything it left behind in its group
    ran.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return ran;
}

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Sets NAME=value in an environment, in place of any value it had.
void setVariable(std::vector<std::string>& env, const std::string& name, const std::string& value) {
    std::erase_if(env, [&](const std::string& var) { return var.starts_with(name + "="); });
    env.push_back(name + "=" + value);
}

constexpr const char* kFakeTimeLibrary = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1";
constexpr const char* kAccessibilityBusLauncher = "/usr/libexec/at-spi-bus-launcher";

} // namespace

LiveSession::LiveSession(const StartOptions& options) : options_(options) {
    const int log = ::open((scratch_ / "session.log").c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    ::mkdir((scratch_ / ".run").c_str(), 0700);
    // A screen whose number was just given up by another test's screen can lose its socket to that screen's clean-up,
    // so the window manager cannot reach it: then a fresh screen is started.
    for (int attempt = 0; attempt < 3; ++attempt) {
        startError_ = log < 0 ? "cannot write the session's log" : startScreen(log);
        if (startError_.empty())
            break;
        stopGroup(windowManager_);
        stopGroup(screen_);
    }
    if (startError_.empty() && options.notifications)
        startError_ = startNotifications(log);
    if (startError_.empty() && options.screenReader)
        startError_ = startAccessibility(log);
    if (log >= 0)
        ::close(log);
    if (startError_.empty())
        (void)runAgain(options.arguments, options.fakeTime);
}

bool LiveSession::runAgain(const std::vector<std::string>& arguments, const std::string& fakeTime) {
    if (program_ > 0 && reapProgram() < 0)
        return false;
    options_.arguments = arguments;
    options_.fakeTime = fakeTime;
    const int log = ::open((scratch_ / "session.log").c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    std::vector<std::string> argv{QUILLBOX_EXECUTABLE};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    program_ = spawn(argv, programEnvironment(options_), options_.workdir, log);
    if (log >= 0)
        ::close(log);
    exitStatus_.reset();
    return program_ > 0;
}

std::vector<std::string> LiveSession::programEnvironment(const StartOptions& options) const {
    std::vector<std::string> env = environment();
    // Under AddressSanitizer: the X11 keymap reader of Qt's xcb platform strndup()s a buffer that is not
    // NUL-terminated, which is correct but fails strict_string_checks, so that one check is off in the program.
    for (std::string& var : env)
        if (var.starts_with("ASAN_OPTIONS="))
            var += ":strict_string_checks=0";
    std::string preload = QUILLBOX_WINDOW_PROBE;
    if (!options.fakeTime.empty()) {
        preload = std::string(kFakeTimeLibrary) + " " + preload;
        env.insert(env.end(), {"FAKETIME=" + options.fakeTime, "DONT_FAKE_MONOTONIC=1"});
    }
    if (options.busByRuntimeFolder && bus_) {
        std::erase_if(env, [](const std::string& var) { return var.starts_with("DBUS_SESSION_BUS_ADDRESS="); });
        setVariable(env, "XDG_RUNTIME_DIR", bus_->folder());
    }
    env.insert(env.end(),
               {"QT_QPA_PLATFORM=xcb", "QUILLBOX_HOME=" + options.home, "CUPS_SERVER=" + (scratch_ / "no-printer.sock"),
                "LD_PRELOAD=" + preload, "QUILLBOX_PROBE_SNAPSHOT=" + (scratch_ / "screen.json")});
    if (options.screenReader)
        env.emplace_back("QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1");
    env.insert(env.end(), options.extraEnv.begin(), options.extraEnv.end());
    return env;
}

// Starts the accessibility bus on the session's own bus, which it starts when there is none; returns why not.
std::string LiveSession::startAccessibility(int log) {
    if (!bus_)
        bus_ = std::make_unique<test::SessionBus>();
    if (!bus_->error().empty())
        return bus_->error();
    accessibility_ = spawn({kAccessibilityBusLauncher, "--launch-immediately"}, environment(), scratch_.path(), log);
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (!run({"dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
                 "org.a11y.Bus.GetAddress"},
                environment())
                .ok) {
        if (Clock::now() > deadline)
            return "the accessibility bus did not come up (scripts/dev.sh test installs at-spi2-core): " +
                   fileText(scratch_ / "session.log");
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return {};
}

// Starts a bus of the session's own, a monitor of its notification traffic and the notification server, dunst;
// returns why not.
std::string LiveSession::startNotifications(int log) {
    bus_ = std::make_unique<test::SessionBus>();
    if (!bus_->error().empty())
        return bus_->error();
    const int traffic = ::open((scratch_ / "bus.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    monitor_ =
        spawn({"dbus-monitor", "interface='org.freedesktop.Notifications'"}, environment(), scratch_.path(), traffic);
    ::close(traffic);
    notifier_ = spawn({"dunst", "-config", QUILLBOX_DUNST_CONFIG}, environment(), scratch_.path(), log);
    // The monitor is listening once it has lost the name the bus gave it; the server once dunstctl reaches it.
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (notificationTraffic().find("member=NameLost") == std::string::npos ||
           !run({"dunstctl", "count", "displayed"}, environment()).ok) {
        if (Clock::now() > deadline)
            return "dunst and dbus-monitor did not come up (scripts/dev.sh test installs dunst and dbus-bin): " +
                   fileText(scratch_ / "session.log");
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return {};
}

// Starts Xvfb on a free display (it writes the number once it takes clients) and openbox on it; returns why not.
std::string LiveSession::startScreen(int log) {
    int channel[2];
    if (::pipe2(channel, O_CLOEXEC) != 0)
        return "cannot make a pipe";
    screen_ =
        spawn({"Xvfb", "-displayfd", std::to_string(channel[1]), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"},
              environment(), scratch_.path(), log, channel[1]);
    ::close(channel[1]);
    const std::string number = readUntilClosed(channel[0], Clock::now() + std::chrono::seconds(10));
    ::close(channel[0]);
    if (number.empty() || number.back() != '\n')
        return "Xvfb did not start (scripts/dev.sh test installs xvfb): " + fileText(scratch_ / "session.log");
    display_ = ":" + number.substr(0, number.size() - 1);

    windowManager_ = spawn({"openbox", "--sm-disable"}, environment(), scratch_.path(), log);
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    int status = 0;
    while (run({"xprop", "-root", "_NET_SUPPORTING_WM_CHECK"}, environment()).output.find("window id") ==
           std::string::npos) {
        const bool ended = ::waitpid(windowManager_, &status, WNOHANG) == windowManager_;
        if (ended)
            windowManager_ = -1;
        if (ended || Clock::now() > deadline)
            return "openbox did not come up on " + display_ + ": " + fileText(scratch_ / "session.log");
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return {};
}

LiveSession::~LiveSession() {
    stopGroup(program_);
    stopGroup(notifier_);
    stopGroup(monitor_);
    stopGroup(accessibility_);
    bus_.reset();
    stopGroup(windowManager_);
    stopGroup(screen_);
}

// This process's environment for the processes of the session: its own display, and a HOME in the scratch folder
// so that nothing (Qt's settings, openbox) touches the real home; no desktop session bus, only the session's own
// when it has one.
std::vector<std::string> LiveSession::environment() const {
    static const char* const replaced[] = {"DISPLAY=",         "HOME=",
                                           "XDG_CONFIG_HOME=", "XDG_CACHE_HOME=",
                                           "XDG_DATA_HOME=",   "XDG_STATE_HOME=",
                                           "XDG_RUNTIME_DIR=", "SESSION_MANAGER=",
                                           "LD_PRELOAD=",      "QT_",
                                           "DBUS_SESSION_BUS", "QUILLBOX_"};
    std::vector<std::string> env;
    for (char** var = environ; *var; ++var) {
        bool keep = true;
        for (const char* prefix : replaced)
            keep = keep && std::strncmp(*var, prefix, std::strlen(prefix)) != 0;
        if (keep)
            env.emplace_back(*var);
    }
    env.insert(env.end(),
               {"DISPLAY=" + display_, "HOME=" + scratch_.path(), "XDG_CONFIG_HOME=" + (scratch_ / ".config"),
                "XDG_CACHE_HOME=" + (scratch_ / ".cache"), "XDG_DATA_HOME=" + (scratch_ / ".local"),
                "XDG_STATE_HOME=" + (scratch_ / ".state"), "XDG_RUNTIME_DIR=" + (scratch_ / ".run")});
    if (bus_)
        env.push_back("DBUS_SESSION_BUS_ADDRESS=" + bus_->address());
    return env;
}

testing::AssertionResult LiveSession::started() const {
    if (startError_.empty())
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << startError_;
}

Snapshot LiveSession::snapshot() const {
    return Snapshot::parse(fileText(scratch_ / "screen.json"));
}

testing::AssertionResult LiveSession::waitUntil(const std::string& what,
                                                const std::function<bool(const Snapshot&)>& condition, double seconds) {
    const auto deadline = Clock::now() + millis(seconds);
    for (;;) {
        const Snapshot seen = snapshot();
        if (seen.seq >= 0 && condition(seen))
            return testing::AssertionSuccess();
        if (const int status = reapProgram(); status >= 0)
            programEnded_ = WIFEXITED(status)
                                ? "the program has ended with status " + std::to_string(WEXITSTATUS(status))
                                : "the program was killed by signal " + std::to_string(WTERMSIG(status));
        if (!programEnded_.empty())
            return failure(what + " (" + programEnded_ + ")", seen);
        if (Clock::now() > deadline)
            return failure(what + " (waited " + std::to_string(static_cast<int>(seconds)) + " s)", seen);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

testing::AssertionResult LiveSession::waitForWindow(std::string_view window, std::string_view text, double seconds) {
    const std::string what =
        "a window \"" + std::string(window) + "\"" + (text.empty() ? "" : " showing \"" + std::string(text) + "\"");
    return waitUntil(
        what, [&](const Snapshot& seen) { return seen.window(window, text) != nullptr; }, seconds);
}

testing::AssertionResult LiveSession::click(std::string_view window, std::string_view control, int button) {
    return clickIn(window, {}, control, false, button);
}

testing::AssertionResult LiveSession::answer(std::string_view title, std::string_view text, std::string_view button) {
    if (testing::AssertionResult shown = waitForWindow(title, text); !shown)
        return shown;
    return clickIn(title, text, button, true);
}

// Clicks the middle of a control once its window is active and the control has kept its place for two snapshots.
// A newWindow is never the box answered last: that one may still be closing while the next of its title comes up.
testing::AssertionResult LiveSession::clickIn(std::string_view window, std::string_view text, std::string_view control,
                                              bool newWindow, int button) {
    long lastSeq = -1;
    Control last;
    std::string windowId;
    auto standsStill = [&](const Snapshot& seen) {
        const Window* shown = seen.window(window, text);
        const Control* target = shown ? shown->control(control) : nullptr;
        if (!target || !shown->active || seen.seq == lastSeq || (newWindow && shown->id == lastAnswered_))
            return false;
        const bool still = lastSeq >= 0 && target->x == last.x && target->y == last.y && target->width == last.width &&
                           target->height == last.height;
        lastSeq = seen.seq;
        last = *target;
        windowId = shown->id;
        return still;
    };
    const std::string what = "\"" + std::string(control) + "\" in the active window \"" + std::string(window) + "\"";
    if (testing::AssertionResult ready = waitUntil(what, standsStill); !ready)
        return ready;
    if (newWindow)
        lastAnswered_ = windowId;
    const std::string x = std::to_string(last.x + last.width / 2), y = std::to_string(last.y + last.height / 2);
    return xdotool(what, {"mousemove", x, y, "click", std::to_string(button)});
}

testing::AssertionResult LiveSession::key(std::string_view window, std::string_view keys) {
    std::vector<std::string> command{"key", "--delay", "40"};
    std::istringstream names{std::string(keys)};
    for (std::string name; names >> name;)
        command.push_back(name);
    return whenActive(window, command);
}

testing::AssertionResult LiveSession::holdKey(std::string_view window, std::string_view name) {
    return whenActive(window, {"keydown", std::string(name)});
}

testing::AssertionResult LiveSession::releaseKey(std::string_view name) {
    return xdotool("the key " + std::string(name) + " let go", {"keyup", std::string(name)});
}

testing::AssertionResult LiveSession::type(std::string_view window, std::string_view text) {
    return whenActive(window, {"type", "--delay", "20", "--", std::string(text)});
}

testing::AssertionResult LiveSession::whenActive(std::string_view window, const std::vector<std::string>& command) {
    const std::string what = "the window \"" + std::string(window) + "\" active for xdotool " + command.back();
    if (testing::AssertionResult active =
            waitUntil(what, [&](const Snapshot& seen) { return seen.window(window) && seen.window(window)->active; });
        !active)
        return active;
    return xdotool(what, command);
}

testing::AssertionResult LiveSession::xdotool(const std::string& what, std::vector<std::string> command) {
    command.insert(command.begin(), "xdotool");
    if (run(command, environment()).ok)
        return testing::AssertionSuccess();
    return failure("xdotool failed: " + what, snapshot());
}

std::string LiveSession::failureFile(const char* extension) const {
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    const std::string name = test ? std::string(test->test_suite_name()) + "." + test->name() : "session";
    return std::string(QUILLBOX_E2E_FAILURES) + "/" + name + "-" + std::to_string(screenshots_) + extension;
}

std::string LiveSession::screenshot() {
    ++screenshots_;
    const std::string path = failureFile(".png");
    std::filesystem::create_directories(QUILLBOX_E2E_FAILURES);
    const Ran taken = run({"import", "-window", "root", path}, environment(), 20);
    return taken.ok ? path : "(no screenshot: " + taken.output + ")";
}

testing::AssertionResult LiveSession::failure(const std::string& what, const Snapshot& seen) {
    const std::string picture = screenshot();
    // What the processes printed (Qt's warnings, a sanitizer's report) goes beside the picture.
    const std::string log = failureFile(".log");
    std::error_code error;
    std::filesystem::copy_file(scratch_ / "session.log", log, std::filesystem::copy_options::overwrite_existing, error);
    return testing::AssertionFailure() << "not seen: " << what << "\nOn screen:\n"
                                       << seen.describe() << "Screenshot: " << picture << "\nOutput: " << log;
}

// The program's wait status once it has ended (and it is reaped), else -1.
int LiveSession::reapProgram() {
    int status = 0;
    if (program_ <= 0 || ::waitpid(program_, &status, WNOHANG) != program_)
        return -1;
    program_ = -1;
    if (WIFEXITED(status))
        exitStatus_ = WEXITSTATUS(status);
    return status;
}

std::optional<int> LiveSession::waitForExit(double seconds) {
    const auto deadline = Clock::now() + millis(seconds);
    while (program_ > 0 && reapProgram() < 0 && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return program_ > 0 ? std::nullopt : exitStatus_;
}

std::optional<std::string> LiveSession::command(const std::vector<std::string>& argv) {
    Ran ran = run(argv, environment());
    return ran.ok ? std::optional(std::move(ran.output)) : std::nullopt;
}

std::string LiveSession::notificationTraffic() const {
    return fileText(scratch_ / "bus.log");
}

void MainWindowTest::SetUp() {
    session_.emplace(StartOptions{.home = home_.path(), .workdir = work_.path()});
    ASSERT_TRUE(session_->started());
    ASSERT_TRUE(session_->waitForWindow("MainWindow", {}, kStartUp));
}

} // namespace qb::e2e
