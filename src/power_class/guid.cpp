// Guid's 16-byte image and its text form.
#include <calvoro/guid.h>

#include <cstdio>
#include <ostream>

namespace Calvoro {

std::array<std::uint8_t, 16> Guid::Bytes() const {
    std::array<std::uint8_t, 16> image{};
    for (std::size_t i = 0; i < 4; ++i) {
        image[i] = static_cast<std::uint8_t>(Data1 >> (8 * i));
    }
    for (std::size_t i = 0; i < 2; ++i) {
        image[4 + i] = static_cast<std::uint8_t>(Data2 >> (8 * i));
        image[6 + i] = static_cast<std::uint8_t>(Data3 >> (8 * i));
    }
    for (std::size_t i = 0; i < Data4.size(); ++i) {
        image[8 + i] = Data4[i];
    }
    return image;
}

std::string Guid::ToString() const {
    char text[37];
    (void)std::snprintf(text, sizeof text, "%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X",
                  static_cast<unsigned long>(Data1), static_cast<unsigned>(Data2),
                  static_cast<unsigned>(Data3), static_cast<unsigned>(Data4[0]),
                  static_cast<unsigned>(Data4[1]), static_cast<unsigned>(Data4[2]),
                  static_cast<unsigned>(Data4[3]), static_cast<unsigned>(Data4[4]),
                  static_cast<unsigned>(Data4[5]), static_cast<unsigned>(Data4[6]),
                  static_cast<unsigned>(Data4[7]));
    return text;
}

std::ostream& operator<<(std::ostream& out, const Guid& guid) { return out << guid.ToString(); }

}  // namespace Calvoro
