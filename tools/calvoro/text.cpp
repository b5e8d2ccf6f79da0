#include "text.h"

#include "errors.h"

#include <utf8.h>

#include <cstdint>
#include <iterator>
#include <stdexcept>

namespace calvoro_cli {

std::u16string ToUtf16(std::string_view utf8, std::string_view what) {
    if (!utf8::is_valid(utf8.begin(), utf8.end())) {
        throw UsageError(std::string(what) + " is not valid UTF-8");
    }
    std::u16string utf16;
    utf8::utf8to16(utf8.begin(), utf8.end(), std::back_inserter(utf16));
    return utf16;
}

std::string ToUtf8(const std::u16string& utf16) {
    try {
        std::string utf8;
        utf8::utf16to8(utf16.begin(), utf16.end(), std::back_inserter(utf8));
        return utf8;
    } catch (const utf8::exception&) {
        throw std::invalid_argument("text holds a lone UTF-16 surrogate");
    }
}

std::string ToUtf8ForDisplay(const std::u16string& utf16) {
    std::string utf8;
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        const char32_t unit = utf16[i];
        char32_t code = unit;
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((unit - 0xD800) << 10) + (utf16[++i] - 0xDC00);
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            code = 0xFFFD;
        }
        utf8::append(static_cast<std::uint32_t>(code), std::back_inserter(utf8));
    }
    return utf8;
}

}  // namespace calvoro_cli
