#include "mounting.h"

#include <sys/mount.h>

#include "commands.h"

namespace qb::harness {

MountResult mountByCommand(const std::vector<std::string>& command, const std::string& mountPoint) {
    const CommandResult mounted = run(command);
    if (mounted.status == 0 && waitUntil([&] { return isMountPoint(mountPoint); }))
        return {true, ""};
    return {false, lastLine(mounted.output)};
}

bool isMountPoint(const std::string& path) {
    return run({"mountpoint", "-q", path}).status == 0;
}

void unmount(const std::string& path) {
    if (::umount2(path.c_str(), 0) != 0)
        ::umount2(path.c_str(), MNT_DETACH);
}

} // namespace qb::harness
