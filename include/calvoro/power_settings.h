// Every setting of a plan, as the platform describes it: the lid and button actions, the
// processor's limits and boost mode, the battery levels, the timeouts, and the rest. The
// library reads each setting's description from the platform itself (its name, whether it is
// hidden, its range or possible values, its defaults); the one fact of its own is powercfg's
// table of aliases (SUB_PROCESSOR, PROCTHROTTLEMAX), for which Windows has no call.
//
// These operations stand beside PowerClass and go through the same platform: Windows' power
// API, or the simulated machine. Every function may be called from any thread. Failures are
// results: each answers with one of the outcomes of SettingOutcome.
#pragma once

#include <calvoro/export.h>
#include <calvoro/guid.h>
#include <calvoro/power_plans.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Calvoro {

/// How a settings operation went: one table for every operation here.
enum class SettingOutcome {
    Done,            ///< listed, found, read, written, shown or hidden
    NotFound,        ///< no such plan, subgroup or setting (nothing named by the text)
    Ambiguous,       ///< a name that several settings or subgroups have: the candidates
    OutOfRange,      ///< a value the setting does not take; nothing was written
    Refused,         ///< the platform refused: `status` says how
    PinnedByPolicy,  ///< Group Policy sets the value; nothing was tried
    Unsupported      ///< the platform lacks the calls (Wine's powrprof): nothing was tried
};

/// A group of settings, such as Sleep or Processor power management.
struct PowerSubgroup {
    Guid id;
    std::u16string alias;  ///< powercfg's, as SUB_PROCESSOR; empty when it has none
    std::u16string name;
    std::u16string description;
};

/// The values a setting with a range takes: from `min` to `max` in steps of `increment`.
struct SettingRange {
    std::uint32_t min = 0;
    std::uint32_t max = 0;
    std::uint32_t increment = 1;
    std::u16string units;  ///< as the platform names them: "Seconds", "%", "MHz"
};

/// One of the values a setting without a range takes: the plan stores its index.
struct PossibleValue {
    std::uint32_t index = 0;
    std::u16string name;
    std::u16string description;
};

/// A setting as the platform describes it.
struct PowerSetting {
    PowerSubgroup subgroup;
    Guid id;
    std::u16string alias;  ///< powercfg's, as PROCTHROTTLEMAX; empty when it has none
    std::u16string name;
    std::u16string description;
    bool hidden = false;                ///< hidden from Windows' own settings (ATTRIBUTE_HIDE)
    std::optional<SettingRange> range;  ///< a setting with a range...
    std::vector<PossibleValue> values;  ///< ...or with possible values
    /// Windows' defaults for plans of the plan's personality; none when it cannot tell.
    std::optional<std::uint32_t> acDefault;
    std::optional<std::uint32_t> dcDefault;
};

/// NO_SUBGROUP_GUID, the subgroup of the settings that belong to none.
CALVORO_API Guid NoSubgroupGuid();

/// False where the platform lacks the calls that describe settings (Wine's powrprof): every
/// operation here then answers Unsupported without calling the platform.
CALVORO_API bool PowerSettingsSupported();

/// Settings listed or found, with how it went.
struct SettingsAnswer {
    SettingOutcome outcome = SettingOutcome::Done;
    std::vector<PowerSetting> settings;
    std::uint32_t status = 0;  ///< the platform's, when refused
};

/// Every setting of the plan, hidden ones included, subgroup by subgroup in the platform's
/// order; the settings that belong to no subgroup first, under NoSubgroupGuid(). NotFound
/// for a plan that is not installed.
CALVORO_API SettingsAnswer ListSettings(const Guid& plan);

/// The plan's setting that `text` names: its identifier; its alias, in any letter case; or its
/// name, that is the exact name when one setting has it, else the one name that is the same
/// ignoring letter case (SameIgnoringCase). Done with the one setting, NotFound with none,
/// Ambiguous with the candidates.
CALVORO_API SettingsAnswer FindSetting(const Guid& plan, std::u16string_view text);

/// Subgroups found, with how it went.
struct SubgroupsAnswer {
    SettingOutcome outcome = SettingOutcome::Done;
    std::vector<PowerSubgroup> subgroups;
};

/// The plan's subgroup that `text` names, by the rule of FindSetting.
CALVORO_API SubgroupsAnswer FindSubgroup(const Guid& plan, std::u16string_view text);

/// True when `setting` takes `value`: within its range and on a step of its increment, or
/// one of its possible values' indexes.
CALVORO_API bool SettingAllows(const PowerSetting& setting, std::uint32_t value);

/// The value that `text` stands for: a whole number (decimal), or the index of the possible
/// value so named, in any letter case. None for anything else; the number is not checked
/// against the setting (SettingAllows does).
CALVORO_API std::optional<std::uint32_t> SettingValueFromText(const PowerSetting& setting,
                                                              std::u16string_view text);

/// What the setting takes, for a person: "0 to 100 %", "0 to 4294967295 Seconds in steps
/// of 60", or its possible values' names: "Do nothing, Sleep, Hibernate or Shut down".
CALVORO_API std::u16string AllowedValuesText(const PowerSetting& setting);

/// A setting as a person names it: "Maximum processor state (PROCTHROTTLEMAX)"; its
/// identifier when the platform gives no name.
CALVORO_API std::u16string SettingLabel(const PowerSetting& setting);

/// A value of the setting as a person reads it: "80 %", "1800 Seconds", or the name of the
/// possible value with that index (the number, for an index it does not have).
CALVORO_API std::u16string SettingValueText(const PowerSetting& setting, std::uint32_t value);

/// A setting's values in a plan, in the setting's own unit (a timeout in seconds).
struct SettingValues {
    SettingOutcome outcome = SettingOutcome::Done;
    std::uint32_t ac = 0;
    std::uint32_t dc = 0;
    std::uint32_t status = 0;  ///< the platform's, when refused
};

/// Reads the plan's values of the setting for AC and DC.
CALVORO_API SettingValues ReadSetting(const Guid& plan, const Guid& subgroup, const Guid& setting);

/// How a change went.
struct SettingChange {
    SettingOutcome outcome = SettingOutcome::Done;
    std::uint32_t status = 0;  ///< the platform's, when refused
    /// When the plan changed is the active one: how applying it again went, for only then
    /// does the change take effect. None for another plan, and when nothing was written.
    std::optional<Activation> reapplied;
    /// The platform cannot tell the active plan, so none was applied again: the change takes
    /// effect when the plan is next applied.
    bool activePlanUnknown = false;
};

/// Writes the plan's value of the setting for `source`, AC or DC (std::invalid_argument for
/// another source): after checking it against the setting's description (OutOfRange, and
/// nothing written, when it does not take it) and Group Policy (PinnedByPolicy). A change to
/// the active plan applies the plan again.
CALVORO_API SettingChange WriteSetting(const Guid& plan, const Guid& subgroup, const Guid& setting,
                                       PowerSource source, std::uint32_t value);

/// Hides the setting from Windows' own settings, or shows it: for the whole machine, and
/// Windows may refuse it to a user who is not an administrator (Refused). Only the hidden bit
/// of its attributes changes.
CALVORO_API SettingChange SetSettingHidden(const Guid& subgroup, const Guid& setting, bool hidden);

}  // namespace Calvoro
