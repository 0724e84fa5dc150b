#include "mounts.h"

#include <sys/stat.h>
#include <unistd.h>

#include "commands.h"
#include "mounting.h"

namespace qb::matrix {
namespace {

std::string replaced(std::string text, const std::string& key, const std::string& value) {
    for (auto at = text.find(key); at != std::string::npos; at = text.find(key, at + value.size()))
        text.replace(at, key.size(), value);
    return text;
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
         "mkdir -p {img} && chown nobody: {img} && echo root:65534 >{img}.uid && echo root:65534 >{img}.gid",
         // As a desktop user mounts a folder over SSH (idmap=user): the files of the user logged in show as the
         // local user's. The user nobody has no home, from which idmap=user would learn its number, so a map says it.
         "sshfs -o {ssh},idmap=file,uidfile={img}.uid,gidfile={img}.gid,nomap=ignore nobody@127.0.0.1:{img} {dir}"},
        {"rclone",
         {"rclone"},
         "mkdir -p {img}",
         "rclone mount {img} {dir} --config /dev/null --vfs-cache-mode writes --cache-dir {img}.cache --daemon"},
    };
    return all;
}

Mount::Mount(const FileSystem& fs, const std::string& scratch, const harness::SshServer& ssh, const std::string& suffix)
    : dir_(scratch + "/" + fs.name + suffix) {
    for (const char* tool : fs.tools) {
        if (!harness::installed(tool)) {
            skipReason_ = std::string(tool) + " is not installed";
            return;
        }
    }
    if (std::string(fs.name) == "sshfs" && !ssh.failure().empty()) {
        skipReason_ = ssh.failure();
        return;
    }
    const std::string image = scratch + "/" + fs.name + ".img";
    const auto expand = [&](const char* command) {
        return replaced(replaced(replaced(command, "{img}", image), "{dir}", dir_), "{ssh}", ssh.sshfsOptions());
    };
    ::mkdir(dir_.c_str(), 0755);
    const bool imageExists = ::access(image.c_str(), F_OK) == 0;
    const harness::CommandResult prepared =
        imageExists ? harness::CommandResult{0, ""} : harness::runShell(expand(fs.prepare));
    const harness::MountResult mount = prepared.status == 0
                                           ? harness::mountByCommand({"/bin/sh", "-c", expand(fs.mount)}, dir_)
                                           : harness::MountResult{false, harness::lastLine(prepared.output)};
    mounted_ = mount.mounted;
    if (!mounted_)
        skipReason_ = "cannot be mounted here: " + mount.complaint;
}

Mount::~Mount() {
    if (mounted_)
        harness::unmount(dir_);
}

} // namespace qb::matrix
