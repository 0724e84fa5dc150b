#pragma once
// A folder of this machine seen as a network share: sshfs to an sshd of its own on the loopback interface, through
// a relay that holds every chunk for a while in each direction, like a slow office link. For search_bench, as root.

#include <chrono>
#include <optional>
#include <string>

#include "commands.h"
#include "loopback_ssh.h"

namespace qb::bench {

/** One share, set up by the constructor and taken down again by the destructor. */
class LoopbackShare {
public:
    /** Shows folder at mountPoint (an empty folder) over sshfs, its link delayed by delay each way; relay is the
     *  delay_relay program. Keys, host key and configuration go into a fresh folder under workFolder. */
    LoopbackShare(const std::string& folder, const std::string& mountPoint, const std::string& workFolder,
                  const std::string& relay, std::chrono::microseconds delay);
    ~LoopbackShare();
    LoopbackShare(const LoopbackShare&) = delete;
    LoopbackShare& operator=(const LoopbackShare&) = delete;

    /** Why the share is not there (a missing program, not root, a mount that failed), or empty when it is. */
    [[nodiscard]] const std::string& whyNot() const { return whyNot_; }

private:
    std::string setUp(const std::string& folder, const std::string& workFolder, const std::string& relay,
                      std::chrono::microseconds delay);

    std::string mountPoint_;
    std::optional<harness::SshServer> server_;
    std::optional<harness::BackgroundProcess> relay_;
    bool mounted_ = false;
    std::string whyNot_;
};

} // namespace qb::bench
