#include "platform/files.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/folder.h"
#include "platform/read_only_file.h"

namespace qb::platform {

std::pair<std::string, std::string> splitPath(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return {".", path};
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

bool fileExists(const std::string& path) {
    const auto slash = path.find_last_of('/');
    const std::size_t name = slash == std::string::npos ? 0 : slash + 1;
    if (name >= path.size() || path[name] == '.')
        return false;
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool directoryExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

Status removeFile(const std::string& path) {
    const auto [parent, name] = splitPath(path);
    const Folder folder(parent);
    if (!folder.status().ok())
        return Status::failure(folder.status().error, "delete");
    return folder.remove(name);
}

Status makeDirectory(const std::string& path) {
    if (::mkdir(path.c_str(), 0700) != 0)
        return Status::failure(errno, "create folder");
    return {};
}

Status makeDirectories(const std::string& path) {
    if (path.empty() || directoryExists(path))
        return {};
    const std::string parent = splitPath(path).first;
    if (parent != path) {
        Status up = makeDirectories(parent);
        if (!up.ok())
            return up;
    }
    Status made = makeDirectory(path);
    if (!made.ok() && made.error == EEXIST && directoryExists(path))
        return {};
    return made;
}

Status readWholeFile(const std::string& path, std::string& bytes, std::size_t maxBytes) {
    bytes.clear();
    ReadOnlyFile file = ReadOnlyFile::open(path);
    return file.ok() ? file.readAll(bytes, maxBytes) : file.status();
}

} // namespace qb::platform
