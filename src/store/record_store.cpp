#include "store/record_store.h"

#include "platform/drive_map.h"
#include "platform/folder.h"

namespace qb::store {

std::string dataDirectoryFolder(const platform::DriveMap& drives, const std::string& directory) {
    return drives.resolve(directory + "\\.");
}

RecallResult recallRecord(const platform::DriveMap& drives, const std::string& directory, const std::string& number) {
    return recallRecordFile(dataDirectoryFolder(drives, directory), number);
}

SaveResult saveRecord(const platform::DriveMap& drives, const std::string& directory, const std::string& number,
                      const Record& record, const platform::LocalDateTime& now, const platform::Recalled& recalled) {
    const std::string folder = dataDirectoryFolder(drives, directory);
    if (number.empty())
        return writeNewRecordFile(folder, now, record);
    return {writeRecordFile(folder, number, record, recalled), number};
}

DeleteResult deleteRecord(const platform::DriveMap& drives, const std::string& directory, const std::string& number) {
    if (number.empty())
        return {DeleteResult::Kind::NotFound, {}};
    if (platform::Status problem = recordNumberProblem(number, "delete"); !problem.ok())
        return {DeleteResult::Kind::Failed, std::move(problem)};
    const platform::Folder folder(dataDirectoryFolder(drives, directory));
    const std::string name = recordFileName(number);
    if (!folder.status().ok() || !folder.holdsFile(name))
        return {DeleteResult::Kind::NotFound, {}};
    if (platform::Status removed = folder.remove(name); !removed.ok())
        return {DeleteResult::Kind::Failed, std::move(removed)};
    return {DeleteResult::Kind::Deleted, {}};
}

} // namespace qb::store
