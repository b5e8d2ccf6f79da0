// The program's own steps on the simulated machine: its active plan and stored descriptions.
#include <calvoro/simulation.h>

#include "platform_steps.h"

namespace calvoro_cli {

std::optional<Calvoro::Guid> ActivePlan() { return Calvoro::Simulation::ActivePlan(); }

bool ApplyPlan(const Calvoro::Guid& plan) { return Calvoro::Simulation::SetActivePlan(plan); }

std::optional<std::u16string> ReadDescription(const Calvoro::Guid& plan) {
    for (const Calvoro::Simulation::Plan& stored : Calvoro::Simulation::Plans()) {
        if (stored.id == plan) {
            return stored.description;
        }
    }
    return std::nullopt;
}

}  // namespace calvoro_cli
