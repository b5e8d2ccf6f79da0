// Listing the installed plans, one platform call per index.
#include <calvoro/power_class.h>

#include "platform/conversions.h"
#include "platform/platform.h"

#include <cstring>

namespace Calvoro {

Guid PowerClass::EnumPowerSchemeGuid(std::uint32_t PowerSchemeIndex) const {
    std::uint8_t buffer[sizeof(GUID)] = {};
    std::uint32_t size = sizeof buffer;
    const platform::Status status = platform::PowerEnumerate(
        nullptr, nullptr, nullptr, platform::kAccessScheme, PowerSchemeIndex, buffer, &size);
    if (status != platform::status::Success) {
        return NoPowerSchemeGuid;
    }
    GUID record{};
    std::memcpy(&record, buffer, sizeof record);
    return detail::FromPlatformRecord(record);
}

}  // namespace Calvoro
