// Control of the simulated platform: the in-memory machine (the plans with every setting, the
// current user's registry, the power source and modes, resume) that stands in for Windows in
// every non-Windows build of Calvoro, and in the calvoro_simulated library on every platform.
//
// Applications built on Calvoro can use it to test themselves: put the machine into a known
// state, then call PowerClass as usual. The machine is one per process and safe to use from
// many threads; every function here takes the same lock as the platform calls.
#pragma once

#include <calvoro/export.h>
#include <calvoro/guid.h>
#include <calvoro/power_plans.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Calvoro::Simulation {

/// The platform operations whose answers can be forced.
enum class Operation {
    PowerEnumerate,
    PowerReadFriendlyName,
    PowerWriteFriendlyName,
    PowerWriteDescription,
    PowerReadACValueIndex,
    PowerReadDCValueIndex,
    PowerWriteACValueIndex,
    PowerWriteDCValueIndex,
    LocalAlloc,  ///< any injected status makes the allocation fail (return no block)
    PowerGetActiveScheme,
    PowerSetActiveScheme,
    PowerReadDescription,
    CallNtPowerInformation,           ///< its status answers both levels (an NTSTATUS)
    PowerGetUserConfiguredPowerMode,  ///< for AC and DC alike; 127: no power modes here
    PowerSetUserConfiguredPowerMode,  ///< for AC and DC alike; 50: not for the active plan
    PowerSettingAccessCheckEx,        ///< 1260: Group Policy sets the plan, or forbids new ones
    PowerDuplicateScheme,
    PowerDeleteScheme,
    PowerRestoreDefaultPowerSchemes,  ///< for every plan and for one alike; 5: not an administrator
};

enum class Timeout { Sleep, Hibernate, Display };

struct TimeoutSeconds {
    std::uint32_t ac = 0;
    std::uint32_t dc = 0;

    friend bool operator==(const TimeoutSeconds& a, const TimeoutSeconds& b) {
        return a.ac == b.ac && a.dc == b.dc;
    }
};

/// The values of one setting of Windows' catalogue in a plan, for AC and DC, in the setting's
/// own unit, as Windows keeps them.
struct SettingValue {
    Guid subgroup;
    Guid setting;
    std::uint32_t ac = 0;
    std::uint32_t dc = 0;

    friend bool operator==(const SettingValue& a, const SettingValue& b) {
        return a.subgroup == b.subgroup && a.setting == b.setting && a.ac == b.ac && a.dc == b.dc;
    }
};

/// One power plan as the machine stores it.
struct Plan {
    Guid id;
    std::u16string name;
    std::u16string description;
    TimeoutSeconds sleep;
    TimeoutSeconds hibernate;
    TimeoutSeconds display;
    /// The values of Windows' other settings, in the catalogue's order: Plans and Snapshot
    /// give those that differ from Windows' defaults for the plan's personality; AddPlan and
    /// Restore give each one missing here that default. The personality is the personality
    /// setting's value; without it, a standard plan's own, else Balanced's.
    std::vector<SettingValue> settings;
};

/// How often an injected fault fires.
enum class Repeat {
    Once,   ///< on one call of the operation only
    Always  ///< on every call from then on, until ClearFaults
};

/// Back to the seeded machine: Windows' standard plans Balanced, High performance and Power
/// saver, in that order, with their usual names, descriptions and timeouts and Windows'
/// defaults for every other setting; Balanced active; no faults; no attributes written.
/// The power state goes back to its seed too, a machine without Modern Standby.
CALVORO_API void Reset();

/// As Reset, but a Modern Standby machine as Windows ships one: Balanced is its only plan,
/// and High performance and Power saver are templates that a duplicate brings back.
CALVORO_API void ResetModernStandby();

/// The plans Windows holds as templates, listed or not, with Windows' defaults: Balanced,
/// High performance, Power saver and Ultimate Performance. PowerDuplicateScheme copies them
/// by identifier; restoring the defaults brings back those the machine lists when seeded
/// (Balanced only on a Modern Standby machine).
CALVORO_API std::vector<Plan> Templates();

