#include "changes.h"

#include <calvoro/power_plans.h>

#include <algorithm>
#include <ostream>

#include "printers.h"
#include "text.h"

namespace calvoro_cli {
namespace {

using Calvoro::Guid;

// Applies the active plan again when it is among `retimed`, and returns it then; says so,
// and sets `pinned`, when policy sets the active plan.
std::optional<Guid> ReapplyIfActive(const std::vector<Guid>& retimed, const Output& output,
                                    bool& pinned) {
    if (retimed.empty()) {
        return std::nullopt;
    }
    const std::optional<Guid> active = Calvoro::ActivePlan();
    if (!active) {
        output.err << "calvoro: the platform cannot tell the active plan; the change is stored "
                      "and takes effect when the plan is next applied\n";
        return std::nullopt;
    }
    if (std::find(retimed.begin(), retimed.end(), *active) == retimed.end()) {
        return std::nullopt;
    }
    switch (Calvoro::ActivatePlan(*active)) {
    case Calvoro::Activation::Applied:
        return active;
    case Calvoro::Activation::PinnedByPolicy:
        pinned = true;
        output.err << "calvoro: " << kPinnedByPolicy
                   << "; the change is stored and takes effect when policy applies the plan\n";
        return std::nullopt;
    case Calvoro::Activation::Refused:
        break;
    }
    output.err << "calvoro: the active plan could not be applied again; the change is "
                  "stored and takes effect when the plan is next applied\n";
    return std::nullopt;
}

}  // namespace

nlohmann::json NameValue(const InstalledPlan& plan) {
    return plan.name ? nlohmann::json(ToUtf8ForDisplay(*plan.name)) : nlohmann::json(nullptr);
}

Outcome Apply(std::vector<Change>& changes, bool dryRun, const Output& output) {
    Outcome outcome;
    if (dryRun) {
        return outcome;
    }
    for (Change& change : changes) {
        change.applied = change.apply();
        if (!*change.applied) {
            ++outcome.refused;
            output.err << "calvoro: the platform refused: " << ChangeText(change) << '\n';
        }
    }
    if (output.keep) {
        try {
            output.keep();
        } catch (const std::exception& error) {
            output.err << "calvoro: " << error.what() << "; no change was kept\n";
            for (Change& change : changes) {
                outcome.refused += change.applied.value_or(false) ? 1 : 0;
                change.applied = false;
            }
            return outcome;
        }
    }
    std::vector<Guid> retimed;
    for (const Change& change : changes) {
        if (*change.applied && change.setting != "name" &&
            std::find(retimed.begin(), retimed.end(), change.plan.id) == retimed.end()) {
            retimed.push_back(change.plan.id);
        }
    }
    outcome.reapplied = ReapplyIfActive(retimed, output, outcome.pinnedByPolicy);
    return outcome;
}

}  // namespace calvoro_cli
