#pragma once
// Wildcard listing of a folder's ordinary files, handed out one name at a time from one open listing.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace qb::platform {

/**
 * Whether a file name matches a wildcard pattern (both Windows-1252): "*" matches any run, the empty one
 * included, "?" any one character, letters match without regard to case, and a pattern ending in ".*" also
 * matches a name without that dot, so "*.*" matches every name.
 */
[[nodiscard]] bool wildcardMatch(std::string_view pattern, std::string_view name);

/** The name a folder entry (as the file system spells it, UTF-8) is listed under, as Windows-1252 text; nothing for
 *  an entry that is never listed: a hidden name (starting with "."), one that is no plain file name (a backslash in
 *  it, see isPlainFileName()) and one that the code page cannot hold, since no program path could name it. */
[[nodiscard]] std::optional<std::string> listedName(std::string_view entry);

/** A listed name (Windows-1252) as the folder spells it (UTF-8), for opening it: the inverse of listedName(). */
[[nodiscard]] std::string diskName(const std::string& listedName);

/** The ordinary files of one folder whose names match a pattern, in the order the folder yields them. Folders
 *  and names starting with "." are never listed; a symbolic link counts when it leads to an ordinary file. */
class WildcardListing {
public:
    /** Opens the listing of a POSIX folder; a missing or unreadable folder gives an empty listing. */
    WildcardListing(const std::string& folder, std::string pattern);
    ~WildcardListing();
    WildcardListing(WildcardListing&&) noexcept;
    WildcardListing& operator=(WildcardListing&&) noexcept;

    /** The next matching name, as Windows-1252 text, or nothing when the listing is used up. Names that
     *  listedName() does not list are passed over. */
    [[nodiscard]] std::optional<std::string> next();
    /** The inode number of the file next() gave last: on a local disk, files of neighbouring inodes lie together. */
    [[nodiscard]] std::uint64_t lastInode() const;
    /** How many of the folder's entries the listing has read so far, listed or passed over. */
    [[nodiscard]] std::uint64_t entriesRead() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace qb::platform
