// The document of `calvoro export` and `calvoro import`: plans with their names and six
// timeouts in minutes, matched by identifier.
#pragma once

#include <calvoro/power_class.h>

#include <array>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "plans.h"
#include "timeout_settings.h"

namespace calvoro_cli {

/// One plan of a document; what it leaves out, an import leaves as it is.
struct PlanEntry {
    Calvoro::Guid id;
    std::optional<std::u16string> name;
    std::optional<std::u16string> description;
    std::array<std::optional<std::uint32_t>, kTimeoutCount> minutes;  // as kTimeoutSettings
};

/// The installed plans as a document: identifier, name and description (when the platform
/// can tell them) and six timeouts.
std::vector<PlanEntry> ExportEntries(const Calvoro::PowerClass& power,
                                     const std::vector<InstalledPlan>& plans);

/// The document of `entries`. Throws std::invalid_argument for a name that UTF-8 cannot
/// carry (a lone surrogate).
nlohmann::json DocumentToJson(const std::vector<PlanEntry>& entries);

/// The JSON of a document's text. Throws UsageError for text that is not JSON, and for an
/// object with a key twice, naming the place ("document.plans[0]: \"id\" appears twice"):
/// a repeated key would otherwise quietly take the last value.
nlohmann::json ParseDocument(const std::string& text);

/// The entries of a document, checked whole against the installed plans before anything is
/// written: its shape, every field known, minutes from 0 to Calvoro::MaxTimerMinutes, every
/// identifier installed and named once, and a changed name only together with a description. Throws
/// UsageError naming the place ("plans[1].timeouts.sleep.ac: ...").
std::vector<PlanEntry> CheckDocument(const nlohmann::json& document,
                                     const std::vector<InstalledPlan>& installed);

}  // namespace calvoro_cli
