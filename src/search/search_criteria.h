#pragma once
// What a search looks for: up to two strings in the record text or a date in the reminder date, and the creation
// dates it narrows the listing to through the record numbers.

#include <string>
#include <string_view>

#include "store/record_file.h"

namespace qb::search {

/** The criteria of one walk, upper-cased once when they are taken. An empty criterion takes no part. */
struct SearchCriteria {
    std::string text1;        ///< search string 1, sought in the record text
    std::string text2;        ///< search string 2, sought in the record text
    std::string reminderDate; ///< sought in the reminder date only

    /** Criteria from the texts as typed (Windows-1252); each is upper-cased and kept whole, spaces included. */
    static SearchCriteria fromTyped(std::string_view text1, std::string_view text2, std::string_view reminderDate);
};

/**
 * The match rule: a record matches when its upper-cased reminder date holds the date criterion, or its upper-cased
 * text holds either string (plain substrings; Windows-1252 letters, accented ones included, ignore case). A matcher
 * keeps its upper-case copies of the fields from one record to the next, so a walk does not allocate per record.
 */
class RecordMatcher {
public:
    explicit RecordMatcher(SearchCriteria criteria) : criteria_(std::move(criteria)) {}
    /** Whether the record matches. */
    bool matches(const store::Record& record);

private:
    SearchCriteria criteria_;
    std::string upperDate_;
    std::string upperText_;
};

/** Whether a record matches the criteria, by the rule of RecordMatcher. */
bool matches(const SearchCriteria& criteria, const store::Record& record);

/**
 * The file-name pattern of a walk, by plain concatenation: the folder, "\", the month filter, the day filter,
 * "*.", the last character of the year filter, "*". Record numbers begin with the month, so a day given without
 * a month is put behind "??": it then selects that day in every month.
 */
std::string filePattern(std::string_view directory, std::string_view month, std::string_view day,
                        std::string_view year);

} // namespace qb::search
