#include "platform/file_version.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include "platform/access_acl.h"
#include "platform/links.h"
#include "platform/read_only_file.h"

namespace qb::platform {

FileId idOf(const struct stat& st) {
    return {st.st_dev, st.st_ino};
}

FileStamp stampOf(const struct stat& st) {
    return {idOf(st), st.st_ctim.tv_sec, st.st_ctim.tv_nsec};
}

Rights privateRights() {
    return {0600, ::geteuid(), ::getegid(), std::nullopt};
}

VersionRead readVersion(const Folder& folder, const std::string& name, std::size_t maxBytes) {
    VersionRead read;
    FileVersion& version = read.version;
    // An ordinary file is opened as it is, so the entry and the file are the one descriptor's; a link's own entry
    // is opened as it is first, then the file it leads to. Pipes and devices are opened without waiting, and refused.
    const int dir = folder.descriptor();
    constexpr int kFlags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    Descriptor fd(::openat(dir, name.c_str(), kFlags | O_NOFOLLOW));
    bool throughLink = false;
    if (!fd.valid() && errno == ELOOP) {
        const OpenedEntry link(dir, name);
        if (link.status().ok() && link.isLink()) {
            version.entry = stampOf(link.info());
            throughLink = true;
            fd.reset(::openat(dir, name.c_str(), kFlags));
        }
    }
    struct stat st {};
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0)
        read.status = Status::failure(!fd.valid() && errno == ELOOP ? EAGAIN : errno, "open");
    else if (!S_ISREG(st.st_mode))
        read.status = Status::failure(EINVAL, "open (not an ordinary file)");
    if (!read.status.ok())
        return read;
    if (!throughLink)
        version.entry = stampOf(st);
    version.file = stampOf(st);
    version.rights = {static_cast<unsigned>(st.st_mode & 0777), st.st_uid, st.st_gid, extendedAcl(fd.get())};
    read.status = readRest(fd.get(), version.bytes, maxBytes);
    return read;
}

} // namespace qb::platform
