// Listing the installed plans, one platform call per index; inline, so that PowerClass and
// the C interface run the same code with no call between them.
#pragma once

#include <calvoro/guid.h>

#include "platform/conversions.h"
#include "platform/platform.h"
#include "status_rule.h"

#include <cstdint>

namespace Calvoro::detail {

inline Guid EnumPowerSchemeGuid(std::uint32_t PowerSchemeIndex) {
    // Written by the platform when it succeeds, and read only then: no fill on this hot path.
    GUID record;  // NOLINT(cppcoreguidelines-pro-type-member-init)
    std::uint32_t size = sizeof record;
    const platform::Status status = platform::PowerEnumerate(
        nullptr, nullptr, nullptr, platform::kAccessScheme, PowerSchemeIndex,
        reinterpret_cast<std::uint8_t*>(&record), &size);
    if (Usually(status == platform::status::Success)) {
        return FromPlatformRecord(record);
    }
    return NoPowerSchemeGuid;
}

}  // namespace Calvoro::detail
