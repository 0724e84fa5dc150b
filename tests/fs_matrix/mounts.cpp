#include "mounts.h"

#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace qb::matrix {
namespace {

std::string replaced(std::string text, const std::string& key, const std::string& value) {
    for (auto at = text.find(key); at != std::string::npos; at = text.find(key, at + value.size()))
        text.replace(at, key.size(), value);
    return text;
}

// A port nobody listens on now, picked by the kernel.
int freePort() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    int port = 0;
    if (::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &size) == 0)
        port = ntohs(address.sin_port);
    ::close(s);
    return port;
}

bool accepts(int port) {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    const bool connected = ::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(s);
    return connected;
}

template <typename Condition> bool waitFor(Condition condition) {
    for (int tries = 0; tries < 100; ++tries) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

std::string lastLine(const std::string& output) {
    std::string text = output;
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text.substr(text.find_last_of('\n') + 1);
}

} // namespace

const std::vector<FileSystem>& fileSystems() {
    static const std::vector<FileSystem> all = {
        {"ext4", {"mkfs.ext4"}, "truncate -s 64M {img} && mkfs.ext4 -q -F {img}", "mount -o loop {img} {dir}"},
        {"btrfs", {"mkfs.btrfs"}, "truncate -s 128M {img} && mkfs.btrfs -q -f {img}", "mount -o loop {img} {dir}"},
        {"xfs", {"mkfs.xfs"}, "truncate -s 320M {img} && mkfs.xfs -q -f {img}", "mount -o loop {img} {dir}"},
        {"tmpfs", {}, "true", "mount -t tmpfs -o size=16m tmpfs {dir}"},
        // exfat-fuse wants a block device as root; the loop device goes when the file system lets go of it.
        {"exfat",
         {"mkfs.exfat", "mount.exfat-fuse", "losetup"},
         "truncate -s 64M {img} && mkfs.exfat {img}",
         "dev=$(losetup -f --show {img}) && mount.exfat-fuse $dev {dir}; status=$?; losetup -d $dev; exit $status"},
        {"fat", {"mkfs.vfat", "fusefat"}, "truncate -s 64M {img} && mkfs.vfat {img}", "fusefat -o rw+ {img} {dir}"},
        {"ntfs", {"mkntfs", "ntfs-3g"}, "truncate -s 64M {img} && mkntfs -F -f -q {img}", "ntfs-3g {img} {dir}"},
        {"sshfs",
         {"sshfs", "/usr/sbin/sshd"},
         "mkdir -p {img} && chown nobody: {img}",
         "sshfs {ssh} nobody@127.0.0.1:{img} {dir}"},
        {"rclone",
         {"rclone"},
         "mkdir -p {img}",
         "rclone mount {img} {dir} --config /dev/null --vfs-cache-mode writes --cache-dir {img}.cache --daemon"},
    };
    return all;
}

CommandResult run(const std::string& command) {
    CommandResult result;
    FILE* pipe = ::popen(("(" + command + ") 2>&1").c_str(), "r");
    if (!pipe)
        return result;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        result.output.append(buffer, n);
    const int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

SshServer::SshServer(const std::string& scratch) : scratch_(scratch + "/ssh"), port_(freePort()) {
    if (run("test -x /usr/sbin/sshd && command -v sshfs").status != 0) {
        failure_ = "sshd or sshfs is not installed";
        return;
    }
    // The server reads the authorized key as nobody, so its folder is open to others.
    const std::string config = scratch_ + "/sshd_config";
    const CommandResult keys =
        run("mkdir -p " + scratch_ + " /run/sshd && chmod 755 " + scratch + " " + scratch_ +
            " && ssh-keygen -q -t ed25519 -N '' -f " + scratch_ + "/host" + " && ssh-keygen -q -t ed25519 -N '' -f " +
            scratch_ + "/client" + " && cp " + scratch_ + "/client.pub " + scratch_ + "/authorized && chmod 644 " +
            scratch_ + "/authorized");
    std::ofstream(config) << "ListenAddress 127.0.0.1\nPort " << port_ << "\nHostKey " << scratch_
                          << "/host\nAuthorizedKeysFile " << scratch_ << "/authorized\nPidFile " << scratch_
                          << "/pid\nUsePAM no\nStrictModes no\nPasswordAuthentication no\n"
                             "KbdInteractiveAuthentication no\nAllowUsers nobody\nForceCommand internal-sftp\n"
                             "Subsystem sftp internal-sftp\n";
    const CommandResult started =
        keys.status == 0 ? run("/usr/sbin/sshd -f " + config + " -E " + scratch_ + "/log") : keys;
    if (started.status != 0 || !waitFor([&] { return accepts(port_); }))
        failure_ = "sshd did not start: " + lastLine(started.output);
}

SshServer::~SshServer() {
    (void)run("test -f " + scratch_ + "/pid && kill $(cat " + scratch_ + "/pid)");
}

std::string SshServer::sshfsOptions() const {
    return "-o IdentityFile=" + scratch_ + "/client,port=" + std::to_string(port_) +
           ",StrictHostKeyChecking=no,UserKnownHostsFile=/dev/null,BatchMode=yes,LogLevel=ERROR";
}

Mount::Mount(const FileSystem& fs, const std::string& scratch, const SshServer& ssh, const std::string& suffix)
    : dir_(scratch + "/" + fs.name + suffix) {
    for (const char* tool : fs.tools) {
        if (run(std::string("command -v ") + tool).status != 0) {
            skipReason_ = std::string(tool) + " is not installed";
            return;
        }
    }
    if (std::string(fs.name) == "sshfs" && !ssh.failure().empty()) {
        skipReason_ = ssh.failure();
        return;
    }
    const auto expand = [&](const char* command) {
        return replaced(replaced(replaced(command, "{img}", scratch + "/" + fs.name + ".img"), "{dir}", dir_), "{ssh}",
                        ssh.sshfsOptions());
    };
    ::mkdir(dir_.c_str(), 0755);
    const bool imageExists = ::access((scratch + "/" + fs.name + ".img").c_str(), F_OK) == 0;
    const CommandResult prepared = imageExists ? CommandResult{0, ""} : run(expand(fs.prepare));
    const CommandResult mounted = prepared.status == 0 ? run(expand(fs.mount)) : prepared;
    mounted_ = mounted.status == 0 && waitFor([&] { return run("mountpoint -q " + dir_).status == 0; });
    if (!mounted_)
        skipReason_ = "cannot be mounted here: " + lastLine(mounted.output);
}

Mount::~Mount() {
    if (mounted_ && run("umount " + dir_).status != 0)
        (void)run("umount -l " + dir_);
}

} // namespace qb::matrix
