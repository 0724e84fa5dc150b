#include "fuzz_support.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace qb::fuzz {
namespace {

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

platform::LocalDateTime momentFrom(std::string_view b) {
    const auto at = [&](std::size_t i) { return i < b.size() ? static_cast<unsigned char>(b[i]) : 0; };
    return {2000 + at(0) % 60, 1 + at(1) % 12, 1 + at(2) % 28, at(3) % 24, at(4) % 60, at(5) % 60};
}

store::Record recordFrom(std::string_view bytes) {
    auto [date, text] = splitAt(bytes, '\n');
    store::Record record{std::string(date.substr(0, 8)), std::string(text)};
    for (std::string* field : {&record.reminderDate, &record.text})
        std::replace(field->begin(), field->end(), '"', '\'');
    return record;
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
