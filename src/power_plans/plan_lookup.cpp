// Finding an installed plan by the text a person types: an identifier, an alias, or a name.
#include <calvoro/power_plans.h>

namespace Calvoro {
namespace {

// The aliases that Windows' own power tool knows for its standard plans.
struct Alias {
    std::u16string_view word;
    Guid id;
};
constexpr Alias kAliases[] = {
    {u"SCHEME_BALANCED",  // Balanced, 381B4222-F694-41F0-9685-FF5BB260DF2E
     {0x381B4222, 0xF694, 0x41F0, {0x96, 0x85, 0xFF, 0x5B, 0xB2, 0x60, 0xDF, 0x2E}}},
    {u"SCHEME_MIN",  // High performance, 8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C
     {0x8C5E7FDA, 0xE8BF, 0x4A96, {0x9A, 0x85, 0xA6, 0xE2, 0x3A, 0x8C, 0x63, 0x5C}}},
    {u"SCHEME_MAX",  // Power saver, A1841308-3541-4FAB-BC81-F71556F20B4A
     {0xA1841308, 0x3541, 0x4FAB, {0xBC, 0x81, 0xF7, 0x15, 0x56, 0xF2, 0x0B, 0x4A}}},
};
constexpr std::u16string_view kCurrentAlias = u"SCHEME_CURRENT";  // the active plan

// The lookup of an identifier that `reading` gave: found when it is installed.
PlanLookup ById(PlanLookup::Reading reading, const std::optional<Guid>& id,
                std::vector<InstalledPlan> plans) {
    PlanLookup lookup{PlanLookup::Outcome::None, reading, id, {}};
    for (const InstalledPlan& plan : plans) {
        if (id && plan.id == *id) {
            lookup.outcome = PlanLookup::Outcome::Found;
            lookup.candidates = {plan};
            return lookup;
        }
    }
    lookup.candidates = std::move(plans);
    return lookup;
}

}  // namespace

PlanLookup FindPlan(std::u16string_view text) {
    std::vector<InstalledPlan> plans = InstalledPlans();
    for (const Alias& alias : kAliases) {
        if (SameIgnoringCase(text, alias.word)) {
            return ById(PlanLookup::Reading::Alias, alias.id, std::move(plans));
        }
    }
    if (SameIgnoringCase(text, kCurrentAlias)) {
        return ById(PlanLookup::Reading::Alias, ActivePlan(), std::move(plans));
    }
    if (const std::optional<Guid> id = Guid::TryParse(text)) {
        return ById(PlanLookup::Reading::Identifier, id, std::move(plans));
    }

    // The exact name first; then the names that are the same ignoring letter case.
    std::vector<InstalledPlan> exact;
    std::vector<InstalledPlan> caseless;
    for (const InstalledPlan& plan : plans) {
        if (plan.name && *plan.name == text) {
            exact.push_back(plan);
        } else if (plan.name && SameIgnoringCase(*plan.name, text)) {
            caseless.push_back(plan);
        }
    }
    std::vector<InstalledPlan>& named = exact.empty() ? caseless : exact;
    using Outcome = PlanLookup::Outcome;
    if (named.empty()) {
        return {Outcome::None, PlanLookup::Reading::Name, std::nullopt, std::move(plans)};
    }
    return {named.size() == 1 ? Outcome::Found : Outcome::Several, PlanLookup::Reading::Name,
            std::nullopt, std::move(named)};
}

}  // namespace Calvoro
