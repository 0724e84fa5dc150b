#pragma once
// The three checks that saving and searching make, in this order, before they touch a record.

#include <array>
#include <optional>
#include <string>

namespace qb::store {

/** The texts of the main window that the checks read (Windows-1252). */
struct CheckedBoxes {
    std::string directory;    ///< the data directory box
    std::string reminderDate; ///< the reminder date box
    /** The record text, reminder date, search string 1, month filter, record number, year filter, search string 2
     *  and day filter: the order in which double quotes are looked for. */
    std::array<std::string, 8> quoteChecked;
};

/** A refusal: the message to show. */
struct Refusal {
    std::string message;
};

/** Whether the reminder date has the shape the program stores: empty, or 6 to 8 characters without a space and
 *  with "/" in places 3 and 6. Digits are not checked. */
[[nodiscard]] bool reminderDateShapeOk(const std::string& date);

/** The first failing check of no spaces in the directory, the reminder date shape and no double quote in any box,
 *  or nothing when all pass. */
[[nodiscard]] std::optional<Refusal> firstInputRefusal(const CheckedBoxes& boxes);

} // namespace qb::store
