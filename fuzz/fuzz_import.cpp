// The comma-delimited import on arbitrary answers and files. The first line is the answer to "how many fields per
// record"; the rest is the import file. The answer must convert only when it is plain decimal notation, to the
// nearest whole number within range. The import (with a clock whose waits are instant, and at most six fields per
// record) must write exactly the records it reports, each holding the next run of fields in file order (a doubled
// double quote in a quoted field standing for one), numbered two seconds apart, and leave no other file behind. A
// file that holds a NUL byte outside UTF-16 writes no record at all.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "import/fields_answer.h"
#include "import/import_run.h"
#include "import/import_text.h"
#include "manual_clock.h"
#include "store/field_reader.h"
#include "store/record_file.h"

using namespace qb::import;
using qb::fuzz::check;

namespace {

constexpr int kMaxFieldsInFuzzing = 6;

int checkAnswer(std::string_view answer) {
    (void)answerSortsInRange(answer);
    const std::optional<int> count = fieldsPerRecord(answer);
    if (!count)
        return 0;
    const std::string text(answer);
    check(text.find_first_not_of("0123456789.") == std::string::npos && text.front() != '.' &&
              text.find('.') == text.rfind('.'),
          "only plain decimal notation converts", text);
    check(*count >= 1 && *count <= kMaxFieldsPerRecord, "the count lies between 1 and the 16-bit limit", text);
    check(std::fabs(std::strtod(text.c_str(), nullptr) - *count) <= 0.5, "the count is the nearest whole number", text);
    return *count;
}

// The fields of a decoded file as a spreadsheet writes them: spaces in front of a field are skipped; a quoted
// field runs to a double quote that is not one of a doubled pair (a pair stands for one quote), and whatever
// follows it up to the delimiter is dropped; a plain field runs to a comma or a line end (CR LF, CR or LF) and loses
// its trailing spaces. Each field consumes its delimiter, and a field starts wherever bytes remain.
std::vector<std::string> spreadsheetFields(std::string_view s) {
    std::vector<std::string> fields;
    std::size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && s[i] == ' ')
            ++i;
        std::string field;
        if (i < s.size() && s[i] == '"') {
            for (++i; i < s.size(); ++i) {
                if (s[i] != '"')
                    field += s[i];
                else if (i + 1 < s.size() && s[i + 1] == '"')
                    field += s[i++];
                else
                    break;
            }
            i = std::min(s.find_first_of(",\r\n", i), s.size());
        } else {
            const std::size_t end = std::min(s.find_first_of(",\r\n", i), s.size());
            field = s.substr(i, end - i);
            field.erase(field.find_last_not_of(' ') + 1);
            i = end;
        }
        if (i < s.size())
            i += s.substr(i, 2) == "\r\n" ? 2 : 1;
        fields.push_back(std::move(field));
    }
    return fields;
}

// The records the file should give: each run of `count` fields, double quotes made single, each field and CR LF.
struct Expected {
    std::vector<std::string> texts;
    bool complete = false; // the file ended right after a whole record
};

Expected expectedRecords(const std::string& decoded, int count) {
    const std::vector<std::string> fields = spreadsheetFields(decoded);
    const auto perRecord = static_cast<std::size_t>(count);
    Expected expected;
    for (std::size_t first = 0; first + perRecord <= fields.size(); first += perRecord) {
        std::string text;
        for (std::size_t i = first; i < first + perRecord; ++i)
            text += fields[i] + "\r\n";
        std::replace(text.begin(), text.end(), '"', '\'');
        expected.texts.push_back(text);
    }
    expected.complete = !fields.empty() && fields.size() % perRecord == 0;
    return expected;
}

void checkImport(const std::string& file, int count) {
    static qb::fuzz::MemoryFile importFile;
    static const std::string folder = qb::fuzz::makeScratchSubfolder("target");
    importFile.set(file);
    const qb::platform::LocalDateTime start{2026, 12, 6, 14, 3, 59};
    qb::test::ManualClock clock(start);
    const ImportResult result = importRecords(importFile.path(), count, folder, clock);

    const ImportText decoded = decodeImportFile(file);
    std::vector<std::string> names = qb::fuzz::folderNames(folder);
    const bool utf16 = file.starts_with("\xFF\xFE") || file.starts_with("\xFE\xFF");
    if (!utf16 && file.find('\0') != std::string::npos)
        check(decoded.problem == ImportProblem::NulByte, "a file that is not UTF-16 and holds a NUL byte is refused");
    if (!decoded.ok()) {
        check(result.problem == decoded.problem && names.empty(),
              "a file whose text cannot become records stops the import before any record");
        return;
    }
    const Expected expected = expectedRecords(decoded.bytes, count);
    check(result.ok() == expected.complete, "the import succeeds exactly when the file ends after a whole record");
    check(result.numbers.size() == expected.texts.size(), "every whole record is written, and nothing more");
    check(names.size() == result.numbers.size(), "only the reported records are in the folder");
    qb::store::FieldReader reader;
    for (std::size_t i = 0; i < result.numbers.size(); ++i) {
        const std::string& number = result.numbers[i];
        check(number == qb::store::recordNumber(qb::platform::addSeconds(start, 2 * static_cast<long long>(i))),
              "records are numbered two seconds apart from the start", number);
        const qb::store::RecordRead read = qb::store::readRecordFile(reader, folder + "/" + number);
        check(read.ok() && read.record == qb::store::Record{"", expected.texts[i]},
              "each record holds its run of fields, one per line, and no reminder date", number);
        check(read.record.text.find('\0') == std::string::npos, "no record holds a NUL byte the search would skip");
        check(qb::fuzz::fileBytes(folder + "/" + number) == qb::store::recordFileBytes(read.record),
              "each record file is exactly two quoted lines");
    }
    qb::fuzz::emptyFolder(folder);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto [answer, file] = qb::fuzz::splitAt({reinterpret_cast<const char*>(data), size}, '\n');
    const int answered = checkAnswer(answer);
    // Any count works for the import itself; keep it small so a run of records stays quick.
    const int count = answered > 0 ? (answered - 1) % kMaxFieldsInFuzzing + 1
                                   : static_cast<int>(answer.size() % kMaxFieldsInFuzzing) + 1;
    checkImport(std::string(file), count);
    return 0;
}
