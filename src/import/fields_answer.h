#pragma once
// The user's answer to "how many fields make up one record": first a test of the answer as text, then its
// conversion to a whole number.

#include <optional>
#include <string_view>

namespace qb::import {

/** The most fields one record may have: the count is kept as a 16-bit signed number. */
inline constexpr int kMaxFieldsPerRecord = 32767;

/**
 * Whether the answer sorts between "1" and "9999" as text: compared character by character by character code
 * (the bytes taken unsigned, so UTF-8 sorts by code point), a text that is the beginning of a longer one sorting
 * first. So 250 and 10000 pass while 0, -1, " 5", A and 99999 do not.
 */
[[nodiscard]] bool answerSortsInRange(std::string_view answer);

/**
 * The number of fields an answer gives: decimal digits with an optional point and fraction, rounded to the
 * nearest whole number with a half going to the even neighbour (2.5 gives 2, 3.5 gives 4). Nothing when the
 * answer is written any other way (signs, spaces, exponents, other characters) or when the rounded number is
 * outside 1 to kMaxFieldsPerRecord.
 */
[[nodiscard]] std::optional<int> fieldsPerRecord(std::string_view answer);

} // namespace qb::import
