#pragma once
// The one way the tests and the benchmarks start a program of this machine: to its end with what it printed, or in
// the background until it is stopped. Each runs in a session (and process group) of its own with nothing on its
// standard input, and is killed when the thread that started it ends, so that a test that is killed leaves nothing
// running.

#include <chrono>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace qb::harness {

/** The faketime library, which sets a program's clock (FAKETIME) when preloaded. */
inline constexpr const char* kFakeTimeLibrary = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1";

/** The variables that run a program at a fake time of day (libfaketime's FAKETIME, "@2026-12-06 10:00:00") with its
 *  monotonic clock true, and preload (a library, or none) loaded after the faketime library. */
[[nodiscard]] std::vector<std::string> fakeTimeVariables(const std::string& time, const std::string& preload = "");

/** This process's environment with changes: "NAME=value" sets NAME, a bare "NAME" removes it. */
[[nodiscard]] std::vector<std::string> environmentWith(const std::vector<std::string>& changes);

/** Where a program's standard error goes. */
enum class Errors {
    WithOutput, ///< wherever its standard output goes
    Apart,      ///< to errorFile, else caught apart by run(), else this process's own
};

/** A program to start, and how. */
struct Command {
    std::vector<std::string> argv;                              ///< the program (a path or a name on PATH), arguments
    std::vector<std::string> environment = environmentWith({}); ///< all of it, NAME=value
    std::string folder{};                                       ///< its working folder; this process's when empty
    std::chrono::milliseconds limit{};  ///< run(): killed with its process group after this; none when zero
    Errors errors = Errors::WithOutput; ///< where its standard error goes
    std::string outputFile{};           ///< its standard output is appended to this file, not caught
    std::string errorFile{};            ///< with Errors::Apart, its standard error is appended to this file
};

/** How a program ended and what it printed. */
struct CommandResult {
    int status = -1;       ///< its exit status; -1 when it did not exit (a signal, the time limit) or did not start
    std::string output;    ///< what it printed on standard output (and standard error, with Errors::WithOutput)
    std::string errors{};  ///< what it printed on standard error, with Errors::Apart
    int signal = 0;        ///< the signal that ended it, or 0
    bool timedOut = false; ///< whether it was killed at the time limit
    long peakKiB = -1;     ///< the most memory it held resident, in KiB; -1 when it was not reaped
};

/** Runs a command and waits for its end, at most its time limit. */
[[nodiscard]] CommandResult run(const Command& command);

/** Runs a program with its arguments, without a shell, and waits for its end; standard error goes with its output. */
[[nodiscard]] CommandResult run(const std::vector<std::string>& argv);

/** Runs a shell command and waits for its end. */
[[nodiscard]] CommandResult runShell(const std::string& command);

/** Whether a program is installed: a name found on PATH, or an executable path. */
[[nodiscard]] bool installed(const std::string& program);

/** What a file holds, such as a program's log; empty when it cannot be read. */
[[nodiscard]] std::string fileText(const std::string& path);

/** The last line of a program's output, without its line end. */
[[nodiscard]] std::string lastLine(const std::string& output);

/** Asks condition again every 50 ms until it holds or limit has passed; whether it held. */
[[nodiscard]] bool waitUntil(const std::function<bool()>& condition,
                             std::chrono::milliseconds limit = std::chrono::seconds(10));

/** A program running beside the test; its process group is ended (SIGTERM, SIGKILL three seconds later) and the
 *  program waited for by stop() or the destructor. Nothing of what it prints is caught: it goes to the files of its
 *  command, or to this process's own output. */
class BackgroundProcess {
public:
    /** Starts the command (its time limit does not apply); running() is false when it could not be started. */
    explicit BackgroundProcess(const Command& command);
    /** Starts a program with its output and errors appended to a log file (this process's own when empty). */
    explicit BackgroundProcess(const std::vector<std::string>& argv, const std::string& log = "");
    ~BackgroundProcess() { stop(); }
    BackgroundProcess(const BackgroundProcess&) = delete;
    BackgroundProcess& operator=(const BackgroundProcess&) = delete;

    /** Whether the program is still running; one that has ended is reaped here. */
    [[nodiscard]] bool running();
    /** Ends the program and waits for it; nothing when it is not running. */
    void stop();
    /** Its process id until it is reaped; -1 before it started and after. */
    [[nodiscard]] pid_t pid() const { return pid_; }
    /** How it ended (status and signal), once running() is false. */
    [[nodiscard]] const CommandResult& outcome() const { return outcome_; }

private:
    pid_t pid_ = -1;
    CommandResult outcome_;
};

} // namespace qb::harness
