#pragma once
// Following symbolic links as safe writes do: only a link the user made is followed, and every entry on the way is
// judged through a descriptor of its own, so an entry swapped for another after it was opened is not the one judged.

#include <optional>
#include <string>
#include <sys/stat.h>

#include "platform/descriptor.h"
#include "platform/file_version.h"
#include "platform/folder.h"
#include "platform/status.h"

namespace qb::platform {

/** An entry of a folder opened as it is, without following it when it is a link (O_PATH | O_NOFOLLOW): what it is,
 *  its owner and, for a link, the path it holds are all read through this one descriptor. */
class OpenedEntry {
public:
    /** Opens the entry name of an open folder; status() tells why not. */
    OpenedEntry(int folder, const std::string& name);

    /** Success, or why the entry could not be opened. */
    [[nodiscard]] const Status& status() const { return status_; }
    /** The entry's own stat. */
    [[nodiscard]] const struct stat& info() const { return st_; }
    /** Whether the entry is a symbolic link. */
    [[nodiscard]] bool isLink() const { return S_ISLNK(st_.st_mode); }
    /** The O_PATH descriptor. */
    [[nodiscard]] int descriptor() const { return fd_.get(); }
    /** The path a link holds. */
    [[nodiscard]] Status readLink(std::string& path) const;

private:
    Descriptor fd_;
    struct stat st_ {};
    Status status_;
};

/** Where a name leads through the user's own symbolic links: the folder that holds the file (nothing: the starting
 *  folder), its name there and, when it exists, which file it is; and what the name itself held. */
struct LinkTarget {
    std::optional<Folder> folder;
    std::string name;
    std::optional<FileId> file;
    Status status;                    ///< a link another user made, one that leads nowhere, or to a folder (EISDIR)
    std::optional<struct stat> entry; ///< the name's own entry, when there was one
};

/** Follows name of start through links as far as an entry that is no link (or nothing). */
[[nodiscard]] LinkTarget followLinks(const Folder& start, const std::string& name);

} // namespace qb::platform
