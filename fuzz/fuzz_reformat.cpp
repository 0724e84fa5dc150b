// The reformat. Every input character must come out in order with only CR LF pairs added, each right after a space
// that took its line past column 65, and after the first such space of the line; a line is never broken earlier
// and a word never split. To tell added breaks from the text's own, the text's line feeds (which the reformat
// treats as ordinary characters) are tagged with a value outside the byte range in a 32-bit copy, which the window
// reformats in the same way; both copies must agree.

#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "print/reformat.h"

using qb::fuzz::check;
using namespace qb::print;

namespace {

constexpr char32_t kTaggedLineFeed = 0x1000A;

std::u32string tagged(std::string_view text) {
    std::u32string out;
    out.reserve(text.size());
    for (const char c : text)
        out.push_back(c == '\n' ? kTaggedLineFeed : static_cast<unsigned char>(c));
    return out;
}

std::string untagged(const std::u32string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char32_t c : text)
        out.push_back(c == kTaggedLineFeed ? '\n' : static_cast<char>(c));
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string result = reformatText(text);
    const std::u32string input = tagged(text);
    const std::u32string wide = reformatText(input);
    check(untagged(wide) == result, "the byte and the 32-bit reformat agree");

    // Walk the result: an untagged line feed is an added break, and must follow CR and a space past the threshold.
    std::u32string kept;
    kept.reserve(input.size());
    int column = 0;         // the counter as the reformat keeps it
    bool pastSpace = false; // a space past the threshold was taken on this line, so the break must come now
    for (std::size_t i = 0; i < wide.size(); ++i) {
        const char32_t c = wide[i];
        const bool addedBreak = c == U'\r' && i + 1 < wide.size() && wide[i + 1] == U'\n';
        if (pastSpace) {
            check(addedBreak, "the first space past column 65 gets a break right after it");
            pastSpace = false;
            column = 0;
            ++i;
            continue;
        }
        check(c != U'\n', "a line feed is only ever added after a carriage return");
        check(!addedBreak, "a break is added only after a space past column 65");
        if (c == U'\r')
            column = 0;
        ++column;
        kept.push_back(c);
        pastSpace = c == U' ' && column > kBreakThreshold;
    }
    check(!pastSpace, "a text ending in a space past column 65 ends with a break");
    check(kept == input, "every character of the text is kept, in order, with nothing else");
    check(result.size() == text.size() + (wide.size() - input.size()), "only line breaks are added");
    return 0;
}
