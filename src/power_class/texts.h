// Plan texts as the platform takes and gives them: UTF-16 code units followed by one NUL,
// sized in bytes as a 32-bit number.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

namespace Calvoro::detail {

/// The byte size of `codeUnits` code units and their NUL, or nothing when it does not fit
/// 32 bits (the platform would see a truncated size).
constexpr std::optional<std::uint32_t> NulTerminatedByteSize(std::size_t codeUnits) {
    constexpr std::uint64_t kLimit = UINT32_MAX;
    const std::uint64_t units = codeUnits;
    if (units >= kLimit / sizeof(char16_t)) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>((units + 1) * sizeof(char16_t));
}

/// The code units of `text` before its first NUL.
inline std::size_t LengthBeforeNul(const std::u16string& text) {
    const std::size_t nul = text.find(u'\0');
    return nul == std::u16string::npos ? text.size() : nul;
}

/// The UTF-16 text (platform byte order) in the `bytes` bytes at `data`: up to its first NUL,
/// and never past the end, whether or not a NUL comes; an odd last byte is ignored.
inline std::u16string TextUpToNul(const std::uint8_t* data, std::size_t bytes) {
    std::u16string text(bytes / sizeof(char16_t), u'\0');
    if (!text.empty()) {
        std::memcpy(text.data(), data, text.size() * sizeof(char16_t));
    }
    text.resize(LengthBeforeNul(text));
    return text;
}

}  // namespace Calvoro::detail
