// The simulated machine's state as JSON, the format of the program's state file.
#pragma once

#include <calvoro/simulation.h>

#include <nlohmann/json.hpp>

namespace calvoro_cli {

/// The state as a JSON document. Throws std::invalid_argument when a text cannot be
/// written as UTF-8 (a lone surrogate).
nlohmann::json StateToJson(const Calvoro::Simulation::MachineState& state);

/// The state that a JSON document describes. Throws StateFileError naming the first place
/// where the document is not a state file (wrong shape, bad identifier, number out of range,
/// duplicate plan).
Calvoro::Simulation::MachineState StateFromJson(const nlohmann::json& document);

}  // namespace calvoro_cli
