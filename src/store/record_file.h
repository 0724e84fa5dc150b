#pragma once
// Record files: each record is a file of its own, named by its record number (the creation moment), holding
// two quoted lines, the reminder date and the record text.

#include <cstddef>
#include <optional>
#include <string>

#include "platform/clock.h"
#include "platform/safe_write.h"
#include "platform/status.h"
#include "store/field_reader.h"

namespace qb::store {

/** The most characters a record text holds: the record text box takes no more, and a reformat that would make it
 *  longer is refused. */
inline constexpr std::size_t kRecordTextLimit = 30000;

/** A record as it is stored: both fields are Windows-1252 text. */
struct Record {
    std::string reminderDate; ///< empty, or a date typed as mm/dd/yy
    std::string text;         ///< the record text, CR LF between lines
    friend bool operator==(const Record&, const Record&) = default;
};

/** The record number of a moment: month, day, hour, minute, ".", last digit of the year, second (12061403.659). */
[[nodiscard]] std::string recordNumber(const platform::LocalDateTime& moment);

/** The exact bytes of a record file: the quoted reminder date and the quoted text, each ended by CR LF. */
[[nodiscard]] std::string recordFileBytes(const Record& record);

/** The result of reading a record file. */
struct [[nodiscard]] ReadResult {
    /** What the read gave. */
    enum class Kind {
        Read,       ///< record holds the record
        CannotOpen, ///< missing, unreadable or not a file
        NotARecord, ///< fewer than two fields, a field too long, or a read error
    };
    Kind kind = Kind::CannotOpen;
    Record record;
    [[nodiscard]] bool ok() const { return kind == Kind::Read; }
};

/** Reads a record by two field reads (reminder date, then text, as general values) from a reader that is open on
 *  its bytes. */
[[nodiscard]] ReadResult readRecord(FieldReader& reader);

/** Reads a record file by two field reads (reminder date, then text, as general values) and closes it. The reader
 *  is passed in so a walk over many files reuses its buffer. */
[[nodiscard]] ReadResult readRecordFile(FieldReader& reader, const std::string& path);

/** A record as a window shows it: its number, the record, and the version of its file that it was read as; nothing
 *  when the file could not be read again as it was shown, so that a resave replaces nothing that stands at its name. */
struct Recalled {
    std::string number;
    Record record;
    std::optional<platform::FileVersion> version;
};

/** Reads the record file of a number in a folder (POSIX path) again as it is shown, with its version; found (what a
 *  walk read of it) is the record shown when the file cannot be read as a record now. */
[[nodiscard]] Recalled recallRecordFile(const std::string& folder, const std::string& number, Record found);

/** The name a record number (Windows-1252) has on the disk, where names are UTF-8. */
[[nodiscard]] std::string recordFileName(const std::string& number);

/** Why a record number cannot name a record file in a folder (it is empty, "." or "..", or holds "\", "/" or a NUL
 *  byte), as a failed action; ok when it can. */
[[nodiscard]] platform::Status recordNumberProblem(const std::string& number, const char* action);

/**
 * Rewrites the record file of a record shown, in a folder (POSIX path), in one safe write, replacing exactly the
 * version it was shown as (platform::replaceVersion()): a file changed elsewhere since is left as it is (Changed). A
 * record file that is a symbolic link of the user's own is written through it; the new file has the rights of the
 * version shown, never more; a record file that may not be written is refused and left as it is.
 */
[[nodiscard]] platform::ReplaceResult rewriteRecordFile(const std::string& folder, const Recalled& shown,
                                                        const Record& record);

/** The result of writing a record: the status and the record number its file has. */
struct [[nodiscard]] SaveResult {
    platform::Status status;
    std::string number;
    /** On a resave, the number of the record shown when its file was changed elsewhere since it was shown: that file
     *  was left as it is, and the text saved as a new record (number). */
    std::string changedElsewhere;
    [[nodiscard]] bool ok() const { return status.ok(); }
};

/** How many later seconds a new record may move on to when its number is taken. */
inline constexpr int kMaxRecordNumberTries = 100000;

/**
 * Writes a new record into a folder (POSIX path) under the number of the given moment. An existing file is never
 * replaced, also when another machine wrote it: when the number is taken the record takes the number of the next
 * second whose name is free, so the number still tells the creation time to within seconds. It gives up, with
 * EEXIST and a reason that names the first number and how many numbers it tried, after `tries` numbers or half a
 * second, whichever comes first.
 */
[[nodiscard]] SaveResult writeNewRecordFile(const std::string& folder, const platform::LocalDateTime& moment,
                                            const Record& record, int tries = kMaxRecordNumberTries);

} // namespace qb::store
