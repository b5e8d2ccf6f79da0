// The library's own operations beside PowerClass: what applications and admins need beyond
// the class's contract. The active plan, a plan's description, finding an installed plan by
// the text a person types, and writing the default-plan record that
// PowerClass::GetDefaultPlaneGUID reads. They go through the same platform as the class:
// Windows' power API and registry, or the simulated machine.
//
// Every function may be called from any thread. Failures of the platform are results, as in
// the class. Two kinds of call raise: the default-plan record's writers, with the errors of
// <calvoro/errors.h> (or std::runtime_error for a registry failure other than refusal), and
// a call given a power source it does not take, with std::invalid_argument.
#pragma once

#include <calvoro/export.h>
#include <calvoro/guid.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Calvoro {

/// A power source. A default plan is recorded for AC and for DC; the machine may also run on
/// a short-term battery (a UPS), or the platform may not tell.
enum class PowerSource { AC, DC, ShortTerm, Unknown };

/// An installed plan and its name (none when the platform cannot read it).
struct InstalledPlan {
    Guid id;
    std::optional<std::u16string> name;
};

/// Every installed plan with its name, in the platform's order.
CALVORO_API std::vector<InstalledPlan> InstalledPlans();

/// The plan the platform applies now (PowerGetActiveScheme); none when it cannot tell.
CALVORO_API std::optional<Guid> ActivePlan();

/// How applying a plan went.
enum class Activation {
    Refused,        ///< the platform refused
    Applied,        ///< the plan is the active one
    PinnedByPolicy  ///< Group Policy sets the active plan; nothing was tried
};

/// Applies the plan (PowerSetActiveScheme), unless policy sets the active plan.
CALVORO_API Activation ActivatePlan(const Guid& plan);

/// True when Group Policy sets the active plan (PowerSettingAccessCheckEx with
/// ACCESS_ACTIVE_SCHEME answers ERROR_ACCESS_DISABLED_BY_POLICY). False where the platform
/// cannot tell (before Windows 8).
CALVORO_API bool ActivePlanPinnedByPolicy();

/// The plan's description (PowerReadDescription), up to its first NUL; none when the plan
/// does not exist or the description cannot be read.
CALVORO_API std::optional<std::u16string> ReadPlanDescription(const Guid& plan);

/// True when the two texts are the same ignoring letter case: code point by code point, by
/// each one's simple upper-case mapping (Unicode's data, as .NET's OrdinalIgnoreCase and
/// Windows' CompareStringOrdinal compare), so that no character becomes two (ß is not SS).
CALVORO_API bool SameIgnoringCase(std::u16string_view a, std::u16string_view b);

/// What FindPlan made of a text.
struct PlanLookup {
    enum class Outcome {
        Found,   ///< one installed plan: `candidates` holds it
        None,    ///< no installed plan: `candidates` holds every installed plan
        Several  ///< a name that several plans have: `candidates` holds them
    };
    enum class Reading {
        Identifier,  ///< GUID text, in any form Guid::Parse takes
        Alias,       ///< SCHEME_BALANCED, SCHEME_MIN, SCHEME_MAX or SCHEME_CURRENT
        Name         ///< a plan's name
    };
    Outcome outcome = Outcome::None;
    Reading reading = Reading::Name;
    /// The plan an identifier or alias stands for; none for a name, and for SCHEME_CURRENT
    /// when the platform cannot tell the active plan.
    std::optional<Guid> identifier;
    std::vector<InstalledPlan> candidates;
};

/// The installed plan that `text` names: an identifier in any form Guid::Parse takes; one of
/// Windows' aliases SCHEME_BALANCED, SCHEME_MIN (High performance), SCHEME_MAX (Power saver)
/// and SCHEME_CURRENT (the active plan), in any letter case; or a plan's name, that is the
/// exact name when one plan has it, else the one name that is the same ignoring letter case
/// (SameIgnoringCase).
CALVORO_API PlanLookup FindPlan(std::u16string_view text);

// ---- A plan's whole life: templates, duplicate, delete, restore ----

/// One of Windows' published plan templates, which Windows copies by identifier whether it
/// lists the plan or not.
struct PlanTemplate {
    Guid id;
    std::u16string name;  ///< Windows' English name
    /// Windows lists the plan on a machine like this one, and restoring the defaults brings
    /// it back: Balanced always, High performance and Power saver except on a Modern Standby
    /// machine, Ultimate Performance never.
    bool standard = false;
};

/// Windows' published templates: Balanced, High performance, Power saver and Ultimate
/// Performance (E9A42B02-D5DF-448D-AA00-03F14749EB61).
CALVORO_API std::vector<PlanTemplate> PlanTemplates();

/// As FindPlan, and where no installed plan matches, a template by identifier or by name
/// (ignoring letter case): then `candidates` holds the template and `isTemplate` is true. An
/// installed plan's name wins over a template's.
struct PlanSourceLookup {
    PlanLookup lookup;
    bool isTemplate = false;
};
CALVORO_API PlanSourceLookup FindPlanOrTemplate(std::u16string_view text);

