// Conversions between the interface's Guid and the platform's GUID record.
#pragma once

#include <calvoro/guid.h>

#include <cstddef>

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
constexpr Guid FromPlatformRecord(const GUID& record) { return SameIdentifier<Guid>(record); }

}  // namespace Calvoro::detail
