#include "commands.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace qb::harness {
namespace {

// Starts argv with the given redirections; its process id, or -1. posix_spawn, unlike a fork, is safe in a process
// that runs threads (the benchmarks' Qt, the walk's readers).
pid_t spawn(const std::vector<std::string>& argv, const posix_spawn_file_actions_t& actions) {
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    pid_t pid = -1;
    return ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) == 0 ? pid : -1;
}

int waitForEnd(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

CommandResult run(const std::vector<std::string>& argv) {
    CommandResult result;
    int out[2];
    if (argv.empty() || ::pipe2(out, O_CLOEXEC) != 0)
        return result;
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    ::posix_spawn_file_actions_adddup2(&actions, out[1], STDERR_FILENO);
    const pid_t pid = spawn(argv, actions);
    ::posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    char buffer[4096];
    while (pid > 0) {
        const ssize_t n = ::read(out[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        result.output.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(out[0]);
    if (pid > 0)
        result.status = waitForEnd(pid);
    return result;
}

CommandResult runShell(const std::string& command) {
    return run({"/bin/sh", "-c", command});
}

bool installed(const std::string& program) {
    if (program.find('/') != std::string::npos)
        return ::access(program.c_str(), X_OK) == 0;
    return run({"/bin/sh", "-c", "command -v \"$1\"", "sh", program}).status == 0;
}

std::string lastLine(const std::string& output) {
    std::string text = output;
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text.substr(text.find_last_of('\n') + 1);
}

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

BackgroundProcess::BackgroundProcess(const std::vector<std::string>& argv, const std::string& log) {
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    if (!log.empty()) {
        ::posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        ::posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    }
    pid_ = argv.empty() ? -1 : spawn(argv, actions);
    ::posix_spawn_file_actions_destroy(&actions);
}

bool BackgroundProcess::running() {
    if (pid_ > 0 && ::waitpid(pid_, nullptr, WNOHANG) == pid_)
        pid_ = -1;
    return pid_ > 0;
}

void BackgroundProcess::stop() {
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGTERM);
    (void)waitForEnd(pid_);
    pid_ = -1;
}

} // namespace qb::harness
