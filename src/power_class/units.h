// Minutes at the interface, seconds on the platform, both 32-bit unsigned.
#pragma once

#include <calvoro/power_class.h>

#include <cstdint>
#include <optional>

namespace Calvoro::detail {

inline constexpr std::uint32_t kSecondsPerMinute = 60;

/// The largest number of minutes whose seconds still fit 32 bits.
inline constexpr std::uint32_t kMaxMinutes = MaxTimerMinutes;
static_assert(kMaxMinutes == UINT32_MAX / kSecondsPerMinute);

constexpr std::uint32_t SecondsToMinutes(std::uint32_t seconds) {
    return seconds / kSecondsPerMinute;
}

/// The seconds of `minutes`, or nothing when they would not fit 32 bits.
constexpr std::optional<std::uint32_t> MinutesToSeconds(std::uint32_t minutes) {
    if (minutes > kMaxMinutes) {
        return std::nullopt;
    }
    return minutes * kSecondsPerMinute;
}

}  // namespace Calvoro::detail
