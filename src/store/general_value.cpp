#include "store/general_value.h"

#include <charconv>
#include <cmath>

#include "store/field_reader.h"

namespace qb::store {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Checks the number grammar and returns the text in the form from_chars accepts (no plus, "e" exponent).
std::optional<std::string> normalisedNumber(std::string_view s) {
    std::string out;
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        if (s[i] == '-')
            out.push_back('-');
        ++i;
    }
    std::size_t digits = 0;
    while (i < s.size() && isDigit(s[i]))
        out.push_back(s[i++]), ++digits;
    if (i < s.size() && s[i] == '.') {
        out.push_back(s[i++]);
        while (i < s.size() && isDigit(s[i]))
            out.push_back(s[i++]), ++digits;
    }
    if (digits == 0)
        return std::nullopt;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        out.push_back('e');
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            out.push_back(s[i++]);
        std::size_t exponentDigits = 0;
        while (i < s.size() && isDigit(s[i]))
            out.push_back(s[i++]), ++exponentDigits;
        if (exponentDigits == 0)
            return std::nullopt;
    }
    if (i != s.size())
        return std::nullopt;
    return out;
}

} // namespace

std::optional<std::string> numberTextForm(std::string_view plain) {
    const auto text = normalisedNumber(plain);
    if (!text)
        return std::nullopt;
    double value = 0;
    const auto parsed = std::from_chars(text->data(), text->data() + text->size(), value);
    if (parsed.ec != std::errc() || parsed.ptr != text->data() + text->size() || !std::isfinite(value))
        return std::nullopt;
    if (value == 0)
        return "0";
    char buffer[64];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    std::string out(buffer, written.ptr);
    for (char& c : out) {
        if (c == 'e')
            c = 'E';
    }
    return out;
}

std::string generalValue(const Field& field) {
    if (field.quoted)
        return field.text;
    if (auto number = numberTextForm(field.text))
        return *number;
    return field.text;
}

} // namespace qb::store
