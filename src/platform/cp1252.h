#pragma once
// The Windows-1252 code page: the program keeps all text as one byte per character, exactly as stored.

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace qb::platform {

/** The Unicode code point of a Windows-1252 byte; the five unassigned bytes map to the C1 control of the same value. */
[[nodiscard]] char32_t cp1252ToUnicode(unsigned char byte);

/** The Windows-1252 byte for a code point, or nothing when the code page cannot hold it. */
[[nodiscard]] std::optional<unsigned char> unicodeToCp1252(char32_t codePoint);

/** Windows-1252 bytes as UTF-8; every byte has a character, so this never fails. */
[[nodiscard]] std::string cp1252ToUtf8(std::string_view bytes);

/** The outcome of turning UTF-8 into Windows-1252. */
struct [[nodiscard]] Cp1252Conversion {
    std::string bytes;                  ///< the converted text, complete only when ok()
    std::optional<char32_t> unmappable; ///< the first character the code page cannot hold (U+FFFD for bad UTF-8)
    [[nodiscard]] bool ok() const { return !unmappable.has_value(); }
};

/**
 * Windows-1252 text as UTF-8 for a terminal or a desktop notification, where a control character would act instead
 * of showing: CR LF and a lone LF become LF, a lone CR and the other controls (NUL, ESC, DEL...) show as their
 * symbols (U+240D, U+2400, U+241B, U+2421), the five unassigned bytes as U+FFFD; a tab stays a tab.
 */
[[nodiscard]] std::string cp1252ToDisplayUtf8(std::string_view bytes);

/** UTF-8 as Windows-1252; stops at the first character the code page cannot hold or the first invalid sequence. */
[[nodiscard]] Cp1252Conversion utf8ToCp1252(std::string_view utf8);

/** Whether the bytes are well-formed UTF-8 (no overlongs, no surrogates). */
[[nodiscard]] bool isValidUtf8(std::string_view bytes);

/** The upper-case form of every Windows-1252 character, by its byte; accented letters included (é to É, ÿ to Ÿ,
 *  œ to Œ). A table, since searches and listings upper-case every byte they compare. */
inline constexpr std::array<unsigned char, 256> kCp1252Upper = [] {
    std::array<unsigned char, 256> table{};
    for (int c = 0; c < 256; ++c) {
        const bool lowerCaseLetter = (c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7); // à..þ but ÷
        table[c] = static_cast<unsigned char>(lowerCaseLetter ? c - 0x20 : c);
    }
    table[0x9A] = 0x8A; // š
    table[0x9C] = 0x8C; // œ
    table[0x9E] = 0x8E; // ž
    table[0xFF] = 0x9F; // ÿ
    return table;
}();

/** The upper-case form of one Windows-1252 character. */
[[nodiscard]] constexpr unsigned char cp1252ToUpper(unsigned char byte) {
    return kCp1252Upper[byte];
}

/** The upper-case form of a Windows-1252 text. */
[[nodiscard]] std::string cp1252ToUpper(std::string_view text);

/** How a code point is written for a user: the character itself and its U+ number. */
[[nodiscard]] std::string describeCodePoint(char32_t codePoint);

} // namespace qb::platform
