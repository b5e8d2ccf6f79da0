#include "simulation_commands.h"

#include <calvoro/power_plans.h>
#include <calvoro/simulation.h>

#include <cstdint>
#include <ostream>

#include "arguments.h"
#include "errors.h"
#include "plans.h"
#include "source_words.h"
#include "state_json.h"

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

namespace {

// Changes the machine's power state with `change`, which returns what it now is, as a sentence.
template <typename Change>
int ChangePower(const Output& output, Change&& change) {
    Calvoro::Simulation::PowerState power = Calvoro::Simulation::Power();
    const std::string said = change(power);
    Calvoro::Simulation::SetPower(power);
    output.out << "The simulated machine " << said << ".\n";
    return 0;
}

// `word` in any letter case as one of two words: true for `yes`, false for `no`.
bool OneOf(const std::string& word, const char* yes, const char* no) {
    const std::string given = Lower(word);
    if (given != yes && given != no) {
        throw UsageError("expected " + std::string(yes) + " or " + no + ", not \"" + word + "\"");
    }
    return given == yes;
}

}  // namespace

int SetSimulatedSource(const std::string& word, const Output& output) {
    const std::optional<Calvoro::PowerSource> source = SourceFromWord(Lower(word));
    if (!source) {
        throw UsageError("unknown power source \"" + word + "\"; use ac, dc, ups or unknown");
    }
    return ChangePower(output, [&](Calvoro::Simulation::PowerState& power) {
        power.source = *source;
        return "runs on " + std::string(SourceWord(*source));
    });
}

int SetSimulatedBattery(const std::string& word, const Output& output) {
    const bool present = OneOf(word, "present", "absent");
    return ChangePower(output, [&](Calvoro::Simulation::PowerState& power) {
        power.batteryPresent = present;
        return std::string(present ? "has a battery" : "has no battery");
    });
}

int SetSimulatedModernStandby(const std::string& word, const Output& output) {
    const bool on = OneOf(word, "on", "off");
    return ChangePower(output, [&](Calvoro::Simulation::PowerState& power) {
        power.modernStandby = on;
        return std::string(on ? "is a Modern Standby machine" : "is no Modern Standby machine");
    });
}

int InjectFault(const std::string& operation, const std::string& status, bool always,
                const Output& output) {
    const auto named = OperationFromName(operation);
    if (!named) {
        throw UsageError("\"" + operation +
                         "\" is no operation whose answer can be forced; use a power API "
                         "name such as PowerSetActiveScheme");
    }
    const std::uint32_t code = ParseWhole(status, "STATUS", UINT32_MAX);
    Calvoro::Simulation::InjectStatus(
        *named, code, always ? Calvoro::Simulation::Repeat::Always : Calvoro::Simulation::Repeat::Once);
    output.out << operation << " now answers " << code << (always ? " on every call" : " once")
               << ".\n";
    return 0;
}

int SimulateResume(const Output& output) {
    Calvoro::Simulation::Resume();
    output.out << "The simulated machine woke from sleep.\n";
    return 0;
}

}  // namespace calvoro_cli
