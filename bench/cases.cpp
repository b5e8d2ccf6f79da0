#include "cases.h"

#include <benchmark/benchmark.h>
#include <calvoro/calvoro.h>
#include <calvoro/calvoro_c.h>
#include <calvoro/simulation.h>

#include <string>
#include <string_view>

#include "platform/conversions.h"
#include "platform/platform.h"
#include "platform/power_settings.h"

namespace calvoro_bench {
namespace {

namespace p = Calvoro::platform;
namespace Sim = Calvoro::Simulation;

// The last of the seeded plans, so that every lookup walks the whole list.
const Calvoro::Guid kPlan = Calvoro::Guid::Parse("A1841308-3541-4FAB-BC81-F71556F20B4A");
const Calvoro::GUID kRecord = Calvoro::detail::ToPlatformRecord(kPlan);
const Calvoro::PowerClass kPower;
constexpr std::u16string_view kKey =
    u"Software\\Quandrel\\Zephlo\\PowerPolicies\\DEV_DEFAULT_PLANE";

void LibraryGetSleep() { benchmark::DoNotOptimize(kPower.GetSleepTimer(kPlan, true)); }
void DirectGetSleep() {
    std::uint32_t seconds = 0;
    benchmark::DoNotOptimize(p::PowerReadACValueIndex(nullptr, &kRecord, &p::GUID_SLEEP_SUBGROUP,
                                                      &p::GUID_STANDBY_TIMEOUT, &seconds));
    benchmark::DoNotOptimize(seconds);
}

void LibrarySetDisplay() { benchmark::DoNotOptimize(kPower.SetDisplayTimer(kPlan, false, 7)); }
void DirectSetDisplay() {
    benchmark::DoNotOptimize(p::PowerWriteDCValueIndex(nullptr, &kRecord, &p::GUID_VIDEO_SUBGROUP,
                                                       &p::GUID_VIDEO_POWERDOWN_TIMEOUT, 420));
}

void LibraryEnumerate() { benchmark::DoNotOptimize(kPower.EnumPowerSchemeGuid(2)); }
void DirectEnumerate() {
    Calvoro::GUID record{};
    std::uint32_t size = sizeof record;
    benchmark::DoNotOptimize(p::PowerEnumerate(nullptr, nullptr, nullptr, p::kAccessScheme, 2,
                                               reinterpret_cast<std::uint8_t*>(&record), &size));
    benchmark::DoNotOptimize(record);
}

void LibraryReadName() { benchmark::DoNotOptimize(kPower.ReadPowerSchemeName(kPlan)); }
// The direct side builds the returned text too, as every caller of the two calls must.
void DirectReadName() {
    std::uint32_t size = 0;
    p::PowerReadFriendlyName(nullptr, &kRecord, nullptr, nullptr, nullptr, &size);
    void* block = p::LocalAlloc(p::kZeroFilledFixed, size);
    benchmark::DoNotOptimize(p::PowerReadFriendlyName(nullptr, &kRecord, nullptr, nullptr,
                                                      static_cast<std::uint8_t*>(block), &size));
    benchmark::DoNotOptimize(std::u16string(static_cast<const char16_t*>(block)));
    p::LocalFree(block);
}

// Both sides get the texts ready-made, so that only the calls are compared.
const std::u16string kName = u"Power saver";
const std::u16string kDescription = u"Saves";

void LibraryWriteNames() {
    benchmark::DoNotOptimize(kPower.WritePowerSchemeNameDescription(kPlan, kName, kDescription));
}
void DirectWriteNames() {
    const std::u16string& name = kName;
    const std::u16string& description = kDescription;
    p::PowerWriteFriendlyName(nullptr, &kRecord, nullptr, nullptr,
                              reinterpret_cast<const std::uint8_t*>(name.c_str()), 24);
    benchmark::DoNotOptimize(
        p::PowerWriteDescription(nullptr, &kRecord, nullptr, nullptr,
                                 reinterpret_cast<const std::uint8_t*>(description.c_str()), 12));
}

// One setting's two values, by its identifiers.
const Calvoro::Guid kProcessor = Calvoro::Guid::Parse("54533251-82BE-4824-96C1-47B60B740D00");
const Calvoro::Guid kThrottleMax = Calvoro::Guid::Parse("BC5038F7-23E0-4960-96DA-33ABAF5935EC");
const Calvoro::GUID kProcessorRecord = Calvoro::detail::ToPlatformRecord(kProcessor);
const Calvoro::GUID kThrottleMaxRecord = Calvoro::detail::ToPlatformRecord(kThrottleMax);

void LibraryReadSetting() {
    benchmark::DoNotOptimize(Calvoro::ReadSetting(kPlan, kProcessor, kThrottleMax));
}
void DirectReadSetting() {
    std::uint32_t ac = 0;
    std::uint32_t dc = 0;
    benchmark::DoNotOptimize(
        p::PowerReadACValueIndex(nullptr, &kRecord, &kProcessorRecord, &kThrottleMaxRecord, &ac));
    benchmark::DoNotOptimize(
        p::PowerReadDCValueIndex(nullptr, &kRecord, &kProcessorRecord, &kThrottleMaxRecord, &dc));
    benchmark::DoNotOptimize(ac + dc);
}

void LibraryDefaultPlan() { benchmark::DoNotOptimize(kPower.GetDefaultPlaneGUID(true)); }
void DirectDefaultPlan() { benchmark::DoNotOptimize(p::RegReadCurrentUserValue(kKey, u"AC")); }

// The C interface beside the C++ call it makes.
const calvoro_guid kCPlan{
    0xA1841308, 0x3541, 0x4FAB, {0xBC, 0x81, 0xF7, 0x15, 0x56, 0xF2, 0x0B, 0x4A}};

void CGetSleep() {
    std::uint32_t minutes = 0;
    benchmark::DoNotOptimize(calvoro_GetSleepTimer(&kCPlan, 1, &minutes));
    benchmark::DoNotOptimize(minutes);
}
void CSetDisplay() {
    std::int32_t stored = 0;
    benchmark::DoNotOptimize(calvoro_SetDisplayTimer(&kCPlan, 0, 7, &stored));
    benchmark::DoNotOptimize(stored);
}
void CEnumerate() {
    calvoro_guid plan;  // as a C caller would leave it: the call fills it
    benchmark::DoNotOptimize(calvoro_EnumPowerSchemeGuid(2, &plan));
    benchmark::DoNotOptimize(plan);
}

}  // namespace

void Prepare() {
    Sim::Reset();
    Sim::SetRegistryValue(kKey, u"AC",
                          Sim::RegistryValue::String(u"{A1841308-3541-4FAB-BC81-F71556F20B4A}"));
}

const Pair kPairs[] = {
    {"GetSleepTimer", LibraryGetSleep, DirectGetSleep},
    {"SetDisplayTimer", LibrarySetDisplay, DirectSetDisplay},
    {"EnumPowerSchemeGuid", LibraryEnumerate, DirectEnumerate},
    {"ReadPowerSchemeName", LibraryReadName, DirectReadName},
    {"WritePowerSchemeNameDescription", LibraryWriteNames, DirectWriteNames},
    {"GetDefaultPlaneGUID", LibraryDefaultPlan, DirectDefaultPlan},
    {"ReadSetting", LibraryReadSetting, DirectReadSetting},
    // "library" is the C function here, "direct" the C++ operation it calls.
    {"calvoro_GetSleepTimer", CGetSleep, LibraryGetSleep},
    {"calvoro_SetDisplayTimer", CSetDisplay, LibrarySetDisplay},
    {"calvoro_EnumPowerSchemeGuid", CEnumerate, LibraryEnumerate},
};
const std::size_t kPairCount = std::size(kPairs);

}  // namespace calvoro_bench
