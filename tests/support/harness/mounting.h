#pragma once
// Mounts made by the tests and the benchmarks as root with this machine's mount programs, and undone again.

#include <string>
#include <vector>

namespace qb::harness {

/** What a mount command did: whether the mount point shows the file system, and else the last line the command
 *  printed (its complaint). */
struct MountResult {
    bool mounted = false;
    std::string complaint;
};

/** Runs a mount command (a program and its arguments) and waits up to ten seconds for mountPoint to become a mount
 *  point, since FUSE programs may answer before their file system is there. */
[[nodiscard]] MountResult mountByCommand(const std::vector<std::string>& command, const std::string& mountPoint);

/** Whether path is a mount point now. */
[[nodiscard]] bool isMountPoint(const std::string& path);

/** Unmounts path; lazily (detached, undone once nothing uses it) when it is busy. */
void unmount(const std::string& path);

} // namespace qb::harness
