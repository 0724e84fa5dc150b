#include "store/record_store.h"

#include "platform/drive_map.h"

namespace qb::store {

SaveOutcome saveRecord(const platform::DriveMap& drives, const std::string& directory, const std::string& number,
                       const Record& record, const platform::LocalDateTime& now) {
    if (number.empty()) {
        // The folder is named as its files are, directory + "\\" + name, so an empty directory is the root of C.
        NewRecordWrite written = writeNewRecordFile(drives.resolve(directory + "\\."), now, record);
        return {written.status, written.number};
    }
    return {writeRecordFile(drives.resolve(directory + "\\" + number), record), number};
}

} // namespace qb::store
