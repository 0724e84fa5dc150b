// Record files. Arbitrary bytes read as a record file must give what two field reads give, and a record read from
// them must come back unchanged when it is written and read again. A record made from the bytes (double quotes
// taken out, as saving refuses them) is written through the real safe write and must read back identical; two
// new records of the same moment must get two numbers and leave each other's files alone.

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

// A moment of the calendar taken from six bytes; every field within its range.
qb::platform::LocalDateTime momentFrom(std::string_view b) {
    const auto at = [&](std::size_t i) { return i < b.size() ? static_cast<unsigned char>(b[i]) : 0; };
    return {2000 + at(0) % 60, 1 + at(1) % 12, 1 + at(2) % 28, at(3) % 24, at(4) % 60, at(5) % 60};
}

void checkNumberEncodes(const std::string& number, const qb::platform::LocalDateTime& m) {
    check(number.size() == 12 && number[8] == '.', "a record number is eight characters, a point and three", number);
    const auto two = [&](std::size_t at) { return (number[at] - '0') * 10 + (number[at + 1] - '0'); };
    check(two(0) == m.month && two(2) == m.day && two(4) == m.hour && two(6) == m.minute && two(10) == m.second &&
              number[9] - '0' == m.year % 10,
          "a record number encodes month, day, hour, minute, year digit and second", number);
}

void readArbitraryBytes(std::string_view bytes) {
    static qb::fuzz::MemoryFile file;
    static FieldReader reader;
    file.set(bytes);
    const RecordRead read = readRecordFile(reader, file.path());

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
    file.set(recordFileBytes(read.record));
    const RecordRead again = readRecordFile(reader, file.path());
    check(again.ok() && again.record == read.record, "a record read, written and read again is unchanged",
          read.record.text);
}

void writeAndReadBack(std::string_view bytes) {
    static const std::string folder = qb::fuzz::makeScratchSubfolder("records");
    auto [date, text] = qb::fuzz::splitAt(bytes, '\n');
    Record record{std::string(date.substr(0, 8)), std::string(text)};
    for (std::string* field : {&record.reminderDate, &record.text})
        for (char& c : *field)
            if (c == '"')
                c = '\'';

    const qb::platform::LocalDateTime moment = momentFrom(bytes);
    const NewRecordWrite first = writeNewRecordFile(folder, moment, record);
    check(first.status.ok(), "a new record is written into an empty folder", first.status.describe());
    check(first.number == recordNumber(moment), "a new record takes the number of its moment when it is free");
    checkNumberEncodes(first.number, moment);
    const std::string path = folder + "/" + first.number;
    check(qb::fuzz::fileBytes(path) == recordFileBytes(record), "the record file holds exactly its two lines");

    Record other = record;
    other.text += "+";
    const NewRecordWrite second = writeNewRecordFile(folder, moment, other);
    check(second.status.ok() && second.number == recordNumber(qb::platform::addSeconds(moment, 1)),
          "a second record of the same moment takes the next second", second.number);
    check(qb::fuzz::fileBytes(path) == recordFileBytes(record), "a new record never replaces an existing file");

    FieldReader reader;
    const RecordRead read = readRecordFile(reader, path);
    check(read.ok() && read.record == record, "a record written and read back is identical", record.text);
    check(writeRecordFile(folder, first.number, other).ok(), "a record is rewritten in place of its file");
    const RecordRead reread = readRecordFile(reader, path);
    check(reread.ok() && reread.record == other, "a rewritten record reads back as the new one");
    check(qb::fuzz::folderNames(folder).size() == 2, "writing records leaves no other file behind");
    qb::fuzz::emptyFolder(folder);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    readArbitraryBytes(bytes);
    writeAndReadBack(bytes);
    return 0;
}
