#include "simulation_commands.h"

#include <calvoro/power_plans.h>
#include <calvoro/simulation.h>

#include <cstdint>
#include <ostream>

#include "arguments.h"
#include "command_line.h"
#include "errors.h"
#include "plans.h"
#include "source_words.h"
#include "state_json.h"

namespace calvoro_cli {

int ResetMachine(bool modernStandby, const Output& output) {
    if (modernStandby) {
        Calvoro::Simulation::ResetModernStandby();
        output.out << "The simulated machine is a Modern Standby machine with Balanced only.\n";
    } else {
        Calvoro::Simulation::Reset();
        output.out << "The simulated machine is back to Windows' standard plans.\n";
    }
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
        *named, code,
        always ? Calvoro::Simulation::Repeat::Always : Calvoro::Simulation::Repeat::Once);
    output.out << operation << " now answers " << code << (always ? " on every call" : " once")
               << ".\n";
    return 0;
}

int RefuseRecord(const std::string& source, const Output& output) {
    const bool onAC = ParseSource(source);
    Calvoro::Simulation::RefuseValueAccess(Calvoro::Simulation::DefaultPlanKey,
                                           onAC ? u"AC" : u"DC");
    output.out << "The registry now refuses access to the default plan for "
               << SourceName(onAC) << ".\n";
    return 0;
}

int SimulateResume(const Output& output) {
    Calvoro::Simulation::Resume();
    output.out << "The simulated machine woke from sleep.\n";
    return 0;
}

void AddSimulationCommands(CommandLine& line) {
    struct RecordOptions {
        std::string source, plan;
    };
    struct FailOptions {
        std::string operation, status;
        bool always = false;
    };
    CLI::App* simulation =
        line.app.add_subcommand("simulation", "Change the simulated machine itself");
    simulation->require_subcommand(1);
    bool& modernStandby = line.Keep<bool>();
    CLI::App* reset = simulation->add_subcommand("reset", "Back to Windows' standard plans");
    reset->add_flag("--modern-standby", modernStandby,
                    "A Modern Standby machine as Windows ships one, with Balanced only");
    line.Runs(reset, line.noJson, [&](const Output& o) { return ResetMachine(modernStandby, o); });
    auto& recording = line.Keep<RecordOptions>();
    CLI::App* setDefault =
        simulation->add_subcommand("set-default", "Record a plan as the default for a source");
    setDefault->add_option("SOURCE", recording.source, "ac or dc")->required();
    CommandLine::AddPlan(setDefault, recording.plan);
    line.Runs(setDefault, line.noJson,
              [&](const Output& o) { return SetDefault(recording.source, recording.plan, o); });
    auto& clearing = line.Keep<std::string>();
    CLI::App* clearDefault =
        simulation->add_subcommand("clear-default", "Remove the recorded default for a source");
    clearDefault->add_option("SOURCE", clearing, "ac or dc")->required();
    line.Runs(clearDefault, line.noJson,
              [&](const Output& o) { return ClearDefault(clearing, o); });
    auto& refusing = line.Keep<std::string>();
    CLI::App* refuseRecord = simulation->add_subcommand(
        "refuse-record", "Make the registry refuse access to the default for a source");
    refuseRecord->add_option("SOURCE", refusing, "ac or dc")->required();
    line.Runs(refuseRecord, line.noJson,
              [&](const Output& o) { return RefuseRecord(refusing, o); });
    auto& failing = line.Keep<FailOptions>();
    CLI::App* fail = simulation->add_subcommand(
        "fail", "Make a power API call answer a Windows status (kept in the state file)");
    fail->add_option("OPERATION", failing.operation, "The call, as PowerSetActiveScheme")
        ->required();
    fail->add_option("STATUS", failing.status, "The status, as 5 (access denied)")->required();
    fail->add_flag("--always", failing.always, "On every call, not the next one only");
    line.Runs(fail, line.noJson, [&](const Output& o) {
        return InjectFault(failing.operation, failing.status, failing.always, o);
    });
    line.Runs(simulation->add_subcommand("resume", "Wake the machine from sleep, for its watchers"),
              line.noJson, [](const Output& o) { return SimulateResume(o); });
    auto& powerWord = line.Keep<std::string>();
    const auto addPowerControl = [&](const char* name, const char* help, const char* words,
                                     Command work) {
        CLI::App* control = simulation->add_subcommand(name, help);
        control->add_option("STATE", powerWord, words)->required();
        line.Runs(control, line.noJson, std::move(work));
    };
    addPowerControl("set-source", "Put the machine on a power source", "ac, dc, ups or unknown",
                    [&](const Output& o) { return SetSimulatedSource(powerWord, o); });
    addPowerControl("set-battery", "Give the machine a battery, or take it away",
                    "present or absent",
                    [&](const Output& o) { return SetSimulatedBattery(powerWord, o); });
    addPowerControl("set-modern-standby", "Make the machine a Modern Standby machine or not",
                    "on or off",
                    [&](const Output& o) { return SetSimulatedModernStandby(powerWord, o); });
}

}  // namespace calvoro_cli
