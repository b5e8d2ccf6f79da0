// Feeds arbitrary bytes to the program's text conversions: UTF-8 either converts and comes
// back byte for byte or is refused; any UTF-16 shows as valid UTF-8.
#include "errors.h"
#include "text.h"

#include <utf8.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    try {
        const std::u16string utf16 = calvoro_cli::ToUtf16(bytes, "input");
        if (calvoro_cli::ToUtf8(utf16) != bytes) {
            std::abort();
        }
    } catch (const calvoro_cli::UsageError&) {
        if (utf8::is_valid(bytes.begin(), bytes.end())) {
            std::abort();  // refused valid UTF-8
        }
    }

    std::u16string units(size / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
        units[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    }
    const std::string shown = calvoro_cli::ToUtf8ForDisplay(units);
    if (!utf8::is_valid(shown.begin(), shown.end())) {
        std::abort();
    }
    return 0;
}
