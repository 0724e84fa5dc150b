#include "import/import_text.h"

#include <algorithm>

#include "platform/cp1252.h"

namespace qb::import {

ImportText decodeImportFile(std::string_view file) {
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    std::string_view body = file;
    if (body.substr(0, kByteOrderMark.size()) == kByteOrderMark)
        body.remove_prefix(kByteOrderMark.size());
    if (!platform::isValidUtf8(body))
        return {std::string(file), std::nullopt};

    const bool beyondAscii =
        std::any_of(body.begin(), body.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    if (!beyondAscii)
        return {std::string(body), std::nullopt};
    platform::Cp1252Conversion converted = platform::utf8ToCp1252(body);
    return {std::move(converted.bytes), converted.unmappable};
}

std::string withoutDoubleQuotes(std::string text) {
    std::replace(text.begin(), text.end(), '"', '\'');
    return text;
}

} // namespace qb::import
