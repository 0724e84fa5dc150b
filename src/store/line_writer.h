#pragma once
// Building a text file by line writes; the finished bytes go to disk in one safe write.

#include <string>
#include <string_view>

namespace qb::store {

/** The bytes of a text file being written: each line write adds the text and CR LF. */
class LineWriter {
public:
    /** Appends the text's characters, then CR LF. */
    void lineWrite(std::string_view text) {
        bytes_.append(text);
        bytes_.append("\r\n");
    }
    /** Appends a quoted field: a double quote, the value, a double quote, CR LF. */
    void lineWriteQuoted(std::string_view value) {
        bytes_.push_back('"');
        bytes_.append(value);
        bytes_.push_back('"');
        bytes_.append("\r\n");
    }
    /** Everything written so far. */
    const std::string& bytes() const { return bytes_; }

private:
    std::string bytes_;
};

} // namespace qb::store
