#pragma once
// Saving and deleting records in a data directory named by a program path.

#include <string>

#include "platform/clock.h"
#include "platform/status.h"
#include "store/record_file.h"

namespace qb::platform {
class DriveMap;
}

namespace qb::store {

/** The POSIX path of a data directory (a program path) as a folder; an empty directory names the root of drive C.
 *  The files in it are always reached by their exact names through the open folder. */
[[nodiscard]] std::string dataDirectoryFolder(const platform::DriveMap& drives, const std::string& directory);

/** Reads the record of a number from a data directory (a program path) to show it, with what its file name held
 *  then: a resave of it replaces only that (saveRecord()). */
[[nodiscard]] RecallResult recallRecord(const platform::DriveMap& drives, const std::string& directory,
                                        const std::string& number);

/**
 * Saves a record into a data directory (a program path). With an empty number it is a new record: it gets the
 * number of the moment `now`, or of the next free second, and never replaces a file. With a number it is a resave
 * of the record recalled (recallRecord()) that replaces what its name held then, in one safe write (as
 * writeRecordFile() does), so a failure leaves the old file as it was; a number holding "\", "/" or ".." is refused.
 */
[[nodiscard]] SaveResult saveRecord(const platform::DriveMap& drives, const std::string& directory,
                                    const std::string& number, const Record& record, const platform::LocalDateTime& now,
                                    const platform::Recalled& recalled);

/** The result of deleting a record. */
struct [[nodiscard]] DeleteResult {
    /** What the delete did. */
    enum class Kind {
        Deleted,  ///< the record file is gone
        NotFound, ///< the data directory holds no record file of that number
        Failed,   ///< the file is there but could not be deleted; status says why
    };
    Kind kind = Kind::NotFound;
    platform::Status status;
    [[nodiscard]] bool ok() const { return kind == Kind::Deleted; }
};

/** Deletes the record file of a number from a data directory (a program path); only an ordinary file (or a link to
 *  one) of exactly that name counts as found, and the name is what goes. A number holding "\", "/" or ".." is
 *  refused. */
[[nodiscard]] DeleteResult deleteRecord(const platform::DriveMap& drives, const std::string& directory,
                                        const std::string& number);

} // namespace qb::store
