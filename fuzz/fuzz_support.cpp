#include "fuzz_support.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/mman.h>
#include <unistd.h>

namespace qb::fuzz {
namespace {

void writeAllTo(int fd, std::string_view bytes, const std::string& what) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            fail("the fuzz harness can write its files", what);
        done += static_cast<std::size_t>(n);
    }
}

struct Scratch {
    std::string path;
    Scratch() {
        const std::string base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
        std::string pattern = base + "/quillbox-fuzz-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            fail("the fuzz harness can make its scratch folder", pattern);
        path = pattern;
    }
    ~Scratch() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

} // namespace

void fail(std::string_view property, std::string_view detail) {
    std::fprintf(stderr, "\n*** property failed: %.*s\n", static_cast<int>(property.size()), property.data());
    if (!detail.empty())
        std::fprintf(stderr, "*** detail: %.*s\n", static_cast<int>(detail.size()), detail.data());
    std::abort();
}

MemoryFile::MemoryFile() {
    fd_ = ::memfd_create("quillbox-fuzz", MFD_CLOEXEC);
    if (fd_ < 0)
        fail("the fuzz harness can make a file in memory");
    path_ = "/proc/self/fd/" + std::to_string(fd_);
}

MemoryFile::~MemoryFile() {
    ::close(fd_);
}

void MemoryFile::set(std::string_view bytes) {
    if (::ftruncate(fd_, 0) != 0 || ::lseek(fd_, 0, SEEK_SET) != 0)
        fail("the fuzz harness can empty its file in memory");
    writeAllTo(fd_, bytes, path_);
}

const std::string& scratchFolder() {
    static const Scratch scratch;
    return scratch.path;
}

std::string makeScratchSubfolder(const std::string& name) {
    const std::string path = scratchFolder() + "/" + name;
    std::error_code error;
    std::filesystem::create_directories(path, error);
    if (error)
        fail("the fuzz harness can make a folder", path);
    return path;
}

void putFile(const std::string& path, std::string_view bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        fail("the fuzz harness can create a file", path);
    writeAllTo(fd, bytes, path);
    ::close(fd);
}

std::string fileBytes(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        fail("the fuzz harness can open a file", path);
    std::string bytes;
    char buffer[65536];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        bytes.append(buffer, static_cast<std::size_t>(n));
    ::close(fd);
    return bytes;
}

std::vector<std::string> folderNames(const std::string& path) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(path.c_str());
    if (!dir)
        fail("the fuzz harness can list a folder", path);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

void emptyFolder(const std::string& path) {
    for (const std::string& name : folderNames(path))
        ::unlink((path + "/" + name).c_str());
}

std::pair<std::string_view, std::string_view> splitAt(std::string_view input, char separator) {
    const std::size_t at = input.find(separator);
    if (at == std::string_view::npos)
        return {input, {}};
    return {input.substr(0, at), input.substr(at + 1)};
}

} // namespace qb::fuzz
