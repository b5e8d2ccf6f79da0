#include "plans.h"

#include "errors.h"
#include "text.h"

namespace calvoro_cli {
namespace {

std::string Candidates(const std::vector<InstalledPlan>& plans) {
    if (plans.empty()) {
        return "no plans are installed";
    }
    std::string list = "installed plans:";
    for (const InstalledPlan& plan : plans) {
        list += "\n  " + Describe(plan);
    }
    return list;
}

InstalledPlan Resolved(const Calvoro::PlanLookup& lookup, const std::string& word) {
    using Lookup = Calvoro::PlanLookup;
    switch (lookup.outcome) {
    case Lookup::Outcome::Found:
        return lookup.candidates.front();
    case Lookup::Outcome::Several:
        throw UsageError("the name \"" + word + "\" is ambiguous, give an identifier; " +
                         Candidates(lookup.candidates));
    case Lookup::Outcome::None:
        break;
    }
    if (lookup.reading == Lookup::Reading::Name) {
        throw UsageError("no plan is named \"" + word + "\"; " + Candidates(lookup.candidates));
    }
    if (!lookup.identifier) {
        throw UsageError("the platform cannot tell the active plan (SCHEME_CURRENT)");
    }
    throw UsageError("no installed plan has the identifier " + lookup.identifier->ToString() +
                     "; " + Candidates(lookup.candidates));
}

}  // namespace

InstalledPlan ResolvePlan(const std::string& word) {
    return Resolved(Calvoro::FindPlan(ToUtf16(word, "PLAN")), word);
}

InstalledPlan ResolvePlanOrTemplate(const std::string& word) {
    return Resolved(Calvoro::FindPlanOrTemplate(ToUtf16(word, "PLAN")).lookup, word);
}

std::optional<InstalledPlan> FindInstalled(const std::vector<InstalledPlan>& plans,
                                           const Calvoro::Guid& id) {
    for (const InstalledPlan& plan : plans) {
        if (plan.id == id) {
            return plan;
        }
    }
    return std::nullopt;
}

std::string DisplayName(const InstalledPlan& plan) {
    return plan.name ? ToUtf8ForDisplay(*plan.name) : "(no name)";
}

std::string Describe(const InstalledPlan& plan) {
    return DisplayName(plan) + " (" + plan.id.ToString() + ")";
}

}  // namespace calvoro_cli
