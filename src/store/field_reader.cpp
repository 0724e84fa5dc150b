#include "store/field_reader.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace qb::store {
namespace {

constexpr std::size_t kChunk = 16384;

bool isLineEnd(int c) {
    return c == '\r' || c == '\n';
}

} // namespace

FieldReader::FieldReader(std::string bytes, QuoteRule quoteRule) : buffer_(std::move(bytes)), quoteRule_(quoteRule) {}
FieldReader::FieldReader() = default;
FieldReader::~FieldReader() {
    close();
}

int FieldReader::open(const std::string& path) {
    close();
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    return fd_ < 0 ? errno : 0;
}

void FieldReader::close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    buffer_.clear();
    pos_ = 0;
    ioError_ = false;
}

void FieldReader::adopt(int fd) {
    close();
    fd_ = fd;
}

bool FieldReader::fill() {
    if (fd_ < 0 || ioError_)
        return false;
    if (pos_ > 0) { // keep the buffer small: drop what was consumed
        buffer_.erase(0, pos_);
        pos_ = 0;
    }
    char chunk[kChunk]; // read beside the buffer, so the buffer never has to be cleared to zeros first
    ssize_t n;
    do {
        n = ::read(fd_, chunk, sizeof chunk);
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

FieldRead FieldReader::read() {
    FieldRead result;
    if (atEnd()) {
        result.failure = ioError_ ? ReadFailure::IoError : ReadFailure::PastEnd;
        return result;
    }
    while (peek() == ' ')
        ++pos_;
    Field field;
    const auto tooLong = [&] { return field.text.size() > kMaxFieldBytes; };
    int c = peek();
    if (c == '"') {
        field.quoted = true;
        ++pos_;
        for (;;) {
            // the text up to the next quote, taken a buffer at a time
            while ((c = peek()) >= 0 && c != '"' && !tooLong()) {
                const std::size_t quote = buffer_.find('"', pos_);
                const std::size_t end = quote == std::string::npos ? buffer_.size() : quote;
                field.text.append(buffer_, pos_, end - pos_);
                pos_ = end;
            }
            if (c != '"')
                break;
            ++pos_; // the closing quote, unless the rule makes it and a second one a quote of the text
            if (quoteRule_ != QuoteRule::DoubledQuote || peek() != '"')
                break;
            field.text.push_back('"');
            ++pos_;
        }
        // whatever follows the closing quote up to the delimiter is skipped
        while ((c = peek()) >= 0 && c != ',' && !isLineEnd(c))
            ++pos_;
    } else {
        while ((c = peek()) >= 0 && c != ',' && !isLineEnd(c) && !tooLong()) {
            field.text.push_back(static_cast<char>(c));
            ++pos_;
        }
        while (!field.text.empty() && field.text.back() == ' ')
            field.text.pop_back();
    }
    if (tooLong()) {
        result.failure = ReadFailure::TooLong;
        return result;
    }
    if (ioError_) {
        result.failure = ReadFailure::IoError;
        return result;
    }
    if (c == ',')
        ++pos_;
    else if (isLineEnd(c))
        consumeLineEnd(c);
    result.field = std::move(field);
    return result;
}

} // namespace qb::store
