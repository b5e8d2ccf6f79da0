#include "changes.h"

#include <ostream>

#include "printers.h"
#include "text.h"

namespace calvoro_cli {

Tried TriedSetting(const Calvoro::SettingChange& change) {
    using Calvoro::SettingOutcome;
    Tried tried;
    tried.applied = change.outcome == SettingOutcome::Done;
    tried.reapplied = change.reapplied;
    tried.activePlanUnknown = change.activePlanUnknown;
    tried.pinnedByPolicy = change.outcome == SettingOutcome::PinnedByPolicy;
    if (tried.pinnedByPolicy) {
        tried.refusal = "Group Policy sets this setting on this machine";
    } else if (change.outcome == SettingOutcome::NotFound) {
        tried.refusal = "the platform knows no such plan or setting";
    } else if (change.outcome == SettingOutcome::Refused && change.status != 0) {
        tried.refusal = "status " + std::to_string(change.status);
    }
    return tried;
}

Change TimeoutChange(const InstalledPlan& plan, const TimeoutSetting& timeout, std::uint32_t now,
                     std::uint32_t minutes) {
    return {plan,
            timeout.Name(),
            now,
            minutes,
            std::string(timeout.timeout) + " on " + (timeout.onAC ? "AC" : "DC"),
            MinutesText(now),
            MinutesText(minutes),
            std::nullopt,
            [&timeout, id = plan.id, minutes] { return TriedSetting(timeout.Write(id, minutes)); },
            std::nullopt};
}

nlohmann::json NameValue(const InstalledPlan& plan) {
    return plan.name ? nlohmann::json(ToUtf8ForDisplay(*plan.name)) : nlohmann::json(nullptr);
}

Outcome Apply(std::vector<Change>& changes, bool dryRun, const Output& output) {
    Outcome outcome;
    if (dryRun) {
        return outcome;
    }
    for (Change& change : changes) {
        const Tried tried = change.apply();
        change.applied = tried.applied;
        if (!tried.applied) {
            ++outcome.refused;
            outcome.pinnedByPolicy |= tried.pinnedByPolicy;
            output.err << "calvoro: the platform refused: " << ChangeText(change)
                       << (tried.refusal.empty() ? "" : " (" + tried.refusal + ")") << '\n';
            continue;
        }
        if (tried.activePlanUnknown) {
            output.err << "calvoro: the platform cannot tell the active plan; the change is "
                          "stored and takes effect when the plan is next applied\n";
        }
        switch (tried.reapplied.value_or(Calvoro::Activation::Applied)) {
        case Calvoro::Activation::Applied:
            if (tried.reapplied) {
                outcome.reapplied = change.plan.id;
            }
            break;
        case Calvoro::Activation::PinnedByPolicy:
            outcome.pinnedByPolicy = true;
            output.err << "calvoro: " << kPinnedByPolicy
                       << "; the change is stored and takes effect when policy applies the plan\n";
            break;
        case Calvoro::Activation::Refused:
            output.err << "calvoro: the active plan could not be applied again; the change is "
                          "stored and takes effect when the plan is next applied\n";
            break;
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
            outcome.reapplied.reset();
        }
    }
    return outcome;
}

}  // namespace calvoro_cli
