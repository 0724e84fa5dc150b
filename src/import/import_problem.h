#pragma once
// Why an import stops before the end of its file, and what the user is told about it.

#include <string>

namespace qb::import {

/** Why an import stopped before the end of its file. */
enum class ImportProblem {
    None,
    CannotRead,    ///< the import file could not be opened or read
    FileTooLarge,  ///< the import file is larger than kMaxImportFileBytes
    Unmappable,    ///< the file holds a character Windows-1252 cannot hold; no record was written
    BadUtf16,      ///< the file begins with a UTF-16 byte-order mark but is not UTF-16; no record was written
    ShortRecord,   ///< the file ran out of fields in the middle of a record (an empty file included)
    FieldTooLong,  ///< a field longer than a field read takes
    RecordTooLong, ///< a record text longer than kMaxImportedRecordBytes
    CannotWrite,   ///< a record file could not be created or written
};

/** The sentence that tells the user why a file is no text the import can read (broken UTF-16); empty for the
 *  other problems. */
[[nodiscard]] std::string unreadableTextReason(ImportProblem problem);

} // namespace qb::import
