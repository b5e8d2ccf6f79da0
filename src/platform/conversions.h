// Conversions that the logic and every binding share: the identifier between the interface's
// Guid and the platform's GUID record, and UTF-16 text in a platform buffer. Neutral ground
// beside the boundary header, so that the bindings never reach into the logic.
#pragma once

#include <calvoro/guid.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace Calvoro::detail {

/// Copies the four fields from one identifier type to the other: both have the same fields
/// and the same 16-byte image, so this is the conversion in either direction.
template <typename To, typename From>
constexpr To SameIdentifier(const From& from) {
    To to{};
    to.Data1 = from.Data1;
    to.Data2 = from.Data2;
    to.Data3 = from.Data3;
    for (std::size_t i = 0; i < 8; ++i) {
        to.Data4[i] = from.Data4[i];
    }
    return to;
}

/// The record with the same 16-byte image as `guid`.
constexpr GUID ToPlatformRecord(const Guid& guid) { return SameIdentifier<GUID>(guid); }

/// The identifier with the same 16-byte image as `record`; the inverse of ToPlatformRecord.
constexpr Guid FromPlatformRecord(const GUID& record) { return FromGUID(record); }

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
