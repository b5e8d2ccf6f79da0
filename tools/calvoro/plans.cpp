#include "plans.h"

#include "errors.h"
#include "platform_steps.h"
#include "text.h"

namespace calvoro_cli {
namespace {

// The aliases that Windows' own power tool knows for its standard plans.
struct Alias {
    const char* word;
    const char* id;
};
constexpr Alias kAliases[] = {
    {"SCHEME_BALANCED", "381B4222-F694-41F0-9685-FF5BB260DF2E"},  // Balanced
    {"SCHEME_MIN", "8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C"},       // High performance
    {"SCHEME_MAX", "A1841308-3541-4FAB-BC81-F71556F20B4A"},       // Power saver
};

char16_t FoldCase(char16_t unit) {
    // Upper to lower case for the scripts plan names are written in most: Basic Latin,
    // Latin-1, Latin Extended-A, Greek and Cyrillic.
    const auto shifted = [unit](int by) { return static_cast<char16_t>(unit + by); };
    if ((unit >= u'A' && unit <= u'Z') || (unit >= 0xC0 && unit <= 0xDE && unit != 0xD7) ||
        (unit >= 0x391 && unit <= 0x3AB && unit != 0x3A2) || (unit >= 0x410 && unit <= 0x42F)) {
        return shifted(0x20);
    }
    if (unit >= 0x400 && unit <= 0x40F) {
        return shifted(0x50);
    }
    if (unit == 0x178) {
        return 0xFF;  // Y with diaeresis has its small letter in Latin-1
    }
    const bool extendedA = unit >= 0x100 && unit <= 0x17F && unit != 0x130 && unit != 0x131 &&
                           unit != 0x138 && unit != 0x149 && unit != 0x17F;
    if (extendedA) {
        // Pairs start on even code points, but from U+0139 to U+0148 and U+0179 on, on odd ones.
        const bool oddPairs = (unit >= 0x139 && unit <= 0x148) || unit >= 0x179;
        const bool upper = oddPairs ? unit % 2 == 1 : unit % 2 == 0;
        return upper ? shifted(1) : unit;
    }
    return unit;
}

bool SameIgnoringCase(const std::u16string& a, const std::u16string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldCase(a[i]) != FoldCase(b[i])) {
            return false;
        }
    }
    return true;
}

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
    const std::u16string name = ToUtf16(word, "PLAN");
    std::optional<Calvoro::Guid> id;
    for (const Alias& alias : kAliases) {
        if (SameIgnoringCase(name, ToUtf16(alias.word, "alias"))) {
            id = Calvoro::Guid::Parse(alias.id);
        }
    }
    if (SameIgnoringCase(name, u"SCHEME_CURRENT")) {
        id = ActivePlan();
        if (!id) {
            throw UsageError("the platform cannot tell the active plan (SCHEME_CURRENT)");
        }
    }
    id = id ? id : Calvoro::Guid::TryParse(word);  // else not an identifier: a name, then
    if (id) {
        for (const InstalledPlan& plan : plans) {
            if (plan.id == *id) {
                return plan;
            }
        }
        throw UsageError("no installed plan has the identifier " + id->ToString() + "; " +
                         Candidates(plans));
    }

    // An exact name first; then one that differs only in letter case, when just one does.
    std::vector<InstalledPlan> exact;
    std::vector<InstalledPlan> caseless;
    for (const InstalledPlan& plan : plans) {
        if (plan.name == name) {
            exact.push_back(plan);
        } else if (plan.name && SameIgnoringCase(*plan.name, name)) {
            caseless.push_back(plan);
        }
    }
    const std::vector<InstalledPlan>& named = exact.empty() ? caseless : exact;
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
