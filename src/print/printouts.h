#pragma once
// The printed pages: each printout is a short list of text items, and each item ends its printed line.

#include <string>
#include <vector>

namespace qb::print {

/** One printout's text items in print order; each item ends its line, and a line break inside an item starts a
 *  new line at the left margin. UTF-8 text: a printout shows what the screen shows, which may hold characters the
 *  record files cannot store. */
using PrintedItems = std::vector<std::string>;

/** The record printout: spacer lines around the reminder date line and the record text. The record number is not
 *  printed; an empty reminder date leaves "Reminder date : " alone on its line. */
[[nodiscard]] PrintedItems recordPrintout(const std::string& reminderDate, const std::string& recordText);

/** The reminder printout: the line saying when the list was printed (date mm-dd-yyyy, four spaces, time
 *  hh:mm:ss) and the whole reminder list as one item, between spacer lines. */
[[nodiscard]] PrintedItems reminderPrintout(const std::string& reminderList, const std::string& dateText,
                                            const std::string& timeText);

} // namespace qb::print
