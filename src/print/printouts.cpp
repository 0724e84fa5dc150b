#include "print/printouts.h"

namespace qb::print {

// The spacer items are made of spaces, not left empty, so that each prints as a line of its own width.

PrintedItems recordPrintout(const std::string& reminderDate, const std::string& recordText) {
    return {"   ", "Reminder date : " + reminderDate, "  ", recordText, "  ", " "};
}

PrintedItems reminderPrintout(const std::string& reminderList, const std::string& dateText,
                              const std::string& timeText) {
    return {"   ", "The set of reminders was printed on: " + dateText + "    " + timeText, "  ", reminderList, " "};
}

} // namespace qb::print
