#include "remind/reminder_check.h"

#include <cstdio>
#include <utility>

#include "search/search_criteria.h"

namespace qb::remind {

std::string reminderDateOf(const platform::LocalDateTime& today) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d/%02d/%02d", today.month, today.day, today.year % 100);
    return text;
}

search::RecordWalk reminderCheckWalk(const platform::DriveMap& drives, std::string_view directory,
                                     std::string_view reminderDate, readers::FeedOptions options) {
    // The pattern and criteria of a search whose filters and strings are all empty.
    return search::RecordWalk(drives, search::filePattern(directory, "", "", ""),
                              search::SearchCriteria::fromTyped("", "", reminderDate), options);
}

} // namespace qb::remind
