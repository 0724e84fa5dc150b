#include "store/record_store.h"

#include "platform/drive_map.h"
#include "platform/folder.h"

namespace qb::store {

std::string dataDirectoryFolder(const platform::DriveMap& drives, const std::string& directory) {
    return drives.resolve(directory + "\\.");
}

SaveOutcome saveRecord(const platform::DriveMap& drives, const std::string& directory, const std::string& number,
                       const Record& record, const platform::LocalDateTime& now) {
    const std::string folder = dataDirectoryFolder(drives, directory);
    if (number.empty()) {
        NewRecordWrite written = writeNewRecordFile(folder, now, record);
        return {written.status, written.number};
    }
    return {writeRecordFile(folder, number, record), number};
}

DeleteOutcome deleteRecord(const platform::DriveMap& drives, const std::string& directory, const std::string& number) {
    if (number.empty())
        return {DeleteOutcome::Result::NotFound, {}};
    if (platform::Status problem = recordNumberProblem(number, "delete"); !problem.ok())
        return {DeleteOutcome::Result::Failed, std::move(problem)};
    const platform::Folder folder(dataDirectoryFolder(drives, directory));
    const std::string name = recordFileName(number);
    if (!folder.status().ok() || !folder.holdsFile(name))
        return {DeleteOutcome::Result::NotFound, {}};
    if (platform::Status removed = folder.remove(name); !removed.ok())
        return {DeleteOutcome::Result::Failed, std::move(removed)};
    return {DeleteOutcome::Result::Deleted, {}};
}

} // namespace qb::store
