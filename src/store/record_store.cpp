#include "store/record_store.h"

#include "platform/drive_map.h"
#include "platform/folder.h"

namespace qb::store {

std::string dataDirectoryFolder(const platform::DriveMap& drives, const std::string& directory) {
    return drives.resolve(directory + "\\.");
}

Recalled recallRecord(const platform::DriveMap& drives, const std::string& directory, const std::string& number,
                      Record found) {
    return recallRecordFile(dataDirectoryFolder(drives, directory), number, std::move(found));
}

SaveResult saveRecord(const platform::DriveMap& drives, const std::string& directory, const Record& record,
                      const platform::LocalDateTime& now) {
    return writeNewRecordFile(dataDirectoryFolder(drives, directory), now, record);
}

SaveResult resaveRecord(const platform::DriveMap& drives, const std::string& directory, const Recalled& shown,
                        const Record& record, const platform::LocalDateTime& now) {
    const std::string folder = dataDirectoryFolder(drives, directory);
    const platform::ReplaceResult replaced = rewriteRecordFile(folder, shown, record);
    if (replaced.kind != platform::ReplaceResult::Kind::Changed)
        return {replaced.status, shown.number, {}};
    // The version made elsewhere keeps its file, and the text on screen is kept as a record of its own.
    SaveResult fresh = writeNewRecordFile(folder, now, record);
    fresh.changedElsewhere = shown.number;
    return fresh;
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
