// Minutes at the interface, seconds on the platform, both 32-bit unsigned.
#pragma once

#include <calvoro/power_class.h>

#include <cstdint>

namespace Calvoro::detail {

inline constexpr std::uint32_t kSecondsPerMinute = 60;

/// The largest number of minutes whose seconds still fit 32 bits.
inline constexpr std::uint32_t kMaxMinutes = MaxTimerMinutes;
static_assert(kMaxMinutes == UINT32_MAX / kSecondsPerMinute);

constexpr std::uint32_t SecondsToMinutes(std::uint32_t seconds) {
    return seconds / kSecondsPerMinute;
}

/// Whether the seconds of `minutes` fit 32 bits; a setter refuses minutes that do not.
constexpr bool SecondsFit(std::uint32_t minutes) { return minutes <= kMaxMinutes; }

/// The seconds of `minutes`, which must fit (SecondsFit).
constexpr std::uint32_t MinutesToSeconds(std::uint32_t minutes) {
    return minutes * kSecondsPerMinute;
}

}  // namespace Calvoro::detail
