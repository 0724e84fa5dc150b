#include "loopback_share.h"

#include <filesystem>
#include <unistd.h>

#include "mounting.h"

namespace qb::bench {

LoopbackShare::LoopbackShare(const std::string& folder, const std::string& mountPoint, const std::string& workFolder,
                             const std::string& relay, std::chrono::microseconds delay)
    : mountPoint_(mountPoint) {
    whyNot_ = setUp(folder, workFolder, relay, delay);
}

std::string LoopbackShare::setUp(const std::string& folder, const std::string& workFolder, const std::string& relay,
                                 std::chrono::microseconds delay) {
    if (::geteuid() != 0)
        return "a loopback sshd needs root";
    for (const char* program : {"sshfs", "/usr/sbin/sshd", "ssh-keygen"}) {
        if (!harness::installed(program))
            return std::string(program) + " is missing (scripts/packages.sh lists it among the bench's packages)";
    }
    server_.emplace(workFolder + "/share-" + std::to_string(::getpid()), "root");
    if (!server_->failure().empty())
        return server_->failure();
    const int relayPort = harness::freeLoopbackPort();
    relay_.emplace(std::vector<std::string>{relay, std::to_string(relayPort), std::to_string(server_->port()),
                                            std::to_string(delay.count())});
    if (!harness::waitUntilListening(*relay_, relayPort))
        return "the relay did not start";
    std::filesystem::create_directories(mountPoint_);
    const harness::MountResult mount = harness::mountByCommand(
        {"sshfs", "-o", server_->sshfsOptions(relayPort), server_->login() + ":" + folder, mountPoint_}, mountPoint_);
    mounted_ = mount.mounted;
    return mounted_ ? std::string() : "sshfs could not mount the share: " + mount.complaint;
}

LoopbackShare::~LoopbackShare() {
    if (mounted_)
        harness::unmount(mountPoint_);
}

} // namespace qb::bench
