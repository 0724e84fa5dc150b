#include "search/search_criteria.h"

#include "platform/cp1252.h"

namespace qb::search {
namespace {

// The upper-case form of a Windows-1252 character, written without branches or tables so that upper-casing a
// field compiles to vector instructions: a-z and the accented letters à to þ (but not ÷) move down by 32, š œ ž
// by 16, and ÿ becomes Ÿ.
constexpr unsigned char upperOf(unsigned char c) {
    const bool ascii = static_cast<unsigned char>(c - 'a') < 26;
    const bool latin = static_cast<unsigned char>(c - 0xE0) < 31 && c != 0xF7;
    const bool caron = c == 0x9A || c == 0x9C || c == 0x9E;
    const bool yDiaeresis = c == 0xFF;
    return static_cast<unsigned char>(c - 32 * (ascii | latin) - 16 * caron - 0x60 * yDiaeresis);
}

// Upper-cases text into out, reusing out's storage.
std::string_view upperCasedInto(std::string_view text, std::string& out) {
    out.resize(text.size());
    const auto* in = reinterpret_cast<const unsigned char*>(text.data());
    auto* to = reinterpret_cast<unsigned char*>(out.data());
    for (std::size_t i = 0; i < text.size(); ++i)
        to[i] = upperOf(in[i]);
    return out;
}

bool holds(std::string_view upperField, const std::string& criterion) {
    return !criterion.empty() && upperField.find(criterion) != std::string_view::npos;
}

} // namespace

SearchCriteria SearchCriteria::fromTyped(std::string_view text1, std::string_view text2,
                                         std::string_view reminderDate) {
    return {platform::cp1252ToUpper(text1), platform::cp1252ToUpper(text2), platform::cp1252ToUpper(reminderDate)};
}

bool RecordMatcher::matches(const store::Record& record) {
    // A field is upper-cased only when a criterion looks at it.
    if (!criteria_.reminderDate.empty() &&
        holds(upperCasedInto(record.reminderDate, upperDate_), criteria_.reminderDate))
        return true;
    if (criteria_.text1.empty() && criteria_.text2.empty())
        return false;
    const std::string_view text = upperCasedInto(record.text, upperText_);
    return holds(text, criteria_.text1) || holds(text, criteria_.text2);
}

bool matches(const SearchCriteria& criteria, const store::Record& record) {
    return RecordMatcher(criteria).matches(record);
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
