// Plan identifiers: the interface's value type `Guid`, the platform's record `GUID`, and
// the identifier that stands for "no plan".
#pragma once

#include <calvoro/errors.h>
#include <calvoro/export.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#if defined(_WIN32)
#include <guiddef.h>
#endif

namespace Calvoro {

/// A plan identifier as the interface passes it around.
///
/// Its 16-byte image holds Data1, Data2 and Data3 little-endian, then the eight Data4 bytes.
/// Two identifiers are equal when all 16 bytes are equal.
struct Guid {
    std::uint32_t Data1 = 0;
    std::uint16_t Data2 = 0;
    std::uint16_t Data3 = 0;
    std::array<std::uint8_t, 8> Data4{};

    /// The 16-byte image described above.
    CALVORO_API std::array<std::uint8_t, 16> Bytes() const;

    /// Upper-case text in the 8-4-4-4-12 grouping, without braces,
    /// e.g. "238C9FA8-0AAD-41ED-83F4-97BE242C8F20".
    CALVORO_API std::string ToString() const;

    /// The identifier that GUID text denotes. Accepted, in either letter case and with any
    /// spaces and tabs around it: 8-4-4-4-12 hexadecimal digits with hyphens, the same in
    /// braces {...} or parentheses (...), or 32 hexadecimal digits without hyphens.
    /// Throws GuidParseError for anything else.
    CALVORO_API static Guid Parse(std::string_view text);
    /// As above, for UTF-16 text.
    CALVORO_API static Guid Parse(std::u16string_view text);

    /// As Parse, with no identifier instead of an error for text that is not a GUID.
    CALVORO_API static std::optional<Guid> TryParse(std::string_view text);
    /// As above, for UTF-16 text.
    CALVORO_API static std::optional<Guid> TryParse(std::u16string_view text);

    friend bool operator==(const Guid& a, const Guid& b) {
        return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3 &&
               a.Data4 == b.Data4;
    }
    friend bool operator!=(const Guid& a, const Guid& b) { return !(a == b); }
};

/// Writes `guid.ToString()`.
CALVORO_API std::ostream& operator<<(std::ostream& out, const Guid& guid);

#if defined(_WIN32)
/// The platform's identifier record, taken by address by the power-plan API.
using GUID = ::GUID;
#else
/// The platform's identifier record: the same fields and layout as Windows' GUID.
struct GUID {
    std::uint32_t Data1;
    std::uint16_t Data2;
    std::uint16_t Data3;
    std::uint8_t Data4[8];
};
#endif

/// The identifier with the same 16-byte image as the platform record `record`: the inverse
/// of PowerClass::ToGUID, for identifiers that come from the platform's own calls.
constexpr Guid FromGUID(const GUID& record) {
    Guid guid;
    guid.Data1 = record.Data1;
    guid.Data2 = record.Data2;
    guid.Data3 = record.Data3;
    for (std::size_t i = 0; i < guid.Data4.size(); ++i) {
        guid.Data4[i] = record.Data4[i];
    }
    return guid;
}

/// The identifier that stands for no plan at all (4515AD82-4C32-4F78-82C4-B20B62430B0A).
/// Plan enumeration returns it past the last plan, and the default-plan lookup when no
/// default is recorded.
inline constexpr Guid NoPowerSchemeGuid{
    0x4515AD82, 0x4C32, 0x4F78, {0x82, 0xC4, 0xB2, 0x0B, 0x62, 0x43, 0x0B, 0x0A}};

}  // namespace Calvoro
