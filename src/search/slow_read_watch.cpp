#include "search/slow_read_watch.h"

#include <linux/magic.h>
#include <sys/resource.h>
#include <sys/vfs.h>

namespace qb::search {
namespace {

// File systems whose files live on another machine or behind a daemon of this one.
bool isRemote(unsigned long type) {
    switch (type) {
    case FUSE_SUPER_MAGIC:
    case NFS_SUPER_MAGIC:
    case SMB_SUPER_MAGIC:
    case CIFS_SUPER_MAGIC:
    case SMB2_SUPER_MAGIC:
    case V9FS_MAGIC:
    case CEPH_SUPER_MAGIC:
    case AFS_SUPER_MAGIC:
    case AFS_FS_MAGIC:
    case CODA_SUPER_MAGIC:
        return true;
    default:
        return false;
    }
}

} // namespace

FolderKind folderKind(int folder) {
    struct statfs status {};
    if (folder < 0 || ::fstatfs(folder, &status) != 0)
        return FolderKind::Local;
    return isRemote(static_cast<unsigned long>(status.f_type)) ? FolderKind::Remote : FolderKind::Local;
}

long threadBlockInput() {
    rusage usage{};
    return ::getrusage(RUSAGE_THREAD, &usage) == 0 ? usage.ru_inblock : 0;
}

SlowReadWatch::SlowReadWatch(std::function<long()> blockInput)
    : blockInput_(std::move(blockInput)), lastBlockInput_(blockInput_()) {}

bool SlowReadWatch::slowAfterGroup(std::chrono::nanoseconds took) {
    if (took > kGroup * kSlowPerFile && ++slowGroups_ >= kSlowGroupsPerLook)
        return true;
    if (++groups_ < kGroupsPerLook)
        return false;
    groups_ = 0;
    slowGroups_ = 0;
    const long blockInput = blockInput_();
    const bool fromDisk = blockInput > lastBlockInput_;
    lastBlockInput_ = blockInput;
    return fromDisk;
}

} // namespace qb::search
