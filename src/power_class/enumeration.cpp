// Listing the installed plans, one platform call per index.
#include <calvoro/power_class.h>

#include "platform/conversions.h"
#include "platform/platform.h"

namespace Calvoro {

Guid PowerClass::EnumPowerSchemeGuid(std::uint32_t PowerSchemeIndex) const {
    GUID record{};
    std::uint32_t size = sizeof record;
    const platform::Status status = platform::PowerEnumerate(
        nullptr, nullptr, nullptr, platform::kAccessScheme, PowerSchemeIndex,
        reinterpret_cast<std::uint8_t*>(&record), &size);
    return status == platform::status::Success ? detail::FromPlatformRecord(record)
                                               : NoPowerSchemeGuid;
}

}  // namespace Calvoro
