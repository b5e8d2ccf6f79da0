#include "guid_text.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <type_traits>

namespace Calvoro {
namespace detail {
namespace {

constexpr std::size_t kQuotedLimit = 64;

// The value of each hexadecimal digit of ASCII, -1 for every other character.
constexpr std::array<std::int8_t, 128> HexDigitValues() {
    std::array<std::int8_t, 128> digits{};
    for (int c = 0; c < static_cast<int>(digits.size()); ++c) {
        const int value = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : -1;
        digits[static_cast<std::size_t>(c)] = static_cast<std::int8_t>(value);
    }
    return digits;
}
constexpr std::array<std::int8_t, 128> kHexDigits = HexDigitValues();

template <typename Char>
int HexValue(Char c) {
    const auto unit = static_cast<std::make_unsigned_t<Char>>(c);
    return unit < kHexDigits.size() ? kHexDigits[unit] : -1;
}

template <typename Char>
std::basic_string_view<Char> TrimBlanks(std::basic_string_view<Char> text) {
    const auto blank = [](Char c) { return c == Char(' ') || c == Char('\t'); };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

template <typename Char>
std::optional<Guid> Parse(std::basic_string_view<Char> text) {
    text = TrimBlanks(text);
    if (text.size() == 38 && ((text.front() == Char('{') && text.back() == Char('}')) ||
                              (text.front() == Char('(') && text.back() == Char(')')))) {
        text = text.substr(1, 36);
    }
    const bool hyphenated = text.size() == 36;
    if (!hyphenated && text.size() != 32) {
        return std::nullopt;
    }
    // One pass: two digits make each of the 16 bytes, in the order the text writes them; the
    // hyphens of the 8-4-4-4-12 form stand before bytes 4, 6, 8 and 10.
    std::array<std::uint8_t, 16> bytes{};
    std::size_t at = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (hyphenated && (i == 4 || i == 6 || i == 8 || i == 10) && text[at++] != Char('-')) {
            return std::nullopt;
        }
        const int high = HexValue(text[at]);
        const int low = HexValue(text[at + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        bytes[i] = static_cast<std::uint8_t>(high << 4 | low);
        at += 2;
    }
    Guid guid;
    guid.Data1 = std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 |
                 std::uint32_t{bytes[2]} << 8 | bytes[3];
    guid.Data2 = static_cast<std::uint16_t>(bytes[4] << 8 | bytes[5]);
    guid.Data3 = static_cast<std::uint16_t>(bytes[6] << 8 | bytes[7]);
    for (std::size_t i = 0; i < guid.Data4.size(); ++i) {
        guid.Data4[i] = bytes[8 + i];
    }
    return guid;
}

template <typename Char>
std::string Quote(std::basic_string_view<Char> text) {
    std::string quoted = "\"";
    for (std::size_t i = 0; i < text.size() && i < kQuotedLimit; ++i) {
        const auto unit = static_cast<std::uint32_t>(
            static_cast<std::make_unsigned_t<Char>>(text[i]));
        if (unit == '"' || unit == '\\') {
            quoted += '\\';
            quoted += static_cast<char>(unit);
        } else if (unit >= 0x20 && unit < 0x7F) {
            quoted += static_cast<char>(unit);
        } else {
            char escape[8];
            (void)std::snprintf(escape, sizeof escape, sizeof(Char) == 1 ? "\\x%02X" : "\\u%04X",
                          static_cast<unsigned>(unit));
            quoted += escape;
        }
    }
    quoted += text.size() > kQuotedLimit ? "\"..." : "\"";
    return quoted;
}

template <typename Char>
Guid ParseOrThrow(std::basic_string_view<Char> text) {
    if (const auto guid = Parse(text)) {
        return *guid;
    }
    throw GuidParseError("not a GUID: " + Quote(text));
}

}  // namespace

std::optional<Guid> TryParseGuid(std::u16string_view text) { return Parse(text); }
std::string QuoteForMessage(std::u16string_view text) { return Quote(text); }

}  // namespace detail

Guid Guid::Parse(std::string_view text) { return detail::ParseOrThrow(text); }
Guid Guid::Parse(std::u16string_view text) { return detail::ParseOrThrow(text); }
std::optional<Guid> Guid::TryParse(std::string_view text) { return detail::Parse(text); }
std::optional<Guid> Guid::TryParse(std::u16string_view text) { return detail::Parse(text); }

}  // namespace Calvoro
