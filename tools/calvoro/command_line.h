// How the rooms of commands join the one command line: each adds its subcommands, with their
// options, and says which command runs when one of them is chosen; main parses and runs it.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "commands.h"

namespace calvoro_cli {

/// A command: returns the exit status, after writing to its Output.
using Command = std::function<int(const Output&)>;

class CommandLine {
public:
    explicit CommandLine(CLI::App& parent) : app(parent) {}

    CLI::App& app;
    bool json = false;  ///< the chosen command's --json
    Command command;    ///< the chosen command; none when only options were given

    /// Options that live as long as the command line: what CLI11 fills in.
    template <typename Options>
    Options& Keep() {
        auto kept = std::make_shared<Options>();
        kept_.push_back(kept);
        return *kept;
    }

    /// Makes `work` the command when `sub` is chosen, with `jsonFlag` as its --json.
    void Runs(CLI::App* sub, const bool& jsonFlag, Command work) {
        sub->callback([this, &jsonFlag, work = std::move(work)] {
            json = jsonFlag;
            command = work;
        });
    }

    /// A --json flag for `sub`.
    static void AddJson(CLI::App* sub, bool& flag) {
        sub->add_flag("--json", flag, "Print one JSON document instead of text");
    }

    /// A required PLAN argument for `sub`.
    static void AddPlan(CLI::App* sub, std::string& plan) {
        sub->add_option("PLAN", plan, "Identifier, alias or name of a plan")->required();
    }

    /// A command with no --json: Runs with a flag that is never set.
    const bool noJson = false;

private:
    std::vector<std::shared_ptr<void>> kept_;
};

/// The rooms: plans; a plan's life; every setting of a plan; the power source and modes; the
/// simulated machine itself (simulated builds only).
void AddPlanCommands(CommandLine& line);
void AddSettingCommands(CommandLine& line);
void AddSourceCommands(CommandLine& line);
/// Templates, duplicate, delete, restore-defaults.
void AddLifeCommands(CommandLine& line);
void AddSimulationCommands(CommandLine& line);

}  // namespace calvoro_cli
