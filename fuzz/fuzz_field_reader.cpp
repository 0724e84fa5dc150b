// Field reads of arbitrary bytes. The same bytes are read from memory and from a file; when the first byte asks for
// it they follow a filler that puts them across the reader's 16 KiB refill, at one of 32 offsets. Both readers
// must give the same fields, each field must have the shape a field read promises, the reads must come to an end,
// and every number's text form must read back as itself.

#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "store/field_reader.h"

using namespace qb::store;
using qb::fuzz::check;

namespace {

constexpr std::size_t kRefill = 16384;

void checkShape(const Field& field) {
    const std::string& t = field.text;
    check(t.size() <= kMaxFieldBytes, "a field is at most kMaxFieldBytes long");
    if (field.quoted) {
        check(t.find('"') == std::string::npos, "a quoted field holds no double quote", t);
        check(generalValue(field) == t, "a quoted field is kept as text", t);
        return;
    }
    check(t.find_first_of(",\r\n") == std::string::npos, "a plain field holds no comma or line end", t);
    check(t.empty() || (t.front() != ' ' && t.back() != ' '), "a plain field has no outer spaces", t);
    check(t.empty() || t.front() != '"', "a plain field never begins with a double quote", t);
    if (const auto number = numberTextForm(t)) {
        check(!number->empty() && numberTextForm(*number) == number, "a number's text form reads back as itself",
              t + " -> " + *number);
        check(generalValue(field) == *number, "a plain number is kept in its text form", t);
    } else {
        check(generalValue(field) == t, "plain text that is no number is kept as it is", t);
    }
}

// A quoted field of filler that puts the fuzz bytes `offset` bytes before the reader's first refill.
std::string fillerBefore(std::size_t offset) {
    const std::size_t fillerLength = kRefill - offset - 4; // quote, filler, quote, CR LF
    return "\"" + std::string(fillerLength, 'x') + "\"\r\n";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    // One input in eight goes behind the filler: reading 16 KiB of it is most of the work of a run.
    std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    if ((data[0] & 7) == 0)
        bytes = fillerBefore(data[0] >> 3) + bytes;

    static qb::fuzz::MemoryFile file;
    file.set(bytes);
    FieldReader fromMemory(bytes);
    FieldReader fromFile;
    check(fromFile.open(file.path()) == 0, "the file in memory opens");

    // Each successful read consumes at least one byte, so there are at most size + 1 reads.
    for (std::size_t reads = 0;; ++reads) {
        check(reads <= bytes.size() + 1, "field reads come to an end");
        const bool atEnd = fromMemory.atEnd();
        check(fromFile.atEnd() == atEnd, "end of file is the same from memory and from a file");
        const FieldRead a = fromMemory.read();
        const FieldRead b = fromFile.read();
        check(a.ok() == b.ok(), "a read succeeds from memory exactly when it does from a file");
        check(a.ok() != atEnd, "a read fails exactly at the end of the bytes");
        if (!a.ok()) {
            check(a.failure == ReadFailure::PastEnd && b.failure == ReadFailure::PastEnd,
                  "a read after the last field fails as a read past the end");
            break;
        }
        check(a.field->text == b.field->text && a.field->quoted == b.field->quoted,
              "memory and file give the same field", a.field->text);
        checkShape(*a.field);
    }

    // The number grammar on the raw bytes too: whatever reads as a number has a stable text form.
    if (const auto number = numberTextForm(bytes))
        check(numberTextForm(*number) == number, "a number's text form reads back as itself", *number);
    return 0;
}
