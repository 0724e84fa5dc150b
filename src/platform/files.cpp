#include "platform/files.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    if (::unlink(path.c_str()) != 0)
        return Status::failure(errno, "delete");
    return {};
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
    // Non-blocking, so a named pipe or a device is refused instead of waiting for a writer forever.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return Status::failure(errno, "open");
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return Status::failure(EINVAL, "open (not an ordinary file)");
    }
    char buffer[65536];
    Status status;
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            status = Status::failure(errno, "read");
            break;
        }
        if (n == 0)
            break;
        if (bytes.size() + static_cast<std::size_t>(n) > maxBytes) {
            status = Status::failure(EFBIG, "read");
            break;
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return status;
}

} // namespace qb::platform
