#include "import/fields_answer.h"

#include <algorithm>

namespace qb::import {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Compares as unsigned bytes; std::string_view compares chars, which are signed here.
int compareByCode(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[i]);
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

} // namespace

bool answerSortsInRange(std::string_view answer) {
    return compareByCode(answer, "1") >= 0 && compareByCode(answer, "9999") <= 0;
}

std::optional<int> fieldsPerRecord(std::string_view answer) {
    const std::size_t point = answer.find('.');
    const std::string_view whole = answer.substr(0, point);
    const std::string_view fraction = point == std::string_view::npos ? std::string_view{} : answer.substr(point + 1);
    if (whole.empty() || !std::all_of(whole.begin(), whole.end(), isDigit) ||
        !std::all_of(fraction.begin(), fraction.end(), isDigit))
        return std::nullopt;

    // Leading zeros are dropped first, so a long run of them cannot overflow the sum below.
    const std::string_view digits = whole.substr(std::min(whole.find_first_not_of('0'), whole.size()));
    if (digits.size() > 5)
        return std::nullopt;
    long value = 0;
    for (char c : digits)
        value = value * 10 + (c - '0');

    // The fraction decides the rounding exactly: above one half rounds up, one half exactly goes to even.
    if (!fraction.empty()) {
        const bool moreAfterFirst = fraction.find_first_not_of('0', 1) != std::string_view::npos;
        if (fraction[0] > '5' || (fraction[0] == '5' && (moreAfterFirst || value % 2 == 1)))
            ++value;
    }
    if (value < 1 || value > kMaxFieldsPerRecord)
        return std::nullopt;
    return static_cast<int>(value);
}

} // namespace qb::import
