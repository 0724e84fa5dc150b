#pragma once
// Hard line breaks for printing: a break goes after the first space that takes a line past 65 characters.

#include <string>

namespace qb::print {

/** Past this many characters on a line, the next space gets a line break after it. */
inline constexpr int kBreakThreshold = 65;

/**
 * The text with CR LF added after each space that brings the column counter above 65. The counter starts at 0,
 * counts every character, and a carriage return sets it back before it is counted, so the CR and LF of an
 * existing break count 1 and 2. Existing breaks and every character are kept; a word is never split. Reformatting
 * twice adds breaks again: it is not idempotent. Works on any character type, so the caller may pass text that
 * has not been narrowed to a code page yet.
 */
template <typename Char> std::basic_string<Char> reformatText(const std::basic_string<Char>& text) {
    std::basic_string<Char> result;
    result.reserve(text.size() + text.size() / 32);
    int counter = 0;
    for (const Char c : text) {
        if (c == Char('\r'))
            counter = 0;
        ++counter;
        result.push_back(c);
        if (counter > kBreakThreshold && c == Char(' ')) {
            result.push_back(Char('\r'));
            result.push_back(Char('\n'));
            counter = 0;
        }
    }
    return result;
}

} // namespace qb::print
