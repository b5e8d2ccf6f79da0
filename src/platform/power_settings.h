// The platform's published identifiers of the power settings that the library touches,
// under Windows' own names, as constant records.
#pragma once

#include <calvoro/guid.h>

namespace Calvoro::platform {

// 238C9FA8-0AAD-41ED-83F4-97BE242C8F20
inline constexpr GUID GUID_SLEEP_SUBGROUP{
    0x238C9FA8, 0x0AAD, 0x41ED, {0x83, 0xF4, 0x97, 0xBE, 0x24, 0x2C, 0x8F, 0x20}};
// 29F6C1DB-86DA-48C5-9FDB-F2B67B1F44DA
inline constexpr GUID GUID_STANDBY_TIMEOUT{
    0x29F6C1DB, 0x86DA, 0x48C5, {0x9F, 0xDB, 0xF2, 0xB6, 0x7B, 0x1F, 0x44, 0xDA}};
// 9D7815A6-7EE4-497E-8888-515A05F02364
inline constexpr GUID GUID_HIBERNATE_TIMEOUT{
    0x9D7815A6, 0x7EE4, 0x497E, {0x88, 0x88, 0x51, 0x5A, 0x05, 0xF0, 0x23, 0x64}};
// 7516B95F-F776-4464-8C53-06167F40CC99
inline constexpr GUID GUID_VIDEO_SUBGROUP{
    0x7516B95F, 0xF776, 0x4464, {0x8C, 0x53, 0x06, 0x16, 0x7F, 0x40, 0xCC, 0x99}};
// 3C0BC021-C8A8-4E07-A973-6B14CBCB2B7E
inline constexpr GUID GUID_VIDEO_POWERDOWN_TIMEOUT{
    0x3C0BC021, 0xC8A8, 0x4E07, {0xA9, 0x73, 0x6B, 0x14, 0xCB, 0xCB, 0x2B, 0x7E}};

// Windows 11's power modes, as PowerGetUserConfiguredACPowerMode and its siblings name them.
// 961CC777-2547-4F9D-8174-7D86181B8A7A
inline constexpr GUID kPowerModeBestPowerEfficiency{
    0x961CC777, 0x2547, 0x4F9D, {0x81, 0x74, 0x7D, 0x86, 0x18, 0x1B, 0x8A, 0x7A}};
// 00000000-0000-0000-0000-000000000000
inline constexpr GUID kPowerModeBalanced{0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
// DED574B5-45A0-4F42-8737-46345C09C238
inline constexpr GUID kPowerModeBestPerformance{
    0xDED574B5, 0x45A0, 0x4F42, {0x87, 0x37, 0x46, 0x34, 0x5C, 0x09, 0xC2, 0x38}};

// The settings whose changes the watcher is told of (PowerSettingRegisterNotification).
// 5D3E9A59-E9D5-4B00-A6BD-FF34FF516548: mains power, battery or a UPS
inline constexpr GUID GUID_ACDC_POWER_SOURCE{
    0x5D3E9A59, 0xE9D5, 0x4B00, {0xA6, 0xBD, 0xFF, 0x34, 0xFF, 0x51, 0x65, 0x48}};
// 31F9F286-5084-42FE-B720-2B0264993763: the active plan
inline constexpr GUID GUID_ACTIVE_POWERSCHEME{
    0x31F9F286, 0x5084, 0x42FE, {0xB7, 0x20, 0x2B, 0x02, 0x64, 0x99, 0x37, 0x63}};

// FEA3413E-7E05-4911-9A71-700331F1C294: the subgroup of the settings that belong to none
inline constexpr GUID NO_SUBGROUP_GUID{
    0xFEA3413E, 0x7E05, 0x4911, {0x9A, 0x71, 0x70, 0x03, 0x31, 0xF1, 0xC2, 0x94}};
// 245D8541-3943-4422-B025-13A784F679B7: which standard plan a plan behaves like (an index
// whose possible values' data are the personalities' identifiers), under NO_SUBGROUP_GUID
inline constexpr GUID GUID_POWERSCHEME_PERSONALITY{
    0x245D8541, 0x3943, 0x4422, {0xB0, 0x25, 0x13, 0xA7, 0x84, 0xF6, 0x79, 0xB7}};

/// Where one timeout lives: its subgroup and its setting.
struct TimeoutSetting {
    const GUID& subgroup;
    const GUID& setting;
};

inline constexpr TimeoutSetting kSleepTimeout{GUID_SLEEP_SUBGROUP, GUID_STANDBY_TIMEOUT};
inline constexpr TimeoutSetting kHibernateTimeout{GUID_SLEEP_SUBGROUP, GUID_HIBERNATE_TIMEOUT};
inline constexpr TimeoutSetting kDisplayTimeout{GUID_VIDEO_SUBGROUP, GUID_VIDEO_POWERDOWN_TIMEOUT};

}  // namespace Calvoro::platform
