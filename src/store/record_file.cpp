#include "store/record_file.h"

#include <cerrno>
#include <cstdio>

#include "platform/cp1252.h"
#include "platform/folder.h"
#include "platform/safe_write.h"
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

ReadResult readRecord(FieldReader& reader) {
    ReadResult result;
    FieldRead date = reader.read();
    FieldRead text = date.ok() ? reader.read() : FieldRead{};
    if (!date.ok() || !text.ok()) {
        result.kind = ReadResult::Kind::NotARecord;
        return result;
    }
    // Both are general values; a quoted field stays as it is, so it is moved rather than copied.
    const auto valueOf = [](Field& field) { return field.quoted ? std::move(field.text) : generalValue(field); };
    result.kind = ReadResult::Kind::Read;
    result.record.reminderDate = valueOf(*date.field);
    result.record.text = valueOf(*text.field);
    return result;
}

ReadResult readRecordFile(FieldReader& reader, const std::string& path) {
    if (reader.open(path) != 0) {
        reader.close();
        return {};
    }
    ReadResult result = readRecord(reader);
    reader.close();
    return result;
}

std::string recordFileName(const std::string& number) {
    return platform::cp1252ToUtf8(number);
}

platform::Status recordNumberProblem(const std::string& number, const char* action) {
    if (platform::isPlainFileName(number))
        return {};
    return platform::Status::failure(
        EINVAL, std::string(action) + " (a record number may not be empty, . or .., nor hold \\, / or a NUL byte)");
}

platform::Status writeRecordFile(const std::string& folder, const std::string& number, const Record& record) {
    if (platform::Status problem = recordNumberProblem(number, "save"); !problem.ok())
        return problem;
    const platform::Folder open(folder);
    if (!open.status().ok())
        return open.status();
    return platform::replaceFile(open, recordFileName(number), recordFileBytes(record));
}

SaveResult writeNewRecordFile(const std::string& folder, const platform::LocalDateTime& moment, const Record& record) {
    SaveResult result;
    const platform::Folder open(folder);
    if (!open.status().ok()) {
        result.status = open.status();
        return result;
    }
    // One temporary file, written once, is offered one number after another until a name is free.
    platform::StagedFile staged(open, recordNumber(moment), recordFileBytes(record), platform::FileAccess::Shared);
    result.status = staged.status();
    if (!result.status.ok())
        return result;
    for (int offset = 0; offset < kMaxRecordNumberTries; ++offset) {
        result.number = recordNumber(platform::addSeconds(moment, offset));
        result.status = staged.publishNew(result.number);
        if (result.status.error != EEXIST)
            return result;
    }
    return result;
}

} // namespace qb::store
