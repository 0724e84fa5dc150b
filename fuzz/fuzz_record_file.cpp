// Record files, from memory. Arbitrary bytes read as a record file must give what two field reads give, and a
// record read from them must come back unchanged when its file bytes are made and read again. A record made from the
// bytes (double quotes taken out, as saving refuses them) must read back identical from its file bytes, and the
// record number of a moment taken from the bytes must encode that moment.

#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "platform/clock.h"
#include "store/record_file.h"

using namespace qb::store;
using qb::fuzz::check;

namespace {

bool holdsQuote(const Record& r) {
    return r.reminderDate.find('"') != std::string::npos || r.text.find('"') != std::string::npos;
}

ReadResult readBytes(std::string bytes) {
    FieldReader reader(std::move(bytes));
    return readRecord(reader);
}

void readArbitraryBytes(std::string_view bytes) {
    const ReadResult read = readBytes(std::string(bytes));
    FieldReader direct{std::string(bytes)};
    const FieldRead date = direct.read();
    const FieldRead text = date.ok() ? direct.read() : FieldRead{};
    check(read.ok() == (date.ok() && text.ok()), "a record file is read by exactly two field reads");
    if (!read.ok())
        return;
    check(read.record.reminderDate == generalValue(*date.field) && read.record.text == generalValue(*text.field),
          "a record's fields are the general values of its two field reads");
    if (holdsQuote(read.record))
        return; // such a record could never have been saved
    const ReadResult again = readBytes(recordFileBytes(read.record));
    check(again.ok() && again.record == read.record, "a record read, written and read again is unchanged",
          read.record.text);
}

void makeAndReadBack(std::string_view bytes) {
    const Record record = qb::fuzz::recordFrom(bytes);
    const std::string file = recordFileBytes(record);
    check(file == "\"" + record.reminderDate + "\"\r\n\"" + record.text + "\"\r\n",
          "a record file is its two fields, each quoted on a line of its own");
    const ReadResult read = readBytes(file);
    check(read.ok() && read.record == record, "a record made and read back is identical", record.text);

    const qb::platform::LocalDateTime m = qb::fuzz::momentFrom(bytes);
    const std::string number = recordNumber(m);
    check(number.size() == 12 && number[8] == '.', "a record number is eight characters, a point and three", number);
    const auto two = [&](std::size_t at) { return (number[at] - '0') * 10 + (number[at + 1] - '0'); };
    check(two(0) == m.month && two(2) == m.day && two(4) == m.hour && two(6) == m.minute && two(10) == m.second &&
              number[9] - '0' == m.year % 10,
          "a record number encodes month, day, hour, minute, year digit and second", number);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    readArbitraryBytes(bytes);
    makeAndReadBack(bytes);
    return 0;
}
