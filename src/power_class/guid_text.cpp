#include "guid_text.h"

#include <cstdio>

namespace Calvoro {
namespace detail {
namespace {

constexpr std::size_t kQuotedLimit = 64;

template <typename Char>
int HexValue(Char c) {
    if (c >= Char('0') && c <= Char('9')) {
        return static_cast<int>(c - Char('0'));
    }
    if (c >= Char('a') && c <= Char('f')) {
        return static_cast<int>(c - Char('a')) + 10;
    }
    if (c >= Char('A') && c <= Char('F')) {
        return static_cast<int>(c - Char('A')) + 10;
    }
    return -1;
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

    std::uint8_t digits[32]{};
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (hyphenated && (i == 8 || i == 13 || i == 18 || i == 23)) {
            if (text[i] != Char('-')) {
                return std::nullopt;
            }
            continue;
        }
        const int value = HexValue(text[i]);
        if (value < 0) {
            return std::nullopt;
        }
        digits[count++] = static_cast<std::uint8_t>(value);
    }

    const auto number = [&digits](std::size_t first, std::size_t length) {
        std::uint32_t result = 0;
        for (std::size_t i = first; i < first + length; ++i) {
            result = (result << 4) | digits[i];
        }
        return result;
    };
    Guid guid;
    guid.Data1 = number(0, 8);
    guid.Data2 = static_cast<std::uint16_t>(number(8, 4));
    guid.Data3 = static_cast<std::uint16_t>(number(12, 4));
    for (std::size_t i = 0; i < guid.Data4.size(); ++i) {
        guid.Data4[i] = static_cast<std::uint8_t>(number(16 + 2 * i, 2));
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
