// Naming plans on the command line, and showing them.
#pragma once

#include <calvoro/power_class.h>

#include <optional>
#include <string>
#include <vector>

namespace calvoro_cli {

struct InstalledPlan {
    Calvoro::Guid id;
    std::optional<std::u16string> name;  // none when the platform cannot read it
};

/// Every installed plan, in the platform's order.
std::vector<InstalledPlan> InstalledPlans(const Calvoro::PowerClass& power);

/// The installed plan that `word` names: one of Windows' aliases SCHEME_BALANCED,
/// SCHEME_MIN, SCHEME_MAX and SCHEME_CURRENT (the active plan) in any letter case, GUID text in any
/// form the library parses, or a plan's name: the exact name of exactly one plan, else the one name
/// that matches without regard to letter case. Throws UsageError for an unknown or ambiguous plan,
/// listing the candidates.
InstalledPlan ResolvePlan(const Calvoro::PowerClass& power, const std::string& word);

/// "Balanced (381B4222-F694-41F0-9685-FF5BB260DF2E)", for messages.
std::string Describe(const InstalledPlan& plan);

/// The plan's name for display; "(no name)" when it has none.
std::string DisplayName(const InstalledPlan& plan);

}  // namespace calvoro_cli
