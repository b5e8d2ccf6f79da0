// calvoro: the power plans of this machine, on the command line.
#include "commands.h"
#include "errors.h"

#if CALVORO_SIMULATED
#include "machine_file.h"
#include "simulation_commands.h"
#endif
#if defined(_WIN32)
#include "windows_console.h"
#endif

#include <calvoro/power_class.h>

#include <CLI/CLI.hpp>

#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

using namespace calvoro_cli;

namespace {

constexpr int kUsageStatus = 2;

// The whole run; returns the exit status.
int Run(int argc, char** argv) {
    CLI::App app{"Shows and changes the power plans of this machine: their names and their "
                 "sleep, hibernate and display-off timeouts, for mains power (ac) and battery (dc).\n"
                 "A PLAN is an identifier, one of the aliases SCHEME_BALANCED, SCHEME_MIN (High "
                 "performance) and SCHEME_MAX (Power saver) in any letter case, or a plan's name "
                 "(its exact name, else the one name that matches ignoring letter case). A "
                 "localised Windows names its plans in its own language: in scripts, use the "
                 "aliases or identifiers."};
    app.name("calvoro");
    // Unknown words are collected rather than rejected, to name them in one clear message.
    app.require_subcommand(0, 1);
    app.allow_extras();

    bool json = false;
    std::string plan;
    std::optional<std::string> maybePlan;
    std::string timeout;
    std::string source;
    std::string minutes;
    std::string name;
    std::string description;
    std::vector<std::string> plans;
    std::optional<std::string> file;
    std::string document;
    bool dryRun = false;
    const Calvoro::PowerClass power;
    std::function<int(const Output&)> command;

    const auto addJson = [&json](CLI::App* sub) {
        sub->add_flag("--json", json, "Print one JSON document instead of text");
    };

    CLI::App* list = app.add_subcommand("list", "List every plan, and the recorded defaults");
    addJson(list);
    list->callback([&] { command = [&](const Output& o) { return ListPlans(power, o); }; });

    CLI::App* query = app.add_subcommand("query", "Show a plan's timeouts (all plans if none named)");
    query->add_option("PLAN", maybePlan, "Identifier, alias or name of a plan");
    addJson(query);
    query->callback([&] { command = [&](const Output& o) { return QueryPlans(power, maybePlan, o); }; });

    CLI::App* set = app.add_subcommand("set", "Change one timeout of a plan");
    set->add_option("PLAN", plan, "Identifier, alias or name of a plan")->required();
    set->add_option("TIMEOUT", timeout, "sleep, hibernate or display")->required();
    set->add_option("SOURCE", source, "ac (mains power) or dc (battery)")->required();
    set->add_option("MINUTES", minutes, "Whole minutes, 0 for never")->required();
    addJson(set);
    set->callback([&] {
        command = [&](const Output& o) { return SetTimeout(power, plan, timeout, source, minutes, o); };
    });

    CLI::App* rename = app.add_subcommand("rename", "Change a plan's name and description");
    rename->add_option("PLAN", plan, "Identifier, alias or name of a plan")->required();
    rename->add_option("NAME", name, "The new name")->required();
    rename->add_option("DESCRIPTION", description, "The new description")->required();
    addJson(rename);
    rename->callback([&] {
        command = [&](const Output& o) { return RenamePlan(power, plan, name, description, o); };
    });

    CLI::App* exporter =
        app.add_subcommand("export", "Write plans (all if none named) as one JSON document");
    exporter->add_option("PLAN", plans, "Identifier, alias or name of a plan");
    exporter->add_option("--output", file, "Write to FILE instead of standard output");
    exporter->callback([&] {
        command = [&](const Output& o) { return ExportPlans(power, plans, file, o); };
    });

    CLI::App* importer = app.add_subcommand(
        "import", "Apply an export document to the installed plans, matched by identifier");
    importer->add_option("FILE", document, "The document, as export writes it")->required();
    importer->add_flag("--dry-run", dryRun, "Say what would change; write nothing");
    addJson(importer);
    importer->callback([&] {
        command = [&](const Output& o) { return ImportPlans(power, document, dryRun, o); };
    });

    CLI::App* defaults = app.add_subcommand("default", "Show the plan recorded as the default");
    defaults->add_option("SOURCE", source, "ac (mains power) or dc (battery)")->required();
    addJson(defaults);
    defaults->callback([&] { command = [&](const Output& o) { return ShowDefault(power, source, o); }; });

#if CALVORO_SIMULATED
    std::string statePath;
    app.add_option("--state", statePath,
                   "The simulated machine's state file (default: "
                   "$XDG_STATE_HOME/calvoro/machine.json)");

    CLI::App* simulation = app.add_subcommand("simulation", "Change the simulated machine itself");
    simulation->require_subcommand(1);
    simulation->add_subcommand("reset", "Back to Windows' standard plans")->callback([&] {
        command = [](const Output& o) { return ResetMachine(o); };
    });
    CLI::App* setDefault =
        simulation->add_subcommand("set-default", "Record a plan as the default for a source");
    setDefault->add_option("SOURCE", source, "ac or dc")->required();
    setDefault->add_option("PLAN", plan, "Identifier, alias or name of a plan")->required();
    setDefault->callback([&] {
        command = [&](const Output& o) { return SetDefault(power, source, plan, o); };
    });
    CLI::App* clearDefault =
        simulation->add_subcommand("clear-default", "Remove the recorded default for a source");
    clearDefault->add_option("SOURCE", source, "ac or dc")->required();
    clearDefault->callback([&] { command = [&](const Output& o) { return ClearDefault(source, o); }; });
#endif

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int status = app.exit(error);
        return status == 0 ? 0 : kUsageStatus;
    }
    if (!app.remaining(true).empty()) {
        std::cerr << "calvoro: \"" << app.remaining(true).front()
                  << "\" is not a command, option or argument here; see calvoro --help\n";
        return kUsageStatus;
    }
    if (!command) {
        std::cerr << "calvoro: a command is required; run calvoro --help to see them all\n";
        return kUsageStatus;
    }

    Output chosen{std::cout, std::cerr, json, {}};
#if defined(_WIN32)
    chosen.timeoutsChanged = [](const std::vector<Calvoro::Guid>& retimed) {
        windows::ReapplyIfActive(retimed, std::cerr);
    };
#endif
    try {
#if CALVORO_SIMULATED
        MachineFile machine(statePath.empty() ? DefaultStatePath() : std::filesystem::path(statePath));
        // Whatever the command changed is saved, even when it then failed.
        int status = 0;
        try {
            status = command(chosen);
        } catch (...) {
            machine.SaveIfChanged();
            throw;
        }
        machine.SaveIfChanged();
        return status;
#else
        return command(chosen);
#endif
    } catch (const UsageError& error) {
        std::cerr << "calvoro: " << error.what() << '\n';
        return kUsageStatus;
    } catch (const std::exception& error) {
        std::cerr << "calvoro: " << error.what() << '\n';
        return 1;
    }
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
