#pragma once
// File operations on resolved (POSIX) paths: the existence test, deletion, folders and whole-file reads. Safe writes
// are in safe_write.h.

#include <string>
#include <string_view>
#include <utility>

#include "platform/status.h"

namespace qb::platform {

/** A path's folder ("." for a bare name) and its last name. */
[[nodiscard]] std::pair<std::string, std::string> splitPath(const std::string& path);

/** Whether an ordinary, visible file exists at the path: folders and names starting with "." do not count. */
[[nodiscard]] bool fileExists(const std::string& path);

/** Whether a folder exists at the path. */
[[nodiscard]] bool directoryExists(const std::string& path);

/** Deletes one file through its folder, as Folder::remove() does: a symbolic link only when it is the user's own and
 *  leads to a file. */
[[nodiscard]] Status removeFile(const std::string& path);

/** Creates one of the program's own folders (its parent must exist), private to the user (0700), as the XDG rules
 *  ask of data folders. */
[[nodiscard]] Status makeDirectory(const std::string& path);

/** Creates a folder and any missing parents, each as makeDirectory() does; folders that exist keep their mode. */
[[nodiscard]] Status makeDirectories(const std::string& path);

/** Reads a whole file of at most maxBytes; EFBIG when it is larger. */
[[nodiscard]] Status readWholeFile(const std::string& path, std::string& bytes, std::size_t maxBytes);

} // namespace qb::platform
