#pragma once
// Probe files: a small file written into a data directory and deleted again, to learn that the directory exists and
// can be written. A probe never empties, replaces or deletes anything it did not create itself.

#include <string>

#include "platform/status.h"

namespace qb::platform {
class DriveMap;
}

namespace qb::store {

/** Probes a data directory (a program path) the way saving does: the empty probe file testit.dat is created in it
 *  and deleted again. When that name is taken, a hidden probe file of its own is used instead. */
[[nodiscard]] platform::Status probeForSave(const platform::DriveMap& drives, const std::string& directory);

/** Probes a data directory (a program path) the way the directory check does: the probe file testdir, holding a
 *  space and a line end, is created in it and deleted again. When that name is taken, a hidden probe file of its
 *  own is used instead. */
[[nodiscard]] platform::Status probeDataDirectory(const platform::DriveMap& drives, const std::string& directory);

/** Makes sure a directory (a program path) exists, as start-up does for the program default directory: probes it
 *  as the directory check does and creates it, with any missing parents, when the probe fails. A directory that
 *  cannot be created either stays missing; the caller goes on without it. */
void ensureDataDirectory(const platform::DriveMap& drives, const std::string& directory);

} // namespace qb::store
