// The quick test a walk makes before it reads a file's fields. Input: search string 1, search string 2 and the reminder
// date as typed, separated by tabs, on the first line; the rest is the file's bytes. A file that reads as a record the
// criteria match must pass the test, or the walk would drop a match without a word; so must one searched for pieces of
// its own fields, which find it.

#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "search/search_criteria.h"
#include "store/record_file.h"

using namespace qb::search;
using qb::fuzz::check;

namespace {

// A piece of a field, where and how long the typed strings' lengths say; empty only for an empty field.
std::string_view pieceOf(std::string_view field, std::size_t at, std::size_t length) {
    return field.empty() ? field : field.substr(at % field.size(), length + 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto [typed, bytes] = qb::fuzz::splitAt({reinterpret_cast<const char*>(data), size}, '\n');
    const auto [text1, rest] = qb::fuzz::splitAt(typed, '\t');
    const auto [text2, reminderDate] = qb::fuzz::splitAt(rest, '\t');
    qb::store::FieldReader reader{std::string(bytes)}; // as the walk reads a file it has read whole
    const qb::store::ReadResult read = qb::store::readRecord(reader);
    if (!read.ok())
        return 0; // not a record: the walk passes it over whatever the quick test says
    const qb::store::Record& record = read.record;
    const SearchCriteria own = SearchCriteria::fromTyped(pieceOf(record.text, text1.size(), text2.size()), {},
                                                         pieceOf(record.reminderDate, text2.size(), text1.size()));
    check(matches(own, record) == !(record.text.empty() && record.reminderDate.empty()),
          "a piece of a record's own field finds the record");
    for (const SearchCriteria& criteria : {SearchCriteria::fromTyped(text1, text2, reminderDate), own}) {
        check(!matches(criteria, record) || mayMatch(criteria, bytes),
              "the quick test passes every file whose record matches",
              criteria.text1 + "|" + criteria.text2 + "|" + criteria.reminderDate);
    }
    return 0;
}
