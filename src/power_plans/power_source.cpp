// The power source the machine runs on, and Windows 11's power modes for AC and DC.
#include <calvoro/power_plans.h>

#include <stdexcept>

#include "platform/conversions.h"
#include "platform/platform.h"
#include "platform/power_settings.h"

namespace Calvoro {
namespace {

bool OnAC(PowerSource source) {
    if (source != PowerSource::AC && source != PowerSource::DC) {
        throw std::invalid_argument("a power mode is kept for AC or DC only");
    }
    return source == PowerSource::AC;
}

PowerModeOutcome OutcomeOf(platform::Status status) {
    switch (status) {
    case platform::status::Success:
        return PowerModeOutcome::Done;
    case platform::status::ProcNotFound:
        return PowerModeOutcome::Unsupported;
    case platform::status::NotSupported:
        return PowerModeOutcome::NotApplicable;
    default:
        return PowerModeOutcome::Failed;
    }
}

}  // namespace

PowerSourceState ReadPowerSource() {
    PowerSourceState state;
    platform::SystemPowerCapabilities capabilities;
    const bool capable = platform::CallNtPowerInformation(&capabilities) == 0;
    state.modernStandby = capable && capabilities.AoAc;
    platform::SystemBatteryState battery;
    if (platform::CallNtPowerInformation(&battery) != 0) {
        state.batteryPresent = capable && capabilities.SystemBatteriesPresent;
        return state;  // the source is unknown, not DC
    }
    state.batteryPresent = battery.BatteryPresent;
    if (battery.AcOnLine) {
        state.source = PowerSource::AC;
    } else if (capable && capabilities.BatteriesAreShortTerm) {
        state.source = PowerSource::ShortTerm;
    } else if (battery.BatteryPresent) {
        state.source = PowerSource::DC;
    }  // off mains power with no battery at all: the platform cannot be telling the truth
    return state;
}

Guid PowerModeGuid(PowerMode mode) {
    switch (mode) {
    case PowerMode::BestPowerEfficiency:
        return FromGUID(platform::kPowerModeBestPowerEfficiency);
    case PowerMode::Balanced:
        break;
    case PowerMode::BestPerformance:
        return FromGUID(platform::kPowerModeBestPerformance);
    }
    return FromGUID(platform::kPowerModeBalanced);
}

PowerModeReading GetPowerMode(PowerSource source) {
    GUID record{};
    const platform::Status status = OnAC(source)
                                        ? platform::PowerGetUserConfiguredACPowerMode(&record)
                                        : platform::PowerGetUserConfiguredDCPowerMode(&record);
    PowerModeReading reading{OutcomeOf(status), std::nullopt, detail::FromPlatformRecord(record),
                             status};
    for (const PowerMode mode :
         {PowerMode::BestPowerEfficiency, PowerMode::Balanced, PowerMode::BestPerformance}) {
        if (reading.outcome == PowerModeOutcome::Done && reading.guid == PowerModeGuid(mode)) {
            reading.mode = mode;
        }
    }
    return reading;
}

PowerModeOutcome SetPowerMode(PowerSource source, PowerMode mode) {
    const GUID record = detail::ToPlatformRecord(PowerModeGuid(mode));
    return OutcomeOf(OnAC(source) ? platform::PowerSetUserConfiguredACPowerMode(&record)
                                  : platform::PowerSetUserConfiguredDCPowerMode(&record));
}

}  // namespace Calvoro
