// Field reads of arbitrary bytes, from memory, under either quote rule. The first byte chooses the rule and a piece
// size of 1 to 64 bytes: the bytes are read whole and again taken in pieces of that size, as a file is taken one read
// at a time, so that every refill boundary is met. Both readers must give the same fields, each field must have the
// shape a field read promises, the reads must come to an end, and every number's text form must read back as
// itself.

#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "store/field_reader.h"

using namespace qb::store;
using qb::fuzz::check;

namespace {

void checkShape(const Field& field, QuoteRule rule) {
    const std::string& t = field.text;
    check(t.size() <= kMaxFieldBytes, "a field is at most kMaxFieldBytes long");
    if (field.quoted) {
        check(rule == QuoteRule::DoubledQuote || t.find('"') == std::string::npos,
              "a quoted field holds no double quote unless two stand for one", t);
        check(generalValue(field) == t, "a quoted field is kept as text", t);
        return;
    }
    check(t.find(',') == std::string::npos && t.find('\r') == std::string::npos && t.find('\n') == std::string::npos,
          "a plain field holds no comma or line end", t);
    check(t.empty() || (t.front() != ' ' && t.back() != ' '), "a plain field has no outer spaces", t);
    check(t.empty() || t.front() != '"', "a plain field never begins with a double quote", t);
    const auto number = numberTextForm(t);
    if (number)
        check(!number->empty() && numberTextForm(*number) == number, "a number's text form reads back as itself",
              t + " -> " + *number);
    check(generalValue(field) == number.value_or(t), "a plain number is kept in its text form, other text as it is", t);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const QuoteRule rule = (data[0] & 0x80) != 0 ? QuoteRule::DoubledQuote : QuoteRule::NextQuoteEnds;
    const std::size_t piece = 1 + (data[0] & 63);
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    FieldReader whole(bytes, rule);
    FieldReader pieces(bytes, rule, piece);

    // Each successful read consumes at least one byte, so there are at most size + 1 reads.
    for (std::size_t reads = 0;; ++reads) {
        check(reads <= bytes.size() + 1, "field reads come to an end");
        const bool atEnd = whole.atEnd();
        check(pieces.atEnd() == atEnd, "end of file is the same whole and in pieces");
        const FieldRead a = whole.read();
        const FieldRead b = pieces.read();
        check(a.ok() == b.ok(), "a read succeeds whole exactly when it does in pieces");
        check(a.ok() != atEnd, "a read fails exactly at the end of the bytes");
        if (!a.ok()) {
            check(a.failure == ReadFailure::PastEnd && b.failure == ReadFailure::PastEnd,
                  "a read after the last field fails as a read past the end");
            break;
        }
        check(a.field->text == b.field->text && a.field->quoted == b.field->quoted,
              "whole and in pieces give the same field", a.field->text);
        checkShape(*a.field, rule);
    }

    // The number grammar on the raw bytes too: whatever reads as a number has a stable text form.
    if (const auto number = numberTextForm(bytes))
        check(numberTextForm(*number) == number, "a number's text form reads back as itself", *number);
    return 0;
}
