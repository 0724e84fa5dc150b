#pragma once
// Sequential text files read field by field: a quoted field runs to the next double quote (commas and line
// breaks included), a plain one to the next comma or line end with its trailing spaces removed. The import reads
// spreadsheet files, where two double quotes in a row inside a quoted field stand for one.

#include <cstddef>
#include <optional>
#include <string>

#include "platform/descriptor.h"
#include "store/general_value.h" // what the program keeps of the fields read

namespace qb::store {

/** The most bytes one field read goes through: the spaces before the field, its text and whatever follows a
 *  closing quote up to the delimiter. A longer field means the file is not one of ours (saving writes at most 30000
 *  characters and an imported record at most kMaxImportedRecordBytes, both far below this), and the bound keeps a
 *  file of a few quotes and a huge run of zeros from being read for ever. */
inline constexpr std::size_t kMaxFieldBytes = std::size_t{4} * 1024 * 1024;

/** One field as a field read returns it. */
struct Field {
    std::string text;    ///< the characters of the field, Windows-1252
    bool quoted = false; ///< whether it began with a double quote in the file
};

/** Why a field read gave no field. */
enum class ReadFailure {
    PastEnd, ///< a read after the last field
    TooLong, ///< a field read that would go through more than kMaxFieldBytes
    IoError, ///< the system could not read the file
};

/** What a double quote inside a quoted field means. */
enum class QuoteRule {
    NextQuoteEnds, ///< the next double quote ends the field, as in the program's own files
    DoubledQuote,  ///< two double quotes in a row stand for one, as spreadsheets write a quote inside a cell
};

/** The result of one field read: a field, or why there is none. */
struct [[nodiscard]] FieldRead {
    std::optional<Field> field;
    ReadFailure failure = ReadFailure::PastEnd; ///< meaningful only without a field
    [[nodiscard]] bool ok() const { return field.has_value(); }
};

/**
 * Reads fields from a file or from bytes in memory. Line ends are CR LF; a lone CR or a lone LF also ends a line,
 * so files written on other systems read as expected. Spaces before a field are skipped; tabs are ordinary
 * characters.
 */
class FieldReader {
public:
    /** A reader over bytes in memory, for imports and tests. */
    explicit FieldReader(std::string bytes, QuoteRule quoteRule = QuoteRule::NextQuoteEnds);
    /** A reader over bytes in memory that takes them chunkBytes at a time, as it takes a file one read at a time;
     *  it gives the same fields as one that has them all at once, wherever the pieces end. */
    FieldReader(std::string bytes, QuoteRule quoteRule, std::size_t chunkBytes);
    /** A reader with no file; open() gives it one. */
    FieldReader();
    ~FieldReader();
    FieldReader(const FieldReader&) = delete;
    FieldReader& operator=(const FieldReader&) = delete;

    /** Opens an ordinary file for reading (closing any open one) without waiting, so a named pipe or a device in
     *  its place is refused (EINVAL); the errno on failure, 0 on success. */
    [[nodiscard]] int open(const std::string& path);
    /** The next field. */
    [[nodiscard]] FieldRead read();
    /** True when no character remains to be read. */
    [[nodiscard]] bool atEnd();
    /** Closes the file; a reader over memory just forgets its bytes. */
    void close();
    /** Reads an open file from its current offset on (closing any open one); the reader takes the descriptor over
     *  and closes it. */
    void adopt(platform::Descriptor fd);

private:
    [[nodiscard]] bool fill(); // takes more of the file or of the pending bytes; false at the end or on an error
    [[nodiscard]] bool readFromFile(); // fill() from the file, apart: its stack buffer is needed only here
    [[nodiscard]] int peek();          // the next byte, or -1 at the end
    void consumeLineEnd(int first);
    // Moves on a buffer at a time to the byte findStop(buffer, from) finds, appending what it passes to text when
    // given, and stops once used (grown by every byte passed) is over kMaxFieldBytes. The byte it stopped at, or -1
    // at the end.
    template <typename FindStop> int scan(FindStop findStop, std::string* text, std::size_t& used);

    platform::Descriptor fd_;
    std::string buffer_;
    std::size_t pos_ = 0;
    bool ioError_ = false;
    std::string pending_; // bytes in memory not yet taken into the buffer, for a reader that takes them in chunks
    std::size_t pendingPos_ = 0;
    std::size_t chunk_ = 0;
    QuoteRule quoteRule_ = QuoteRule::NextQuoteEnds;
};

} // namespace qb::store
