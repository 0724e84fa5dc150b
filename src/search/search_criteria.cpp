#include "search/search_criteria.h"

#include <array>

#include "platform/cp1252.h"

namespace qb::search {
namespace {

// The upper-case form of every byte, so the inner loop of a search is a table look-up.
const std::array<unsigned char, 256>& upperTable() {
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t{};
        for (int b = 0; b < 256; ++b)
            t[b] = platform::cp1252ToUpper(static_cast<unsigned char>(b));
        return t;
    }();
    return table;
}

bool holds(std::string_view field, const std::string& criterion) {
    return !criterion.empty() && containsUpperCased(field, criterion);
}

} // namespace

SearchCriteria SearchCriteria::fromTyped(std::string_view text1, std::string_view text2,
                                         std::string_view reminderDate) {
    return {platform::cp1252ToUpper(text1), platform::cp1252ToUpper(text2), platform::cp1252ToUpper(reminderDate)};
}

bool containsUpperCased(std::string_view text, std::string_view upperNeedle) {
    if (upperNeedle.empty())
        return true;
    if (upperNeedle.size() > text.size())
        return false;
    const auto& upper = upperTable();
    const auto at = [&](std::string_view s, std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char first = at(upperNeedle, 0);
    const std::size_t last = text.size() - upperNeedle.size();
    for (std::size_t start = 0; start <= last; ++start) {
        if (upper[at(text, start)] != first)
            continue;
        std::size_t i = 1;
        while (i < upperNeedle.size() && upper[at(text, start + i)] == at(upperNeedle, i))
            ++i;
        if (i == upperNeedle.size())
            return true;
    }
    return false;
}

bool matches(const SearchCriteria& criteria, const store::Record& record) {
    return holds(record.reminderDate, criteria.reminderDate) || holds(record.text, criteria.text1) ||
           holds(record.text, criteria.text2);
}

std::string filePattern(std::string_view directory, std::string_view month, std::string_view day,
                        std::string_view year) {
    std::string pattern(directory);
    pattern += '\\';
    if (month.empty() && !day.empty())
        pattern += "??"; // the month places of the record number
    pattern += month;
    pattern += day;
    pattern += "*.";
    if (!year.empty())
        pattern += year.back();
    pattern += '*';
    return pattern;
}

} // namespace qb::search
