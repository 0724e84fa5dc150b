#include "store/directory_probe.h"

#include <cerrno>
#include <string_view>

#include "platform/drive_map.h"
#include "platform/files.h"
#include "platform/folder.h"
#include "store/record_store.h"

namespace qb::store {
namespace {

constexpr const char* kSaveProbeName = "testit.dat";
constexpr const char* kDirectoryProbeName = "testdir";
constexpr std::string_view kDirectoryProbeBytes = " \r\n";

// Writes a probe file into the directory and deletes it again. A file or folder of the user's that has the probe's
// name is left as it is: the probe then goes under a hidden name of its own, which tells just as well whether the
// directory can be written.
platform::Status probeWithFile(const platform::DriveMap& drives, const std::string& directory, const char* name,
                               std::string_view bytes) {
    const platform::Folder folder(dataDirectoryFolder(drives, directory));
    if (!folder.status().ok())
        return folder.status();
    platform::NewFile probe{folder.createNew(name, bytes), name, {}};
    if (probe.status.error == EEXIST)
        probe = folder.createHidden(name, bytes);
    if (!probe.status.ok())
        return probe.status;
    return folder.remove(probe.name);
}

} // namespace

platform::Status probeForSave(const platform::DriveMap& drives, const std::string& directory) {
    return probeWithFile(drives, directory, kSaveProbeName, "");
}

platform::Status probeDataDirectory(const platform::DriveMap& drives, const std::string& directory) {
    return probeWithFile(drives, directory, kDirectoryProbeName, kDirectoryProbeBytes);
}

void ensureDataDirectory(const platform::DriveMap& drives, const std::string& directory) {
    if (probeDataDirectory(drives, directory).ok())
        return;
    // Creating it may fail too (a read-only home); the caller goes on without it.
    (void)platform::makeDirectories(drives.resolve(directory));
}

} // namespace qb::store
