#include "platform/home_folder.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/drive_map.h"

namespace qb::platform {
namespace {

bool isAbsolute(const std::string& path) {
    return !path.empty() && path.front() == '/';
}

std::string withoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The home folder of the user's entry in the password database; empty when there is none.
std::string accountHome() {
    std::vector<char> buffer(16384);
    for (;;) {
        passwd entry{};
        passwd* found = nullptr;
        const int error = ::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found);
        if (error == ERANGE && buffer.size() < (std::size_t{1} << 20)) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        return error == 0 && found && found->pw_dir ? found->pw_dir : "";
    }
}

std::optional<std::string> problemOnDisk(const std::string& folder) {
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0)
        return std::nullopt; // not there (yet): nothing in it to trust or distrust
    return homeFolderProblem(folder, {S_ISDIR(st.st_mode), st.st_uid, st.st_mode}, ::geteuid());
}

// The home and its drive C folder, which holds the settings: the password, the default data folder, the folder lists.
std::optional<std::string> homeProblemOnDisk(const std::string& home) {
    if (std::optional<std::string> problem = problemOnDisk(home))
        return problem;
    return problemOnDisk(home + "/drive_c");
}

} // namespace

HomeChoice chooseHome(const HomeSources& sources) {
    if (!sources.option.empty())
        return {sources.option, {}};
    if (!sources.quillboxHome.empty())
        return {sources.quillboxHome, {}};
    if (isAbsolute(sources.xdgDataHome))
        return {withoutTrailingSlashes(sources.xdgDataHome) + "/quillbox", {}};
    const std::string& home = isAbsolute(sources.userHome) ? sources.userHome : sources.accountHome;
    if (!isAbsolute(home))
        return {{},
                "HOME is not set and the password database names no home folder for this user, so Quillbox does "
                "not know where to keep its files"};
    return {withoutTrailingSlashes(home) + "/.local/share/quillbox", {}};
}

std::optional<std::string> homeFolderProblem(const std::string& folder, const FolderFacts& facts, uid_t user) {
    if (!facts.isFolder)
        return folder + " is not a folder";
    if (facts.owner != user)
        return "the folder " + folder + " belongs to another user (user id " + std::to_string(facts.owner) +
               "), and Quillbox keeps its files only in a folder of your own";
    // As OpenSSH refuses such folders: the members of its group are other users too.
    if ((facts.mode & (S_IWGRP | S_IWOTH)) != 0) {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(facts.mode & 07777));
        return "other users may write to the folder " + folder + " (its mode is " + mode +
               "), so they could put files in it or swap yours; chmod go-w '" + folder + "' makes it yours alone";
    }
    return std::nullopt;
}

HomeChoice homeToRead(const std::string& option) {
    HomeSources sources{option, environment("QUILLBOX_HOME"), environment("XDG_DATA_HOME"), environment("HOME"), {}};
    if (!isAbsolute(sources.userHome))
        sources.accountHome = accountHome();
    HomeChoice choice = chooseHome(sources);
    if (choice.ok())
        choice.problem = homeProblemOnDisk(choice.folder).value_or("");
    return choice;
}

std::string stateFolder() {
    const std::string state = environment("XDG_STATE_HOME");
    if (isAbsolute(state))
        return withoutTrailingSlashes(state) + "/quillbox";
    const std::string userHome = environment("HOME");
    const std::string home = isAbsolute(userHome) ? userHome : accountHome();
    return isAbsolute(home) ? withoutTrailingSlashes(home) + "/.local/state/quillbox" : std::string();
}

ProgramHome programHome(const std::string& option) {
    ProgramHome home{homeToRead(option)};
    if (!home.choice.ok())
        return home;
    home.driveC = DriveMap(home.choice.folder, "/").ensureDriveC();
    home.choice.problem = homeProblemOnDisk(home.choice.folder).value_or("");
    return home;
}

} // namespace qb::platform
