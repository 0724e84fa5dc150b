#include "store/record_file.h"

#include <cerrno>
#include <chrono>
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

Recalled recallRecordFile(const std::string& folder, const std::string& number, Record found) {
    Recalled recalled{number, std::move(found), std::nullopt};
    const platform::Folder open(folder);
    if (!recordNumberProblem(number, "recall").ok() || !open.status().ok())
        return recalled;
    // Two whole fields at most, and their quotes and line ends.
    platform::VersionRead read = platform::readVersion(open, recordFileName(number), 2 * kMaxFieldBytes + 8);
    if (!read.ok())
        return recalled;
    FieldReader reader(std::string(read.version.bytes));
    if (ReadResult again = readRecord(reader); again.ok()) {
        recalled.record = std::move(again.record);
        recalled.version = std::move(read.version);
    }
    return recalled;
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

platform::ReplaceResult rewriteRecordFile(const std::string& folder, const Recalled& shown, const Record& record) {
    if (platform::Status problem = recordNumberProblem(shown.number, "save"); !problem.ok())
        return {platform::ReplaceResult::Kind::Failed, std::move(problem)};
    const platform::Folder open(folder);
    if (!open.status().ok())
        return {platform::ReplaceResult::Kind::Failed, open.status()};
    return platform::replaceVersion(open, recordFileName(shown.number), recordFileBytes(record), shown.version);
}

SaveResult writeNewRecordFile(const std::string& folder, const platform::LocalDateTime& moment, const Record& record,
                              int tries) {
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
    // Files planted under every number from a moment on must not hold the save up: it gives up in half a second, a
    // limit looked at before each number, since on a share one try may take a rename's 20 ms.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
    int taken = 0;
    while (taken < tries && std::chrono::steady_clock::now() < deadline) {
        result.number = recordNumber(platform::addSeconds(moment, taken));
        result.status = staged.publishNew(result.number);
        if (result.status.error != EEXIST)
            return result;
        ++taken;
    }
    result.status = platform::Status::failure(EEXIST, "save (no record number is free: the " + std::to_string(taken) +
                                                          " numbers tried from " + recordNumber(moment) +
                                                          " on are all taken by other files)");
    result.number.clear();
    return result;
}

} // namespace qb::store
