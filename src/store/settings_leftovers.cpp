#include "store/settings_leftovers.h"

#include "platform/drive_map.h"
#include "platform/folder.h"
#include "platform/safe_write.h"
#include "store/settings.h"

namespace qb::store {

void removeSettingsLeftovers(const platform::DriveMap& drives) {
    std::vector<std::string> written;
    for (const char* path :
         {settings_paths::kDefaultDirectory, settings_paths::kAlarmFlag, settings_paths::kPasswordWrite})
        written.push_back(platform::splitLastComponent(path).second);
    const platform::Folder root(drives.resolve("c:\\"));
    if (root.status().ok())
        (void)platform::removeStagedLeftovers(root, written);
}

} // namespace qb::store
