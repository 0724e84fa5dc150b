#include "platform/links.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <string_view>
#include <unistd.h>

namespace qb::platform {
namespace {

// As many links as the kernel follows in one path.
constexpr int kMaxLinkHops = 40;

// A link of the way is followed only when the user made it: in a folder that others may write to, another user's
// link is how they could make this program write a file of the user's elsewhere.
Status judgeLink(const OpenedEntry& link, int& hops) {
    if (++hops > kMaxLinkHops)
        return Status::failure(ELOOP, "follow link");
    if (link.info().st_uid != ::geteuid())
        return Status::refusal(EPERM, "the file is a link that another user made");
    return {};
}

// Goes down a folder path from a folder, one component at a time and never through a link that judgeLink()
// refuses: a link of the way is opened as it is, judged, and its own path gone down in its place. An absolute path
// starts at the root.
Status goDown(Folder& folder, std::string_view path, int& hops) {
    if (path.starts_with('/'))
        folder = Folder(std::string("/"));
    while (folder.status().ok() && !path.empty()) {
        const std::size_t slash = std::min(path.find('/'), path.size());
        const std::string component(path.substr(0, slash));
        path.remove_prefix(std::min(slash + 1, path.size()));
        if (component.empty() || component == ".")
            continue;
        const OpenedEntry entry(folder.descriptor(), component);
        if (!entry.status().ok())
            return entry.status();
        if (entry.isLink()) {
            std::string linked;
            if (Status problem = judgeLink(entry, hops); !problem.ok())
                return problem;
            if (Status read = entry.readLink(linked); !read.ok())
                return read;
            if (Status down = goDown(folder, linked, hops); !down.ok())
                return down;
            continue;
        }
        if (!S_ISDIR(entry.info().st_mode))
            return Status::failure(ENOTDIR, "follow link");
        // The folder opened is the very one judged: it is opened through the entry's own descriptor.
        folder = Folder::within(entry.descriptor());
    }
    return folder.status().ok() ? Status{} : Status::failure(folder.status().error, "follow link");
}

} // namespace

OpenedEntry::OpenedEntry(int folder, const std::string& name)
    : fd_(::openat(folder, name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC)) {
    if (!fd_.valid() || ::fstat(fd_.get(), &st_) != 0)
        status_ = Status::failure(errno, "follow link");
}

Status OpenedEntry::readLink(std::string& path) const {
    path.assign(4096, '\0');
    const ssize_t size = ::readlinkat(fd_.get(), "", path.data(), path.size());
    if (size < 0 || static_cast<std::size_t>(size) == path.size())
        return Status::failure(size < 0 ? errno : ENAMETOOLONG, "read link");
    path.resize(static_cast<std::size_t>(size));
    return {};
}

LinkTarget followLinks(const Folder& start, const std::string& name) {
    LinkTarget target{std::nullopt, name, std::nullopt, {}, std::nullopt};
    bool followed = false; // whether a link was followed on the way
    for (int hops = 0;;) {
        const Folder& here = target.folder ? *target.folder : start;
        const OpenedEntry entry(here.descriptor(), target.name);
        if (!entry.status().ok() && entry.status().error != ENOENT) {
            target.status = entry.status();
            return target;
        }
        if (!followed && entry.status().ok())
            target.entry = entry.info();
        if (!entry.status().ok() || !entry.isLink()) {
            if (entry.status().ok())
                target.file = idOf(entry.info());
            // A followed link must lead to something.
            else if (followed)
                target.status = Status::failure(ENOENT, "replace (the file is a link that points to nothing)");
            return target;
        }
        std::string linked;
        if (Status problem = judgeLink(entry, hops); !problem.ok()) {
            target.status = std::move(problem);
            return target;
        }
        if (Status read = entry.readLink(linked); !read.ok()) {
            target.status = std::move(read);
            return target;
        }
        followed = true;
        const auto slash = linked.find_last_of('/');
        std::string file = slash == std::string::npos ? linked : linked.substr(slash + 1);
        if (file.empty() || file == "." || file == "..") {
            target.status = Status::failure(EISDIR, "follow link");
            return target;
        }
        if (slash != std::string::npos) {
            Folder next(here, ".");
            if (Status down = goDown(next, std::string_view(linked).substr(0, std::max<std::size_t>(slash, 1)), hops);
                !down.ok()) {
                target.status = std::move(down);
                return target;
            }
            target.folder = std::move(next);
        }
        target.name = std::move(file);
    }
}

} // namespace qb::platform
