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

/** Reads the record of a number from a data directory (a program path) again as it is shown, with the version of its
 *  file, which a resave of it replaces (resaveRecord()); found is what a walk read of it, shown when the file cannot
 *  be read again. */
[[nodiscard]] Recalled recallRecord(const platform::DriveMap& drives, const std::string& directory,
                                    const std::string& number, Record found = {});

/** Saves a new record into a data directory (a program path): it gets the number of the moment `now`, or of the next
 *  free second, and never replaces a file. */
[[nodiscard]] SaveResult saveRecord(const platform::DriveMap& drives, const std::string& directory,
                                    const Record& record, const platform::LocalDateTime& now);

/**
 * Resaves a record shown (recallRecord()) into a data directory (a program path): its file is replaced in one safe
 * write, so a failure leaves the old file as it was, and only while it is the version shown. When the record was
 * changed elsewhere since it was shown, that version stays, and the record is saved as a new one (as saveRecord()
 * does), its shown number in changedElsewhere. A number holding "\", "/" or ".." is refused.
 */
[[nodiscard]] SaveResult resaveRecord(const platform::DriveMap& drives, const std::string& directory,
                                      const Recalled& shown, const Record& record, const platform::LocalDateTime& now);

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
