// A plan's whole life beside the class: Windows' templates, copying a plan, removing one and
// putting Windows' own plans back, each through the platform's calls for it.
#include <calvoro/power_class.h>
#include <calvoro/power_plans.h>

#include <algorithm>

#include "platform/conversions.h"
#include "platform/platform.h"
#include "power_class/zero_filled_block.h"

namespace Calvoro {
namespace {

// Windows' published templates, in the order Windows lists its plans.
struct Template {
    Guid id;
    std::u16string_view name;
    bool listedWithModernStandby;
    bool listed;
};
constexpr Template kTemplates[] = {
    {{0x381B4222, 0xF694, 0x41F0, {0x96, 0x85, 0xFF, 0x5B, 0xB2, 0x60, 0xDF, 0x2E}},
     u"Balanced", true, true},
    {{0x8C5E7FDA, 0xE8BF, 0x4A96, {0x9A, 0x85, 0xA6, 0xE2, 0x3A, 0x8C, 0x63, 0x5C}},
     u"High performance", false, true},
    {{0xA1841308, 0x3541, 0x4FAB, {0xBC, 0x81, 0xF7, 0x15, 0x56, 0xF2, 0x0B, 0x4A}},
     u"Power saver", false, true},
    {{0xE9A42B02, 0xD5DF, 0x448D, {0xAA, 0x00, 0x03, 0xF1, 0x47, 0x49, 0xEB, 0x61}},
     u"Ultimate Performance", false, false},
};


PlanResult Result(PlanOutcome outcome, const Guid& plan, platform::Status status = 0) {
    return {outcome, plan, status, {}};
}

// What a failed call of the platform means for a plan operation.
PlanResult Failure(platform::Status status, const Guid& plan) {
    switch (status) {
    case platform::status::FileNotFound:
        return Result(PlanOutcome::NotFound, plan, status);
    case platform::status::AlreadyExists:
        return Result(PlanOutcome::AlreadyExists, plan, status);
    case platform::status::AccessDenied:
        return Result(PlanOutcome::NeedsAdministrator, plan, status);
    case platform::status::DisabledByPolicy:
        return Result(PlanOutcome::ForbiddenByPolicy, plan, status);
    case platform::status::ProcNotFound:
    case platform::status::CallNotImplemented:
        return Result(PlanOutcome::Unsupported, plan, status);
    default:
        return Result(PlanOutcome::Failed, plan, status);
    }
}

bool Installed(const Guid& plan) {
    for (const InstalledPlan& installed : InstalledPlans()) {
        if (installed.id == plan) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::vector<PlanTemplate> PlanTemplates() {
    const bool modernStandby = ReadPowerSource().modernStandby;
    std::vector<PlanTemplate> templates;
    for (const Template& known : kTemplates) {
        templates.push_back({known.id, std::u16string(known.name),
                             modernStandby ? known.listedWithModernStandby : known.listed});
    }
    return templates;
}

PlanSourceLookup FindPlanOrTemplate(std::u16string_view text) {
    PlanSourceLookup found{FindPlan(text), false};
    PlanLookup& lookup = found.lookup;
    if (lookup.outcome != PlanLookup::Outcome::None) {
        return found;
    }
    for (const Template& known : kTemplates) {
        const bool named = lookup.reading == PlanLookup::Reading::Name
                               ? SameIgnoringCase(text, known.name)
                               : lookup.identifier == known.id;
        if (named) {
            lookup.outcome = PlanLookup::Outcome::Found;
            lookup.identifier = known.id;
            lookup.candidates = {{known.id, std::u16string(known.name)}};
            found.isTemplate = true;
            break;
        }
    }
    return found;
}

bool NewPlansForbiddenByPolicy() {
    return platform::PowerSettingAccessCheckEx(platform::kAccessCreateScheme, nullptr,
                                               platform::kKeyWrite) ==
           platform::status::DisabledByPolicy;
}

PlanResult DuplicatePlan(const Guid& source, const std::optional<Guid>& id,
                         const std::optional<std::u16string>& name,
                         const std::optional<std::u16string>& description) {
    if (NewPlansForbiddenByPolicy()) {
        return Result(PlanOutcome::ForbiddenByPolicy, source);
    }
    const GUID from = detail::ToPlatformRecord(source);
    GUID chosen = detail::ToPlatformRecord(id.value_or(Guid{}));
    GUID* destination = id ? &chosen : nullptr;
    const platform::Status status = platform::PowerDuplicateScheme(nullptr, &from, &destination);
    // Windows allocates the record of an identifier it picked; the caller releases it.
    // cppcheck-suppress unreadVariable ; it owns the record, released on every path
    const detail::PlatformRecord picked(id ? nullptr : destination);
    if (status != platform::status::Success) {
        return Failure(status, id.value_or(source));
    }
    if (destination == nullptr) {
        return Result(PlanOutcome::Failed, source, status);  // success, yet no identifier
    }
    const Guid made = detail::FromPlatformRecord(*destination);
    if (name) {
        // The name is written with a description, the given one or the copy's own. A copy
        // that cannot be named is removed again: no half-made plan stays.
        const std::u16string text = description ? *description
                                                : ReadPlanDescription(made).value_or(u"");
        if (PowerClass().WritePowerSchemeNameDescription(made, *name, text) != 1) {
            (void)platform::PowerDeleteScheme(nullptr, destination);
            return Result(PlanOutcome::Failed, made);
        }
    }
    return Result(PlanOutcome::Done, made);
}

PlanResult DeletePlan(const Guid& plan) {
    if (ActivePlan() == plan) {
        return Result(PlanOutcome::IsActive, plan);  // what Windows would do is undocumented
    }
    const GUID record = detail::ToPlatformRecord(plan);
    const platform::Status status = platform::PowerDeleteScheme(nullptr, &record);
    if (status != platform::status::Success) {
        return Failure(status, plan);
    }
    PlanResult result = Result(PlanOutcome::Done, plan);
    for (const PowerSource source : {PowerSource::AC, PowerSource::DC}) {
        try {
            if (PowerClass().GetDefaultPlaneGUID(source == PowerSource::AC) == plan) {
                result.recordsNamingIt.push_back(source);
            }
        } catch (const std::exception&) {
            // A record that cannot be read names no plan that this call could tell.
        }
    }
    return result;
}

PlanResult RestoreDefaultPlans() {
    if (NewPlansForbiddenByPolicy()) {
        return Result(PlanOutcome::ForbiddenByPolicy, Guid{});
    }
    const platform::Status status = platform::PowerRestoreDefaultPowerSchemes();
    return status == platform::status::Success ? Result(PlanOutcome::Done, Guid{})
                                               : Failure(status, Guid{});
}

RestoreOutline OutlineRestoreDefaults() {
    const std::vector<PlanTemplate> templates = PlanTemplates();
    const std::vector<InstalledPlan> installed = InstalledPlans();
    RestoreOutline outline;
    for (const InstalledPlan& plan : installed) {
        const bool standard =
            std::any_of(templates.begin(), templates.end(), [&](const PlanTemplate& known) {
                return known.standard && known.id == plan.id;
            });
        if (!standard) {
            outline.removed.push_back(plan);
        }
    }
    for (const PlanTemplate& known : templates) {
        if (!known.standard) {
            continue;
        }
        const auto found =
            std::find_if(installed.begin(), installed.end(),
                         [&](const InstalledPlan& plan) { return plan.id == known.id; });
        outline.reset.push_back(found != installed.end() ? *found
                                                         : InstalledPlan{known.id, known.name});
    }
    return outline;
}

PlanResult RestorePlanDefaults(const Guid& plan, bool checkOnly) {
    if (!Installed(plan)) {
        return Result(PlanOutcome::NotFound, plan);
    }
    if (NewPlansForbiddenByPolicy()) {
        return Result(PlanOutcome::ForbiddenByPolicy, plan);
    }
    const GUID record = detail::ToPlatformRecord(plan);
    const platform::Status can = platform::PowerCanRestoreIndividualDefaultPowerScheme(&record);
    if (can == platform::status::ProcNotFound) {
        return Failure(can, plan);
    }
    if (can != platform::status::Success) {
        return Result(PlanOutcome::NotStandard, plan, can);
    }
    if (checkOnly) {
        return Result(PlanOutcome::Done, plan);
    }
    const platform::Status status = platform::PowerRestoreIndividualDefaultPowerScheme(&record);
    return status == platform::status::Success ? Result(PlanOutcome::Done, plan)
                                               : Failure(status, plan);
}

}  // namespace Calvoro
