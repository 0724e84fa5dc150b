#include "loopback_ssh.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qb::harness {
namespace {

sockaddr_in loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    return address;
}

} // namespace

int freeLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = loopback(0);
    socklen_t size = sizeof address;
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                       ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0;
    ::close(fd);
    return bound ? ntohs(address.sin_port) : 0;
}

bool acceptsConnections(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in address = loopback(port);
    const bool connected = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

bool waitUntilListening(BackgroundProcess& server, int port) {
    return waitUntil([&] { return !server.running() || acceptsConnections(port); }) && server.running();
}

SshServer::SshServer(std::string folder, std::string user)
    : folder_(std::move(folder)), user_(std::move(user)), port_(freeLoopbackPort()) {
    failure_ = start();
}

std::string SshServer::start() {
    for (const char* program : {"/usr/sbin/sshd", "ssh-keygen"}) {
        if (!installed(program))
            return std::string(program) + " is not installed";
    }
    if (::mkdir(folder_.c_str(), 0755) != 0)
        return "cannot make " + folder_ + ": " + std::strerror(errno);
    madeFolder_ = true;
    ::chmod(folder_.c_str(), 0755);
    std::error_code ignored;
    std::filesystem::create_directories("/run/sshd", ignored); // sshd's privilege separation wants it
    for (const char* key : {"/host", "/client"}) {
        const CommandResult made = run({"ssh-keygen", "-q", "-t", "ed25519", "-N", "", "-f", folder_ + key});
        if (made.status != 0)
            return "ssh-keygen failed: " + lastLine(made.output);
    }
    const std::string authorized = folder_ + "/authorized";
    std::filesystem::copy_file(folder_ + "/client.pub", authorized, ignored);
    ::chmod(authorized.c_str(), 0644);
    std::ofstream(folder_ + "/sshd_config")
        << "ListenAddress 127.0.0.1\nPort " << port_ << "\nHostKey " << folder_ << "/host\nAuthorizedKeysFile "
        << authorized << "\nPidFile none\nUsePAM no\nStrictModes no\nPasswordAuthentication no\n"
        << "KbdInteractiveAuthentication no\nPermitRootLogin prohibit-password\nAllowUsers " << user_
        << "\nForceCommand internal-sftp\nSubsystem sftp internal-sftp\nLogLevel ERROR\n";
    const std::string log = folder_ + "/log";
    sshd_.emplace(std::vector<std::string>{"/usr/sbin/sshd", "-D", "-e", "-f", folder_ + "/sshd_config"}, log);
    if (!waitUntilListening(*sshd_, port_))
        return "sshd did not start: " + lastLine(fileText(log));
    return "";
}

SshServer::~SshServer() {
    sshd_.reset();
    if (madeFolder_) {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
}

std::string SshServer::sshfsOptions(int through) const {
    return "IdentityFile=" + folder_ + "/client,Port=" + std::to_string(through != 0 ? through : port_) +
           ",StrictHostKeyChecking=no,UserKnownHostsFile=/dev/null,BatchMode=yes,LogLevel=ERROR";
}

} // namespace qb::harness
