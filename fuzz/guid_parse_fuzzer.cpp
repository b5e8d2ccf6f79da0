// Feeds arbitrary bytes to the GUID text parser, as 8-bit and as UTF-16 text. Whatever
// parses must print and parse back to the same identifier; nothing may crash.
#include <calvoro/guid.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void CheckRoundTrip(const Calvoro::Guid& parsed) {
    const std::string printed = parsed.ToString();
    if (Calvoro::Guid::Parse(printed) != parsed ||
        Calvoro::Guid::Parse(std::u16string(printed.begin(), printed.end())) != parsed) {
        std::abort();
    }
}

template <typename Text>
void Try(const Text& text) {
    Calvoro::Guid parsed;
    try {
        parsed = Calvoro::Guid::Parse(text);
    } catch (const Calvoro::GuidParseError& error) {
        if (std::string_view(error.what()).size() > 512) {
            std::abort();  // the quoted text is cut, so messages stay short
        }
        return;
    }
    CheckRoundTrip(parsed);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Try(std::string_view(reinterpret_cast<const char*>(data), size));
    std::u16string wide(size / 2, u'\0');
    for (std::size_t i = 0; i < wide.size(); ++i) {
        wide[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    }
    Try(wide);
    return 0;
}
