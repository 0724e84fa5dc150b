#pragma once
// Probe files: a small file written into a folder and deleted again, to learn that the folder exists and can be
// written.

#include <string>
#include <string_view>

#include "platform/status.h"

namespace qb::store {

/** The probe file of saving: created empty, then deleted. */
inline constexpr const char* kSaveProbeName = "testit.dat";
/** The probe file of the directory checks: a single space and a line end, then deleted. */
inline constexpr const char* kDirectoryProbeName = "testdir";

/** Writes the probe file at path (POSIX) with the given bytes and deletes it again; the first failure, if any. */
platform::Status probeWithFile(const std::string& path, std::string_view bytes);

} // namespace qb::store
