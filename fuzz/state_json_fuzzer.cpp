// Feeds arbitrary bytes to the state-file loader. It must either report an error or load a
// machine that saves back to the same document; nothing may crash.
#include "errors.h"
#include "state_json.h"

#include <calvoro/simulation.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto document = nlohmann::json::parse(data, data + size, nullptr, false);
    if (document.is_discarded()) {
        return 0;
    }
    Calvoro::Simulation::MachineState state;
    try {
        state = calvoro_cli::StateFromJson(document);
        Calvoro::Simulation::Restore(state);
    } catch (const calvoro_cli::StateFileError&) {
        return 0;
    } catch (const std::invalid_argument&) {
        return 0;  // duplicates that only the registry's case-blind names reveal
    }
    // Loaded: the machine now holds exactly that state, and saves to a document that loads
    // to the same machine again.
    const nlohmann::json saved = calvoro_cli::StateToJson(Calvoro::Simulation::Snapshot());
    const auto reloaded = calvoro_cli::StateFromJson(saved);
    if (saved != calvoro_cli::StateToJson(reloaded) ||
        reloaded.plans.size() != state.plans.size()) {
        std::abort();
    }
    for (std::size_t i = 0; i < state.plans.size(); ++i) {
        if (reloaded.plans[i].id != state.plans[i].id ||
            reloaded.plans[i].name != state.plans[i].name ||
            !(reloaded.plans[i].display == state.plans[i].display)) {
            std::abort();
        }
    }
    return 0;
}
