// calvoro: the power plans of this machine, on the command line.
#include "arguments.h"
#include "commands.h"
#include "errors.h"
#include "watch.h"

#if CALVORO_SIMULATED
#include "machine_file.h"
#include "simulation_commands.h"
#endif
#if defined(_WIN32)
#include "windows_console.h"
#endif

#include <calvoro/power_class.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

using namespace calvoro_cli;

namespace {

constexpr int kUsageStatus = 2;

// Each subcommand's own options, as CLI11 fills them.
struct JsonOptions {
    bool json = false;
};
struct PlanOptions {
    std::string plan;
    bool json = false;
};
struct QueryOptions {
    std::optional<std::string> plan;
    bool json = false;
};
struct SetOptions {
    std::string plan, timeout, source, minutes;
    bool json = false;
};
struct RenameOptions {
    std::string plan, name, description;
    bool json = false;
};
struct ExportOptions {
    std::vector<std::string> plans;
    std::optional<std::string> file;
};
struct ImportOptions {
    std::string file;
    bool dryRun = false;
    bool json = false;
};
struct SourceOptions {
    std::string source;
    bool json = false;
};
struct RecordOptions {
    std::string source;
    std::string plan;
    bool json = false;
};
struct WatchOptions {
    bool once = false;
    std::string debounce = "2";
    std::optional<std::string> log;
    bool json = false;
};
struct ModeOptions {
    std::string source;
    std::string mode;
    bool json = false;
};

// The whole run; returns the exit status.
int Run(int argc, char** argv) {
    CLI::App app{
        "Shows and changes the power plans of this machine: their names and their "
        "sleep, hibernate and display-off timeouts, for mains power (ac) and battery (dc).\n"
        "A PLAN is an identifier, one of the aliases SCHEME_BALANCED, SCHEME_MIN (High "
        "performance), SCHEME_MAX (Power saver) and SCHEME_CURRENT (the active plan) in "
        "any letter case, or a plan's name (its exact name, else the one name that "
        "matches ignoring letter case). A localised Windows names its plans in its own "
        "language: in scripts, use the aliases or identifiers. -- ends the options, so "
        "that a name may start with - or /."};
    app.name("calvoro");
    // Options are --words on every system: a "/" starts a path or a name, never an option.
    app.allow_windows_style_options(false);
    // Unknown words are collected rather than rejected, to name them in one clear message.
    app.require_subcommand(0, 1);
    app.allow_extras();

    const Calvoro::PowerClass power;
    bool json = false;
    std::function<int(const Output&)> command;
    const auto addJson = [](CLI::App* sub, bool& flag) {
        sub->add_flag("--json", flag, "Print one JSON document instead of text");
    };
    const auto addPlan = [](CLI::App* sub, std::string& plan) {
        sub->add_option("PLAN", plan, "Identifier, alias or name of a plan")->required();
    };
    // Runs `work` as the command, with the subcommand's --json.
    const auto runs = [&](CLI::App* sub, const bool& jsonFlag,
                          std::function<int(const Output&)> work) {
        sub->callback([&json, &command, &jsonFlag, work = std::move(work)] {
            json = jsonFlag;
            command = work;
        });
    };

    JsonOptions listing;
    CLI::App* list =
        app.add_subcommand("list", "List every plan, the active one and the recorded defaults");
    addJson(list, listing.json);
    runs(list, listing.json, [&](const Output& o) { return ListPlans(power, o); });

    QueryOptions querying;
    CLI::App* query =
        app.add_subcommand("query", "Show a plan's timeouts (all plans if none named)");
    query->add_option("PLAN", querying.plan, "Identifier, alias or name of a plan");
    addJson(query, querying.json);
    runs(query, querying.json,
         [&](const Output& o) { return QueryPlans(power, querying.plan, o); });

    SetOptions setting;
    CLI::App* set = app.add_subcommand("set", "Change one timeout of a plan");
    addPlan(set, setting.plan);
    set->add_option("TIMEOUT", setting.timeout, "sleep, hibernate or display")->required();
    set->add_option("SOURCE", setting.source, "ac (mains power) or dc (battery)")->required();
    set->add_option("MINUTES", setting.minutes, "Whole minutes, 0 for never")->required();
    addJson(set, setting.json);
    runs(set, setting.json, [&](const Output& o) {
        return SetTimeout(power, setting.plan, setting.timeout, setting.source, setting.minutes, o);
    });

    RenameOptions renaming;
    CLI::App* rename = app.add_subcommand("rename", "Change a plan's name and description");
    addPlan(rename, renaming.plan);
    rename->add_option("NAME", renaming.name, "The new name")->required();
    rename->add_option("DESCRIPTION", renaming.description, "The new description")->required();
    addJson(rename, renaming.json);
    runs(rename, renaming.json, [&](const Output& o) {
        return RenamePlan(power, renaming.plan, renaming.name, renaming.description, o);
    });

    ExportOptions exporting;
    const bool noJson = false;
    CLI::App* exporter = app.add_subcommand(
        "export",
        "Write plans (all if none named) with their names, descriptions and timeouts "
        "as one JSON document");
    exporter->add_option("PLAN", exporting.plans, "Identifier, alias or name of a plan");
    exporter->add_option("--output", exporting.file, "Write to FILE instead of standard output");
    runs(exporter, noJson,
         [&](const Output& o) { return ExportPlans(power, exporting.plans, exporting.file, o); });

    ImportOptions importing;
    CLI::App* importer = app.add_subcommand(
        "import", "Apply an export document to the installed plans, matched by identifier");
    importer->add_option("FILE", importing.file, "The document, as export writes it")->required();
    importer->add_flag("--dry-run", importing.dryRun, "Say what would change; write nothing");
    addJson(importer, importing.json);
    runs(importer, importing.json,
         [&](const Output& o) { return ImportPlans(power, importing.file, importing.dryRun, o); });

    SourceOptions defaulting;
    CLI::App* defaults = app.add_subcommand("default", "Show the plan recorded as the default");
    defaults->add_option("SOURCE", defaulting.source, "ac (mains power) or dc (battery)")
        ->required();
    addJson(defaults, defaulting.json);
    runs(defaults, defaulting.json,
         [&](const Output& o) { return ShowDefault(power, defaulting.source, o); });

    JsonOptions showing;
    CLI::App* active = app.add_subcommand("active", "Show the plan that is applied now");
    addJson(active, showing.json);
    runs(active, showing.json, [](const Output& o) { return ShowActive(o); });

    PlanOptions activating;
    CLI::App* activate = app.add_subcommand("activate", "Apply a plan, making it the active one");
    addPlan(activate, activating.plan);
    addJson(activate, activating.json);
    runs(activate, activating.json,
         [&](const Output& o) { return ActivatePlan(activating.plan, o); });

    JsonOptions sourcing;
    CLI::App* source = app.add_subcommand(
        "source", "Show the power source, whether a battery is present, and Modern Standby");
    addJson(source, sourcing.json);
    runs(source, sourcing.json, [](const Output& o) { return ShowSource(o); });

    RecordOptions recordingDefault;
    CLI::App* recordDefault = app.add_subcommand(
        "set-default", "Record an installed plan as the default for a power source");
    recordDefault->add_option("SOURCE", recordingDefault.source, "ac or dc")->required();
    addPlan(recordDefault, recordingDefault.plan);
    addJson(recordDefault, recordingDefault.json);
    runs(recordDefault, recordingDefault.json, [&](const Output& o) {
        return RecordDefault(recordingDefault.source, recordingDefault.plan, o);
    });

    SourceOptions clearingDefault;
    CLI::App* clearRecord =
        app.add_subcommand("clear-default", "Remove the recorded default for a power source");
    clearRecord->add_option("SOURCE", clearingDefault.source, "ac or dc")->required();
    addJson(clearRecord, clearingDefault.json);
    runs(clearRecord, clearingDefault.json,
         [&](const Output& o) { return ClearRecordedDefault(clearingDefault.source, o); });

    JsonOptions showingModes;
    CLI::App* mode = app.add_subcommand(
        "mode", "Show the power modes (Windows 11) for AC and DC, or set one with: mode set");
    addJson(mode, showingModes.json);
    ModeOptions settingMode;
    CLI::App* setMode = mode->add_subcommand("set", "Set the power mode for a power source");
    setMode->add_option("SOURCE", settingMode.source, "ac or dc")->required();
    setMode->add_option("MODE", settingMode.mode, "efficiency, balanced or performance")
        ->required();
    addJson(setMode, settingMode.json);
    runs(setMode, settingMode.json,
         [&](const Output& o) { return SetMode(settingMode.source, settingMode.mode, o); });
    // CLI11 runs the parent's callback after the subcommand's: `mode` shows only without `set`.
    mode->callback([&] {
        if (!setMode->parsed()) {
            json = showingModes.json;
            command = [](const Output& o) { return ShowModes(o); };
        }
    });

    // `watch` lasts: on the simulated machine it follows the state file rather than holding it.
    WatchOptions watching;
    Followed followed;
    CLI::App* watch = app.add_subcommand(
        "watch",
        "Apply the plan recorded for the power source: now, when the source changes and "
        "after resume; a plan applied by hand stays until the next change. One line per "
        "decision, until Ctrl+C or SIGTERM");
    watch->add_flag("--once", watching.once, "Apply the plan for the current source and exit");
    watch->add_option("--debounce", watching.debounce,
                      "SECONDS a change must last before it counts (default 2)");
    watch->add_option("--log", watching.log,
                      "Append the lines to FILE (for calvorow, which has no console)");
    addJson(watch, watching.json);
    runs(watch, watching.json, [&](const Output& o) {
        const WatchRequest request{
            watching.once, ParseDebounce(watching.debounce),
            watching.log ? std::optional(PathArgument(*watching.log)) : std::nullopt};
        return Watch(request, followed, o);
    });

#if CALVORO_SIMULATED
    std::string statePath;
    app.add_option("--state", statePath,
                   "The simulated machine's state file (default: "
                   "$XDG_STATE_HOME/calvoro/machine.json)");

    CLI::App* simulation = app.add_subcommand("simulation", "Change the simulated machine itself");
    simulation->require_subcommand(1);
    runs(simulation->add_subcommand("reset", "Back to Windows' standard plans"), noJson,
         [](const Output& o) { return ResetMachine(o); });
    RecordOptions recording;
    CLI::App* setDefault =
        simulation->add_subcommand("set-default", "Record a plan as the default for a source");
    setDefault->add_option("SOURCE", recording.source, "ac or dc")->required();
    addPlan(setDefault, recording.plan);
    runs(setDefault, noJson,
         [&](const Output& o) { return SetDefault(recording.source, recording.plan, o); });
    SourceOptions clearing;
    CLI::App* clearDefault =
        simulation->add_subcommand("clear-default", "Remove the recorded default for a source");
    clearDefault->add_option("SOURCE", clearing.source, "ac or dc")->required();
    runs(clearDefault, noJson, [&](const Output& o) { return ClearDefault(clearing.source, o); });
    std::string powerWord;
    const auto addPowerControl = [&](const char* name, const char* help, const char* words,
                                     const std::function<int(const Output&)>& work) {
        CLI::App* control = simulation->add_subcommand(name, help);
        control->add_option("STATE", powerWord, words)->required();
        runs(control, noJson, work);
    };
    std::string failing, failStatus;
    bool failAlways = false;
    CLI::App* fail = simulation->add_subcommand(
        "fail", "Make a power API call answer a Windows status (kept in the state file)");
    fail->add_option("OPERATION", failing, "The call, as PowerSetActiveScheme")->required();
    fail->add_option("STATUS", failStatus, "The status, as 5 (access denied)")->required();
    fail->add_flag("--always", failAlways, "On every call, not the next one only");
    runs(fail, noJson,
         [&](const Output& o) { return InjectFault(failing, failStatus, failAlways, o); });
    runs(simulation->add_subcommand("resume", "Wake the machine from sleep, for its watchers"),
         noJson, [](const Output& o) { return SimulateResume(o); });
    addPowerControl("set-source", "Put the machine on a power source", "ac, dc, ups or unknown",
                    [&](const Output& o) { return SetSimulatedSource(powerWord, o); });
    addPowerControl("set-battery", "Give the machine a battery, or take it away",
                    "present or absent",
                    [&](const Output& o) { return SetSimulatedBattery(powerWord, o); });
    addPowerControl("set-modern-standby", "Make the machine a Modern Standby machine or not",
                    "on or off",
                    [&](const Output& o) { return SetSimulatedModernStandby(powerWord, o); });
#endif

    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& done) {
        return app.exit(done);  // --help
    } catch (const CLI::ParseError& error) {
        std::cerr << "calvoro: " << error.what() << "; see calvoro --help\n";
        return kUsageStatus;
    }
    // CLI11 keeps the "--" that ended the options among the words it did not use.
    std::vector<std::string> unused = app.remaining(true);
    unused.erase(std::remove(unused.begin(), unused.end(), "--"), unused.end());
    if (!unused.empty()) {
        std::cerr << "calvoro: \"" << unused.front()
                  << "\" is not a command, option or argument here; see calvoro --help\n";
        return kUsageStatus;
    }
    if (!command) {
        std::cerr << "calvoro: a command is required; run calvoro --help to see them all\n";
        return kUsageStatus;
    }

