// Conversions between the interface's Guid and the platform's GUID record.
#pragma once

#include <calvoro/guid.h>

#include <cstddef>

namespace Calvoro::detail {

/// The record with the same 16-byte image as `guid`.
constexpr GUID ToPlatformRecord(const Guid& guid) {
    GUID record{};
    record.Data1 = guid.Data1;
    record.Data2 = guid.Data2;
    record.Data3 = guid.Data3;
    for (std::size_t i = 0; i < guid.Data4.size(); ++i) {
        record.Data4[i] = guid.Data4[i];
    }
    return record;
}

/// The identifier with the same 16-byte image as `record`; the inverse of ToPlatformRecord.
constexpr Guid FromPlatformRecord(const GUID& record) {
    Guid guid;
    guid.Data1 = record.Data1;
    guid.Data2 = record.Data2;
    guid.Data3 = record.Data3;
    for (std::size_t i = 0; i < guid.Data4.size(); ++i) {
        guid.Data4[i] = record.Data4[i];
    }
    return guid;
}

}  // namespace Calvoro::detail
