#include "readers/slow_read_watch.h"

#include <bit>
#include <linux/magic.h>
#include <sys/resource.h>
#include <sys/vfs.h>
#include <utility>

namespace qb::readers {
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

ThreadWaits threadWaits() {
    // The blocks are the whole process's: a partner reads most of the files the walk takes.
    rusage thread{}, process{};
    if (::getrusage(RUSAGE_THREAD, &thread) != 0 || ::getrusage(RUSAGE_SELF, &process) != 0)
        return {};
    return {process.ru_inblock, thread.ru_nvcsw};
}

SlowReadWatch::SlowReadWatch(std::function<ThreadWaits()> waits, Clock clock)
    : waits_(std::move(waits)), clock_(std::move(clock)), groupStart_(clock_()), lookStart_(waits_()) {}

bool SlowReadWatch::noteFile() {
    if (std::exchange(userAsked_, false)) {
        groupFiles_ = 0;
        groupStart_ = clock_();
    }
    if (++groupFiles_ < kGroup)
        return false;
    groupFiles_ = 0;
    const auto now = clock_();
    const bool slow = slowAfterGroup(now - groupStart_);
    groupStart_ = now;
    return slow;
}

bool SlowReadWatch::slowAfterGroup(std::chrono::nanoseconds took) {
    // The waits are asked for only after a slow group, which a warm walk seldom has; the thread must have waited
    // about once a file of a group, since a thread that only loses the processor now and then waits now and then too.
    if (took > kGroup * kSlowPerFile && waits_().waits - lookStart_.waits >= kGroup &&
        ++slowGroups_ >= kSlowGroupsPerLook)
        return true;
    if (++groups_ < kGroupsPerLook)
        return false;
    groups_ = 0;
    slowGroups_ = 0;
    const ThreadWaits now = waits_();
    const long blocks = now.blockInput - lookStart_.blockInput;
    diskLooks_ = static_cast<std::uint16_t>(diskLooks_ << 1 | (blocks >= kDiskBlocksPerLook ? 1 : 0));
    lookStart_ = now;
    return blocks >= kColdBlocksPerLook || std::popcount(diskLooks_) >= kDiskLooks;
}

} // namespace qb::readers
