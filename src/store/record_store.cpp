#include "store/record_store.h"

#include "platform/drive_map.h"
#include "platform/files.h"

namespace qb::store {

std::string pathInDataDirectory(const platform::DriveMap& drives, const std::string& directory,
                                const std::string& name) {
    return drives.resolve(directory + "\\" + name);
}

std::string dataDirectoryFolder(const platform::DriveMap& drives, const std::string& directory) {
    return pathInDataDirectory(drives, directory, ".");
}

SaveOutcome saveRecord(const platform::DriveMap& drives, const std::string& directory, const std::string& number,
                       const Record& record, const platform::LocalDateTime& now) {
    if (number.empty()) {
        NewRecordWrite written = writeNewRecordFile(dataDirectoryFolder(drives, directory), now, record);
        return {written.status, written.number};
    }
    return {writeRecordFile(pathInDataDirectory(drives, directory, number), record), number};
}

DeleteOutcome deleteRecord(const platform::DriveMap& drives, const std::string& directory, const std::string& number) {
    const std::string path = pathInDataDirectory(drives, directory, number);
    if (number.empty() || !platform::fileExists(path))
        return {DeleteOutcome::Result::NotFound, {}};
    if (platform::Status removed = platform::removeFile(path); !removed.ok())
        return {DeleteOutcome::Result::Failed, std::move(removed)};
    return {DeleteOutcome::Result::Deleted, {}};
}

} // namespace qb::store
