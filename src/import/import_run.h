#pragma once
// The comma-delimited import: every run of N consecutive fields of a file becomes one new record whose text holds
// the fields one per line; the records are spaced two seconds apart so each gets a record number of its own.

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "import/import_problem.h"
#include "platform/clock.h"
#include "platform/status.h"
#include "store/record_file.h"

namespace qb::import {

/** The largest record text an import makes; a longer one takes the problem path. */
inline constexpr std::size_t kMaxImportedRecordBytes = std::size_t{1024} * 1024;

/** The time each record waits after its number was made, so that no two records of a run share a number. */
inline constexpr std::chrono::seconds kRecordSpacing{2};

/** What an import tells while it runs, and how it learns that the user wants it to stop. */
class ImportWatcher {
public:
    virtual ~ImportWatcher() = default;
    /** The file has been read: it holds this many whole records (a short last record is not counted). */
    virtual void begin(std::size_t records) = 0;
    /** Another record file is complete; written counts them so far. */
    virtual void recordWritten(std::size_t written) = 0;
    /** Whether the user asked to stop. Asked once each record is complete, after its wait. */
    [[nodiscard]] virtual bool stopRequested() = 0;
};

/** Where an import puts the records it makes. */
class RecordSink {
public:
    virtual ~RecordSink() = default;
    /** Writes a new record made at the moment, as store::writeNewRecordFile() does: under the moment's number, or
     *  under the next free second's when that one is taken; never in place of an existing record. */
    [[nodiscard]] virtual store::SaveResult writeNew(const platform::LocalDateTime& moment,
                                                     const store::Record& record) = 0;
};

/** What an import did. */
struct [[nodiscard]] ImportResult {
    ImportProblem problem = ImportProblem::None;
    bool stopped = false; ///< the user stopped it: the records written stay, the remaining ones were not written
    std::vector<std::string> numbers;   ///< the record numbers written, in file order
    std::optional<char32_t> unmappable; ///< with ImportProblem::Unmappable, the character
    platform::Status status;            ///< with CannotRead and CannotWrite, the system's reason
    [[nodiscard]] bool ok() const { return problem == ImportProblem::None; }
};

/**
 * Imports a comma-delimited file (POSIX path) into a folder (POSIX path) with fieldsPerRecord fields per record.
 * Each record's text is its fields, each followed by CR LF; its reminder date is empty. The record number is
 * made from the clock once the record's last field has been read; an existing file is never replaced (the
 * number moves on to the next free second). The run then waits, measured as elapsed time, until two seconds have
 * passed since the number's moment, and tests for the end of the file only after a whole record. On a problem
 * the records already written stay and nothing of the unfinished record is written. A count below 1 is refused
 * as a ShortRecord problem before the file is read. A watcher, when given, hears how many records the file holds
 * and each record written, and may stop the run between two records.
 */
[[nodiscard]] ImportResult importRecords(const std::string& importPath, int fieldsPerRecord, const std::string& folder,
                                         platform::Clock& clock, ImportWatcher* watcher = nullptr);

/** Imports the bytes of a comma-delimited file into the sink, exactly as importRecords() imports a file into a
 *  folder once it has read it. */
[[nodiscard]] ImportResult importBytes(std::string file, int fieldsPerRecord, RecordSink& sink, platform::Clock& clock,
                                       ImportWatcher* watcher = nullptr);

/** How many whole records of fieldsPerRecord fields an import of these (decoded) bytes makes before it runs out of
 *  fields: the fields are counted as the import reads them. */
[[nodiscard]] std::size_t wholeRecords(const std::string& bytes, int fieldsPerRecord);

/** The progress of an import in words: "Record 37 of 500 - about 15 minutes left", the time left being the two
 *  seconds of each record from this one on. */
[[nodiscard]] std::string progressText(std::size_t record, std::size_t total);

} // namespace qb::import
