// The simulated machine's state as JSON, the format of the program's state file.
#pragma once

#include <calvoro/simulation.h>

#include <nlohmann/json.hpp>

#include <optional>
#include <string_view>
#include <vector>

namespace calvoro_cli {

/// The state as a JSON document. Throws std::invalid_argument when a text cannot be
/// written as UTF-8 (a lone surrogate).
nlohmann::json StateToJson(const Calvoro::Simulation::MachineState& state);

/// The state that a JSON document describes. Throws StateFileError naming the first place
/// where the document is not a state file (wrong shape, bad identifier, number out of range,
/// duplicate plan).
Calvoro::Simulation::MachineState StateFromJson(const nlohmann::json& document);

/// The name of an operation whose answer can be forced, as the enumeration spells it; none
/// for another word.
std::optional<Calvoro::Simulation::Operation> OperationFromName(std::string_view name);

/// The injected statuses as the state file keeps them: an array of {"operation", "status",
/// "repeat" ("once" or "always"), "skip"}.
nlohmann::json FaultsToJson(const std::vector<Calvoro::Simulation::InjectedStatus>& faults);
/// Throws StateFileError naming the place where `faults` is not such an array.
std::vector<Calvoro::Simulation::InjectedStatus> FaultsFromJson(const nlohmann::json& faults);

}  // namespace calvoro_cli