/// The plans in the platform's order.
CALVORO_API std::vector<Plan> Plans();

/// Appends `plan`. Returns false, changing nothing, when a plan with its id exists. Throws
/// std::invalid_argument, changing nothing, for a setting that is not in Windows' catalogue,
/// one of the three timeouts among `settings`, or a setting given twice.
CALVORO_API bool AddPlan(const Plan& plan);

/// Removes the plan. Returns false when there is no such plan. Removing the active plan
/// leaves the machine with none. (The active plan is read and applied with the library's own
/// ActivePlan and ActivatePlan, through the platform, as on Windows.)
CALVORO_API bool RemovePlan(const Guid& id);

/// The stored seconds of one timeout, or nothing when there is no such plan.
CALVORO_API std::optional<std::uint32_t> ReadSeconds(const Guid& plan, Timeout timeout, bool onAC);

/// Stores seconds directly. Returns false when there is no such plan.
CALVORO_API bool WriteSeconds(const Guid& plan, Timeout timeout, bool onAC, std::uint32_t seconds);

/// Makes the operation return `status` instead of doing its work, starting with the call
/// after the next `callsToSkip` calls (0: the very next call). Replaces any fault injected
/// for the operation before.
CALVORO_API void InjectStatus(Operation operation, std::uint32_t status,
                              Repeat repeat = Repeat::Once, std::uint32_t callsToSkip = 0);

/// Makes the operation raise std::runtime_error(message) instead of doing its work; the
/// other arguments as for InjectStatus.
CALVORO_API void InjectException(Operation operation, const std::string& message,
                                 Repeat repeat = Repeat::Once, std::uint32_t callsToSkip = 0);

/// Removes every injected fault.
CALVORO_API void ClearFaults();

/// A status injected for an operation and not yet used up.
struct InjectedStatus {
    Operation operation = Operation::PowerEnumerate;
    std::uint32_t status = 0;
    Repeat repeat = Repeat::Once;
    std::uint32_t callsToSkip = 0;
};

/// The statuses injected now, in the operations' order (injected exceptions are not listed).
CALVORO_API std::vector<InjectedStatus> InjectedStatuses();

/// Blocks handed out by LocalAlloc so far, and those not yet released.
struct AllocationCounts {
    std::size_t made = 0;
    std::size_t live = 0;
};
CALVORO_API AllocationCounts Allocations();

// ---- The per-user registry (HKEY_CURRENT_USER), empty when seeded ----
//
// Key paths and value names compare without regard to ASCII letter case, as on Windows.

/// The key whose "AC" and "DC" values PowerClass::GetDefaultPlaneGUID reads.
inline constexpr std::u16string_view DefaultPlanKey =
    u"Software\\Quandrel\\Zephlo\\PowerPolicies\\DEV_DEFAULT_PLANE";

/// One registry value: a string (REG_SZ), a number (REG_DWORD) or binary data (REG_BINARY).
struct RegistryValue {
    enum class Kind { String, Number, Binary };
    Kind kind = Kind::String;
    std::u16string text;              ///< String
    std::uint32_t number = 0;         ///< Number
    std::vector<std::uint8_t> bytes;  ///< Binary

    static RegistryValue String(std::u16string text) {
        return {Kind::String, std::move(text), 0, {}};
    }
    static RegistryValue Number(std::uint32_t number) { return {Kind::Number, {}, number, {}}; }
    static RegistryValue Binary(std::vector<std::uint8_t> bytes) {
        return {Kind::Binary, {}, 0, std::move(bytes)};
    }
};

/// Sets a value, creating its key when needed.
CALVORO_API void SetRegistryValue(std::u16string_view keyPath, std::u16string_view valueName,
                                  const RegistryValue& value);

/// The value, or nothing when the key or the value does not exist.
CALVORO_API std::optional<RegistryValue> GetRegistryValue(std::u16string_view keyPath,
                                                          std::u16string_view valueName);

