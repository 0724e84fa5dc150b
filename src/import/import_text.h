#pragma once
// The text of an import file as the record files keep it: Windows-1252, one byte per character.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "import/import_problem.h"

namespace qb::import {

/** The largest import file the program reads; a larger one takes the problem path. */
inline constexpr std::size_t kMaxImportFileBytes = std::size_t{64} * 1024 * 1024;

/** An import file's bytes turned into Windows-1252, or why they cannot be. */
struct [[nodiscard]] ImportText {
    std::string bytes;                           ///< the Windows-1252 text, complete only when ok()
    ImportProblem problem = ImportProblem::None; ///< Unmappable or BadUtf16 when the text is unusable
    std::optional<char32_t> unmappable;          ///< with Unmappable, the character Windows-1252 cannot hold
    [[nodiscard]] bool ok() const { return problem == ImportProblem::None; }
};

/**
 * Decides how an import file is encoded and turns it into Windows-1252. A file with a UTF-16 byte-order mark
 * (little- or big-endian) is read as UTF-16, as spreadsheets save "Unicode text". A file that is valid UTF-8
 * (after an optional byte-order mark, which is dropped) and holds characters beyond ASCII is read as UTF-8, as a
 * spreadsheet writes it on this system; any other file is taken byte for byte as Windows-1252, the code page of
 * the record files. NUL bytes are kept as they are.
 */
[[nodiscard]] ImportText decodeImportFile(std::string_view file);

/** A field's text as an imported record keeps it: each double quote becomes a single quote, since a double quote
 *  would end the record file's quoted text early. */
[[nodiscard]] std::string withoutDoubleQuotes(std::string text);

} // namespace qb::import
