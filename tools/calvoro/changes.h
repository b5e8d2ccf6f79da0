// The change engine: the changes that set, rename and import make, applied one by one, kept,
// and the active plan applied again when its timeouts changed.
#pragma once

#include <calvoro/guid.h>

#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "commands.h"
#include "plans.h"

namespace calvoro_cli {

/// One change to one plan, and how it went.
struct Change {
    InstalledPlan plan;
    std::string setting;  // "sleep.ac" ... "display.dc", or "name"
    nlohmann::json from;  // minutes, or the name (null when the plan has none)
    nlohmann::json to;
    std::optional<std::string> description;  // written with a new name
    std::function<bool()> apply;
    std::optional<bool> applied;  // not yet tried (or a dry run)
};

/// A plan's name as a change's value, and as the JSON of every report: its text, or null
/// when the platform cannot read it.
nlohmann::json NameValue(const InstalledPlan& plan);

/// How a command's changes went.
struct Outcome {
    int refused = 0;                         // changes not applied, or applied but not kept
    std::optional<Calvoro::Guid> reapplied;  // the active plan, when it was applied again
    bool pinnedByPolicy = false;             // Group Policy kept it from being applied again
};

/// What the program says when Group Policy sets the active plan.
inline constexpr const char* kPinnedByPolicy =
    "Group Policy sets the active plan on this machine, so it cannot be applied here";

/// Applies each change (unless `dryRun`), saying refusals on `err`; then keeps them
/// (Output::keep): a change that could not be kept counts as refused, for nothing is
/// reported as done that is not kept. Then applies the active plan again when its timeouts
/// changed, as Windows' own tool does, for only then do they take effect.
Outcome Apply(std::vector<Change>& changes, bool dryRun, const Output& output);

}  // namespace calvoro_cli
