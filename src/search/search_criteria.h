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

/** Whether upperNeedle occurs in text once text is upper-cased (Windows-1252 letters, accented ones included).
 *  The text is neither copied nor upper-cased as a whole: sixteen places are tried at a time. */
[[nodiscard]] bool containsUpperCased(std::string_view text, std::string_view upperNeedle);

/** Whether a record matches: the reminder date holds the date criterion, or the text holds either string. */
[[nodiscard]] bool matches(const SearchCriteria& criteria, const store::Record& record);

/** Whether a record file's bytes may hold a match, a quick test made before its fields are read: false only when no
 *  criterion occurs in the bytes and none could appear in the number form a plain field is read as. */
[[nodiscard]] bool mayMatch(const SearchCriteria& criteria, std::string_view fileBytes);

/**
 * The file-name pattern of a walk, by plain concatenation: the folder, "\", the month filter, the day filter,
 * "*.", the last character of the year filter, "*". Record numbers begin with the month, so a day given without
 * a month is put behind "??": it then selects that day in every month.
 */
[[nodiscard]] std::string filePattern(std::string_view directory, std::string_view month, std::string_view day,
                                      std::string_view year);

} // namespace qb::search
