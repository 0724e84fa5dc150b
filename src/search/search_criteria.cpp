#include "search/search_criteria.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "platform/cp1252.h"

namespace qb::search {
namespace {

const auto& kUpper = platform::kCp1252Upper;

// For an upper-case letter its lower-case form, for any other character itself: the two characters that
// upper-case to it.
const std::array<unsigned char, 256> kLower = [] {
    std::array<unsigned char, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[c] = static_cast<unsigned char>(c);
    for (int c = 0; c < 256; ++c) {
        if (kUpper[c] != c)
            table[kUpper[c]] = static_cast<unsigned char>(c);
    }
    return table;
}();

// Sixteen characters at once (GCC and Clang vector extensions; plain code on machines without vector registers).
using Bytes = unsigned char __attribute__((vector_size(16)));

Bytes load(const unsigned char* from) {
    Bytes bytes;
    std::memcpy(&bytes, from, sizeof bytes);
    return bytes;
}

bool any(Bytes bytes) {
    std::uint64_t halves[2];
    std::memcpy(halves, &bytes, sizeof halves);
    return (halves[0] | halves[1]) != 0;
}

// Where sixteen characters upper-case to an upper-case character.
auto equalIgnoringCase(Bytes text, unsigned char upper) {
    return (text == upper) | (text == kLower[upper]);
}

bool holds(std::string_view field, const std::string& criterion) {
    return !criterion.empty() && containsUpperCased(field, criterion);
}

// Whether a criterion could occur in the number form of a plain field (1.5E+20), which the file need not hold as
// such: it consists of the characters of that form only.
// It is asked for every file a walk reads, so it compares characters rather than search a set for each.
bool fitsNumberForm(const std::string& criterion) {
    return std::all_of(criterion.begin(), criterion.end(),
                       [](char c) { return (c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-' || c == 'E'; });
}

bool mayHold(std::string_view bytes, const std::string& criterion) {
    return !criterion.empty() && (fitsNumberForm(criterion) || containsUpperCased(bytes, criterion));
}

// The bytes the first field, the reminder date, is read from: after leading spaces a quoted field runs to the next
// double quote, a plain one to the first comma or line end.
std::string_view firstFieldBytes(std::string_view bytes) {
    const std::size_t start = bytes.find_first_not_of(' ');
    if (start == std::string_view::npos)
        return bytes;
    const std::size_t end = bytes[start] == '"' ? bytes.find('"', start + 1) : bytes.find_first_of(",\r\n", start);
    return bytes.substr(0, end);
}

} // namespace

SearchCriteria SearchCriteria::fromTyped(std::string_view text1, std::string_view text2,
                                         std::string_view reminderDate) {
    return {platform::cp1252ToUpper(text1), platform::cp1252ToUpper(text2), platform::cp1252ToUpper(reminderDate)};
}

bool containsUpperCased(std::string_view text, std::string_view upperNeedle) {
    const std::size_t n = upperNeedle.size();
    if (n == 0)
        return true;
    if (n > text.size())
        return false;
    const auto* t = reinterpret_cast<const unsigned char*>(text.data());
    const auto* s = reinterpret_cast<const unsigned char*>(upperNeedle.data());
    const auto middleMatches = [&](std::size_t start) {
        for (std::size_t i = 1; i + 1 < n; ++i) {
            if (kUpper[t[start + i]] != s[i])
                return false;
        }
        return true;
    };
    const unsigned char first = s[0], last = s[n - 1];
    if (kUpper[first] != first || kUpper[last] != last)
        return false; // not found in any upper-cased text
    const std::size_t starts = text.size() - n + 1;
    std::size_t start = 0;
    // Sixteen places at a time: only where the first and the last character both fit is the middle compared.
    for (; start + 16 <= starts; start += 16) {
        const auto hits = equalIgnoringCase(load(t + start), first) & equalIgnoringCase(load(t + start + n - 1), last);
        if (!any((Bytes)hits))
            continue;
        for (std::size_t i = 0; i < 16; ++i) {
            if (hits[i] && middleMatches(start + i))
                return true;
        }
    }
    for (; start < starts; ++start) {
        if (kUpper[t[start]] == first && kUpper[t[start + n - 1]] == last && middleMatches(start))
            return true;
    }
    return false;
}

bool matches(const SearchCriteria& criteria, const store::Record& record) {
    return holds(record.reminderDate, criteria.reminderDate) || holds(record.text, criteria.text1) ||
           holds(record.text, criteria.text2);
}

bool mayMatch(const SearchCriteria& criteria, std::string_view fileBytes) {
    // A field's value is a part of the bytes, but for a plain field that reads as a number. The reminder date is
    // looked for in the first field's bytes only, as a match looks for it in that field only.
    return mayHold(firstFieldBytes(fileBytes), criteria.reminderDate) || mayHold(fileBytes, criteria.text1) ||
           mayHold(fileBytes, criteria.text2);
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
