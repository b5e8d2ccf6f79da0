#include "simulation_commands.h"

#include <calvoro/power_plans.h>
#include <calvoro/simulation.h>

#include <ostream>

#include "arguments.h"
#include "plans.h"

namespace calvoro_cli {

int ResetMachine(const Output& output) {
    Calvoro::Simulation::Reset();
    output.out << "The simulated machine is back to Windows' standard plans.\n";
    return 0;
}

int SetDefault(const std::string& source, const std::string& plan, const Output& output) {
    const bool onAC = ParseSource(source);
    // Any identifier may be recorded, installed or not.
    const std::optional<Calvoro::Guid> given = Calvoro::Guid::TryParse(plan);
    const Calvoro::Guid id = given ? *given : ResolvePlan(plan).id;
    Calvoro::SetDefaultPlan(onAC ? Calvoro::PowerSource::AC : Calvoro::PowerSource::DC, id);
    output.out << "Recorded " << id << " as the default for " << SourceName(onAC) << ".\n";
    return 0;
}

int ClearDefault(const std::string& source, const Output& output) {
    const bool onAC = ParseSource(source);
    const bool removed =
        Calvoro::ClearDefaultPlan(onAC ? Calvoro::PowerSource::AC : Calvoro::PowerSource::DC);
    output.out << (removed ? "Cleared" : "There was no") << " default for " << SourceName(onAC)
               << ".\n";
    return 0;
}

}  // namespace calvoro_cli
