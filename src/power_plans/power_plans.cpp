// The active plan, applying a plan, a plan's description and the list of installed plans:
// the library's own operations beside the class, each one or two platform calls.
#include <calvoro/power_class.h>
#include <calvoro/power_plans.h>

#include <vector>

#include "platform/conversions.h"
#include "platform/platform.h"
#include "power_class/status_rule.h"
#include "power_class/zero_filled_block.h"
#include "power_plans/sized_text.h"

namespace Calvoro {

std::vector<InstalledPlan> InstalledPlans() {
    const PowerClass power;
    std::vector<InstalledPlan> plans;
    for (std::uint32_t index = 0;; ++index) {
        const Guid id = power.EnumPowerSchemeGuid(index);
        if (id == NoPowerSchemeGuid) {
            return plans;
        }
        plans.push_back({id, power.ReadPowerSchemeName(id)});
    }
}

std::optional<Guid> ActivePlan() {
    GUID* received = nullptr;
    const platform::Status status = platform::PowerGetActiveScheme(nullptr, &received);
    const detail::PlatformRecord active(received);
    if (status != platform::status::Success || active == nullptr) {
        return std::nullopt;
    }
    return detail::FromPlatformRecord(*active);
}

bool ActivePlanPinnedByPolicy() {
    return platform::PowerSettingAccessCheckEx(platform::kAccessActiveScheme, nullptr,
                                               platform::kKeyWrite) ==
           platform::status::DisabledByPolicy;
}

Activation ActivatePlan(const Guid& plan) {
    if (ActivePlanPinnedByPolicy()) {
        return Activation::PinnedByPolicy;  // what PowerSetActiveScheme then does is undocumented
    }
    const GUID record = detail::ToPlatformRecord(plan);
    return detail::Succeeded(platform::PowerSetActiveScheme(nullptr, &record))
               ? Activation::Applied
               : Activation::Refused;
}

std::optional<std::u16string> ReadPlanDescription(const Guid& plan) {
    const GUID record = detail::ToPlatformRecord(plan);
    return detail::ReadSizedText([&](std::uint8_t* buffer, std::uint32_t* size) {
        return platform::PowerReadDescription(nullptr, &record, nullptr, nullptr, buffer, size);
    });
}

}  // namespace Calvoro
