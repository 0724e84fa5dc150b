#include "platform/drive_map.h"

#include <cstdlib>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/cp1252.h"
#include "platform/files.h"

namespace qb::platform {
namespace {

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

bool isDriveLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

std::vector<std::string> splitComponents(std::string_view path) {
    std::vector<std::string> parts;
    std::string current;
    for (char c : path) {
        if (isSeparator(c)) {
            if (!current.empty())
                parts.push_back(std::move(current));
            current.clear();
        } else {
            current.push_back(c);
        }
    }
    if (!current.empty())
        parts.push_back(std::move(current));
    return parts;
}

std::string join(const std::string& dir, const std::string& name) {
    return dir.empty() || dir.back() == '/' ? dir + name : dir + "/" + name;
}

bool pathExists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// The entry of dir whose name equals wanted without regard to case; the first in name order when several do.
std::string findCaseInsensitive(const std::string& dir, const std::string& wantedUpper) {
    std::unique_ptr<DIR, int (*)(DIR*)> handle(::opendir(dir.c_str()), ::closedir);
    if (!handle)
        return {};
    std::string best;
    while (const dirent* entry = ::readdir(handle.get())) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        const Cp1252Conversion converted = utf8ToCp1252(name);
        if (converted.ok() && cp1252ToUpper(converted.bytes) == wantedUpper && (best.empty() || name < best))
            best = name;
    }
    return best;
}

} // namespace

DriveMap::DriveMap(std::string home, std::string workingDir)
    : home_(std::move(home)), workingDir_(std::move(workingDir)) {}

std::string DriveMap::currentWorkingDirectory() {
    std::unique_ptr<char, void (*)(void*)> cwd(::getcwd(nullptr, 0), std::free);
    return cwd ? std::string(cwd.get()) : std::string("/");
}

bool DriveMap::ensureDriveC() const {
    return makeDirectories(join(home_, "drive_c")).ok();
}

std::string DriveMap::resolve(std::string_view path) const {
    std::string base;
    std::string_view rest = path;
    bool onDrive = true; // ".." never climbs out of a drive folder
    if (path.size() >= 2 && isDriveLetter(path[0]) && path[1] == ':') {
        base = join(home_, std::string("drive_") + static_cast<char>(path[0] | 0x20));
        rest = path.substr(2);
    } else if (!path.empty() && path[0] == '\\') {
        base = join(home_, "drive_c");
    } else if (!path.empty() && path[0] == '/') {
        base = "/";
        onDrive = false;
    } else {
        base = workingDir_;
        onDrive = false;
    }
    std::string current = base;
    bool lookUp = true; // once a component is missing, the rest cannot exist either
    for (const std::string& part : splitComponents(rest)) {
        if (part == ".")
            continue;
        if (part == "..") {
            const auto slash = current.find_last_of('/');
            if ((!onDrive || current != base) && slash != std::string::npos && current != "/")
                current = slash == 0 ? "/" : current.substr(0, slash);
            continue;
        }
        const std::string name = cp1252ToUtf8(part);
        std::string candidate = join(current, name);
        if (lookUp && !pathExists(candidate)) {
            const std::string found = findCaseInsensitive(current, cp1252ToUpper(part));
            if (found.empty())
                lookUp = false;
            else
                candidate = join(current, found);
        }
        current = std::move(candidate);
    }
    return current;
}

std::pair<std::string, std::string> splitLastComponent(std::string_view path) {
    const auto sep = path.find_last_of("\\/");
    if (sep == std::string_view::npos) {
        // "c:name" keeps its drive as the folder part
        if (path.size() >= 2 && isDriveLetter(path[0]) && path[1] == ':')
            return {std::string(path.substr(0, 2)), std::string(path.substr(2))};
        return {"", std::string(path)};
    }
    return {std::string(path.substr(0, sep + 1 == 1 ? 1 : sep)), std::string(path.substr(sep + 1))};
}

} // namespace qb::platform
