#include "import/import_text.h"

#include <algorithm>

#include "platform/cp1252.h"

namespace qb::import {
namespace {

ImportText accepted(std::string bytes) {
    ImportText text;
    text.bytes = std::move(bytes);
    return text;
}

ImportText refused(ImportProblem problem, std::optional<char32_t> unmappable = std::nullopt) {
    return {std::string(), problem, unmappable};
}

// The order of the two bytes of a UTF-16 code unit, as the byte-order mark tells.
enum class ByteOrder { LittleEndian, BigEndian };

// UTF-16 code units after the byte-order mark as Windows-1252; surrogates must come in pairs, and U+0000 is a
// NUL byte, kept as in any other file.
ImportText fromUtf16(std::string_view units, ByteOrder order) {
    if (units.size() % 2 != 0)
        return refused(ImportProblem::BadUtf16);
    const auto unitAt = [&](std::size_t i) -> char32_t {
        const auto first = static_cast<unsigned char>(units[i]);
        const auto second = static_cast<unsigned char>(units[i + 1]);
        return order == ByteOrder::BigEndian ? (char32_t{first} << 8) | second : (char32_t{second} << 8) | first;
    };
    const auto isLow = [](char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; };
    ImportText text;
    text.bytes.reserve(units.size() / 2);
    for (std::size_t i = 0; i < units.size(); i += 2) {
        char32_t codePoint = unitAt(i);
        if (isLow(codePoint))
            return refused(ImportProblem::BadUtf16);
        if (codePoint >= 0xD800 && codePoint <= 0xDBFF) {
            if (i + 2 >= units.size() || !isLow(unitAt(i + 2)))
                return refused(ImportProblem::BadUtf16);
            codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (unitAt(i + 2) - 0xDC00);
            i += 2;
        }
        const std::optional<unsigned char> byte = platform::unicodeToCp1252(codePoint);
        if (!byte)
            return refused(ImportProblem::Unmappable, codePoint);
        text.bytes.push_back(static_cast<char>(*byte));
    }
    return text;
}

// UTF-8 when the file is valid UTF-8 beyond ASCII, else the bytes as they are.
ImportText fromUtf8OrWindows1252(std::string_view file) {
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    std::string_view body = file;
    if (body.substr(0, kByteOrderMark.size()) == kByteOrderMark)
        body.remove_prefix(kByteOrderMark.size());
    if (!platform::isValidUtf8(body))
        return accepted(std::string(file));

    const bool beyondAscii =
        std::any_of(body.begin(), body.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    if (!beyondAscii)
        return accepted(std::string(body));
    platform::Cp1252Conversion converted = platform::utf8ToCp1252(body);
    if (!converted.ok())
        return refused(ImportProblem::Unmappable, converted.unmappable);
    return accepted(std::move(converted.bytes));
}

} // namespace

ImportText decodeImportFile(std::string_view file) {
    if (file.starts_with("\xFF\xFE"))
        return fromUtf16(file.substr(2), ByteOrder::LittleEndian);
    if (file.starts_with("\xFE\xFF"))
        return fromUtf16(file.substr(2), ByteOrder::BigEndian);
    // The import checks, trims and replaces nothing: a NUL byte is kept as it is, and the record that holds it is
    // found and shown like any other.
    return fromUtf8OrWindows1252(file);
}

std::string withoutDoubleQuotes(std::string text) {
    std::replace(text.begin(), text.end(), '"', '\'');
    return text;
}

} // namespace qb::import
