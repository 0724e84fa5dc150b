#pragma once
// The text of an import file as the record files keep it: Windows-1252, one byte per character.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qb::import {

/** The largest import file the program reads; a larger one takes the problem path. */
inline constexpr std::size_t kMaxImportFileBytes = 64 * 1024 * 1024;

/** An import file's bytes turned into Windows-1252, or the first character that code page cannot hold. */
struct ImportText {
    std::string bytes;                  ///< the Windows-1252 text, complete only when ok()
    std::optional<char32_t> unmappable; ///< a character of the file that Windows-1252 cannot hold
    bool ok() const { return !unmappable.has_value(); }
};

/**
 * Decides how an import file is encoded and turns it into Windows-1252. A file that is valid UTF-8 (after an
 * optional byte-order mark, which is dropped) and holds characters beyond ASCII is read as UTF-8, as a
 * spreadsheet writes it on this system; any other file is taken byte for byte as Windows-1252, the code page of
 * the record files.
 */
ImportText decodeImportFile(std::string_view file);

/** A field's text as an imported record keeps it: each double quote becomes a single quote, since a double quote
 *  would end the record file's quoted text early. Only a plain field can hold one. */
std::string withoutDoubleQuotes(std::string text);

} // namespace qb::import
