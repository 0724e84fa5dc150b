#pragma once
// What the program keeps of a field read from a file, its general value: a plain field that reads as a number
// becomes that number's text form, any other field stays as it was read.

#include <optional>
#include <string>
#include <string_view>

namespace qb::store {

struct Field;

/** The text form of a plain field that reads as a number, or nothing when it does not. A number is an optional
 *  sign, digits with an optional decimal point and fraction (or a point and a fraction), and an optional exponent
 *  (E or D, optional sign, digits). Its text form has no leading zeros and no trailing fraction zeros, uses up to
 *  15 significant digits, and switches to the form 1.5E+20 for magnitudes of 1E+15 and above or below 1E-4. */
[[nodiscard]] std::optional<std::string> numberTextForm(std::string_view plain);

/** What a general value keeps of a field: a plain field that reads as a number becomes that number's text form
 *  (so 12 stays 12 and 007 becomes 7); a quoted field and any other plain field stay as they are. */
[[nodiscard]] std::string generalValue(const Field& field);

} // namespace qb::store
