#pragma once
// The file systems of the matrix, each mounted for the test and undone at its end: kernel ones on loop images or
// tmpfs, FUSE ones (exFAT, FAT, NTFS), a folder over SSH from an sshd of the test's own on 127.0.0.1, and an rclone
// mount of a local folder. Needs root.

#include <memory>
#include <string>
#include <vector>

namespace qb::matrix {

/** How one file system is made and mounted. Placeholders: {img} a scratch image file or source folder of its own,
 *  {dir} the mount point, {ssh} the sshfs options that reach the test's sshd. */
struct FileSystem {
    const char* name;
    std::vector<const char*> tools; ///< commands that must be installed
    const char* prepare;            ///< makes {img}
    const char* mount;              ///< mounts it at {dir}
};

/** Every file system of the matrix, in the order the matrix runs them. */
const std::vector<FileSystem>& fileSystems();

/** An SSH server on 127.0.0.1 (a free port, its own host key and authorized key in a scratch folder), letting the
 *  user nobody in for SFTP only; stopped again by the destructor. */
class SshServer {
public:
    /** Starts the server; why not in failure() when it cannot be started. */
    explicit SshServer(const std::string& scratch);
    ~SshServer();
    SshServer(const SshServer&) = delete;
    SshServer& operator=(const SshServer&) = delete;

    const std::string& failure() const { return failure_; }
    /** The sshfs options that log in to this server as nobody. */
    std::string sshfsOptions() const;

private:
    std::string scratch_;
    int port_ = 0;
    std::string failure_;
};

/** One file system mounted for the test; unmounted by the destructor. */
class Mount {
public:
    /** Makes and mounts fs at {scratch}/<name>; skipReason() says why when that is not possible here. */
    Mount(const FileSystem& fs, const std::string& scratch, const SshServer& ssh, const std::string& suffix = "");
    ~Mount();
    Mount(const Mount&) = delete;
    Mount& operator=(const Mount&) = delete;

    const std::string& skipReason() const { return skipReason_; }
    const std::string& path() const { return dir_; }

private:
    std::string dir_;
    std::string skipReason_;
    bool mounted_ = false;
};

/** Runs a shell command; its exit status and what it printed (standard output and error). */
struct CommandResult {
    int status = -1;
    std::string output;
};
CommandResult run(const std::string& command);

} // namespace qb::matrix
