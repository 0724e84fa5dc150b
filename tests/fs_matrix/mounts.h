#pragma once
// The file systems of the matrix, each mounted for the test and undone at its end: kernel ones on loop images or
// tmpfs, FUSE ones (exFAT, FAT, NTFS), a folder over SSH from an sshd of the test's own on 127.0.0.1, and an rclone
// mount of a local folder. Needs root.

#include <memory>
#include <string>
#include <vector>

#include "loopback_ssh.h"

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

/** One file system mounted for the test; unmounted by the destructor. */
class Mount {
public:
    /** Makes and mounts fs at {scratch}/<name>; skipReason() says why when that is not possible here. */
    Mount(const FileSystem& fs, const std::string& scratch, const harness::SshServer& ssh,
          const std::string& suffix = "");
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

} // namespace qb::matrix
