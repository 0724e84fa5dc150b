#pragma once
// A folder held open by its descriptor. Every file operation names a file inside it by its exact name, relative to
// the descriptor, so a name can never reach outside the folder and the folder cannot change under the operation.

#include <string>
#include <string_view>

#include "platform/descriptor.h"
#include "platform/status.h"

namespace qb::platform {

/** Whether a name (Windows-1252) can only name a file directly inside a folder: not empty, not "." or "..", and
 *  holding no "\", "/" or NUL byte. Files are opened by this exact name inside their folder, so "a..b" is a name
 *  like any other; a backslash would be a folder's separator in a program path, and Windows never wrote one. */
[[nodiscard]] bool isPlainFileName(std::string_view name);

/** A file this process created in a folder. */
struct [[nodiscard]] NewFile {
    Status status;
    std::string name; ///< the file's name in the folder, when status is ok
    Descriptor fd;    ///< open for writing when createHiddenFile() made it
};

/** How a process holds a folder's advisory lock (flock) until it closes the folder. */
enum class FolderLock {
    Shared,          ///< writers of the folder's files; waits a moment for a holder of the exclusive lock
    ExclusiveIfFree, ///< a clean-up of what writers leave behind, only while no writer holds the lock
};

/** An open folder; the files in it are reached by name through its descriptor. */
class Folder {
public:
    /** Opens a folder (POSIX path); status() tells why when it cannot be opened. */
    explicit Folder(const std::string& path);
    /** Opens a folder given relative to another one (or as an absolute path). */
    Folder(const Folder& base, const std::string& path);
    /** Opens the very folder that a descriptor opened with O_PATH stands for, whatever its name names now. */
    [[nodiscard]] static Folder within(int pathDescriptor);
    ~Folder() = default;
    Folder(Folder&& other) noexcept = default;
    Folder& operator=(Folder&& other) noexcept = default;
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;

    /** Success, or why the folder could not be opened. */
    [[nodiscard]] const Status& status() const { return status_; }
    /** The open descriptor, or -1. */
    [[nodiscard]] int descriptor() const { return fd_.get(); }

    /** Whether an ordinary, visible file (a link to one counts) has exactly this name in the folder. */
    [[nodiscard]] bool holdsFile(const std::string& name) const;
    /** Deletes the name from the folder: a symbolic link itself, whoever made it, never what it leads to. */
    [[nodiscard]] Status remove(const std::string& name) const;
    /** Creates a file under a name that nothing has yet and writes the bytes, every call checked; used for probe
     *  files. A taken name (a file, a folder, a link) fails with EEXIST and is left as it is; a file that this call
     *  created but could not write is deleted again. */
    [[nodiscard]] Status createNew(const std::string& name, std::string_view bytes) const;
    /** Creates a hidden file as createHiddenFile() does and writes the bytes as createNew() does; it is closed. */
    [[nodiscard]] NewFile createHidden(std::string_view stem, std::string_view bytes) const;
    /** Flushes the folder's entries to the disk, as syncChecked() does. */
    [[nodiscard]] Status sync() const;
    /** Takes the folder's advisory lock, held until this object closes the folder or its process ends. EWOULDBLOCK
     *  when another process holds it; the file system's error (ENOLCK, EOPNOTSUPP, ...) when it keeps no locks. */
    [[nodiscard]] Status lock(FolderLock kind) const;

private:
    Folder() = default;

    Descriptor fd_;
    Status status_;
};

/** Creates a hidden file named "." + stem + "." and six random letters or digits, under a name that nothing has yet
 *  (created exclusively, another name tried on a clash), with the given permissions less the umask, and leaves it
 *  open for writing. */
[[nodiscard]] NewFile createHiddenFile(const Folder& folder, std::string_view stem, unsigned permissions);

/** Whether a name is one that createHiddenFile() gives for a stem, the stem's letter case aside. */
[[nodiscard]] bool isHiddenFileNameOf(std::string_view name, std::string_view stem);

/** Flushes a descriptor's file to the disk; a file system without fsync (EINVAL, ENOSYS, ENOTSUP) counts as
 *  flushed. action names the step in a failure. */
[[nodiscard]] Status syncChecked(int fd, const char* action);

/** Writes all bytes to a descriptor, retrying short counts and interruptions. */
[[nodiscard]] Status writeAll(int fd, std::string_view bytes);

/** Closes a descriptor, reporting a failure (a delayed write error on a network file system, say). */
[[nodiscard]] Status closeChecked(Descriptor fd);

} // namespace qb::platform
