#include "store/field_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>
#include <utility>

#include "platform/read_only_file.h"

namespace qb::store {
namespace {

constexpr std::size_t kChunk = 16384;

bool isLineEnd(int c) {
    return c == '\r' || c == '\n';
}

// The next byte from `from` on that is no space; npos when there is none. A NUL byte ends the run of spaces like
// any other byte; the one that ends c_str() lies past the end.
std::size_t nextNonSpace(const std::string& buffer, std::size_t from) {
    const std::size_t at = from + std::strspn(buffer.c_str() + from, " ");
    return at < buffer.size() ? at : std::string::npos;
}

std::size_t nextQuote(const std::string& buffer, std::size_t from) {
    return buffer.find('"', from);
}

// The next comma or line end from `from` on; npos when there is none. strcspn also stops at a NUL byte, which a
// binary file may hold anywhere: the search goes on after each one but the NUL that ends c_str().
std::size_t nextDelimiter(const std::string& buffer, std::size_t from) {
    const char* const bytes = buffer.c_str();
    for (std::size_t at = from;; ++at) {
        at += std::strcspn(bytes + at, ",\r\n");
        if (at >= buffer.size())
            return std::string::npos;
        if (bytes[at] != '\0')
            return at;
    }
}

} // namespace

FieldReader::FieldReader(std::string bytes, QuoteRule quoteRule) : buffer_(std::move(bytes)), quoteRule_(quoteRule) {}
FieldReader::FieldReader(std::string bytes, QuoteRule quoteRule, std::size_t chunkBytes)
    : pending_(std::move(bytes)), chunk_(std::max<std::size_t>(chunkBytes, 1)), quoteRule_(quoteRule) {}
FieldReader::FieldReader() = default;
FieldReader::~FieldReader() {
    close();
}

int FieldReader::open(const std::string& path) {
    close();
    platform::ReadOnlyFile file = platform::ReadOnlyFile::open(path);
    if (!file.ok())
        return file.status().error;
    fd_ = file.release();
    return 0;
}

void FieldReader::close() {
    fd_.reset();
    buffer_.clear();
    pos_ = 0;
    ioError_ = false;
    pending_.clear();
    pendingPos_ = 0;
}

void FieldReader::adopt(platform::Descriptor fd) {
    close();
    fd_ = std::move(fd);
}

bool FieldReader::fill() {
    if ((!fd_.valid() && pendingPos_ >= pending_.size()) || ioError_)
        return false;
    if (pos_ > 0) { // keep the buffer small: drop what was consumed
        buffer_.erase(0, pos_);
        pos_ = 0;
    }
    if (fd_.valid())
        return readFromFile();
    const std::size_t n = std::min(chunk_, pending_.size() - pendingPos_);
    buffer_.append(pending_, pendingPos_, n);
    pendingPos_ += n;
    return true;
}

bool FieldReader::readFromFile() {
    char chunk[kChunk]; // read beside the buffer, so the buffer never has to be cleared to zeros first
    ssize_t n;
    do {
        n = ::read(fd_.get(), chunk, sizeof chunk);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        ioError_ = true;
        return false;
    }
    buffer_.append(chunk, static_cast<std::size_t>(n));
    return n > 0;
}

int FieldReader::peek() {
    if (pos_ >= buffer_.size() && !fill())
        return -1;
    return static_cast<unsigned char>(buffer_[pos_]);
}

bool FieldReader::atEnd() {
    return peek() < 0;
}

void FieldReader::consumeLineEnd(int first) {
    ++pos_;
    if (first == '\r' && peek() == '\n')
        ++pos_;
}

template <typename FindStop> int FieldReader::scan(FindStop findStop, std::string* text, std::size_t& used) {
    while (used <= kMaxFieldBytes) {
        if (pos_ >= buffer_.size() && !fill())
            return -1;
        const std::size_t stop = findStop(buffer_, pos_);
        const std::size_t end = std::min(std::min(stop, buffer_.size()), pos_ + (kMaxFieldBytes + 1 - used));
        if (text)
            text->append(buffer_, pos_, end - pos_);
        used += end - pos_;
        pos_ = end;
        if (end == stop)
            return static_cast<unsigned char>(buffer_[pos_]);
    }
    return peek();
}

FieldRead FieldReader::read() {
    FieldRead result;
    if (atEnd()) {
        result.failure = ioError_ ? ReadFailure::IoError : ReadFailure::PastEnd;
        return result;
    }
    Field field;
    // Every byte the read goes through counts toward the limit, also the spaces before the field and what follows its
    // closing quote, so that no file, however large, holds up a read for longer than kMaxFieldBytes take.
    std::size_t used = 0;
    int c = scan(nextNonSpace, nullptr, used);
    if (c == '"') {
        field.quoted = true;
        ++pos_;
        // the text up to the closing quote; under the doubled-quote rule two quotes in a row are one of the text
        while (scan(nextQuote, &field.text, used) == '"') {
            ++pos_;
            if (quoteRule_ != QuoteRule::DoubledQuote || peek() != '"')
                break;
            field.text.push_back('"');
            ++used;
            ++pos_;
        }
        c = scan(nextDelimiter, nullptr, used); // whatever follows the closing quote up to the delimiter is skipped
    } else {
        c = scan(nextDelimiter, &field.text, used);
    }
    if (used > kMaxFieldBytes) { // before a plain field's trailing spaces go: they were read too
        result.failure = ReadFailure::TooLong;
        return result;
    }
    if (ioError_) {
        result.failure = ReadFailure::IoError;
        return result;
    }
    if (!field.quoted)
        field.text.erase(field.text.find_last_not_of(' ') + 1);
    if (c == ',')
        ++pos_;
    else if (isLineEnd(c))
        consumeLineEnd(c);
    result.field = std::move(field);
    return result;
}

} // namespace qb::store
