// Naming plans on the command line, and showing them.
#pragma once

#include <calvoro/power_plans.h>

#include <optional>
#include <string>
#include <vector>

namespace calvoro_cli {

using Calvoro::InstalledPlan;

/// The installed plan that `word` names, by the library's lookup (Calvoro::FindPlan).
/// Throws UsageError for an unknown or ambiguous plan, listing the candidates.
InstalledPlan ResolvePlan(const std::string& word);

/// As ResolvePlan, but a word that names no installed plan may name one of Windows'
/// templates (Calvoro::FindPlanOrTemplate).
InstalledPlan ResolvePlanOrTemplate(const std::string& word);

/// The plan among `plans` with the identifier `id`, if any: the one place that looks one up.
std::optional<InstalledPlan> FindInstalled(const std::vector<InstalledPlan>& plans,
                                           const Calvoro::Guid& id);

/// "Balanced (381B4222-F694-41F0-9685-FF5BB260DF2E)", for messages.
std::string Describe(const InstalledPlan& plan);

/// The plan's name for display; "(no name)" when it has none.
std::string DisplayName(const InstalledPlan& plan);

}  // namespace calvoro_cli
