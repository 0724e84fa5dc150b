#include "loopback_share.h"

#include <arpa/inet.h>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/vfs.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace qb::bench {
namespace {

// Starts a program with its output going to log; its process id, or -1. The child only makes calls that are safe
// after a fork of a process with threads.
pid_t start(const std::vector<std::string>& argv, const std::string& log) {
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid != 0)
        return pid;
    const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (out >= 0) {
        ::dup2(out, 1);
        ::dup2(out, 2);
    }
    ::execvp(args[0], args.data());
    ::_exit(127);
}

// Runs a program to its end; whether it succeeded.
bool run(const std::vector<std::string>& argv, const std::string& log) {
    const pid_t pid = start(argv, log);
    int status = 0;
    return pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void stop(pid_t& pid) {
    if (pid <= 0)
        return;
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
    pid = -1;
}

// A TCP port of the loopback interface that nobody listens on now.
int freePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                       ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0;
    ::close(fd);
    return bound ? ntohs(address.sin_port) : -1;
}

bool isFuse(const std::string& path) {
    struct statfs status {};
    return ::statfs(path.c_str(), &status) == 0 && status.f_type == 0x65735546;
}

bool found(const char* program) {
    return run({"sh", "-c", std::string("command -v ") + program + " >/dev/null"}, "/dev/null");
}

} // namespace

LoopbackShare::LoopbackShare(const std::string& folder, const std::string& mountPoint, const std::string& workFolder,
                             const std::string& relay, std::chrono::microseconds delay)
    : mountPoint_(mountPoint), work_(workFolder + "/share-" + std::to_string(::getpid())) {
    whyNot_ = setUp(folder, relay, delay);
}

std::string LoopbackShare::setUp(const std::string& folder, const std::string& relay, std::chrono::microseconds delay) {
    if (::geteuid() != 0)
        return "a loopback sshd needs root";
    for (const char* program : {"sshfs", "/usr/sbin/sshd", "ssh-keygen", "fusermount3"}) {
        if (!found(program))
            return std::string(program) + " is missing (scripts/packages.sh lists it among the bench's packages)";
    }
    std::filesystem::create_directories(work_);
    std::filesystem::create_directories(mountPoint_);
    std::filesystem::create_directories("/run/sshd"); // sshd's privilege separation wants it
    const std::string log = work_ + "/log";
    if (!run({"ssh-keygen", "-q", "-t", "ed25519", "-N", "", "-f", work_ + "/host_key"}, log) ||
        !run({"ssh-keygen", "-q", "-t", "ed25519", "-N", "", "-f", work_ + "/user_key"}, log))
        return "ssh-keygen failed";
    std::filesystem::copy_file(work_ + "/user_key.pub", work_ + "/authorized_keys");
    const int sshdPort = freePort(), relayPort = freePort();
    std::ofstream(work_ + "/sshd_config") << "Port " << sshdPort << "\nListenAddress 127.0.0.1\nHostKey " << work_
                                          << "/host_key\nAuthorizedKeysFile " << work_
                                          << "/authorized_keys\nPermitRootLogin prohibit-password\n"
                                             "PasswordAuthentication no\nKbdInteractiveAuthentication no\nUsePAM no\n"
                                             "StrictModes no\nPidFile none\nLogLevel ERROR\n"
                                             "Subsystem sftp internal-sftp\n";
    sshd_ = start({"/usr/sbin/sshd", "-D", "-e", "-f", work_ + "/sshd_config"}, log);
    relay_ = start({relay, std::to_string(relayPort), std::to_string(sshdPort), std::to_string(delay.count())}, log);
    const std::string options = "IdentityFile=" + work_ + "/user_key,Port=" + std::to_string(relayPort) +
                                ",StrictHostKeyChecking=no,UserKnownHostsFile=/dev/null,LogLevel=ERROR";
    // Both servers take a moment to listen.
    for (int tries = 0; tries < 50 && !mounted_; ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        mounted_ = run({"sshfs", "-o", options, "root@127.0.0.1:" + folder, mountPoint_}, log) && isFuse(mountPoint_);
    }
    return mounted_ ? std::string() : "sshfs could not mount the share; see " + log;
}

LoopbackShare::~LoopbackShare() {
    if (mounted_)
        (void)run({"fusermount3", "-u", mountPoint_}, "/dev/null");
    stop(relay_);
    stop(sshd_);
    if (whyNot_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(work_, ignored);
    }
}

} // namespace qb::bench
