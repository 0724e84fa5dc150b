#include "temp_dir.h"

#include <acl/libacl.h>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/acl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qb::test {

bool setAcl(const std::string& path, int type, const char* text) {
    const acl_t acl = acl_from_text(text);
    const bool set = acl && acl_set_file(path.c_str(), static_cast<acl_type_t>(type), acl) == 0;
    acl_free(acl);
    return set;
}

std::string accessAcl(const std::string& path) {
    const acl_t acl =
        acl_extended_file_nofollow(path.c_str()) == 1 ? acl_get_file(path.c_str(), ACL_TYPE_ACCESS) : nullptr;
    char* text = acl ? acl_to_any_text(acl, nullptr, ',', TEXT_NUMERIC_IDS) : nullptr;
    std::string kept = text ? text : "";
    acl_free(text);
    acl_free(acl);
    return kept;
}

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quillbox-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        ADD_FAILURE() << "cannot create a temporary folder";
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    // Folders a test made read-only must be writable again before they can go.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
        if (it->is_directory(ignored) && !it->is_symlink(ignored))
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ignored);
    }
    std::filesystem::remove_all(path_, ignored);
}

void writeFile(const std::string& path, std::string_view bytes) {
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        ADD_FAILURE() << "cannot write " << path;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        ADD_FAILURE() << "cannot read " << path;
        return {};
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::vector<std::string> listFolder(const std::string& path) {
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(path, ignored))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> hiddenNames(const std::string& folder) {
    std::vector<std::string> hidden = listFolder(folder);
    std::erase_if(hidden, [](const std::string& name) { return name[0] != '.'; });
    return hidden;
}

unsigned modeOf(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_mode : 0;
}

std::string folderFingerprint(const std::string& root) {
    std::ostringstream out;
    std::vector<std::filesystem::path> paths{root};
    std::error_code ignored; // a root that does not exist has only itself, missing
    for (auto it = std::filesystem::recursive_directory_iterator(root, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored))
        paths.push_back(it->path());
    std::sort(paths.begin(), paths.end());
    for (const auto& path : paths) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) {
            out << path.string() << " missing\n";
            continue;
        }
        out << path.string() << ' ' << st.st_mode << ' ' << st.st_size << ' ' << st.st_mtim.tv_sec << '.'
            << st.st_mtim.tv_nsec << ' ' << st.st_ctim.tv_sec << '.' << st.st_ctim.tv_nsec;
        if (S_ISLNK(st.st_mode))
            out << " -> " << std::filesystem::read_symlink(path).string();
        else if (S_ISREG(st.st_mode) && ::access(path.c_str(), R_OK) == 0)
            out << " #" << std::hash<std::string>{}(readFile(path.string()));
        out << '\n';
    }
    return out.str();
}

} // namespace qb::test
