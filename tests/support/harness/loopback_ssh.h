#pragma once
// An SSH server of the tests' or the benchmarks' own on the loopback interface, for folders mounted with sshfs.
// Needs root and sshd (openssh-server).

#include <optional>
#include <string>

#include "commands.h"

namespace qb::harness {

/** A TCP port of 127.0.0.1 that nobody listens on now, picked by the kernel; 0 when none could be had. */
[[nodiscard]] int freeLoopbackPort();

/** Whether something accepts connections on a TCP port of 127.0.0.1. */
[[nodiscard]] bool acceptsConnections(int port);

/** Waits up to ten seconds until server accepts connections on a TCP port of 127.0.0.1; false when it ended or did
 *  not listen by then. */
[[nodiscard]] bool waitUntilListening(BackgroundProcess& server, int port);

/** An sshd on 127.0.0.1 at a free port, with a host key and a client key of its own, letting in one user with that
 *  key, for SFTP only. Started by the constructor; stopped, and its folder removed, by the destructor. */
class SshServer {
public:
    /** Starts the server with its keys, configuration and log in folder, a new folder made here and open to others
     *  (the server reads the authorized key as the user, who must be able to reach it); failure() says why when the
     *  server cannot be started. */
    SshServer(std::string folder, std::string user);
    ~SshServer();
    SshServer(const SshServer&) = delete;
    SshServer& operator=(const SshServer&) = delete;

    /** Why the server is not running, or empty when it is. */
    [[nodiscard]] const std::string& failure() const { return failure_; }
    /** The port of 127.0.0.1 the server listens on. */
    [[nodiscard]] int port() const { return port_; }
    /** The sshfs options (for -o) that log in with the client key, to the server's own port or, when given, to
     *  through: the port of a relay that stands in between. */
    [[nodiscard]] std::string sshfsOptions(int through = 0) const;
    /** The login sshfs names before the folder: user@127.0.0.1. */
    [[nodiscard]] std::string login() const { return user_ + "@127.0.0.1"; }

private:
    [[nodiscard]] std::string start();

    std::string folder_, user_;
    int port_ = 0;
    bool madeFolder_ = false;
    std::optional<BackgroundProcess> sshd_;
    std::string failure_;
};

} // namespace qb::harness
