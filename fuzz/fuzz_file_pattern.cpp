// The wildcard matcher and the search's file-name pattern. The matcher must agree with a reference automaton for "*",
// "?" and case-blind letters (plus the rule that a pattern ending in ".*" also matches a name without the dot); "*" and
// "*.*" match every name and a name matches itself in any letter case. A pattern built from the creation-date filters a
// user would type for a record must select that record's number, and a filter for another month, day or year digit must
// not.

#include <array>
#include <bitset>
#include <cstdint>
#include <optional>
#include <string>

#include "fuzz_support.h"
#include "platform/cp1252.h"
#include "platform/drive_map.h"
#include "platform/listing.h"
#include "search/search_criteria.h"
#include "store/record_file.h"

using qb::fuzz::check;
using qb::platform::wildcardMatch;

namespace {

// The longest pattern the reference runs on; names may be of any length.
constexpr std::size_t kReferenceLimit = 300;
using Positions = std::bitset<kReferenceLimit + 1>;

bool sameLetter(char a, char b) {
    return qb::platform::cp1252ToUpper(static_cast<unsigned char>(a)) ==
           qb::platform::cp1252ToUpper(static_cast<unsigned char>(b));
}

// The pattern as an automaton whose states are the numbers of pattern characters matched so far, all states run at
// once as bits: a character moves each state on past a "?" or an equal letter, a "*" keeps its state on any
// character, and a state before a "*" also counts as the state after it, since "*" may match nothing.
bool referenceMatch(std::string_view pattern, std::string_view name) {
    Positions stars;
    for (std::size_t i = 0; i < pattern.size(); ++i)
        stars[i] = pattern[i] == '*';
    const auto closed = [&](Positions states) {
        for (Positions more = states | ((states & stars) << 1); more != states; more = states | ((states & stars) << 1))
            states = more;
        return states;
    };
    std::array<std::optional<Positions>, 256> takes; // per byte, the positions whose pattern character takes it
    Positions states = closed(Positions().set(0));
    for (const char c : name) {
        std::optional<Positions>& taking = takes[static_cast<unsigned char>(c)];
        if (!taking) {
            taking.emplace();
            for (std::size_t i = 0; i < pattern.size(); ++i)
                (*taking)[i] = pattern[i] == '?' || (pattern[i] != '*' && sameLetter(pattern[i], c));
        }
        states = closed(((states & *taking) << 1) | (states & stars));
    }
    return states[pattern.size()];
}

bool referenceWildcard(std::string_view pattern, std::string_view name) {
    const bool dotStar = pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*";
    return referenceMatch(pattern, name) || (dotStar && referenceMatch(pattern.substr(0, pattern.size() - 2), name));
}

void checkMatcher(std::string_view pattern, std::string_view name) {
    const bool matched = wildcardMatch(pattern, name);
    if (pattern.size() <= kReferenceLimit)
        check(matched == referenceWildcard(pattern, name), "the matcher agrees with the reference definition",
              std::string(pattern) + " | " + std::string(name));
    check(wildcardMatch("*", name) && wildcardMatch("*.*", name), "* and *.* match every name", name);
    if (name.find_first_of("*?") == std::string_view::npos) {
        const std::string upper = qb::platform::cp1252ToUpper(name);
        check(wildcardMatch(name, name) && wildcardMatch(upper, name) && wildcardMatch(name, upper),
              "a name matches itself whatever the letter case", name);
    }
}

std::string twoDigits(int n) {
    return {static_cast<char>('0' + n / 10), static_cast<char>('0' + n % 10)};
}

// The last component of a search pattern: what the listing matches names against.
std::string namePattern(std::string_view month, std::string_view day, std::string_view year) {
    const std::string pattern = qb::search::filePattern("c:\\quill", month, day, year);
    return qb::platform::splitLastComponent(pattern).second;
}

void checkFilters(std::string_view b) {
    if (b.size() < 8)
        return;
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(b[i]); };
    const qb::platform::LocalDateTime m{2000 + at(0) % 40, 1 + at(1) % 12, 1 + at(2) % 28,
                                        at(3) % 24,        at(4) % 60,     at(5) % 60};
    const std::string number = qb::store::recordNumber(m);
    const unsigned choice = at(6);
    const std::string month = choice & 1 ? twoDigits(m.month) : "";
    const std::string day = choice & 2 ? twoDigits(m.day) : "";
    // the year box takes two characters; only its last one counts
    const std::string year = choice & 4 ? (choice & 8 ? twoDigits(m.year % 100) : std::string(1, number[9])) : "";
    check(wildcardMatch(namePattern(month, day, year), number), "the filters of a record's own date select it",
          namePattern(month, day, year) + " | " + number);

    const int shift = 1 + at(7) % 8;
    if (!month.empty())
        check(!wildcardMatch(namePattern(twoDigits((m.month + shift - 1) % 12 + 1), day, year), number),
              "another month does not select the record", number);
    if (!day.empty())
        check(!wildcardMatch(namePattern(month, twoDigits((m.day + shift - 1) % 28 + 1), year), number),
              "another day does not select the record", number);
    if (!year.empty())
        check(!wildcardMatch(namePattern(month, day, std::string(1, char('0' + (m.year + shift) % 10))), number),
              "another year digit does not select the record", number);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto [pattern, name] = qb::fuzz::splitAt(input, '\0');
    checkMatcher(pattern, name);
    checkFilters(input);
    // Arbitrary filter texts (split at further NULs) must always give a pattern ending in "*".
    const auto [directory, rest] = qb::fuzz::splitAt(name, '\0');
    const auto [month, rest2] = qb::fuzz::splitAt(rest, '\0');
    const auto [day, year] = qb::fuzz::splitAt(rest2, '\0');
    const std::string built = qb::search::filePattern(directory, month, day, year);
    check(built.rfind(std::string(directory) + "\\", 0) == 0 && built.back() == '*',
          "a file pattern is the directory, a backslash, the filters and a final *", built);
    return 0;
}
