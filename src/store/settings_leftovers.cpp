#include "store/settings_leftovers.h"

#include <cerrno>
#include <chrono>

#include "platform/drive_map.h"
#include "platform/folder.h"
#include "platform/safe_write.h"
#include "store/settings.h"

namespace qb::store {
namespace {

// How old a settings file's temporary file must be to count as a leftover where the folder cannot be locked.
constexpr std::chrono::minutes kLeftoverAge{10};

} // namespace

void removeSettingsLeftovers(const platform::DriveMap& drives) {
    std::vector<std::string> written;
    for (const char* path :
         {settings_paths::kDefaultDirectory, settings_paths::kAlarmFlag, settings_paths::kPasswordWrite})
        written.push_back(platform::splitLastComponent(path).second);
    const platform::Folder root(drives.resolve("c:\\"));
    if (!root.status().ok())
        return;
    // A second copy of the program may be writing a setting now, and its temporary file is no leftover. Writers
    // share the folder's lock, so what is left while this holds it alone is left for good; where the file system
    // keeps no locks, only what no write can still be busy with goes.
    const platform::Status locked = root.lock(platform::FolderLock::ExclusiveIfFree);
    if (locked.error == EWOULDBLOCK)
        return;
    (void)platform::removeStagedLeftovers(root, written, locked.ok() ? std::chrono::minutes{0} : kLeftoverAge);
}

} // namespace qb::store
