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

}  // namespace

std::vector<InstalledPlan> InstalledPlans(const Calvoro::PowerClass& power) {
    std::vector<InstalledPlan> plans;
    for (std::uint32_t index = 0;; ++index) {
        const Calvoro::Guid id = power.EnumPowerSchemeGuid(index);
        if (id == Calvoro::NoPowerSchemeGuid) {
            return plans;
        }
        plans.push_back({id, power.ReadPowerSchemeName(id)});
    }
}

InstalledPlan ResolvePlan(const Calvoro::PowerClass& power, const std::string& word) {
    const std::vector<InstalledPlan> plans = InstalledPlans(power);
    try {
        const Calvoro::Guid id = Calvoro::Guid::Parse(word);
        for (const InstalledPlan& plan : plans) {
            if (plan.id == id) {
                return plan;
            }
        }
        throw UsageError("no installed plan has the identifier " + id.ToString() + "; " +
                         Candidates(plans));
    } catch (const Calvoro::GuidParseError&) {
        // Not an identifier: a name, then.
    }

    const std::u16string name = ToUtf16(word, "the plan's name");
    std::vector<InstalledPlan> named;
    for (const InstalledPlan& plan : plans) {
        if (plan.name == name) {
            named.push_back(plan);
        }
    }
    if (named.size() == 1) {
        return named.front();
    }
    if (named.empty()) {
        throw UsageError("no plan is named \"" + word + "\"; " + Candidates(plans));
    }
    throw UsageError("the name \"" + word + "\" is ambiguous, give an identifier; " +
                     Candidates(named));
}

std::string DisplayName(const InstalledPlan& plan) {
    return plan.name ? ToUtf8ForDisplay(*plan.name) : "(no name)";
}

std::string Describe(const InstalledPlan& plan) {
    return DisplayName(plan) + " (" + plan.id.ToString() + ")";
}

}  // namespace calvoro_cli
