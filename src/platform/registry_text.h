// How a registry value that is not a string reads as text, the same in every binding: a
// number as its decimal digits, any other kind as a description in angle brackets, which no
// GUID parser accepts whatever the value's bytes are.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace Calvoro::platform {

inline std::u16string NumberText(std::uint64_t number) {
    const std::string digits = std::to_string(number);
    return std::u16string(digits.begin(), digits.end());
}

inline std::u16string OpaqueValueText(std::u16string_view kind, std::size_t bytes) {
    const std::string size = std::to_string(bytes);
    return u"<" + std::u16string(kind) + u" value of " + std::u16string(size.begin(), size.end()) +
           u" bytes>";
}

}  // namespace Calvoro::platform
