// The one target that writes real files (the others parse from memory): records made from the bytes are written
// through the safe write into a folder on a RAM disk and read back from their files. A new record must read back
// identical, also through the file reader's own reads, take the number of its moment, never replace an existing
// file (a second record of the same moment takes the next second), and a rewrite must replace only its own file.

#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "platform/clock.h"
#include "store/record_file.h"

using namespace qb::store;
using qb::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string folder = qb::fuzz::makeScratchSubfolder("records");
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const Record record = qb::fuzz::recordFrom(bytes);

    const qb::platform::LocalDateTime moment = qb::fuzz::momentFrom(bytes);
    const SaveResult first = writeNewRecordFile(folder, moment, record);
    check(first.status.ok(), "a new record is written into an empty folder", first.status.describe());
    check(first.number == recordNumber(moment), "a new record takes the number of its moment when it is free");
    const std::string path = folder + "/" + first.number;
    check(qb::fuzz::fileBytes(path) == recordFileBytes(record), "the record file holds exactly its two lines");

    Record other = record;
    other.text += "+";
    const SaveResult second = writeNewRecordFile(folder, moment, other);
    check(second.status.ok() && second.number == recordNumber(qb::platform::addSeconds(moment, 1)),
          "a second record of the same moment takes the next second", second.number);
    check(qb::fuzz::fileBytes(path) == recordFileBytes(record), "a new record never replaces an existing file");

    FieldReader reader;
    const ReadResult read = readRecordFile(reader, path);
    check(read.ok() && read.record == record, "a record written and read back from its file is identical", record.text);
    check(rewriteRecordFile(folder, recallRecordFile(folder, first.number, {}), other).ok(),
          "a record recalled is rewritten in place of its file");
    const ReadResult reread = readRecordFile(reader, path);
    check(reread.ok() && reread.record == other, "a rewritten record reads back as the new one");
    check(qb::fuzz::fileBytes(folder + "/" + second.number) == recordFileBytes(other),
          "a rewrite leaves the other record alone");
    check(qb::fuzz::folderNames(folder).size() == 2, "writing records leaves no other file behind");
    qb::fuzz::emptyFolder(folder);
    return 0;
}
