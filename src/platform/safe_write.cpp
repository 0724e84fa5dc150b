#include "platform/safe_write.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h> // renameat2, RENAME_NOREPLACE
#include <sys/stat.h>
#include <unistd.h>

#include "platform/files.h"

namespace qb::platform {
namespace {

// As many links as the kernel follows in one path.
constexpr int kMaxLinkHops = 40;

// Modes and owners that the file system cannot hold (FAT's fchmod gives ENOSYS, a FUSE file system mounted for one
// owner EPERM): the file goes on without them.
bool cannotHoldModes(int error) {
    return error == ENOSYS || error == EPERM || error == ENOTSUP || error == EOPNOTSUPP;
}

// The file systems that have no RENAME_NOREPLACE say so in these ways (FUSE, NFS and older kernels give EINVAL).
bool lacksNoReplaceRename(int error) {
    return error == EINVAL || error == ENOSYS || error == ENOTSUP;
}

// Gives a new file the old one's owner, group and permissions where this process may. A member of a shared folder's
// group who may not give the file away keeps at least its group; when the group cannot be kept either, the file is
// the writer's alone, so that no other group gains access to the note.
Status applyOwnership(int fd, const Ownership& keep) {
    unsigned permissions = keep.permissions;
    if (::fchown(fd, keep.owner, keep.group) != 0) {
        if (!cannotHoldModes(errno))
            return Status::failure(errno, "chown");
        if (::fchown(fd, static_cast<uid_t>(-1), keep.group) != 0) {
            if (!cannotHoldModes(errno))
                return Status::failure(errno, "chown");
            permissions &= 0700;
        }
    }
    if (::fchmod(fd, permissions) != 0 && !cannotHoldModes(errno))
        return Status::failure(errno, "chmod");
    return {};
}

// What a symbolic link holds: the path it points to.
struct LinkText {
    Status status;
    std::string path;
};

LinkText readLink(const Folder& folder, const std::string& name) {
    std::string path(4096, '\0');
    const ssize_t size = ::readlinkat(folder.descriptor(), name.c_str(), path.data(), path.size());
    if (size < 0 || static_cast<std::size_t>(size) == path.size())
        return {Status::failure(size < 0 ? errno : ENAMETOOLONG, "read link"), {}};
    path.resize(static_cast<std::size_t>(size));
    return {{}, std::move(path)};
}

// Where a name leads through symbolic links: the folder that holds the file (nothing: the starting folder) and its
// name there. A link to a folder fails with EISDIR.
struct LinkTarget {
    std::optional<Folder> folder;
    std::string name;
    Status status;
};

LinkTarget followLinks(const Folder& start, const std::string& name) {
    LinkTarget target{std::nullopt, name, {}};
    std::optional<unsigned> lastLinkOwner; // the owner of the last link followed, when one was
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        const Folder& here = target.folder ? *target.folder : start;
        struct stat st {};
        const bool exists = ::fstatat(here.descriptor(), target.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
        if (!exists || !S_ISLNK(st.st_mode)) {
            // Every link of the way is the user's; the last one must lead to something (examine() tells what).
            if (lastLinkOwner)
                target.status =
                    followLinkProblem(*lastLinkOwner, exists ? LinkLeads::ToFile : LinkLeads::Nowhere, "replace");
            return target;
        }
        if (Status problem = followLinkProblem(st.st_uid, LinkLeads::ToFile, "replace"); !problem.ok()) {
            target.status = std::move(problem);
            return target;
        }
        lastLinkOwner = st.st_uid;
        const auto [status, link] = readLink(here, target.name);
        if (!status.ok()) {
            target.status = status;
            return target;
        }
        const auto slash = link.find_last_of('/');
        std::string file = slash == std::string::npos ? link : link.substr(slash + 1);
        if (file.empty() || file == "." || file == "..") {
            target.status = Status::failure(EISDIR, "follow link");
            return target;
        }
        if (slash != std::string::npos) {
            Folder next(here, slash == 0 ? std::string("/") : link.substr(0, slash));
            if (!next.status().ok()) {
                target.status = Status::failure(next.status().error, "follow link");
                return target;
            }
            target.folder = std::move(next);
        }
        target.name = std::move(file);
    }
    target.status = Status::failure(ELOOP, "follow link");
    return target;
}

// What a file about to be replaced asks of its successor: nothing when it does not exist; a refusal when it is not
// an ordinary file or may not be written.
struct Predecessor {
    Status status;
    std::optional<Ownership> keep;
};

Predecessor examine(const Folder& folder, const std::string& name, FileAccess access) {
    struct stat st {};
    if (::fstatat(folder.descriptor(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return {errno == ENOENT ? Status{} : Status::failure(errno, "replace"), std::nullopt};
    if (!S_ISREG(st.st_mode))
        return {Status::failure(S_ISDIR(st.st_mode) ? EISDIR : EINVAL, "replace (not an ordinary file)"), std::nullopt};
    // The rename would replace a file the user made read-only, since it needs only the folder's permission; so its
    // own permission is asked first. A file that nobody may write is read-only for root too.
    if (::faccessat(folder.descriptor(), name.c_str(), W_OK, AT_EACCESS) != 0 &&
        (errno == EACCES || errno == EPERM || errno == EROFS))
        return {Status::failure(errno, "replace (the file is read-only)"), std::nullopt};
    if ((st.st_mode & 0222) == 0)
        return {Status::failure(EACCES, "replace (the file is read-only)"), std::nullopt};
    const unsigned permissions = st.st_mode & (access == FileAccess::OwnerOnly ? 0600 : 0777);
    return {{}, Ownership{permissions, st.st_uid, st.st_gid}};
}

} // namespace

StagedFile::StagedFile(const Folder& folder, std::string_view stem, std::string_view bytes, FileAccess access,
                       const std::optional<Ownership>& keep)
    : folder_(folder) {
    // A file that keeps another's permissions starts private, so nobody opens it before it has them.
    const unsigned permissions = keep || access == FileAccess::OwnerOnly ? 0600 : 0666;
    NewFile created = createHiddenFile(folder, stem, permissions);
    status_ = created.status;
    if (!status_.ok())
        return;
    temporary_ = std::move(created.name);
    if (keep)
        status_ = applyOwnership(created.fd, *keep);
    if (status_.ok())
        status_ = writeAll(created.fd, bytes);
    if (status_.ok())
        status_ = syncChecked(created.fd, "fsync");
    const Status closed = closeChecked(created.fd);
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
            return {};
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
            return {};
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
    const int reservation = ::openat(dir, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (reservation < 0)
        return Status::failure(errno, "create");
    Status status = closeChecked(reservation);
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
    return {};
}

Status replaceFile(const Folder& folder, const std::string& name, std::string_view bytes, FileAccess access) {
    const LinkTarget target = followLinks(folder, name);
    if (!target.status.ok())
        return target.status;
    const Folder& home = target.folder ? *target.folder : folder;
    const Predecessor old = examine(home, target.name, access);
    if (!old.status.ok())
        return old.status;
    StagedFile staged(home, target.name, bytes, access, old.keep);
    if (!staged.status().ok())
        return staged.status();
    return staged.publishOver(target.name);
}

int removeStagedLeftovers(const Folder& folder, const std::vector<std::string>& names, std::chrono::seconds olderThan) {
    const auto latest = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now() - olderThan);
    const int listed = ::openat(folder.descriptor(), ".", O_RDONLY | O_DIRECTORY | O_NOCTTY | O_CLOEXEC);
    DIR* dir = listed < 0 ? nullptr : ::fdopendir(listed);
    if (!dir) {
        if (listed >= 0)
            ::close(listed);
        return 0;
    }
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

Status writeFileAtomically(const std::string& path, std::string_view bytes, WriteMode mode, FileAccess access) {
    const auto [parent, name] = splitPath(path);
    const Folder folder(parent);
    if (!folder.status().ok())
        return folder.status();
    if (mode == WriteMode::Replace)
        return replaceFile(folder, name, bytes, access);
    StagedFile staged(folder, name, bytes, access);
    if (!staged.status().ok())
        return staged.status();
    return staged.publishNew(name);
}

} // namespace qb::platform
