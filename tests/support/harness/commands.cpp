#include "commands.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>

extern char** environ;

namespace qb::harness {
namespace {

using Clock = std::chrono::steady_clock;

// What happens to a stream the command names no file for.
enum class Unnamed { Caught, Inherited };

std::vector<char*> pointers(const std::vector<std::string>& strings) {
    std::vector<char*> list;
    list.reserve(strings.size() + 1);
    for (const std::string& s : strings)
        list.push_back(const_cast<char*>(s.c_str()));
    list.push_back(nullptr);
    return list;
}

void closeAll(std::initializer_list<int> fds) {
    for (const int fd : fds)
        if (fd >= 0)
            ::close(fd);
}

// The child between fork and exec: only async-signal-safe calls, as this process may run threads. The child ends
// with the thread that forked it; a start that fails writes its errno to report.
[[noreturn]] void becomeProgram(char* const* args, char* const* vars, const char* folder, const int ends[3],
                                pid_t parent, int report) {
    ::setsid();
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() == parent) {
        for (int stream = 0; stream < 3; ++stream)
            if (ends[stream] >= 0)
                ::dup2(ends[stream], stream);
        if (*folder == '\0' || ::chdir(folder) == 0)
            ::execvpe(args[0], args, vars);
    }
    const int error = errno;
    (void)!::write(report, &error, sizeof error);
    ::_exit(127);
}

// A started program and the read ends of the streams caught from it.
struct Spawned {
    pid_t pid = -1;
    int output = -1;
    int errors = -1;
};

Spawned spawn(const Command& command, Unnamed unnamed) {
    Spawned spawned;
    if (command.argv.empty())
        return spawned;
    const std::vector<char*> args = pointers(command.argv), vars = pointers(command.environment);
    int ends[3] = {::open("/dev/null", O_RDONLY | O_CLOEXEC), -1, -1}; // -1: this process's own stream
    bool ready = ends[0] >= 0;
    const auto route = [&](int stream, const std::string& file, int& caught) {
        int pipe[2];
        if (!file.empty())
            ends[stream] = ::open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
        else if (unnamed == Unnamed::Caught && ::pipe2(pipe, O_CLOEXEC) == 0)
            caught = pipe[0], ends[stream] = pipe[1];
        ready = ready && (ends[stream] >= 0 || (file.empty() && unnamed == Unnamed::Inherited));
    };
    route(STDOUT_FILENO, command.outputFile, spawned.output);
    if (command.errors == Errors::Apart)
        route(STDERR_FILENO, command.errorFile, spawned.errors);
    else
        ends[STDERR_FILENO] = ends[STDOUT_FILENO];
    int report[2] = {-1, -1};
    const pid_t parent = ::getpid();
    if (ready && ::pipe2(report, O_CLOEXEC) == 0 && (spawned.pid = ::fork()) == 0)
        becomeProgram(args.data(), vars.data(), command.folder.c_str(), ends, parent, report[1]);
    closeAll({ends[0], ends[1], command.errors == Errors::Apart ? ends[2] : -1, report[1]});
    int error = 0;
    while (spawned.pid > 0 && ::read(report[0], &error, sizeof error) < 0 && errno == EINTR) {
    }
    closeAll({report[0]});
    if (error != 0 || spawned.pid <= 0) { // it never ran: nothing to catch
        while (spawned.pid > 0 && ::waitpid(spawned.pid, nullptr, 0) < 0 && errno == EINTR) {
        }
        closeAll({spawned.output, spawned.errors});
        return {};
    }
    return spawned;
}

// Waits until the process has ended, at most until deadline, leaving it unreaped, so that its process group cannot
// be taken by another meanwhile; whether it has ended.
bool ended(pid_t pid, Clock::time_point deadline) {
    const bool forever = deadline == Clock::time_point::max();
    for (;;) {
        siginfo_t info{};
        const int waited = ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT | (forever ? 0 : WNOHANG));
        if ((waited == 0 && info.si_pid == pid) || (waited < 0 && errno != EINTR))
            return true;
        if (Clock::now() >= deadline)
            return false;
        if (!forever)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

// Reaps the process and records how it ended.
void reap(pid_t pid, CommandResult& result) {
    int status = 0;
    rusage usage{};
    pid_t reaped = -1;
    while ((reaped = ::wait4(pid, &status, 0, &usage)) < 0 && errno == EINTR) {
    }
    if (reaped != pid)
        return;
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    result.peakKiB = usage.ru_maxrss;
}

void signalGroup(pid_t leader, int signal) {
    ::kill(-leader, signal);
    ::kill(leader, signal); // in case it has not made its group yet
}

// Reads the caught streams until both are closed or the deadline has passed; whether they were closed.
bool readStreams(Spawned& spawned, CommandResult& result, Clock::time_point deadline) {
    pollfd streams[2] = {{spawned.output, POLLIN, 0}, {spawned.errors, POLLIN, 0}};
    std::string* texts[2] = {&result.output, &result.errors};
    while (streams[0].fd >= 0 || streams[1].fd >= 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        const int waited =
            ::poll(streams, 2, deadline == Clock::time_point::max() ? -1 : static_cast<int>(std::max<long>(left, 0)));
        if (waited < 0 && errno == EINTR)
            continue;
        if (waited <= 0)
            break;
        for (int i = 0; i < 2; ++i) {
            char buffer[4096];
            const ssize_t n = streams[i].revents != 0 ? ::read(streams[i].fd, buffer, sizeof buffer) : -1;
            if (n > 0)
                texts[i]->append(buffer, static_cast<std::size_t>(n));
            else if (streams[i].revents != 0 && (n == 0 || errno != EINTR))
                closeAll({std::exchange(streams[i].fd, -1)});
        }
    }
    closeAll({streams[0].fd, streams[1].fd});
    return streams[0].fd < 0 && streams[1].fd < 0;
}

} // namespace

std::vector<std::string> fakeTimeVariables(const std::string& time, const std::string& preload) {
    return {std::string("LD_PRELOAD=") + kFakeTimeLibrary + (preload.empty() ? "" : " " + preload), "FAKETIME=" + time,
            "DONT_FAKE_MONOTONIC=1"};
}

std::vector<std::string> environmentWith(const std::vector<std::string>& changes) {
    std::vector<std::string> env;
    for (char** var = environ; *var != nullptr; ++var)
        env.emplace_back(*var);
    for (const std::string& change : changes) {
        const std::string name = change.substr(0, change.find('='));
        std::erase_if(env, [&](const std::string& var) { return var.starts_with(name + "="); });
        if (change.size() > name.size())
            env.push_back(change);
    }
    return env;
}

CommandResult run(const Command& command) {
    CommandResult result;
    Spawned spawned = spawn(command, Unnamed::Caught);
    if (spawned.pid <= 0)
        return result;
    const auto deadline = command.limit.count() > 0 ? Clock::now() + command.limit : Clock::time_point::max();
    const bool closed = readStreams(spawned, result, deadline);
    result.timedOut = !closed || !ended(spawned.pid, deadline);
    if (result.timedOut)
        signalGroup(spawned.pid, SIGKILL);
    reap(spawned.pid, result);
    return result;
}

CommandResult run(const std::vector<std::string>& argv) {
    return run(Command{.argv = argv});
}

CommandResult runShell(const std::string& command) {
    return run({"/bin/sh", "-c", command});
}

bool installed(const std::string& program) {
    if (program.find('/') != std::string::npos)
        return ::access(program.c_str(), X_OK) == 0;
    return run({"/bin/sh", "-c", "command -v \"$1\"", "sh", program}).status == 0;
}

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string lastLine(const std::string& output) {
    std::string text = output;
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text.substr(text.find_last_of('\n') + 1);
}

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (!condition()) {
        if (Clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

BackgroundProcess::BackgroundProcess(const Command& command) : pid_(spawn(command, Unnamed::Inherited).pid) {}

BackgroundProcess::BackgroundProcess(const std::vector<std::string>& argv, const std::string& log)
    : BackgroundProcess(Command{.argv = argv, .outputFile = log}) {}

bool BackgroundProcess::running() {
    if (pid_ > 0 && ended(pid_, Clock::now()))
        reap(std::exchange(pid_, -1), outcome_);
    return pid_ > 0;
}

void BackgroundProcess::stop() {
    if (pid_ <= 0)
        return;
    signalGroup(pid_, SIGTERM);
    (void)ended(pid_, Clock::now() + std::chrono::seconds(3));
    signalGroup(pid_, SIGKILL); // still running, or what it left behind in its group
    reap(std::exchange(pid_, -1), outcome_);
}

} // namespace qb::harness
