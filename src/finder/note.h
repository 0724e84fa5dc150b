#pragma once
// What a desktop's search shows of a record: its first line as the name, and its reminder date or the moment its
// number says it was written as the description.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "store/record_file.h"

namespace qb::finder {

/** A record as a desktop's search lists it; every text is Windows-1252. */
struct Note {
    std::string number;      ///< the record number, the name of its file
    std::string name;        ///< the record text's first line, cut at kNameLength; the number when that line is empty
    std::string description; ///< "Reminder 12/06/26", else when it was written, else nothing
    friend bool operator==(const Note&, const Note&) = default;
};

/** The most characters of a first line that a name keeps: GNOME Shell and KRunner show one line of about fifty, and a
 *  record's first line may be its whole text of 30000. */
inline constexpr std::size_t kNameLength = 100;

/** The note of a record found under a number. */
[[nodiscard]] Note noteOf(const std::string& number, const store::Record& record);

/** When a record number says its record was written ("Written 12/06 14:03:59, a year ending in 6"), or nothing for
 *  a name of another shape: the number holds month, day, hour, minute, ".", the year's last digit and second. */
[[nodiscard]] std::optional<std::string> writtenOn(std::string_view number);

} // namespace qb::finder
