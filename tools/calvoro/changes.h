// The change engine: the changes that set, rename and import make, applied one by one and
// kept. The library applies the active plan again after a change to one of its settings.
#pragma once

#include <calvoro/guid.h>
#include <calvoro/power_settings.h>

#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "commands.h"
#include "plans.h"
#include "timeout_settings.h"

namespace calvoro_cli {

/// How trying one change went.
struct Tried {
    bool applied = false;
    /// The active plan applied again after the change (a setting of it changed).
    std::optional<Calvoro::Activation> reapplied;
    bool activePlanUnknown = false;  // the platform cannot tell which plan is active
    bool pinnedByPolicy = false;  // not applied: Group Policy sets the setting
    std::string refusal;  // why not, when there is more to say than that the platform refused
};

/// A setting's change as it went, from the library's answer.
Tried TriedSetting(const Calvoro::SettingChange& change);

/// One change to one plan, and how it went.
struct Change {
    InstalledPlan plan;
    std::string setting;  // "sleep.ac", "PROCTHROTTLEMAX.dc" (an alias or identifier), "name"
    nlohmann::json from;  // the values in the setting's unit (minutes for sleep...), or names
    nlohmann::json to;
    std::string label;     // for a person: "sleep on AC", "Maximum processor state on DC"
    std::string fromText;  // for a person: "15 min", "100 %", "Hibernate"
    std::string toText;
    std::optional<std::string> description;  // written with a new name
    std::function<Tried()> apply;
    std::optional<bool> applied;  // not yet tried (or a dry run)
};

/// A timeout's change from `now` to `minutes`, written in seconds through the library.
Change TimeoutChange(const InstalledPlan& plan, const TimeoutSetting& timeout, std::uint32_t now,
                     std::uint32_t minutes);

/// A plan's name as a change's value, and as the JSON of every report: its text, or null
/// when the platform cannot read it.
nlohmann::json NameValue(const InstalledPlan& plan);

/// How a command's changes went.
struct Outcome {
    int refused = 0;                         // changes not applied, or applied but not kept
    std::optional<Calvoro::Guid> reapplied;  // the active plan, when it was applied again
    bool pinnedByPolicy = false;             // Group Policy kept a change or the plan back
};

/// What the program says when Group Policy sets the active plan.
inline constexpr const char* kPinnedByPolicy =
    "Group Policy sets the active plan on this machine, so it cannot be applied here";

/// Applies each change (unless `dryRun`), saying refusals on `err`, and how applying the
/// active plan again went; then keeps them (Output::keep): a change that could not be kept
/// counts as refused, for nothing is reported as done that is not kept.
Outcome Apply(std::vector<Change>& changes, bool dryRun, const Output& output);

}  // namespace calvoro_cli
