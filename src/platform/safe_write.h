#pragma once
// Safe writes: a file is written into a hidden temporary file beside it, flushed to the disk and renamed into place,
// so a crash or a failure never leaves it half-written, a new file never replaces one that exists, and a file read
// to be changed is replaced only while its name still holds the version read. This holds on every file system a
// desktop mounts: where one lacks a feature (modes, links, ACLs, an exclusive rename), the write goes on without it.

#include <optional>
#include <string>
#include <string_view>

#include "platform/file_version.h"
#include "platform/folder.h"
#include "platform/staged_file.h"
#include "platform/status.h"

namespace qb::platform {

/** How a safe write treats an existing file of the same name. */
enum class WriteMode {
    Replace,   ///< the new content replaces the old one in a single rename
    CreateNew, ///< fail with EEXIST rather than touch an existing file
};

/**
 * Replaces the file name of folder (or creates it) with bytes in one safe write. A name that is a symbolic link is
 * written through it: the temporary file goes into the folder of the file it leads to and is renamed onto that
 * file, so the link stays. The new file keeps the old one's permissions, and its owner and group where the process
 * may set them (OwnerOnly never gives more than 0600), and no ACL. A file this process may not write, or that nobody
 * may write, is refused with the reason and left as it is; so is anything but an ordinary file, and a link that
 * another user made.
 */
[[nodiscard]] Status replaceFile(const Folder& folder, const std::string& name, std::string_view bytes,
                                 FileAccess access = FileAccess::Shared);

/** The result of replacing the version of a file that was read. */
struct [[nodiscard]] ReplaceResult {
    /** What the replace did. */
    enum class Kind {
        Replaced, ///< the name holds the new bytes
        Changed,  ///< the name holds another version than the one read, which was left as it is
        Failed,   ///< nothing was written; status says why
    };
    Kind kind = Kind::Failed;
    Status status; ///< the reason of a failure
    [[nodiscard]] bool ok() const { return kind == Kind::Replaced; }
};

/**
 * Replaces the version read (readVersion()) of the file name of folder with bytes, in one safe write, as
 * replaceFile() does, but only while the name holds that version: the entry and the file read, with the bytes read;
 * or, where a file system gives a written file a new number, an ordinary file with exactly the bytes read. Anything
 * else is another version, made elsewhere, and stays (Changed). A name that holds nothing is written: with the rights
 * of the version read, or for the user alone when the version is unknown (nothing), which replaces nothing. The new
 * file has the version's permissions, group and ACL, never more.
 */
[[nodiscard]] ReplaceResult replaceVersion(const Folder& folder, const std::string& name, std::string_view bytes,
                                           const std::optional<FileVersion>& read);

/** A safe write of the file at a POSIX path: replaceFile() for Replace, StagedFile::publishNew() for CreateNew. */
[[nodiscard]] Status writeFileAtomically(const std::string& path, std::string_view bytes, WriteMode mode,
                                         FileAccess access = FileAccess::Shared);

} // namespace qb::platform
