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

/** The outcome of a save: the status and the record number the file has. */
struct [[nodiscard]] SaveOutcome {
    platform::Status status;
    std::string number;
};

/**
 * Saves a record into a data directory (a program path). With an empty number it is a new record: it gets the
 * number of the moment `now`, or of the next free second, and never replaces a file. With a number it is a resave
 * that replaces the file of exactly that name in one safe write (as writeRecordFile() does), so a failure leaves the
 * old file as it was; a number holding "\", "/" or ".." is refused.
 */
[[nodiscard]] SaveOutcome saveRecord(const platform::DriveMap& drives, const std::string& directory,
                                     const std::string& number, const Record& record,
                                     const platform::LocalDateTime& now);

/** The outcome of deleting a record. */
struct [[nodiscard]] DeleteOutcome {
    enum class Result {
        Deleted,  ///< the record file is gone
        NotFound, ///< the data directory holds no record file of that number
        Failed,   ///< the file is there but could not be deleted; status says why
    };
    Result result = Result::NotFound;
    platform::Status status;
};

/** Deletes the record file of a number from a data directory (a program path); only an ordinary file (or a link to
 *  one) of exactly that name counts as found, and the name is what goes. A number holding "\", "/" or ".." is
 *  refused. */
[[nodiscard]] DeleteOutcome deleteRecord(const platform::DriveMap& drives, const std::string& directory,
                                         const std::string& number);

} // namespace qb::store
