#include "platform/cp1252.h"

#include <array>
#include <cstdio>

namespace qb::platform {
namespace {

// Bytes 0x80-0x9F; the rest of the code page equals Latin-1. Unassigned bytes keep their C1 value.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// Decodes one UTF-8 sequence at pos; returns the code point and advances pos, or nothing when malformed.
std::optional<char32_t> decodeUtf8(std::string_view s, std::size_t& pos) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(pos);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    int length = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, cp = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, cp = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, cp = lead & 0x07, minimum = 0x10000;
    } else {
        return std::nullopt;
    }
    if (pos + length > s.size())
        return std::nullopt;
    for (int i = 1; i < length; ++i) {
        const unsigned char next = byte(pos + i);
        if ((next & 0xC0) != 0x80)
            return std::nullopt;
        cp = (cp << 6) | (next & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return std::nullopt;
    pos += length;
    return cp;
}

} // namespace

char32_t cp1252ToUnicode(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F)
        return kHighControls[byte - 0x80];
    return byte;
}

std::optional<unsigned char> unicodeToCp1252(char32_t codePoint) {
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF))
        return static_cast<unsigned char>(codePoint);
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == codePoint)
            return static_cast<unsigned char>(0x80 + i);
    }
    return std::nullopt;
}

std::string cp1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes)
        appendUtf8(out, cp1252ToUnicode(static_cast<unsigned char>(c)));
    return out;
}

std::string cp1252ToDisplayUtf8(std::string_view bytes) {
    constexpr char32_t kControlSymbols = 0x2400; // SYMBOL FOR NULL; the symbols of 0x01-0x1F follow it
    constexpr char32_t kDeleteSymbol = 0x2421;
    constexpr char32_t kReplacement = 0xFFFD;
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        const char32_t cp = cp1252ToUnicode(byte);
        if (byte == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            continue; // the LF that follows ends the line
        if (byte == '\n' || byte == '\t')
            out.push_back(static_cast<char>(byte));
        else if (cp < 0x20)
            appendUtf8(out, kControlSymbols + cp);
        else if (cp == 0x7F)
            appendUtf8(out, kDeleteSymbol);
        else if (cp >= 0x80 && cp <= 0x9F)
            appendUtf8(out, kReplacement);
        else
            appendUtf8(out, cp);
    }
    return out;
}

Cp1252Conversion utf8ToCp1252(std::string_view utf8) {
    Cp1252Conversion result;
    result.bytes.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const auto cp = decodeUtf8(utf8, pos);
        if (!cp) {
            result.unmappable = U'\uFFFD';
            return result;
        }
        const auto byte = unicodeToCp1252(*cp);
        if (!byte) {
            result.unmappable = *cp;
            return result;
        }
        result.bytes.push_back(static_cast<char>(*byte));
    }
    return result;
}

bool isValidUtf8(std::string_view bytes) {
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        if (!decodeUtf8(bytes, pos))
            return false;
    }
    return true;
}

std::string cp1252ToUpper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(cp1252ToUpper(static_cast<unsigned char>(c)));
    return out;
}

std::string describeCodePoint(char32_t codePoint) {
    std::string out;
    appendUtf8(out, codePoint);
    char number[16];
    std::snprintf(number, sizeof number, " (U+%04X)", static_cast<unsigned>(codePoint));
    return out + number;
}

} // namespace qb::platform