    Output chosen{std::cout, std::cerr, json, {}, std::nullopt};
    int status = 1;
    try {
#if CALVORO_SIMULATED
        const std::filesystem::path state =
            statePath.empty() ? DefaultStatePath() : PathArgument(statePath);
        if (watch->parsed()) {
            auto file = std::make_shared<FollowedMachineFile>(state);
            followed = {[file] { file->Follow(); }, [file] { file->KeepDecision(); }};
            status = command(chosen);
        } else {
            MachineFile machine(state);
            chosen.keep = [&machine] { machine.SaveIfChanged(); };
            chosen.stateFile = machine.Path();
            // Whatever the command changed is saved, even when it then failed.
            try {
                status = command(chosen);
            } catch (...) {
                machine.SaveIfChanged();
                throw;
            }
            machine.SaveIfChanged();
        }
#else
        status = command(chosen);
#endif
    } catch (const UsageError& error) {
        std::cerr << "calvoro: " << error.what() << '\n';
        return kUsageStatus;
    } catch (const std::exception& error) {
        std::cerr << "calvoro: " << error.what() << '\n';
        status = 1;
    }
    // Output that did not reach its place is a failure, not a success with a cut report.
    errno = 0;
    if (!std::cout.flush()) {
        std::cerr << "calvoro: cannot write to standard output"
                  << (errno != 0 ? std::string(": ") + std::strerror(errno) : std::string())
                  << '\n';
        return 1;
    }
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    try {
#if defined(_WIN32)
        // The ANSI code page cannot carry every name: take the wide command line instead.
        const windows::UnicodeConsole console;
        std::vector<std::string> words = windows::Utf8Arguments();
        std::vector<char*> wide;
        for (std::string& word : words) {
            wide.push_back(word.data());
        }
        wide.push_back(nullptr);
        if (!words.empty()) {
            return Run(static_cast<int>(words.size()), wide.data());
        }
#endif
        return Run(argc, argv);
    } catch (const std::exception& error) {
        std::cerr << "calvoro: " << error.what() << '\n';
    } catch (...) {
        std::cerr << "calvoro: an unexpected error\n";
    }
    return 1;
}
