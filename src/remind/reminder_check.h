#pragma once
// The reminder check: every file of a data directory, read as a record and matched with today's reminder date only.
// The start-up check fills the reminder window with it; `quillbox --remind` tells the same records outside the
// program.

#include <string>
#include <string_view>

#include "platform/clock.h"
#include "platform/drive_map.h"
#include "readers/folder_feed.h"
#include "search/record_walk.h"

namespace qb::remind {

/** Today's reminder date as reminder dates are typed: two-digit month, day and year (6 December 2026 is 12/06/26). */
[[nodiscard]] std::string reminderDateOf(const platform::LocalDateTime& today);

/** The walk of the reminder check: every file of the data directory, in listing order, matching when its reminder
 *  date holds the given reminder date. */
[[nodiscard]] search::RecordWalk reminderCheckWalk(const platform::DriveMap& drives, std::string_view directory,
                                                   std::string_view reminderDate, readers::FeedOptions options = {});

} // namespace qb::remind
