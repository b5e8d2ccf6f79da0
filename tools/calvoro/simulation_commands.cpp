#include "simulation_commands.h"

#include "errors.h"
#include "plans.h"

#include <calvoro/simulation.h>

#include <ostream>

namespace calvoro_cli {
namespace {

namespace Sim = Calvoro::Simulation;

std::u16string ValueName(const std::string& source) { return ParseSource(source) ? u"AC" : u"DC"; }

}  // namespace

int ResetMachine(const Output& output) {
    Sim::Reset();
    output.out << "The simulated machine is back to Windows' standard plans.\n";
    return 0;
}

int SetDefault(const Calvoro::PowerClass& power, const std::string& source,
               const std::string& plan, const Output& output) {
    const std::u16string valueName = ValueName(source);
    // Any identifier may be recorded, installed or not.
    const std::optional<Calvoro::Guid> given = Calvoro::Guid::TryParse(plan);
    const Calvoro::Guid id = given ? *given : ResolvePlan(power, plan).id;
    const std::string text = id.ToString();
    Sim::SetRegistryValue(Sim::DefaultPlanKey, valueName,
                          Sim::RegistryValue::String(std::u16string(text.begin(), text.end())));
    output.out << "Recorded " << text << " as the default for " << (source == "ac" ? "AC" : "DC")
               << ".\n";
    return 0;
}

int ClearDefault(const std::string& source, const Output& output) {
    const std::u16string valueName = ValueName(source);
    const bool removed = Sim::DeleteRegistryValue(Sim::DefaultPlanKey, valueName);
    output.out << (removed ? "Cleared" : "There was no") << " default for "
               << (source == "ac" ? "AC" : "DC") << ".\n";
    return 0;
}

}  // namespace calvoro_cli
