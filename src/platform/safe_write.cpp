#include "platform/safe_write.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <stdio.h> // renameat2, RENAME_NOREPLACE
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/files.h"
#include "platform/read_only_file.h"

namespace qb::platform {
namespace {

// As many links as the kernel follows in one path.
constexpr int kMaxLinkHops = 40;

// How often a save begins again when the file changed while it was being saved.
constexpr int kReplaceTries = 3;

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

// An entry of a folder opened as it is, without following it when it is a link (O_PATH | O_NOFOLLOW): what it is,
// its owner and, for a link, the path it holds are all read through this one descriptor, so an entry that someone
// swaps for another after it was opened is not the one judged.
class OpenedEntry {
public:
    OpenedEntry(int folder, const std::string& name)
        : fd_(::openat(folder, name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC)) {
        if (!fd_.valid() || ::fstat(fd_.get(), &st_) != 0)
            status_ = Status::failure(errno, "follow link");
    }

    [[nodiscard]] const Status& status() const { return status_; }
    [[nodiscard]] const struct stat& info() const { return st_; }
    [[nodiscard]] bool isLink() const { return S_ISLNK(st_.st_mode); }
    [[nodiscard]] int descriptor() const { return fd_.get(); }

    /** The path a link holds. */
    [[nodiscard]] Status readLink(std::string& path) const {
        path.assign(4096, '\0');
        const ssize_t size = ::readlinkat(fd_.get(), "", path.data(), path.size());
        if (size < 0 || static_cast<std::size_t>(size) == path.size())
            return Status::failure(size < 0 ? errno : ENAMETOOLONG, "read link");
        path.resize(static_cast<std::size_t>(size));
        return {};
    }

private:
    Descriptor fd_;
    struct stat st_ {};
    Status status_;
};

// A link of the way is followed only when the user made it: in a folder that others may write to, another user's
// link is how they could make this program write a file of the user's elsewhere.
Status judgeLink(const OpenedEntry& link, int& hops) {
    if (++hops > kMaxLinkHops)
        return Status::failure(ELOOP, "follow link");
    if (link.info().st_uid != ::geteuid())
        return Status::failure(EPERM, "replace (the file is a link that another user made)");
    return {};
}

// Goes down a folder path from a folder, one component at a time and never through a link that judgeLink()
// refuses: a link of the way is opened as it is, judged, and its own path gone down in its place. An absolute path
// starts at the root.
Status goDown(Folder& folder, std::string_view path, int& hops) {
    if (path.starts_with('/'))
        folder = Folder(std::string("/"));
    while (folder.status().ok() && !path.empty()) {
        const std::size_t slash = std::min(path.find('/'), path.size());
        const std::string component(path.substr(0, slash));
        path.remove_prefix(std::min(slash + 1, path.size()));
        if (component.empty() || component == ".")
            continue;
        const OpenedEntry entry(folder.descriptor(), component);
        if (!entry.status().ok())
            return entry.status();
        if (entry.isLink()) {
            std::string linked;
            if (Status problem = judgeLink(entry, hops); !problem.ok())
                return problem;
            if (Status read = entry.readLink(linked); !read.ok())
                return read;
            if (Status down = goDown(folder, linked, hops); !down.ok())
                return down;
            continue;
        }
        if (!S_ISDIR(entry.info().st_mode))
            return Status::failure(ENOTDIR, "follow link");
        // The folder opened is the very one judged: it is opened through the entry's own descriptor.
        folder = Folder::within(entry.descriptor());
    }
    return folder.status().ok() ? Status{} : Status::failure(folder.status().error, "follow link");
}

FileId idOf(const struct stat& st) {
    return {st.st_dev, st.st_ino};
}

FileStamp stampOf(const struct stat& st) {
    return {idOf(st), st.st_ctim.tv_sec, st.st_ctim.tv_nsec};
}

// Where a name leads through symbolic links: the folder that holds the file (nothing: the starting folder), its name
// there and, when it exists, which file it is; and what the name itself held, as it was opened. A link to a folder
// fails with EISDIR.
struct LinkTarget {
    std::optional<Folder> folder;
    std::string name;
    std::optional<FileId> file;
    Status status;
    std::optional<struct stat> entry; // the name's own entry, when there was one
};

LinkTarget followLinks(const Folder& start, const std::string& name) {
    LinkTarget target{std::nullopt, name, std::nullopt, {}, std::nullopt};
    bool followed = false; // whether a link was followed on the way
    for (int hops = 0;;) {
        const Folder& here = target.folder ? *target.folder : start;
        const OpenedEntry entry(here.descriptor(), target.name);
        if (!entry.status().ok() && entry.status().error != ENOENT) {
            target.status = entry.status();
            return target;
        }
        if (!followed && entry.status().ok())
            target.entry = entry.info();
        if (!entry.status().ok() || !entry.isLink()) {
            if (entry.status().ok())
                target.file = idOf(entry.info());
            // A followed link must lead to something (examine() tells what).
            else if (followed)
                target.status = Status::failure(ENOENT, "replace (the file is a link that points to nothing)");
            return target;
        }
        std::string linked;
        if (Status problem = judgeLink(entry, hops); !problem.ok()) {
            target.status = std::move(problem);
            return target;
        }
        if (Status read = entry.readLink(linked); !read.ok()) {
            target.status = std::move(read);
            return target;
        }
        followed = true;
        const auto slash = linked.find_last_of('/');
        std::string file = slash == std::string::npos ? linked : linked.substr(slash + 1);
        if (file.empty() || file == "." || file == "..") {
            target.status = Status::failure(EISDIR, "follow link");
            return target;
        }
        if (slash != std::string::npos) {
            Folder next(here, ".");
            if (Status down = goDown(next, std::string_view(linked).substr(0, std::max<std::size_t>(slash, 1)), hops);
                !down.ok()) {
                target.status = std::move(down);
                return target;
            }
            target.folder = std::move(next);
        }
        target.name = std::move(file);
    }
}

// Whether a name still is the file it was when it was looked at (or still nothing), just before it is replaced.
Status stillTheSame(const Folder& folder, const std::string& name, const std::optional<FileId>& was) {
    struct stat st {};
    const bool exists = ::fstatat(folder.descriptor(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
    if (!exists && errno != ENOENT)
        return Status::failure(errno, "replace");
    const std::optional<FileId> now = exists ? std::optional(idOf(st)) : std::nullopt;
    if (now != was)
        return Status::failure(EAGAIN, "replace (the file changed while it was being saved)");
    return {};
}

// What a file about to be replaced asks of its successor: nothing when it does not exist; a refusal when it is not
// an ordinary file or may not be written.
struct Predecessor {
    Status status;
    std::optional<Ownership> keep;
    std::optional<FileStamp> stamp; // the file as it was examined
};

Predecessor examine(const Folder& folder, const std::string& name, FileAccess access) {
    struct stat st {};
    if (::fstatat(folder.descriptor(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return {errno == ENOENT ? Status{} : Status::failure(errno, "replace"), std::nullopt, std::nullopt};
    // A link here was put in place of the file judged after its links were followed: judged again from the start.
    if (S_ISLNK(st.st_mode))
        return {Status::failure(EAGAIN, "replace (the file changed while it was being saved)"), std::nullopt,
                std::nullopt};
    if (!S_ISREG(st.st_mode))
        return {Status::failure(S_ISDIR(st.st_mode) ? EISDIR : EINVAL, "replace (not an ordinary file)"), std::nullopt,
                std::nullopt};
    // The rename would replace a file the user made read-only, since it needs only the folder's permission; so its
    // own permission is asked first. A file that nobody may write is read-only for root too.
    if (::faccessat(folder.descriptor(), name.c_str(), W_OK, AT_EACCESS) != 0 &&
        (errno == EACCES || errno == EPERM || errno == EROFS))
        return {Status::failure(errno, "replace (the file is read-only)"), std::nullopt, std::nullopt};
    if ((st.st_mode & 0222) == 0)
        return {Status::failure(EACCES, "replace (the file is read-only)"), std::nullopt, std::nullopt};
    const unsigned permissions = st.st_mode & (access == FileAccess::OwnerOnly ? 0600 : 0777);
    return {{}, Ownership{permissions, st.st_uid, st.st_gid}, stampOf(st)};
}

Status changedSinceRead() {
    return Status::failure(EPERM, "replace (the record was changed or replaced by someone else since it was shown)");
}

bool isOwnOrdinaryFile(const struct stat& st) {
    return S_ISREG(st.st_mode) && st.st_uid == ::geteuid();
}

// A resave of what was read replaces the entry that was read (or nothing, when there was none) or an ordinary file of
// the user's own that has taken its place since.
Status judgeEntry(const LinkTarget& target, const Recalled& recalled) {
    if (!target.entry || stampOf(*target.entry) == recalled.entry || isOwnOrdinaryFile(*target.entry))
        return {};
    return changedSinceRead();
}

// What the successor of the file read keeps: the file's own permissions, never wider than when it was read, and the
// group it had then; or those of a file of the user's own that took its place, no wider either. Another user's file
// in its place is refused. When nothing is there now, the new file keeps what the one read had.
Predecessor judgeFile(Predecessor old, const Recalled& recalled) {
    if (!old.keep) {
        if (recalled.file)
            old.keep = recalled.ownership;
        return old;
    }
    if (recalled.file && old.stamp == recalled.file)
        old.keep->group = recalled.ownership.group;
    else if (old.keep->owner != ::geteuid())
        return {changedSinceRead(), std::nullopt, std::nullopt};
    if (recalled.file)
        old.keep->permissions &= recalled.ownership.permissions;
    return old;
}

} // namespace

StagedFile::StagedFile(const Folder& folder, std::string_view stem, std::string_view bytes, FileAccess access,
                       const std::optional<Ownership>& keep)
    : folder_(folder), bytes_(bytes) {
    // A file that keeps another's permissions starts private, so nobody opens it before it has them.
    const unsigned permissions = keep || access == FileAccess::OwnerOnly ? 0600 : 0666;
    NewFile created = createHiddenFile(folder, stem, permissions);
    status_ = created.status;
    if (!status_.ok())
        return;
    temporary_ = std::move(created.name);
    if (keep)
        status_ = applyOwnership(created.fd.get(), *keep);
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
    return kept ? Status{} : Status::failure(EPERM, "rename (another file took the place of the one written)");
}

namespace {

// One try of replaceFile(): the links followed and judged, the file examined (against what was read, when that is
// known), the new content staged beside it and put in its place only if the name still is the file judged; a name
// that holds nothing gets the new file only while nothing else takes it.
Status replaceOnce(const Folder& folder, const std::string& name, std::string_view bytes, FileAccess access,
                   const std::optional<Recalled>& recalled) {
    const LinkTarget target = followLinks(folder, name);
    if (!target.status.ok())
        return target.status;
    if (recalled)
        if (Status entry = judgeEntry(target, *recalled); !entry.ok())
            return entry;
    const Folder& home = target.folder ? *target.folder : folder;
    Predecessor old = examine(home, target.name, access);
    if (old.status.ok() && recalled)
        old = judgeFile(std::move(old), *recalled);
    if (!old.status.ok())
        return old.status;
    StagedFile staged(home, target.name, bytes, access, old.keep);
    if (!staged.status().ok())
        return staged.status();
    if (!target.file) {
        const Status created = staged.publishNew(target.name);
        return created.error == EEXIST ? Status::failure(EAGAIN, "replace (the file changed while it was being saved)")
                                       : created;
    }
    // Whatever took the file's place since it was judged is left as it is, and so is the file.
    if (Status same = stillTheSame(home, target.name, target.file); !same.ok())
        return same;
    return staged.publishOver(target.name);
}

} // namespace

Status replaceFile(const Folder& folder, const std::string& name, std::string_view bytes, FileAccess access,
                   const std::optional<Recalled>& recalled) {
    // A file that changed while it was being saved is judged again from the start. Some file systems give a file a
    // new number a moment after it was written (rclone, once its cache has taken the write), so a quick second save
    // may meet that once; a name that keeps changing is refused.
    Status status;
    for (int attempt = 0; attempt < kReplaceTries; ++attempt) {
        status = replaceOnce(folder, name, bytes, access, recalled);
        if (status.error != EAGAIN)
            break;
    }
    return status;
}

RecalledRead readRecalled(const Folder& folder, const std::string& name, std::size_t maxBytes) {
    RecalledRead read;
    // An ordinary file is opened as it is, so the entry and the file are the one descriptor's; a link's own entry
    // is opened as it is first, then the file it leads to. Pipes and devices are opened without waiting, and refused.
    const int dir = folder.descriptor();
    constexpr int kFlags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    Descriptor fd(::openat(dir, name.c_str(), kFlags | O_NOFOLLOW));
    if (!fd.valid() && errno == ELOOP) {
        const OpenedEntry link(dir, name);
        if (link.status().ok() && link.isLink()) {
            read.recalled.entry = stampOf(link.info());
            fd.reset(::openat(dir, name.c_str(), kFlags));
        }
    }
    struct stat st {};
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0)
        read.status = Status::failure(!fd.valid() && errno == ELOOP ? EAGAIN : errno, "open");
    else if (!S_ISREG(st.st_mode))
        read.status = Status::failure(EINVAL, "open (not an ordinary file)");
    if (read.status.ok()) {
        if (!read.recalled.entry)
            read.recalled.entry = stampOf(st);
        read.recalled.file = stampOf(st);
        read.recalled.ownership = {static_cast<unsigned>(st.st_mode & 0777), st.st_uid, st.st_gid};
        read.status = readRest(fd.get(), read.bytes, maxBytes);
    }
    if (!read.status.ok())
        read.recalled = {};
    return read;
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
