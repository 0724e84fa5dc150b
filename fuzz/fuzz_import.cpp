// The comma-delimited import on arbitrary answers and files, from memory. The first line is the answer to "how many
// fields per record"; the rest is the import file. The answer must convert only when it is plain decimal notation,
// to the nearest whole number within range. The import (with a clock whose waits are instant, at most six fields per
// record, and records kept in memory where the first byte of the answer marks some numbers as taken already) must
// make exactly the records it reports, each holding the next run of fields in file order (a doubled double quote in
// a quoted field standing for one), each under the first free second from two seconds after the number before it.
// NUL bytes are imported as they stand.

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "import/fields_answer.h"
#include "import/import_run.h"
#include "import/import_text.h"
#include "manual_clock.h"
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

// A moment as one number that grows with it, to tell taken numbers apart without making them.
long long key(const qb::platform::LocalDateTime& m) {
    return ((((m.year * 100LL + m.month) * 100 + m.day) * 100 + m.hour) * 100 + m.minute) * 100 + m.second;
}

// Keeps the records in memory, with some moments' numbers taken before the import starts.
class MemorySink final : public RecordSink {
public:
    std::set<long long> taken;
    std::vector<std::pair<std::string, qb::store::Record>> written;

    qb::store::SaveResult writeNew(const qb::platform::LocalDateTime& moment,
                                   const qb::store::Record& record) override {
        for (int offset = 0; offset < qb::store::kMaxRecordNumberTries; ++offset) {
            const qb::platform::LocalDateTime next = qb::platform::addSeconds(moment, offset);
            if (taken.insert(key(next)).second) {
                written.emplace_back(qb::store::recordNumber(next), record);
                return {{}, written.back().first, {}};
            }
        }
        return {qb::platform::Status::failure(EEXIST, "create"), {}, {}};
    }
};

void checkImport(const std::string& file, int count, unsigned takenMask) {
    const qb::platform::LocalDateTime start{2026, 12, 6, 14, 3, 59};
    MemorySink sink;
    for (int i = 0; i < 8; ++i)
        if ((takenMask >> i & 1) != 0)
            sink.taken.insert(key(qb::platform::addSeconds(start, 2 * i)));
    std::set<long long> taken = sink.taken;
    qb::test::ManualClock clock(start);
    const ImportResult result = importBytes(file, count, sink, clock);

    const ImportText decoded = decodeImportFile(file);
    const bool utf16 = file.starts_with("\xFF\xFE") || file.starts_with("\xFE\xFF");
    if (!utf16)
        check(decoded.problem != ImportProblem::BadUtf16, "only a file with a UTF-16 mark can be broken UTF-16");
    if (!decoded.ok()) {
        check(result.problem == decoded.problem && sink.written.empty(),
              "a file whose text cannot become records stops the import before any record");
        return;
    }
    const Expected expected = expectedRecords(decoded.bytes, count);
    check(result.ok() == expected.complete, "the import succeeds exactly when the file ends after a whole record");
    check(result.numbers.size() == expected.texts.size(), "every whole record is written, and nothing more");
    check(sink.written.size() == result.numbers.size(), "only the reported records are made");
    long long second = 0; // the first second a record may take, counted from the start
    for (std::size_t i = 0; i < result.numbers.size(); ++i) {
        while (!taken.insert(key(qb::platform::addSeconds(start, second))).second)
            ++second;
        const std::string number = qb::store::recordNumber(qb::platform::addSeconds(start, second));
        check(result.numbers[i] == number && sink.written[i].first == number,
              "each record takes the first free second from two seconds after the one before", number);
        check(sink.written[i].second == qb::store::Record{"", expected.texts[i]},
              "each record holds its run of fields, one per line, and no reminder date", number);
        second += 2;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto [answer, file] = qb::fuzz::splitAt({reinterpret_cast<const char*>(data), size}, '\n');
    const int answered = checkAnswer(answer);
    // Any count works for the import itself; keep it small so a run of records stays quick.
    const int count = answered > 0 ? (answered - 1) % kMaxFieldsInFuzzing + 1
                                   : static_cast<int>(answer.size() % kMaxFieldsInFuzzing) + 1;
    checkImport(std::string(file), count, answer.empty() ? 0 : static_cast<unsigned char>(answer.front()));
    return 0;
}
