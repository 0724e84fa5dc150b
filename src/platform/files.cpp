#include "platform/files.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/read_only_file.h"

namespace qb::platform {
namespace {

std::string parentOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string baseNameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Writes all bytes, retrying short counts and interruptions.
Status writeAll(int fd, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return Status::failure(errno, "write");
        }
        if (n == 0)
            return Status::failure(EIO, "write");
        done += static_cast<std::size_t>(n);
    }
    return {};
}

Status closeChecked(int fd) {
    if (::close(fd) != 0 && errno != EINTR)
        return Status::failure(errno, "close");
    return {};
}

Status syncDirectory(const std::string& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return Status::failure(errno, "open folder");
    Status status;
    if (::fsync(fd) != 0 && errno != EINVAL)
        status = Status::failure(errno, "fsync folder");
    const Status closed = closeChecked(fd);
    return status.ok() ? closed : status;
}

// Moves the finished temporary file into place.
Status publish(const std::string& temp, const std::string& path, WriteMode mode) {
    if (mode == WriteMode::Replace) {
        if (::rename(temp.c_str(), path.c_str()) != 0)
            return Status::failure(errno, "rename");
        return {};
    }
    if (::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0)
        return {};
    if (errno != EINVAL && errno != ENOSYS)
        return Status::failure(errno, "rename");
    // A file system without RENAME_NOREPLACE: a hard link also refuses to replace.
    if (::link(temp.c_str(), path.c_str()) != 0)
        return Status::failure(errno, "link");
    ::unlink(temp.c_str());
    return {};
}

// Writes the bytes into a file that was just created and closes it; on a failure the file is deleted again.
Status fillCreatedFile(int fd, const std::string& path, std::string_view bytes) {
    Status status = writeAll(fd, bytes);
    const Status closed = closeChecked(fd);
    if (status.ok())
        status = closed;
    if (!status.ok())
        ::unlink(path.c_str());
    return status;
}

Status writeTemporary(int fd, std::string_view bytes, FileAccess access) {
    if (access == FileAccess::Shared) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        if (::fchmod(fd, 0666 & ~mask) != 0)
            return Status::failure(errno, "chmod");
    }
    Status status = writeAll(fd, bytes);
    if (status.ok() && ::fsync(fd) != 0)
        status = Status::failure(errno, "fsync");
    return status;
}

} // namespace

bool fileExists(const std::string& path) {
    const std::string name = baseNameOf(path);
    if (name.empty() || name[0] == '.')
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
    if (::mkdir(path.c_str(), 0777) != 0)
        return Status::failure(errno, "create folder");
    return {};
}

Status makeDirectories(const std::string& path) {
    if (path.empty() || directoryExists(path))
        return {};
    const std::string parent = parentOf(path);
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

Status writeFileAtomically(const std::string& path, std::string_view bytes, WriteMode mode, FileAccess access) {
    const std::string dir = parentOf(path);
    std::string temp = dir + "/." + baseNameOf(path) + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return Status::failure(errno, "create");
    Status status = writeTemporary(fd, bytes, access);
    const Status closed = closeChecked(fd);
    if (status.ok())
        status = closed;
    if (status.ok())
        status = publish(temp, path, mode);
    if (!status.ok()) {
        ::unlink(temp.c_str());
        return status;
    }
    // The new content is in place now. A folder that cannot be flushed must not make the caller report "not
    // saved" for a file the user can see (a retried new record would be saved twice); the rename stands.
    (void)syncDirectory(dir);
    return {};
}

Status createNewFile(const std::string& path, std::string_view bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return Status::failure(errno, "create");
    return fillCreatedFile(fd, path, bytes);
}

CreatedFile createHiddenFile(const std::string& folder, std::string_view stem, std::string_view bytes) {
    CreatedFile created;
    created.path = folder + "/." + std::string(stem) + ".XXXXXX";
    const int fd = ::mkostemp(created.path.data(), O_CLOEXEC); // O_EXCL, and a new name on each clash
    if (fd < 0) {
        created.status = Status::failure(errno, "create");
        return created;
    }
    created.status = fillCreatedFile(fd, created.path, bytes);
    return created;
}

Status readWholeFile(const std::string& path, std::string& bytes, std::size_t maxBytes) {
    bytes.clear();
    ReadOnlyFile file = ReadOnlyFile::open(path);
    return file.ok() ? file.readAll(bytes, maxBytes) : file.status();
}

} // namespace qb::platform
