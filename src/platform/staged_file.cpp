#include "platform/staged_file.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h> // renameat2, RENAME_NOREPLACE
#include <sys/stat.h>
#include <unistd.h>

#include "platform/access_acl.h"
#include "platform/files.h"
#include "platform/read_only_file.h"

namespace qb::platform {
namespace {

// Modes and owners that the file system cannot hold (FAT's fchmod gives ENOSYS, a FUSE file system mounted for one
// owner EPERM): the file goes on without them.
bool cannotHoldModes(int error) {
    return error == ENOSYS || error == EPERM || error == ENOTSUP || error == EOPNOTSUPP;
}

// The file systems that have no RENAME_NOREPLACE say so in these ways (FUSE, NFS and older kernels give EINVAL).
bool lacksNoReplaceRename(int error) {
    return error == EINVAL || error == ENOSYS || error == ENOTSUP;
}

// Gives a new file the rights it keeps where this process may. A member of a shared folder's group who may not give
// the file away keeps at least its group; when the group cannot be kept either, the file is the writer's alone, so
// that no other group gains access to the note. Its ACL is exactly the one kept, or none, whatever a folder's default
// ACL gave it; where that cannot be set, the owner alone keeps access.
Status applyRights(int fd, const Rights& keep) {
    unsigned permissions = keep.permissions;
    std::optional<std::string> acl = keep.acl;
    if (::fchown(fd, keep.owner, keep.group) != 0) {
        if (!cannotHoldModes(errno))
            return Status::failure(errno, "chown");
        if (::fchown(fd, static_cast<uid_t>(-1), keep.group) != 0) {
            if (!cannotHoldModes(errno))
                return Status::failure(errno, "chown");
            permissions &= 0700;
            acl.reset();
        }
    }
    if (::fchmod(fd, permissions) != 0 && !cannotHoldModes(errno))
        return Status::failure(errno, "chmod");
    const Status set = setAcl(fd, acl, permissions);
    // A file system that keeps no ACLs gave the file none from the folder either.
    if (set.ok() || (!acl && (set.error == ENOTSUP || set.error == EOPNOTSUPP)))
        return {};
    if (::fchmod(fd, permissions & 0700) != 0 && !cannotHoldModes(errno))
        return Status::failure(errno, "chmod");
    return {};
}

bool isOwnOrdinaryFile(const struct stat& st) {
    return S_ISREG(st.st_mode) && st.st_uid == ::geteuid();
}

} // namespace

StagedFile::StagedFile(const Folder& folder, std::string_view stem, std::string_view bytes, FileAccess access,
                       const std::optional<Rights>& keep)
    : folder_(folder), bytes_(bytes) {
    // A file that keeps another's rights starts private, so nobody opens it before it has them.
    const unsigned permissions = keep || access == FileAccess::OwnerOnly ? 0600 : 0666;
    NewFile created = createHiddenFile(folder, stem, permissions);
    status_ = created.status;
    if (!status_.ok())
        return;
    temporary_ = std::move(created.name);
    if (keep)
        status_ = applyRights(created.fd.get(), *keep);
    if (status_.ok())
        status_ = writeAll(created.fd.get(), bytes);
    if (status_.ok())
        status_ = syncChecked(created.fd.get(), "fsync");
    struct stat st {};
    if (status_.ok() && ::fstat(created.fd.get(), &st) != 0)
        status_ = Status::failure(errno, "fstat");
    written_ = idOf(st);
    const Status closed = closeChecked(std::move(created.fd));
    if (status_.ok())
        status_ = closed;
}

StagedFile::~StagedFile() {
    if (!temporary_.empty() && !published_)
        ::unlinkat(folder_.descriptor(), temporary_.c_str(), 0);
}

Status StagedFile::publishNew(const std::string& name) {
    const int dir = folder_.descriptor();
    if (!noReplaceRenameMissing_) {
        if (::renameat2(dir, temporary_.c_str(), dir, name.c_str(), RENAME_NOREPLACE) == 0) {
            published_ = true;
            (void)folder_.sync(); // see publishOver()
            return placed(name);
        }
        if (!lacksNoReplaceRename(errno))
            return Status::failure(errno, "rename");
        noReplaceRenameMissing_ = true;
    }
    if (!linkMissing_) {
        if (::linkat(dir, temporary_.c_str(), dir, name.c_str(), 0) == 0) {
            // The temporary name goes; should that fail, it is only a second, hidden name of the new file.
            ::unlinkat(dir, temporary_.c_str(), 0);
            published_ = true;
            (void)folder_.sync();
            return placed(name);
        }
        if (errno == EEXIST)
            return Status::failure(EEXIST, "link");
        // No hard links here, however the file system says so: EPERM (exFAT, FAT), EIO (rclone), ENOSYS, EMLINK.
        linkMissing_ = true;
    }
    return publishOverReservation(name);
}

Status StagedFile::publishOverReservation(const std::string& name) {
    const int dir = folder_.descriptor();
    Descriptor reservation(::openat(dir, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!reservation.valid())
        return Status::failure(errno, "create");
    Status status = closeChecked(std::move(reservation));
    if (status.ok())
        status = publishOver(name);
    // Only an empty file is still the reservation: a rename that said it failed yet was done must stand.
    struct stat st {};
    if (!status.ok() && ::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && st.st_size == 0)
        ::unlinkat(dir, name.c_str(), 0);
    return status;
}

Status StagedFile::publishOver(const std::string& name) {
    if (::renameat(folder_.descriptor(), temporary_.c_str(), folder_.descriptor(), name.c_str()) != 0)
        return Status::failure(errno, "rename");
    published_ = true;
    // The new content is in place now. A folder that cannot be flushed must not make the caller report "not
    // saved" for a file the user can see (a retried new record would be saved twice); the rename stands.
    (void)folder_.sync();
    return placed(name);
}

// Saved means kept: after its rename, the name holds the file written. Another member of a shared folder may have
// put a file of theirs in place of the temporary file just before the rename, or of the record just after it. Some
// file systems give a file a new number once it is written (rclone): there an ordinary file of the user's own with
// the bytes written is the file written.
Status StagedFile::placed(const std::string& name) {
    const Descriptor fd(::openat(folder_.descriptor(), name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    bool kept = fd.valid() && ::fstat(fd.get(), &st) == 0;
    if (kept && idOf(st) != written_) {
        std::string bytes;
        kept = isOwnOrdinaryFile(st) && readRest(fd.get(), bytes, bytes_.size()).ok() && bytes == bytes_;
    }
    return kept ? Status{} : Status::refusal(EPERM, "another file took the place of the one written");
}

int removeStagedLeftovers(const Folder& folder, const std::vector<std::string>& names, std::chrono::seconds olderThan) {
    const auto latest = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now() - olderThan);
    Descriptor listed(::openat(folder.descriptor(), ".", O_RDONLY | O_DIRECTORY | O_NOCTTY | O_CLOEXEC));
    DIR* dir = listed.valid() ? ::fdopendir(listed.get()) : nullptr;
    if (!dir)
        return 0;
    (void)listed.release(); // the listing's own now, closed with it
    int removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        const bool staged = std::any_of(names.begin(), names.end(),
                                        [&](const std::string& file) { return isHiddenFileNameOf(name, file); });
        struct stat st {};
        if (staged && ::fstatat(folder.descriptor(), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(st.st_mode) && st.st_mtime <= latest && ::unlinkat(folder.descriptor(), entry->d_name, 0) == 0)
            ++removed;
    }
    ::closedir(dir);
    return removed;
}

} // namespace qb::platform