/// Deletes one value; false when there was none.
CALVORO_API bool DeleteRegistryValue(std::u16string_view keyPath, std::u16string_view valueName);

/// Deletes a key with its values; false when there was none.
CALVORO_API bool DeleteRegistryKey(std::u16string_view keyPath);

/// Makes opening the key fail with access denied (creating the key when needed).
CALVORO_API void RefuseKeyAccess(std::u16string_view keyPath);

/// Makes reading one value of the key fail with access denied (creating the key when
/// needed); the value itself may or may not exist.
CALVORO_API void RefuseValueAccess(std::u16string_view keyPath, std::u16string_view valueName);

/// A refusal in force: of a whole key, or of one value of it.
struct RefusedAccess {
    std::u16string keyPath;
    std::optional<std::u16string> valueName;  ///< none: the whole key
};

/// The refusals that RefuseKeyAccess and RefuseValueAccess made, key by key.
CALVORO_API std::vector<RefusedAccess> RefusedAccesses();

// ---- The power source and the power modes ----

/// What the machine runs on, and its power modes (the user's choice on Windows 11).
struct PowerState {
    PowerSource source = PowerSource::AC;
    bool batteryPresent = true;
    bool modernStandby = false;  ///< the platform's AoAc
    Guid acMode{};               ///< balanced, the all-zero identifier
    Guid dcMode{};

    friend bool operator==(const PowerState& a, const PowerState& b) {
        return a.source == b.source && a.batteryPresent == b.batteryPresent &&
               a.modernStandby == b.modernStandby && a.acMode == b.acMode && a.dcMode == b.dcMode;
    }
};

/// The machine's power state: on AC, with a battery, no Modern Standby, both modes balanced
/// when seeded. CallNtPowerInformation and the power-mode calls answer from it (an unknown
/// source makes CallNtPowerInformation fail).
CALVORO_API PowerState Power();
CALVORO_API void SetPower(const PowerState& power);

/// The machine wakes from sleep: watchers are told of a resume (PBT_APMRESUMEAUTOMATIC).
/// A change of the source (SetPower, Restore) tells them of that, a change of the active plan
/// of that, on the thread that made the change.
CALVORO_API void Resume();

// ---- The whole machine, to keep it between processes ----

/// One registry key and its values, in name order.
struct RegistryKeyState {
    std::u16string path;
    std::vector<std::pair<std::u16string, RegistryValue>> values;
};

/// A setting's attributes (bit 1 hides it, bit 2 shows it on Modern Standby machines) as
/// PowerWriteSettingAttributes left them, for the whole machine.
struct SettingAttributes {
    Guid subgroup;
    Guid setting;
    std::uint32_t attributes = 0;
};

/// What the machine stores: the plans in order, the active plan, the per-user registry, the
/// power state, how many times it woke from sleep, and the attributes written to settings.
/// (Injected faults, refused access and the counters are not part of it.)
struct MachineState {
    std::vector<Plan> plans;
    std::optional<Guid> activePlan;
    std::vector<RegistryKeyState> registry;
    PowerState power;
    std::uint32_t resumes = 0;  ///< another count restored tells the watchers of a resume
    std::vector<SettingAttributes> attributes;  ///< those written, in the order written
};

/// The machine's stored state.
CALVORO_API MachineState Snapshot();

/// Replaces the plans, the active plan, the registry, the power state and the settings'
/// attributes with `state`; refused access is lifted, faults stay. Throws
/// std::invalid_argument, changing nothing, when two plans share an identifier, the active
/// plan is not among the plans, a key or value appears twice, or a plan's settings or an
/// attribute are not as AddPlan takes them.
CALVORO_API void Restore(const MachineState& state);

/// Registry keys opened so far, and those not yet closed again.
struct RegistryKeyCounts {
    std::size_t opened = 0;
    std::size_t open = 0;
};
CALVORO_API RegistryKeyCounts RegistryKeys();

}  // namespace Calvoro::Simulation
