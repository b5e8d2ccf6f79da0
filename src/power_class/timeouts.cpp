// The sleep, hibernation and display-off timeouts: each operation is one platform call
// framed by the identifier conversion and the conversion between minutes and seconds.
#include <calvoro/power_class.h>

#include "platform/conversions.h"
#include "platform/platform.h"
#include "platform/power_settings.h"
#include "status_rule.h"
#include "units.h"

namespace Calvoro {
namespace {

std::uint32_t ReadTimeout(const platform::TimeoutSetting& timeout, const Guid& SchemeGuid,
                          bool bOnAC) {
    const GUID scheme = detail::ToPlatformRecord(SchemeGuid);
    std::uint32_t seconds = 0;
    const platform::Status status =
        bOnAC ? platform::PowerReadACValueIndex(nullptr, &scheme, &timeout.subgroup,
                                                &timeout.setting, &seconds)
              : platform::PowerReadDCValueIndex(nullptr, &scheme, &timeout.subgroup,
                                                &timeout.setting, &seconds);
    // A failed read is 0 minutes, whatever the platform may have written before failing.
    // This is no judgement of success: the getters report no failure, only a number.
    return status == platform::status::Success ? detail::SecondsToMinutes(seconds) : 0;
}

bool WriteTimeout(const platform::TimeoutSetting& timeout, const Guid& SchemeGuid, bool bOnAC,
                  std::uint32_t minutes) {
    if (!detail::SecondsFit(minutes)) {
        return false;  // storing the wrapped value would report a timeout nobody asked for
    }
    const std::uint32_t seconds = detail::MinutesToSeconds(minutes);
    const GUID scheme = detail::ToPlatformRecord(SchemeGuid);
    const platform::Status status =
        bOnAC ? platform::PowerWriteACValueIndex(nullptr, &scheme, &timeout.subgroup,
                                                 &timeout.setting, seconds)
              : platform::PowerWriteDCValueIndex(nullptr, &scheme, &timeout.subgroup,
                                                 &timeout.setting, seconds);
    return detail::Succeeded(status);
}

}  // namespace

std::uint32_t PowerClass::GetSleepTimer(const Guid& SchemeGuid, bool bOnAC) const {
    return ReadTimeout(platform::kSleepTimeout, SchemeGuid, bOnAC);
}

std::uint32_t PowerClass::GetHibernationTimer(const Guid& SchemeGuid, bool bOnAC) const {
    return ReadTimeout(platform::kHibernateTimeout, SchemeGuid, bOnAC);
}

std::uint32_t PowerClass::GetDisplayTimer(const Guid& SchemeGuid, bool bOnAC) const {
    return ReadTimeout(platform::kDisplayTimeout, SchemeGuid, bOnAC);
}

bool PowerClass::SetSleepTimer(const Guid& SchemeGuid, bool bOnAC, std::uint32_t timer) const {
    return WriteTimeout(platform::kSleepTimeout, SchemeGuid, bOnAC, timer);
}

bool PowerClass::SetHibernationTimer(const Guid& SchemeGuid, bool bOnAC,
                                     std::uint32_t timer) const {
    return WriteTimeout(platform::kHibernateTimeout, SchemeGuid, bOnAC, timer);
}

bool PowerClass::SetDisplayTimer(const Guid& SchemeGuid, bool bOnAC, std::uint32_t timer) const {
    return WriteTimeout(platform::kDisplayTimeout, SchemeGuid, bOnAC, timer);
}

}  // namespace Calvoro
