#pragma once
// A temporary folder for one test, removed with everything in it when the test ends.

#include <string>
#include <string_view>
#include <vector>

namespace qb::test {

/** A fresh folder under the system's temporary folder; removed recursively on destruction. */
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    /** The folder's POSIX path. */
    const std::string& path() const { return path_; }
    /** A path inside the folder. */
    std::string operator/(std::string_view name) const { return path_ + "/" + std::string(name); }

private:
    std::string path_;
};

/** Writes bytes to a file (creating parent folders), failing the test when that does not work. */
void writeFile(const std::string& path, std::string_view bytes);

/** The bytes of a file; fails the test when it cannot be read. */
std::string readFile(const std::string& path);

/** The names in a folder, sorted, hidden ones included. */
std::vector<std::string> listFolder(const std::string& path);

/** The hidden names in a folder (a dot first, as a safe write's temporary files), sorted. */
std::vector<std::string> hiddenNames(const std::string& folder);

/** The mode of what stands at a path, a link itself and not what it leads to; 0 when nothing does. */
unsigned modeOf(const std::string& path);

/** Everything a change on disk would alter, for the folder and all below it: each entry's name, type, mode, size,
 *  times of change, link target and the bytes of its file; a folder that does not exist is named missing. */
std::string folderFingerprint(const std::string& root);

/** Gives a file or folder an ACL (ACL_TYPE_ACCESS or ACL_TYPE_DEFAULT) from its text form; false when it cannot. */
bool setAcl(const std::string& path, int type, const char* text);

/** A file's access ACL in its long text form with numeric ids, "user::rw-,user:1002:r--,group::r--,...", or empty
 *  when the mode says it all. */
std::string accessAcl(const std::string& path);

} // namespace qb::test