/// How making, removing or restoring a plan went.
enum class PlanOutcome {
    Done,
    NotFound,            ///< no such plan (nor template, for a copy)
    AlreadyExists,       ///< the new identifier is installed already; nothing was made
    IsActive,            ///< the active plan is not deleted: apply another plan first
    NotStandard,         ///< a custom plan has no Windows defaults to restore
    ForbiddenByPolicy,   ///< Group Policy forbids creating or restoring plans; nothing tried
    NeedsAdministrator,  ///< the platform refused access: an administrator may do it
    Unsupported,         ///< the platform lacks the call (before Windows Vista, or Wine)
    Failed               ///< another status: `status` says which
};

/// What a plan operation did.
struct PlanResult {
    PlanOutcome outcome = PlanOutcome::Failed;
    Guid plan;                 ///< the plan made, removed or restored
    std::uint32_t status = 0;  ///< the platform's status, for Failed
    /// DeletePlan: the sources whose default record still names the removed plan (a record is
    /// the person's and stays: the watcher will say that its plan is not installed).
    std::vector<PowerSource> recordsNamingIt;
};

/// True when Group Policy forbids creating and restoring plans (PowerSettingAccessCheckEx
/// with ACCESS_CREATE_SCHEME answers ERROR_ACCESS_DISABLED_BY_POLICY).
CALVORO_API bool NewPlansForbiddenByPolicy();

/// Copies `source`, an installed plan or a template, with every setting, its description
/// and personality (PowerDuplicateScheme). The copy takes `id` when given (AlreadyExists
/// when that is installed), else one that Windows picks. It takes `name` when given, with
/// `description` or else the source's, in the same operation: should naming fail, the copy
/// is deleted again. Without a name it keeps the source's name, as Windows does.
CALVORO_API PlanResult DuplicatePlan(const Guid& source, const std::optional<Guid>& id = {},
                                     const std::optional<std::u16string>& name = {},
                                     const std::optional<std::u16string>& description = {});

/// Removes the plan (PowerDeleteScheme). The active plan is refused (IsActive) before
/// anything is tried. The default records are left as they are.
CALVORO_API PlanResult DeletePlan(const Guid& plan);

/// Removes every plan but the standard ones and gives those Windows' default settings
/// (PowerRestoreDefaultPowerSchemes). Balanced is active afterwards if the active plan went.
/// Windows asks an administrator for it (NeedsAdministrator).
CALVORO_API PlanResult RestoreDefaultPlans();

/// What RestoreDefaultPlans would do now: the installed plans it removes, and the standard
/// plans it gives their defaults (those not installed by their template's name).
struct RestoreOutline {
    std::vector<InstalledPlan> removed;
    std::vector<InstalledPlan> reset;
};
CALVORO_API RestoreOutline OutlineRestoreDefaults();

/// Gives one of Windows' own plans its default settings, name and description again
/// (PowerRestoreIndividualDefaultPowerScheme); a custom plan is NotStandard. With
/// `checkOnly`, answers as it would and changes nothing.
CALVORO_API PlanResult RestorePlanDefaults(const Guid& plan, bool checkOnly = false);

/// What the machine runs on (CallNtPowerInformation), and whether it is a Modern Standby
/// machine, on which Windows offers only Balanced and the power mode is what changes.
struct PowerSourceState {
    PowerSource source = PowerSource::Unknown;  ///< AC, DC, ShortTerm (a UPS) or Unknown
    bool batteryPresent = false;
    bool modernStandby = false;
};

/// The machine's power source now; Unknown when the platform cannot tell. Cannot fail.
CALVORO_API PowerSourceState ReadPowerSource();

/// Windows 11's power modes, kept for AC and for DC.
enum class PowerMode {
    BestPowerEfficiency,  ///< 961CC777-2547-4F9D-8174-7D86181B8A7A
    Balanced,             ///< the all-zero identifier
    BestPerformance       ///< DED574B5-45A0-4F42-8737-46345C09C238
};

/// The identifier of a power mode.
CALVORO_API Guid PowerModeGuid(PowerMode mode);

/// What a power-mode call made of it.
enum class PowerModeOutcome {
    Done,           ///< read or set
    Unsupported,    ///< the platform has no power modes (before Windows 11)
    NotApplicable,  ///< Windows says the mode does not apply to the active plan
    Failed          ///< another status: `status` says which
};

/// The power mode for AC or DC: `mode` is none for an identifier that is none of the three.
struct PowerModeReading {
    PowerModeOutcome outcome = PowerModeOutcome::Failed;
    std::optional<PowerMode> mode;
    Guid guid;
    std::uint32_t status = 0;
};

/// The user's power mode for `source`, AC or DC (std::invalid_argument for another source).
CALVORO_API PowerModeReading GetPowerMode(PowerSource source);

/// Sets the user's power mode for `source`, AC or DC (std::invalid_argument otherwise).
CALVORO_API PowerModeOutcome SetPowerMode(PowerSource source, PowerMode mode);

/// Records `plan` as the default for `source`: the string value "AC" or "DC", in the
/// 8-4-4-4-12 form, under the key that PowerClass::GetDefaultPlaneGUID reads, which is
/// created when it is missing. Throws RegistryAccessError when the registry refuses, and
/// std::invalid_argument for a source other than AC and DC.
CALVORO_API void SetDefaultPlan(PowerSource source, const Guid& plan);

/// Removes the record for `source`, that value only. Returns false when none was recorded.
/// Throws RegistryAccessError when the registry refuses.
CALVORO_API bool ClearDefaultPlan(PowerSource source);

}  // namespace Calvoro
