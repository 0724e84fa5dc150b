#pragma once
// Helpers of the fuzz targets: a failed property stops the run (so libFuzzer keeps the input), inputs made into
// moments and records, and a private scratch folder on a RAM disk for the one target that writes files.

#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "store/record_file.h"

namespace qb::fuzz {

/** Reports a property that does not hold and aborts, so libFuzzer saves the input that broke it. */
[[noreturn]] void fail(std::string_view property, std::string_view detail = {});

/** Fails with the property's text unless it holds. */
inline void check(bool holds, std::string_view property, std::string_view detail = {}) {
    if (!holds)
        fail(property, detail);
}

/** A moment of the calendar taken from the first six bytes (zeros past the end); every field within its range. */
platform::LocalDateTime momentFrom(std::string_view bytes);

/** A record as saving could make it from the bytes: the reminder date is up to eight bytes before the first line
 *  feed, the text the rest; double quotes, which saving refuses, become single ones. */
store::Record recordFrom(std::string_view bytes);

/** A folder for this process only, on /dev/shm when there is one, created once and removed at exit. */
const std::string& scratchFolder();

/** Creates a folder (and its parents) inside the scratch folder; its path. */
std::string makeScratchSubfolder(const std::string& name);

/** The bytes of a file. */
std::string fileBytes(const std::string& path);

/** The names in a folder, sorted, hidden ones included. */
std::vector<std::string> folderNames(const std::string& path);

/** Deletes every file directly in a folder. */
void emptyFolder(const std::string& path);

/** The input cut at its first byte equal to separator; the rest follows the separator (or is empty). */
std::pair<std::string_view, std::string_view> splitAt(std::string_view input, char separator);

} // namespace qb::fuzz
