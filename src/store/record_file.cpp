#include "store/record_file.h"

#include <cerrno>
#include <cstdio>

#include "platform/files.h"
#include "store/line_writer.h"

namespace qb::store {

std::string recordNumber(const platform::LocalDateTime& m) {
    char number[32];
    std::snprintf(number, sizeof number, "%02d%02d%02d%02d.%d%02d", m.month, m.day, m.hour, m.minute,
                  ((m.year % 10) + 10) % 10, m.second);
    return number;
}

std::string recordFileBytes(const Record& record) {
    LineWriter writer;
    writer.lineWriteQuoted(record.reminderDate);
    writer.lineWriteQuoted(record.text);
    return writer.bytes();
}

RecordRead readRecord(FieldReader& reader) {
    RecordRead result;
    FieldRead date = reader.read();
    FieldRead text = date.ok() ? reader.read() : FieldRead{};
    if (!date.ok() || !text.ok()) {
        result.status = RecordReadStatus::NotARecord;
        return result;
    }
    // Both are general values; a quoted field stays as it is, so it is moved rather than copied.
    const auto valueOf = [](Field& field) { return field.quoted ? std::move(field.text) : generalValue(field); };
    result.status = RecordReadStatus::Ok;
    result.record.reminderDate = valueOf(*date.field);
    result.record.text = valueOf(*text.field);
    return result;
}

RecordRead readRecordFile(FieldReader& reader, const std::string& path) {
    if (reader.open(path) != 0) {
        reader.close();
        return {};
    }
    RecordRead result = readRecord(reader);
    reader.close();
    return result;
}

platform::Status writeRecordFile(const std::string& path, const Record& record) {
    return platform::writeFileAtomically(path, recordFileBytes(record), platform::WriteMode::Replace);
}

NewRecordWrite writeNewRecordFile(const std::string& folder, const platform::LocalDateTime& moment,
                                  const Record& record) {
    const std::string bytes = recordFileBytes(record);
    NewRecordWrite result;
    for (int offset = 0; offset < kMaxRecordNumberTries; ++offset) {
        result.number = recordNumber(platform::addSeconds(moment, offset));
        result.status =
            platform::writeFileAtomically(folder + "/" + result.number, bytes, platform::WriteMode::CreateNew);
        if (result.status.error != EEXIST)
            return result;
    }
    return result;
}

} // namespace qb::store
