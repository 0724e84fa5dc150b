#pragma once
// Safe writes: a file is written into a hidden temporary file beside it, flushed to the disk and renamed into place,
// so a crash or a failure never leaves it half-written, and a new file never replaces one that exists. This holds on
// every file system a desktop mounts: where one lacks a feature (modes, links, an exclusive rename), the write goes
// on without it.

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/folder.h"
#include "platform/status.h"

namespace qb::platform {

/** How a safe write treats an existing file of the same name. */
enum class WriteMode {
    Replace,   ///< the new content replaces the old one in a single rename
    CreateNew, ///< fail with EEXIST rather than touch an existing file
};

/** Who may read the written file. */
enum class FileAccess {
    Shared,    ///< the usual 0666 less the umask
    OwnerOnly, ///< 0600, for secrets
};

/** The permissions, owner and group of a file that is replaced, which the new file keeps. */
struct Ownership {
    unsigned permissions = 0; ///< the mode's permission bits
    unsigned owner = 0;
    unsigned group = 0;
};

/**
 * The bytes of a file to be: a hidden temporary file of a folder, named after the stem, written and flushed to the
 * disk when it is made. publishNew() puts it in place under a name; until then the destructor removes it again.
 */
class StagedFile {
public:
    /** Writes bytes into a new temporary file of folder, readable as access says, or with the permissions, owner and
     *  group of keep where the file system holds them and the process may set them. */
    StagedFile(const Folder& folder, std::string_view stem, std::string_view bytes, FileAccess access,
               const std::optional<Ownership>& keep = std::nullopt);
    ~StagedFile();
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    /** Success, or why the temporary file could not be made. */
    [[nodiscard]] const Status& status() const { return status_; }

    /**
     * Puts the file in place under a name that nothing has, then flushes the folder; EEXIST when the name is taken,
     * which is left as it is. The step that refuses to replace decides, never a check before it, so this holds also
     * against another machine that shares the folder: renameat2() with RENAME_NOREPLACE, else a hard link, else an
     * exclusive create of the name (a reservation) that the rename then replaces. A failure leaves neither the
     * reservation nor, once this object is gone, the temporary file.
     */
    [[nodiscard]] Status publishNew(const std::string& name);

    /** Puts the file in place of whatever has the name, in one rename, then flushes the folder. */
    [[nodiscard]] Status publishOver(const std::string& name);

private:
    [[nodiscard]] Status publishOverReservation(const std::string& name);

    const Folder& folder_;
    std::string temporary_;
    Status status_;
    bool published_ = false;
    bool noReplaceRenameMissing_ = false; // learnt once per file: the file system has no RENAME_NOREPLACE
    bool linkMissing_ = false;            // nor hard links
};

/**
 * Replaces the file name of folder (or creates it) with bytes in one safe write. A name that is a symbolic link is
 * written through it: the temporary file goes into the folder of the file it leads to and is renamed onto that
 * file, so the link stays. The new file keeps the old one's permissions, and its owner and group where the process
 * may set them (OwnerOnly never gives more than 0600). A file this process may not write, or that nobody may write,
 * is refused with the reason and left as it is; so is anything but an ordinary file.
 */
[[nodiscard]] Status replaceFile(const Folder& folder, const std::string& name, std::string_view bytes,
                                 FileAccess access = FileAccess::Shared);

/** A safe write of the file at a POSIX path: replaceFile() for Replace, StagedFile::publishNew() for CreateNew. */
[[nodiscard]] Status writeFileAtomically(const std::string& path, std::string_view bytes, WriteMode mode,
                                         FileAccess access = FileAccess::Shared);

/** Removes from a folder the temporary files that safe writes of the named files left behind when they were cut
 *  short (a crash between the temporary file's creation and its rename): ordinary files named exactly as a StagedFile
 *  of one of those names is, last changed at least olderThan ago. Nothing else is touched. The number removed. */
int removeStagedLeftovers(const Folder& folder, const std::vector<std::string>& names,
                          std::chrono::seconds olderThan = std::chrono::seconds{0});

} // namespace qb::platform
