#pragma once
// Helpers of the fuzz targets: a failed property stops the run (so libFuzzer keeps the input), files in memory for
// the readers that take a path, and a private scratch folder on a RAM disk for the writers.

#include <string>
#include <string_view>
#include <vector>

namespace qb::fuzz {

/** Reports a property that does not hold and aborts, so libFuzzer saves the input that broke it. */
[[noreturn]] void fail(std::string_view property, std::string_view detail = {});

/** Fails with the property's text unless it holds. */
inline void check(bool holds, std::string_view property, std::string_view detail = {}) {
    if (!holds)
        fail(property, detail);
}

/** A file that lives in memory only; path() opens it afresh from its first byte, as any file path does. */
class MemoryFile {
public:
    MemoryFile();
    ~MemoryFile();
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    /** Replaces the whole content. */
    void set(std::string_view bytes);
    /** A path that names the file. */
    const std::string& path() const { return path_; }

private:
    int fd_ = -1;
    std::string path_;
};

/** A folder for this process only, on /dev/shm when there is one, created once and removed at exit. */
const std::string& scratchFolder();

/** Creates a folder (and its parents) inside the scratch folder; its path. */
std::string makeScratchSubfolder(const std::string& name);

/** Writes bytes to a file, replacing it. */
void putFile(const std::string& path, std::string_view bytes);

/** The bytes of a file. */
std::string fileBytes(const std::string& path);

/** The names in a folder, sorted, hidden ones included. */
std::vector<std::string> folderNames(const std::string& path);

/** Deletes every file directly in a folder. */
void emptyFolder(const std::string& path);

/** The input cut at its first byte equal to separator; the rest follows the separator (or is empty). */
std::pair<std::string_view, std::string_view> splitAt(std::string_view input, char separator);

} // namespace qb::fuzz
