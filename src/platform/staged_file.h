#pragma once
// The staged file of a safe write: the new bytes in a hidden temporary file beside the name they are for, written,
// given their rights and flushed to the disk before anything is renamed; and the clean-up of what a crash left.

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_version.h"
#include "platform/folder.h"
#include "platform/status.h"

namespace qb::platform {

/** Who may read a written file that keeps no other file's rights. */
enum class FileAccess {
    Shared,    ///< the usual 0666 less the umask
    OwnerOnly, ///< 0600, for secrets
};

/**
 * The bytes of a file to be: a hidden temporary file of a folder, named after the stem, written and flushed to the
 * disk when it is made. publishNew() puts it in place under a name; until then the destructor removes it again.
 */
class StagedFile {
public:
    /** Writes bytes into a new temporary file of folder, readable as access says, or with the rights keep gives where
     *  the file system holds them and the process may set them, never with more: it gets them before a byte is
     *  written, and an ACL only when keep has one. */
    StagedFile(const Folder& folder, std::string_view stem, std::string_view bytes, FileAccess access,
               const std::optional<Rights>& keep = std::nullopt);
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

/** Removes from a folder the temporary files that safe writes of the named files left behind when they were cut
 *  short (a crash between the temporary file's creation and its rename): ordinary files named exactly as a StagedFile
 *  of one of those names is, last changed at least olderThan ago. Nothing else is touched. The number removed. */
int removeStagedLeftovers(const Folder& folder, const std::vector<std::string>& names,
                          std::chrono::seconds olderThan = std::chrono::seconds{0});

} // namespace qb::platform
