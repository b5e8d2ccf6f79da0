// The six timeout settings in one table: each of the three timeouts for mains power (ac) and
// for battery (dc), with the words the program and its documents use for it, in minutes.
// They are read through the class and written through the library's one path for every
// setting, by Windows' identifiers, in seconds: the program's one convenience over settings.
#pragma once

#include <calvoro/power_class.h>
#include <calvoro/power_settings.h>

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>

namespace calvoro_cli {

struct TimeoutSetting {
    const char* timeout = "";  // "sleep", "hibernate", "display"
    const char* source = "";   // "ac", "dc"
    bool onAC = false;
    Calvoro::Guid subgroup;  // Windows' identifiers of the setting
    Calvoro::Guid setting;

    /// Whole minutes, through the class's getter.
    std::uint32_t Read(const Calvoro::PowerClass& power, const Calvoro::Guid& plan) const {
        switch (timeout[0]) {
        case 's':
            return power.GetSleepTimer(plan, onAC);
        case 'h':
            return power.GetHibernationTimer(plan, onAC);
        default:
            return power.GetDisplayTimer(plan, onAC);
        }
    }
    /// Writes whole minutes (at most Calvoro::MaxTimerMinutes) as the seconds Windows keeps.
    Calvoro::SettingChange Write(const Calvoro::Guid& plan, std::uint32_t minutes) const {
        return Calvoro::WriteSetting(plan, subgroup, setting,
                                     onAC ? Calvoro::PowerSource::AC : Calvoro::PowerSource::DC,
                                     minutes * 60);
    }
    /// "sleep.ac": how reports name the setting.
    std::string Name() const { return std::string(timeout) + "." + source; }
};

// GUID_SLEEP_SUBGROUP with GUID_STANDBY_TIMEOUT and GUID_HIBERNATE_TIMEOUT; GUID_VIDEO_SUBGROUP
// with GUID_VIDEO_POWERDOWN_TIMEOUT.
inline constexpr Calvoro::Guid kSleepSubgroup{
    0x238C9FA8, 0x0AAD, 0x41ED, {0x83, 0xF4, 0x97, 0xBE, 0x24, 0x2C, 0x8F, 0x20}};
inline constexpr Calvoro::Guid kStandbyTimeout{
    0x29F6C1DB, 0x86DA, 0x48C5, {0x9F, 0xDB, 0xF2, 0xB6, 0x7B, 0x1F, 0x44, 0xDA}};
inline constexpr Calvoro::Guid kHibernateTimeout{
    0x9D7815A6, 0x7EE4, 0x497E, {0x88, 0x88, 0x51, 0x5A, 0x05, 0xF0, 0x23, 0x64}};
inline constexpr Calvoro::Guid kVideoSubgroup{
    0x7516B95F, 0xF776, 0x4464, {0x8C, 0x53, 0x06, 0x16, 0x7F, 0x40, 0xCC, 0x99}};
inline constexpr Calvoro::Guid kVideoPowerdownTimeout{
    0x3C0BC021, 0xC8A8, 0x4E07, {0xA9, 0x73, 0x6B, 0x14, 0xCB, 0xCB, 0x2B, 0x7E}};

inline constexpr TimeoutSetting kTimeoutSettings[] = {
    {"sleep", "ac", true, kSleepSubgroup, kStandbyTimeout},
    {"sleep", "dc", false, kSleepSubgroup, kStandbyTimeout},
    {"hibernate", "ac", true, kSleepSubgroup, kHibernateTimeout},
    {"hibernate", "dc", false, kSleepSubgroup, kHibernateTimeout},
    {"display", "ac", true, kVideoSubgroup, kVideoPowerdownTimeout},
    {"display", "dc", false, kVideoSubgroup, kVideoPowerdownTimeout},
};
inline constexpr std::size_t kTimeoutCount = std::size(kTimeoutSettings);

}  // namespace calvoro_cli
