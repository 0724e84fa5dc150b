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

/** The outcome of a save: the status and the record number the file has. */
struct SaveOutcome {
    platform::Status status;
    std::string number;
};

/**
 * Saves a record into a data directory (a program path). With an empty number it is a new record: it gets the
 * number of the moment `now`, or of the next free second, and never replaces a file. With a number it is a resave
 * that replaces that record's file in one safe write, so a failure leaves the old file as it was.
 */
SaveOutcome saveRecord(const platform::DriveMap& drives, const std::string& directory, const std::string& number,
                       const Record& record, const platform::LocalDateTime& now);

} // namespace qb::store
