#include "live_session.h"

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <thread>

extern char** environ;

namespace qb::e2e {
namespace {

using Clock = std::chrono::steady_clock;

std::chrono::milliseconds millis(double seconds) {
    return std::chrono::milliseconds(static_cast<long>(seconds * 1000));
}

// How the program ended, in words.
std::string ending(const harness::CommandResult& ended) {
    return ended.signal == 0 ? "the program has ended with status " + std::to_string(ended.status)
                             : "the program was killed by signal " + std::to_string(ended.signal);
}

// Sets NAME=value in an environment, in place of any value it had.
void setVariable(std::vector<std::string>& env, const std::string& name, const std::string& value) {
    std::erase_if(env, [&](const std::string& var) { return var.starts_with(name + "="); });
    env.push_back(name + "=" + value);
}

constexpr const char* kAccessibilityBusLauncher = "/usr/libexec/at-spi-bus-launcher";

} // namespace

LiveSession::LiveSession(const StartOptions& options) : options_(options) {
    ::mkdir((scratch_ / ".run").c_str(), 0700);
    // A screen whose number was just given up by another test's screen can lose its socket to that screen's clean-up,
    // so the window manager cannot reach it: then a fresh screen is started.
    for (int attempt = 0; attempt < 3; ++attempt) {
        startError_ = startScreen();
        if (startError_.empty())
            break;
        windowManager_.reset();
        screen_.reset();
    }
    if (startError_.empty() && options.notifications)
        startError_ = startNotifications();
    if (startError_.empty() && options.screenReader)
        startError_ = startAccessibility();
    if (startError_.empty() && options.searchService)
        startError_ = startSearchService();
    else if (startError_.empty())
        (void)runAgain(options.arguments, options.fakeTime);
}

bool LiveSession::runAgain(const std::vector<std::string>& arguments, const std::string& fakeTime) {
    if (program_ && program_->running())
        return false;
    options_.arguments = arguments;
    options_.fakeTime = fakeTime;
    std::vector<std::string> argv{QUILLBOX_EXECUTABLE};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    program_.emplace(harness::Command{.argv = argv,
                                      .environment = programEnvironment(options_),
                                      .folder = options_.workdir,
                                      .outputFile = sessionLog()});
    return program_->running();
}

std::vector<std::string> LiveSession::programEnvironment(const StartOptions& options) const {
    std::vector<std::string> env = environment();
    // Under AddressSanitizer: the X11 keymap reader of Qt's xcb platform strndup()s a buffer that is not
    // NUL-terminated, which is correct but fails strict_string_checks, so that one check is off in the program.
    for (std::string& var : env)
        if (var.starts_with("ASAN_OPTIONS="))
            var += ":strict_string_checks=0";
    const std::vector<std::string> preload = options.fakeTime.empty()
                                                 ? std::vector<std::string>{"LD_PRELOAD=" QUILLBOX_WINDOW_PROBE}
                                                 : harness::fakeTimeVariables(options.fakeTime, QUILLBOX_WINDOW_PROBE);
    env.insert(env.end(), preload.begin(), preload.end());
    if (options.busByRuntimeFolder && bus_) {
        std::erase_if(env, [](const std::string& var) { return var.starts_with("DBUS_SESSION_BUS_ADDRESS="); });
        setVariable(env, "XDG_RUNTIME_DIR", bus_->folder());
    }
    env.insert(env.end(),
               {"QT_QPA_PLATFORM=xcb", "QUILLBOX_HOME=" + options.home, "CUPS_SERVER=" + (scratch_ / "no-printer.sock"),
                "QUILLBOX_PROBE_SNAPSHOT=" + (scratch_ / "screen.json")});
    if (options.screenReader)
        env.emplace_back("QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1");
    env.insert(env.end(), options.extraEnv.begin(), options.extraEnv.end());
    return env;
}

harness::Command LiveSession::sessionCommand(std::vector<std::string> argv, const std::string& log) const {
    return {.argv = std::move(argv), .environment = environment(), .folder = scratch_.path(), .outputFile = log};
}

harness::CommandResult LiveSession::runCommand(const std::vector<std::string>& argv, double seconds) const {
    return harness::run({.argv = argv, .environment = environment(), .folder = "/", .limit = millis(seconds)});
}

// Starts the accessibility bus on the session's own bus, which it starts when there is none; returns why not.
std::string LiveSession::startAccessibility() {
    if (!bus_)
        bus_ = std::make_unique<test::SessionBus>();
    if (!bus_->error().empty())
        return bus_->error();
    accessibility_.emplace(sessionCommand({kAccessibilityBusLauncher, "--launch-immediately"}, sessionLog()));
    if (!harness::waitUntil([&] {
            return runCommand({"dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
                               "org.a11y.Bus.GetAddress"})
                       .status == 0;
        }))
        return "the accessibility bus did not come up (scripts/dev.sh test installs at-spi2-core): " +
               harness::fileText(sessionLog());
    return {};
}

// Starts a bus of the session's own that starts the search service on demand; returns why not.
std::string LiveSession::startSearchService() {
    const std::string exec = "Exec=/usr/bin/quillbox ", file = QUILLBOX_SEARCH_SERVICE_FILE;
    std::string service = harness::fileText(file);
    if (const std::size_t at = service.find(exec); at != std::string::npos)
        service.replace(at, exec.size(), "Exec=" QUILLBOX_EXECUTABLE " ");
    test::writeFile(scratch_ / ("services/" + std::filesystem::path(file).filename().string()), service);
    bus_ = std::make_unique<test::SessionBus>(scratch_ / "services");
    if (!bus_->error().empty())
        return bus_->error();
    // The desktop hands the services it starts its own environment, as a login does; as arguments, so that the
    // window probe it preloads is not loaded into the command that hands it over.
    std::vector<std::string> handOver = programEnvironment(options_);
    handOver.insert(handOver.begin(), "dbus-update-activation-environment");
    const harness::CommandResult handed =
        harness::run({.argv = std::move(handOver), .environment = environment(), .limit = std::chrono::seconds(10)});
    return handed.status == 0 ? std::string() : "dbus-update-activation-environment failed: " + handed.output;
}

// Starts a bus of the session's own, a monitor of its notification traffic and the notification server, dunst;
// returns why not.
std::string LiveSession::startNotifications() {
    bus_ = std::make_unique<test::SessionBus>();
    if (!bus_->error().empty())
        return bus_->error();
    monitor_.emplace(
        sessionCommand({"dbus-monitor", "interface='org.freedesktop.Notifications'"}, scratch_ / "bus.log"));
    notifier_.emplace(sessionCommand({"dunst", "-config", QUILLBOX_DUNST_CONFIG}, sessionLog()));
    // The monitor is listening once it has lost the name the bus gave it; the server once dunstctl reaches it.
    if (!harness::waitUntil([&] {
            return notificationTraffic().find("member=NameLost") != std::string::npos &&
                   runCommand({"dunstctl", "count", "displayed"}).status == 0;
        }))
        return "dunst and dbus-monitor did not come up (scripts/dev.sh test installs dunst and dbus-bin): " +
               harness::fileText(sessionLog());
    return {};
}

// Starts Xvfb on a free display (it writes the number once it takes clients) and openbox on it, which runs its start-up
// command once it has started: a window mapped before then is managed without the focus. Returns why not.
std::string LiveSession::startScreen() {
    const std::string number = scratch_ / "display";
    std::filesystem::remove(number);
    // The number goes to a descriptor of its own, which Xvfb closes once written; its output stays in the log.
    screen_.emplace(sessionCommand(
        {"/bin/sh", "-c", "exec Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>\"$0\"", number},
        sessionLog()));
    const auto written = [&] { return harness::fileText(number).ends_with('\n'); };
    if (!harness::waitUntil([&] { return written() || !screen_->running(); }) || !written())
        return "Xvfb did not start (scripts/dev.sh test installs xvfb): " + harness::fileText(sessionLog());
    display_ = ":" + harness::lastLine(harness::fileText(number));

    const std::string ready = scratch_ / "openbox-ready";
    std::filesystem::remove(ready);
    windowManager_.emplace(
        sessionCommand({"openbox", "--sm-disable", "--startup", "touch '" + ready + "'"}, sessionLog()));
    const auto managed = [&] { return std::filesystem::exists(ready); };
    if (!harness::waitUntil([&] { return managed() || !windowManager_->running(); }) || !windowManager_->running())
        return "openbox did not come up on " + display_ + ": " + harness::fileText(sessionLog());
    return {};
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
    return Snapshot::parse(harness::fileText(scratch_ / "screen.json"));
}

testing::AssertionResult LiveSession::waitUntil(const std::string& what,
                                                const std::function<bool(const Snapshot&)>& condition, double seconds) {
    const auto deadline = Clock::now() + millis(seconds);
    for (;;) {
        const Snapshot seen = snapshot();
        if (seen.seq >= 0 && condition(seen))
            return testing::AssertionSuccess();
        if (program_ && program_->pid() > 0 && !program_->running())
            programEnded_ = ending(program_->outcome());
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
    if (runCommand(command).status == 0)
        return testing::AssertionSuccess();
    return failure("xdotool failed: " + what, snapshot());
}

std::string LiveSession::failureFile(const char* extension) const {
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = test ? std::string(test->test_suite_name()) + "." + test->name() : "session";
    std::replace(name.begin(), name.end(), '/', '-'); // a test of a parameter has it in its name
    return std::string(QUILLBOX_E2E_FAILURES) + "/" + name + "-" + std::to_string(screenshots_) + extension;
}

std::string LiveSession::screenshot() {
    ++screenshots_;
    const std::string path = failureFile(".png");
    std::filesystem::create_directories(QUILLBOX_E2E_FAILURES);
    const harness::CommandResult taken = runCommand({"import", "-window", "root", path}, 20);
    return taken.status == 0 ? path : "(no screenshot: " + taken.output + ")";
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

std::optional<int> LiveSession::waitForExit(double seconds) {
    const auto deadline = Clock::now() + millis(seconds);
    while (program_ && program_->running() && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (!program_ || program_->running() || program_->outcome().status < 0)
        return std::nullopt;
    return program_->outcome().status;
}

std::optional<std::string> LiveSession::command(const std::vector<std::string>& argv) {
    harness::CommandResult ran = runCommand(argv);
    return ran.status == 0 ? std::optional(std::move(ran.output)) : std::nullopt;
}

std::string LiveSession::notificationTraffic() const {
    return harness::fileText(scratch_ / "bus.log");
}

void MainWindowTest::SetUp() {
    session_.emplace(StartOptions{.home = home_.path(), .workdir = work_.path()});
    ASSERT_TRUE(session_->started());
    ASSERT_TRUE(session_->waitForWindow("MainWindow", {}, kStartUp));
}

} // namespace qb::e2e
