#include "scoped_mount.h"

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include "commands.h"
#include "mounting.h"

namespace qb::test {

ScopedMount ScopedMount::tmpfs(const std::string& target, std::size_t bytes) {
    const std::string options = "size=" + std::to_string(bytes);
    if (::mount("tmpfs", target.c_str(), "tmpfs", 0, options.c_str()) != 0)
        return ScopedMount("");
    return ScopedMount(target);
}

ScopedMount ScopedMount::readOnly(const std::string& target) {
    if (::mount(target.c_str(), target.c_str(), nullptr, MS_BIND, nullptr) != 0)
        return ScopedMount("");
    if (::mount(nullptr, target.c_str(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
        ::umount(target.c_str());
        return ScopedMount("");
    }
    return ScopedMount(target);
}

ScopedMount ScopedMount::fatThroughFuse(const std::string& image, const std::string& target) {
    const bool made =
        harness::run({"truncate", "-s", "32M", image}).status == 0 && harness::run({"mkfs.vfat", image}).status == 0;
    const bool mounted = made && harness::mountByCommand({"fusefat", "-o", "rw+", image, target}, target).mounted;
    return ScopedMount(mounted ? target : "");
}

ScopedMount::~ScopedMount() {
    if (valid())
        harness::unmount(target_);
}

std::string fillFileSystem(const std::string& folder) {
    std::string path = folder + "/filler";
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    char block[4096] = {};
    while (fd >= 0 && ::write(fd, block, sizeof block) > 0) {
    }
    while (fd >= 0 && ::write(fd, block, 1) > 0) { // the last partial block
    }
    if (fd >= 0)
        ::close(fd);
    return path;
}

} // namespace qb::test
