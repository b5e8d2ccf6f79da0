// The six timeout operations, inline, so that PowerClass and the C interface run the same
// code with no call between them: each is one platform call framed by the identifier
// conversion and the conversion between minutes and seconds.
#pragma once

#include <calvoro/guid.h>

#include "platform/conversions.h"
#include "platform/platform.h"
#include "platform/power_settings.h"
#include "status_rule.h"
#include "units.h"

#include <cstdint>

namespace Calvoro::detail {

inline std::uint32_t ReadTimeout(const platform::TimeoutSetting& timeout, const Guid& SchemeGuid,
                                 bool bOnAC) {
    const GUID* scheme = PlatformRecordOf(SchemeGuid);
    // Written by the platform when it succeeds, and read only then: no fill on this hot path.
    std::uint32_t seconds;  // NOLINT(cppcoreguidelines-init-variables)
    const platform::Status status =
        bOnAC ? platform::PowerReadACValueIndex(nullptr, scheme, &timeout.subgroup,
                                                &timeout.setting, &seconds)
              : platform::PowerReadDCValueIndex(nullptr, scheme, &timeout.subgroup,
                                                &timeout.setting, &seconds);
    // A failed read is 0 minutes, whatever the platform may have written before failing.
    // This is no judgement of success: the getters report no failure, only a number.
    if (Usually(status == platform::status::Success)) {
        return SecondsToMinutes(seconds);
    }
    return 0;
}

inline bool WriteTimeout(const platform::TimeoutSetting& timeout, const Guid& SchemeGuid,
                         bool bOnAC, std::uint32_t minutes) {
    if (!SecondsFit(minutes)) {
        return false;  // storing the wrapped value would report a timeout nobody asked for
    }
    const std::uint32_t seconds = MinutesToSeconds(minutes);
    const GUID* scheme = PlatformRecordOf(SchemeGuid);
    const platform::Status status =
        bOnAC ? platform::PowerWriteACValueIndex(nullptr, scheme, &timeout.subgroup,
                                                 &timeout.setting, seconds)
              : platform::PowerWriteDCValueIndex(nullptr, scheme, &timeout.subgroup,
                                                 &timeout.setting, seconds);
    return Succeeded(status);
}

inline std::uint32_t GetSleepTimer(const Guid& SchemeGuid, bool bOnAC) {
    return ReadTimeout(platform::kSleepTimeout, SchemeGuid, bOnAC);
}
inline std::uint32_t GetHibernationTimer(const Guid& SchemeGuid, bool bOnAC) {
    return ReadTimeout(platform::kHibernateTimeout, SchemeGuid, bOnAC);
}
inline std::uint32_t GetDisplayTimer(const Guid& SchemeGuid, bool bOnAC) {
    return ReadTimeout(platform::kDisplayTimeout, SchemeGuid, bOnAC);
}
inline bool SetSleepTimer(const Guid& SchemeGuid, bool bOnAC, std::uint32_t timer) {
    return WriteTimeout(platform::kSleepTimeout, SchemeGuid, bOnAC, timer);
}
inline bool SetHibernationTimer(const Guid& SchemeGuid, bool bOnAC, std::uint32_t timer) {
    return WriteTimeout(platform::kHibernateTimeout, SchemeGuid, bOnAC, timer);
}
inline bool SetDisplayTimer(const Guid& SchemeGuid, bool bOnAC, std::uint32_t timer) {
    return WriteTimeout(platform::kDisplayTimeout, SchemeGuid, bOnAC, timer);
}

}  // namespace Calvoro::detail
