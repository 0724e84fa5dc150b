#pragma once
// A file's version: which entry and which file a name held when the file was read, who could do what with it, and
// the bytes read; so that a later replace can tell whether the name still holds what was read.

#include <cstddef>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>

#include "platform/folder.h"
#include "platform/status.h"

namespace qb::platform {

/** The identity of a file or link: the same inode on the same device. */
struct FileId {
    dev_t device = 0;
    ino_t inode = 0;
    friend bool operator==(const FileId&, const FileId&) = default;
};

/** A file or link as it stood at a moment: which one it is, and when its inode last changed, so that another file
 *  that was given the same number since (a number freed is soon given again) or the same file written in place since
 *  is not taken for it. */
struct FileStamp {
    FileId id;
    long long changedSeconds = 0;
    long changedNanoseconds = 0;
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

/** The identity of what a stat() describes. */
[[nodiscard]] FileId idOf(const struct stat& st);
/** The stamp of what a stat() describes. */
[[nodiscard]] FileStamp stampOf(const struct stat& st);

/** Who may do what with a file: its permission bits, owner and group, and its access ACL. */
struct Rights {
    unsigned permissions = 0; ///< the mode's permission bits
    unsigned owner = 0;
    unsigned group = 0;
    std::optional<std::string> acl; ///< the access ACL (numeric ids); nothing when the mode says it all
};

/** The rights of a file that the user alone may read and write: 0600, no ACL, the user's own. */
[[nodiscard]] Rights privateRights();

/** A file as it was read through a name of a folder: the entry the name held (the file itself, or a link), the
 *  ordinary file the bytes came from, its rights, and the bytes. */
struct FileVersion {
    FileStamp entry;
    FileStamp file;
    Rights rights;
    std::string bytes;
};

/** A file read whole, with its version. */
struct [[nodiscard]] VersionRead {
    Status status; ///< why the file could not be read; EINVAL for anything but an ordinary file, EFBIG when too large
    FileVersion version;
    [[nodiscard]] bool ok() const { return status.ok(); }
};

/** Reads an ordinary file of a folder whole (at most maxBytes) without ever waiting on a pipe or a device, with its
 *  version: the entry, the file and its rights are all judged through the descriptors the bytes came from. */
[[nodiscard]] VersionRead readVersion(const Folder& folder, const std::string& name, std::size_t maxBytes);

} // namespace qb::platform
