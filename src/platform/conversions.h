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

// Both hold Data1, Data2 and Data3 in their first 8 bytes and Data4 in the last 8, so that
// the two convert byte for byte.
static_assert(sizeof(Guid) == 16 && sizeof(GUID) == 16 && offsetof(Guid, Data4) == 8 &&
              offsetof(GUID, Data4) == 8);

/// The record with the same 16-byte image as `guid`: one 16-byte copy.
inline GUID ToPlatformRecord(const Guid& guid) {
    GUID record{};
    std::memcpy(static_cast<void*>(&record), &guid, sizeof record);
    return record;
}

/// The identifier with the same 16-byte image as `record`; the inverse of ToPlatformRecord.
inline Guid FromPlatformRecord(const GUID& record) {
    Guid guid;
    std::memcpy(static_cast<void*>(&guid), &record, sizeof guid);
    return guid;
}

/// The code units of `text` before its first NUL.
inline std::size_t LengthBeforeNul(const std::u16string& text) {
    const std::size_t nul = text.find(u'\0');
    return nul == std::u16string::npos ? text.size() : nul;
}

/// The UTF-16 text (platform byte order) in the `bytes` bytes at `data`: up to its first NUL,
/// and never past the end, whether or not a NUL comes; an odd last byte is ignored.
inline std::u16string TextUpToNul(const std::uint8_t* data, std::size_t bytes) {
    // Code units are read with memcpy: the bytes may be unaligned, and need not be char16_t.
    const std::size_t capacity = bytes / sizeof(char16_t);
    std::size_t length = 0;
    for (char16_t unit = 1; length < capacity; ++length) {
        std::memcpy(&unit, data + length * sizeof unit, sizeof unit);
        if (unit == u'\0') {
            break;
        }
    }
    std::u16string text(length, u'\0');
    if (length != 0) {
        std::memcpy(text.data(), data, length * sizeof(char16_t));
    }
    return text;
}

}  // namespace Calvoro::detail
