#include "platform/safe_write.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/files.h"
#include "platform/links.h"
#include "platform/read_only_file.h"

namespace qb::platform {
namespace {

// How often a save begins again when the file changed while it was being saved.
constexpr int kReplaceTries = 3;

Status changedWhileSaving() {
    return Status::refusal(EAGAIN, "the file changed while it was being saved");
}

// What a replace found at the name: go on, keeping these rights and replacing the file of this stamp (nothing: the
// name holds nothing, and the new file is put there only while nothing else takes it); or stop.
struct Verdict {
    ReplaceResult::Kind kind = ReplaceResult::Kind::Replaced;
    Status status;
    std::optional<Rights> keep;
    std::optional<FileStamp> stamp;
};

Verdict failed(Status status) {
    return {ReplaceResult::Kind::Failed, std::move(status), std::nullopt, std::nullopt};
}

Verdict changed() {
    return {ReplaceResult::Kind::Changed, {}, std::nullopt, std::nullopt};
}

// The rename would replace a file the user made read-only, since it needs only the folder's permission; so its own
// permission is asked first. A file that nobody may write is read-only for root too.
Status writable(const Folder& folder, const std::string& name, const struct stat& st) {
    if (::faccessat(folder.descriptor(), name.c_str(), W_OK, AT_EACCESS) != 0 &&
        (errno == EACCES || errno == EPERM || errno == EROFS))
        return Status::failure(errno, "replace (the file is read-only)");
    if ((st.st_mode & 0222) == 0)
        return Status::refusal(EACCES, "the file is read-only");
    return {};
}

// A replace that knows no version: the file at the name, whatever it is, if it is an ordinary file that may be
// written; its successor keeps its permissions, owner and group.
Verdict examine(const Folder& folder, const std::string& name, FileAccess access) {
    struct stat st {};
    if (::fstatat(folder.descriptor(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? Verdict{} : failed(Status::failure(errno, "replace"));
    // A link here was put in place of the file judged after its links were followed: judged again from the start.
    if (S_ISLNK(st.st_mode))
        return failed(changedWhileSaving());
    if (!S_ISREG(st.st_mode))
        return failed(Status::failure(S_ISDIR(st.st_mode) ? EISDIR : EINVAL, "replace (not an ordinary file)"));
    if (Status problem = writable(folder, name, st); !problem.ok())
        return failed(std::move(problem));
    const unsigned permissions = st.st_mode & (access == FileAccess::OwnerOnly ? 0600 : 0777);
    return {ReplaceResult::Kind::Replaced, {}, Rights{permissions, st.st_uid, st.st_gid, std::nullopt}, stampOf(st)};
}

// A replace of the version read: the name must hold it, judged through a descriptor of what stands there now. Its
// bytes are those read, and its entry and file are those read, or, where a file system gives a written file a new
// number (rclone, some shares), it is an ordinary file of its own at the name. Nothing at the name is a record deleted
// since it was read: written again, with its rights, or for the user alone when the version read is unknown.
Verdict judgeVersion(const LinkTarget& target, const Folder& folder, const std::optional<FileVersion>& read) {
    if (!target.file)
        return {ReplaceResult::Kind::Replaced, {}, read ? read->rights : privateRights(), std::nullopt};
    if (!read)
        return changed();
    const Descriptor fd(
        ::openat(folder.descriptor(), target.name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat st {};
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0) {
        if (errno == ENOENT || errno == ELOOP) // it went, or a link took its place: judged again from the start
            return failed(changedWhileSaving());
        return errno == EACCES ? changed() : failed(Status::failure(errno, "open"));
    }
    std::string bytes;
    if (!S_ISREG(st.st_mode))
        return changed();
    if (const Status got = readRest(fd.get(), bytes, read->bytes.size()); !got.ok())
        return got.error == EFBIG ? changed() : failed(got);
    const bool same = stampOf(*target.entry) == read->entry && stampOf(st) == read->file;
    if (bytes != read->bytes || (!same && S_ISLNK(target.entry->st_mode)))
        return changed();
    if (Status problem = writable(folder, target.name, st); !problem.ok())
        return failed(std::move(problem));
    return {ReplaceResult::Kind::Replaced, {}, read->rights, stampOf(st)};
}

// Whether a name still holds the file as it was judged (or still nothing), just before it is replaced.
Status stillTheSame(const Folder& folder, const std::string& name, const std::optional<FileStamp>& was) {
    struct stat st {};
    const bool exists = ::fstatat(folder.descriptor(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
    if (!exists && errno != ENOENT)
        return Status::failure(errno, "replace");
    const std::optional<FileStamp> now = exists ? std::optional(stampOf(st)) : std::nullopt;
    return now == was ? Status{} : changedWhileSaving();
}

ReplaceResult resultOf(Status status) {
    return {status.ok() ? ReplaceResult::Kind::Replaced : ReplaceResult::Kind::Failed, std::move(status)};
}

// One try of a replace: the links followed and judged, the file judged (against the version read, when there is
// one), the new content staged beside it and put in its place only if the name still holds the file judged; a name
// that holds nothing gets the new file only while nothing else takes it.
ReplaceResult replaceOnce(const Folder& folder, const std::string& name, std::string_view bytes, FileAccess access,
                          const std::optional<FileVersion>* read) {
    const LinkTarget target = followLinks(folder, name);
    if (!target.status.ok())
        return resultOf(target.status);
    const Folder& home = target.folder ? *target.folder : folder;
    const Verdict verdict = read ? judgeVersion(target, home, *read) : examine(home, target.name, access);
    if (verdict.kind != ReplaceResult::Kind::Replaced || !verdict.status.ok())
        return {verdict.kind, verdict.status};
    StagedFile staged(home, target.name, bytes, access, verdict.keep);
    if (!staged.status().ok())
        return resultOf(staged.status());
    if (!verdict.stamp) {
        const Status created = staged.publishNew(target.name);
        return resultOf(created.error == EEXIST ? changedWhileSaving() : created);
    }
    // Whatever took the file's place since it was judged, or changed it, is left as it is, and so is the file.
    if (Status same = stillTheSame(home, target.name, verdict.stamp); !same.ok())
        return resultOf(std::move(same));
    return resultOf(staged.publishOver(target.name));
}

// A file that changed while it was being saved is judged again from the start. Some file systems give a file a new
// number a moment after it was written (rclone, once its cache has taken the write), so a quick second save may meet
// that once; a name that keeps changing is refused.
ReplaceResult replaceTrying(const Folder& folder, const std::string& name, std::string_view bytes, FileAccess access,
                            const std::optional<FileVersion>* read) {
    ReplaceResult result;
    for (int attempt = 0; attempt < kReplaceTries; ++attempt) {
        result = replaceOnce(folder, name, bytes, access, read);
        if (result.status.error != EAGAIN)
            break;
    }
    return result;
}

} // namespace

Status replaceFile(const Folder& folder, const std::string& name, std::string_view bytes, FileAccess access) {
    return replaceTrying(folder, name, bytes, access, nullptr).status;
}

ReplaceResult replaceVersion(const Folder& folder, const std::string& name, std::string_view bytes,
                             const std::optional<FileVersion>& read) {
    return replaceTrying(folder, name, bytes, FileAccess::Shared, &read);
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
