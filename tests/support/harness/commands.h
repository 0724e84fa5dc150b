#pragma once
// This machine's programs, run by the tests and the benchmarks: to their end with what they printed, or in the
// background until they are stopped.

#include <chrono>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace qb::harness {

/** How a program ended: its exit status (-1 when it did not end normally or could not start) and what it printed
 *  on standard output and standard error. */
struct CommandResult {
    int status = -1;
    std::string output;
};

/** Runs a program (found on PATH) with its arguments, without a shell, and waits for its end. */
[[nodiscard]] CommandResult run(const std::vector<std::string>& argv);

/** Runs a shell command and waits for its end. */
[[nodiscard]] CommandResult runShell(const std::string& command);

/** Whether a program is installed: a name found on PATH, or an executable path. */
[[nodiscard]] bool installed(const std::string& program);

/** The last line of a program's output, without its line end. */
[[nodiscard]] std::string lastLine(const std::string& output);

/** Asks condition again every 50 ms until it holds or limit has passed; whether it held. */
[[nodiscard]] bool waitUntil(const std::function<bool()>& condition,
                             std::chrono::milliseconds limit = std::chrono::seconds(10));

/** A program running in the background, its output appended to a log file (or left on this process's own output
 *  when the log is empty); ended (SIGTERM) and waited for by stop() or the destructor. */
class BackgroundProcess {
public:
    /** Starts the program; running() is false when it could not be started. */
    explicit BackgroundProcess(const std::vector<std::string>& argv, const std::string& log = "");
    ~BackgroundProcess() { stop(); }
    BackgroundProcess(const BackgroundProcess&) = delete;
    BackgroundProcess& operator=(const BackgroundProcess&) = delete;

    /** Whether the program is still running; one that has ended is reaped here. */
    [[nodiscard]] bool running();
    /** Ends the program and waits for it; nothing when it is not running. */
    void stop();

private:
    pid_t pid_ = -1;
};

} // namespace qb::harness
