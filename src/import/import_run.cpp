#include "import/import_run.h"

#include <algorithm>
#include <cerrno>

#include "import/import_text.h"
#include "platform/files.h"
#include "store/field_reader.h"
#include "store/record_file.h"

namespace qb::import {
namespace {

ImportProblem problemOf(store::ReadFailure failure) {
    switch (failure) {
    case store::ReadFailure::PastEnd:
        return ImportProblem::ShortRecord;
    case store::ReadFailure::TooLong:
        return ImportProblem::FieldTooLong;
    case store::ReadFailure::IoError:
        break;
    }
    return ImportProblem::CannotRead;
}

// How many seconds past the moment the number that was written lies: a taken number moves the record on to the
// next free second, and the wait grows by as much so the next record's number is still two seconds later.
long long secondsMovedOn(const platform::LocalDateTime& moment, const std::string& number) {
    for (int offset = 0; offset < store::kMaxRecordNumberTries; ++offset) {
        if (store::recordNumber(platform::addSeconds(moment, offset)) == number)
            return offset;
    }
    return 0;
}

// Gathers the next record's text by exactly `count` field reads.
ImportProblem readRecordText(store::FieldReader& reader, int count, std::string& text) {
    text.clear();
    for (int i = 0; i < count; ++i) {
        store::FieldRead read = reader.read();
        if (!read.ok())
            return problemOf(read.failure);
        text += withoutDoubleQuotes(std::move(read.field->text));
        text += "\r\n";
        if (text.size() > kMaxImportedRecordBytes)
            return ImportProblem::RecordTooLong;
    }
    return ImportProblem::None;
}

// The records of an import of a file go into a folder, each a new record file.
class FolderSink final : public RecordSink {
public:
    explicit FolderSink(const std::string& folder) : folder_(folder) {}
    store::SaveResult writeNew(const platform::LocalDateTime& moment, const store::Record& record) override {
        return store::writeNewRecordFile(folder_, moment, record);
    }

private:
    const std::string& folder_;
};

// About how long the rest takes, in the largest units that say it: "40 seconds", "15 minutes", "2 hours 5 minutes".
std::string durationText(long long seconds) {
    const auto unit = [](long long count, const char* name) {
        return std::to_string(count) + " " + name + (count == 1 ? "" : "s");
    };
    if (seconds < 60)
        return unit(seconds, "second");
    const long long minutes = (seconds + 30) / 60;
    if (minutes < 60)
        return unit(minutes, "minute");
    const std::string hours = unit(minutes / 60, "hour");
    return minutes % 60 == 0 ? hours : hours + " " + unit(minutes % 60, "minute");
}

} // namespace

std::size_t wholeRecords(const std::string& bytes, int fieldsPerRecord) {
    if (fieldsPerRecord < 1)
        return 0;
    // The import reads on until a read finds the end of the file, testing for the end only after whole records.
    store::FieldReader reader(bytes, store::QuoteRule::DoubledQuote);
    std::size_t fields = 0;
    while (!reader.atEnd() && reader.read().ok())
        ++fields;
    return fields / static_cast<std::size_t>(fieldsPerRecord);
}

std::string progressText(std::size_t record, std::size_t total) {
    const long long recordsLeft = static_cast<long long>(total) - static_cast<long long>(std::min(record, total)) + 1;
    const long long secondsLeft = recordsLeft * kRecordSpacing.count();
    return "Record " + std::to_string(record) + " of " + std::to_string(total) + " - about " +
           durationText(secondsLeft) + " left";
}

ImportResult importRecords(const std::string& importPath, int fieldsPerRecord, const std::string& folder,
                           platform::Clock& clock, ImportWatcher* watcher) {
    std::string file;
    if (fieldsPerRecord >= 1) { // a count that is refused is refused before the file is read
        const platform::Status read = platform::readWholeFile(importPath, file, kMaxImportFileBytes);
        if (!read.ok()) {
            ImportResult result;
            result.status = read;
            result.problem = read.error == EFBIG ? ImportProblem::FileTooLarge : ImportProblem::CannotRead;
            return result;
        }
    }
    FolderSink sink(folder);
    return importBytes(std::move(file), fieldsPerRecord, sink, clock, watcher);
}

ImportResult importBytes(std::string file, int fieldsPerRecord, RecordSink& sink, platform::Clock& clock,
                         ImportWatcher* watcher) {
    ImportResult result;
    if (fieldsPerRecord < 1) { // a record of no fields would never use the file up
        result.problem = ImportProblem::ShortRecord;
        return result;
    }
    ImportText text = decodeImportFile(file);
    file.clear();
    if (!text.ok()) {
        result.problem = text.problem;
        result.unmappable = text.unmappable;
        return result;
    }

    if (watcher)
        watcher->begin(wholeRecords(text.bytes, fieldsPerRecord));
    // A spreadsheet writes a double quote inside a quoted cell as two.
    store::FieldReader reader(std::move(text.bytes), store::QuoteRule::DoubledQuote);
    store::Record record;
    for (;;) {
        result.problem = readRecordText(reader, fieldsPerRecord, record.text);
        if (!result.ok())
            return result;
        const platform::LocalDateTime moment = clock.now();
        const auto numberMade = clock.elapsedNow();
        const store::SaveResult written = sink.writeNew(moment, record);
        if (!written.status.ok()) {
            result.problem = ImportProblem::CannotWrite;
            result.status = written.status;
            return result;
        }
        result.numbers.push_back(written.number);
        if (watcher)
            watcher->recordWritten(result.numbers.size());
        clock.waitUntil(numberMade + kRecordSpacing + std::chrono::seconds(secondsMovedOn(moment, written.number)));
        if (reader.atEnd())
            return result;
        if (watcher && watcher->stopRequested()) {
            result.stopped = true;
            return result;
        }
    }
}

} // namespace qb::import
