#pragma once
// Drive-letter paths on Linux: drive X: is the folder drive_x under the Quillbox home, and every component of a
// path is matched against what exists without regard to letter case, so c:\quill and C:\QUILL name one folder.

#include <string>
#include <string_view>

namespace qb::platform {

/** Maps the program's paths (Windows-1252 text with drive letters and backslashes) onto the Linux file system. */
class DriveMap {
public:
    /** home holds the drive folders; workingDir anchors relative paths. Both are POSIX paths. */
    DriveMap(std::string home, std::string workingDir);

    /** The process's current working directory. */
    [[nodiscard]] static std::string currentWorkingDirectory();

    /** Creates the home and its drive_c folder when they are missing; false when that fails. */
    [[nodiscard]] bool ensureDriveC() const;

    /**
     * The POSIX path for a program path. "X:\a" lies in the folder of drive X, "\a" on drive C, "/a" stands as it
     * is, anything else is relative to the working directory; "\" and "/" both separate components. Each existing
     * component is found whatever its letter case (the exact spelling first); a missing one keeps its spelling.
     */
    [[nodiscard]] std::string resolve(std::string_view path) const;

    /** The folder that holds the drive folders. */
    const std::string& home() const { return home_; }
    /** The folder relative paths start from. */
    const std::string& workingDirectory() const { return workingDir_; }

private:
    std::string home_;
    std::string workingDir_;
};

/** Splits a program path at its last separator into the folder part and the final name; the folder part of a
 *  bare name is empty, and that of "\name" is "\". */
[[nodiscard]] std::pair<std::string, std::string> splitLastComponent(std::string_view path);

} // namespace qb::platform
