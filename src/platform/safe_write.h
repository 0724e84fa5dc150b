#pragma once
// Safe writes: a file is written into a hidden temporary file beside it, flushed to the disk and renamed into place,
// so a crash or a failure never leaves it half-written, and a new file never replaces one that exists. This holds on
// every file system a desktop mounts: where one lacks a feature (modes, links, an exclusive rename), the write goes
// on without it.

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
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

/** The identity of a file or link: the same inode on the same device. */
struct FileId {
    dev_t device = 0;
    ino_t inode = 0;
    friend bool operator==(const FileId&, const FileId&) = default;
};

/** A file or link as it stood at a moment: which one it is, and when its inode last changed, so that another file
 *  that was given the same number since (a number freed is soon given again) is not taken for it. */
struct FileStamp {
    FileId id;
    long long changedSeconds = 0;
    long changedNanoseconds = 0;
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

/**
 * What a name held when a file was read through it, for a resave of what was read: the entry itself (an ordinary
 * file or a link) and the ordinary file it led to, with that file's permissions, owner and group. In a folder whose
 * members may rename each other's files, who owns what stands at a name says nothing of who put it there; so a
 * resave replaces only this, or an ordinary file of the user's own that took its place since.
 */
struct Recalled {
    std::optional<FileStamp> entry; ///< nothing: the name held nothing when it was read
    std::optional<FileStamp> file;  ///< the ordinary file read, the entry itself or where its links led
    Ownership ownership;            ///< file's permissions, owner and group when it was read
};

/** A file read whole through a name of a folder, with what the name held then. */
struct [[nodiscard]] RecalledRead {
    Status status; ///< why the file could not be read; EINVAL for anything but an ordinary file, EFBIG when too large
    std::string bytes;
    Recalled recalled;
    [[nodiscard]] bool ok() const { return status.ok(); }
};

/** Reads an ordinary file of a folder whole (at most maxBytes) without ever waiting on a pipe or a device, and tells
 *  which entry and file held the bytes read: both are judged through the descriptors the bytes came from. */
[[nodiscard]] RecalledRead readRecalled(const Folder& folder, const std::string& name, std::size_t maxBytes);

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
    [[nodiscard]] Status placed(const std::string& name);

    const Folder& folder_;
    std::string bytes_; // what was written, to know the file again after its rename
    FileId written_;    // the temporary file, to know it again after its rename
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
 *
 * Given what the name held when its content was read (readRecalled()), only that is replaced, or an ordinary file
 * of the user's own that has taken its place since; anything else (a link that was not there, another user's file)
 * is refused with EPERM and left as it is, and the new file never gives more access than the one read did.
 */
[[nodiscard]] Status replaceFile(const Folder& folder, const std::string& name, std::string_view bytes,
                                 FileAccess access = FileAccess::Shared,
                                 const std::optional<Recalled>& recalled = std::nullopt);

/** A safe write of the file at a POSIX path: replaceFile() for Replace, StagedFile::publishNew() for CreateNew. */
[[nodiscard]] Status writeFileAtomically(const std::string& path, std::string_view bytes, WriteMode mode,
                                         FileAccess access = FileAccess::Shared);

/** Removes from a folder the temporary files that safe writes of the named files left behind when they were cut
 *  short (a crash between the temporary file's creation and its rename): ordinary files named exactly as a StagedFile
 *  of one of those names is, last changed at least olderThan ago. Nothing else is touched. The number removed. */
int removeStagedLeftovers(const Folder& folder, const std::vector<std::string>& names,
                          std::chrono::seconds olderThan = std::chrono::seconds{0});

} // namespace qb::platform
