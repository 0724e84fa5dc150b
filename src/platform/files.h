#pragma once
// File operations on resolved (POSIX) paths: the existence test, deletion, folders and safe writes.

#include <string>
#include <string_view>

#include "platform/status.h"

namespace qb::platform {

/** Whether an ordinary, visible file exists at the path: folders and names starting with "." do not count. */
[[nodiscard]] bool fileExists(const std::string& path);

/** Whether a folder exists at the path. */
[[nodiscard]] bool directoryExists(const std::string& path);

/** Deletes one file. */
[[nodiscard]] Status removeFile(const std::string& path);

/** Creates one folder (its parent must exist). */
[[nodiscard]] Status makeDirectory(const std::string& path);

/** Creates a folder and any missing parents. */
[[nodiscard]] Status makeDirectories(const std::string& path);

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

/**
 * Writes a whole file so that a crash or a failure never leaves it half-written: a hidden temporary file in the
 * same folder is written, flushed to disk and renamed over the target, then the folder is flushed. On failure
 * the old file is untouched and the temporary file is gone.
 */
[[nodiscard]] Status writeFileAtomically(const std::string& path, std::string_view bytes, WriteMode mode,
                                         FileAccess access = FileAccess::Shared);

/**
 * Creates a file that does not exist yet and writes the bytes, every call checked; used for probe files only. A name
 * that is taken by anything (a file, a folder, a link) fails with EEXIST and is left as it is; a file that this call
 * created but could not write is deleted again.
 */
[[nodiscard]] Status createNewFile(const std::string& path, std::string_view bytes);

/** A file created under a name of its own. */
struct [[nodiscard]] CreatedFile {
    Status status;
    std::string path; ///< the file's path, when status is ok
};

/**
 * Creates a hidden file in the folder, named "." + stem + "." and six random characters, under a name that nothing
 * has yet (created exclusively, another name tried on a clash), and writes the bytes as createNewFile() does.
 */
[[nodiscard]] CreatedFile createHiddenFile(const std::string& folder, std::string_view stem, std::string_view bytes);

/** Reads a whole file of at most maxBytes; EFBIG when it is larger. */
[[nodiscard]] Status readWholeFile(const std::string& path, std::string& bytes, std::size_t maxBytes);

} // namespace qb::platform
