// calvoro: the power plans of this machine, on the command line.
#include "arguments.h"
#include "command_line.h"
#include "errors.h"
#include "watch.h"

#if CALVORO_SIMULATED
#include "machine_file.h"
#endif
#if defined(_WIN32)
#include "windows_console.h"
#endif

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

// The whole run; returns the exit status.
int Run(int argc, char** argv) {
    CLI::App app{
        "Shows and changes the power plans of this machine: their names, every setting of "
        "them (sleep, hibernate and display-off timeouts, the lid and buttons, the processor, "
        "the battery...), for mains power (ac) and battery (dc).\n"
        "A PLAN is an identifier, one of the aliases SCHEME_BALANCED, SCHEME_MIN (High "
        "performance), SCHEME_MAX (Power saver) and SCHEME_CURRENT (the active plan) in "
        "any letter case, or a plan's name (its exact name, else the one name that "
        "matches ignoring letter case). A localised Windows names its plans and settings in "
        "its own language: in scripts, use the aliases or identifiers. -- ends the options, so "
        "that a name may start with - or /."};
    app.name("calvoro");
    // Options are --words on every system: a "/" starts a path or a name, never an option.
    app.allow_windows_style_options(false);
    // Unknown words are collected rather than rejected, to name them in one clear message.
    app.require_subcommand(0, 1);
    app.allow_extras();

    CommandLine line(app);
    AddPlanCommands(line);
    AddLifeCommands(line);
    AddSettingCommands(line);
    AddSourceCommands(line);
    // `watch` lasts: on the simulated machine it follows the state file rather than holding it.
    Followed followed;
    [[maybe_unused]] const CLI::App* watch = AddWatchCommand(line, followed);
#if CALVORO_SIMULATED
    std::string statePath;
    app.add_option("--state", statePath,
                   "The simulated machine's state file (default: "
                   "$XDG_STATE_HOME/calvoro/machine.json)");
    AddSimulationCommands(line);
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
    if (!line.command) {
        std::cerr << "calvoro: a command is required; run calvoro --help to see them all\n";
        return kUsageStatus;
    }

    const Command& command = line.command;
    Output chosen{std::cout, std::cerr, line.json, {}, std::nullopt};
    int status = 1;
    try {
#if CALVORO_SIMULATED
        const std::filesystem::path state =
            statePath.empty() ? DefaultStatePath() : PathArgument(statePath);
        if (watch->parsed()) {
            auto file = std::make_shared<FollowedMachineFile>(state);
            followed = {[file] { file->Follow(); },
                        [file](const Calvoro::WatchDecision& decision) {
                            file->KeepDecision(Running(decision));
                        }};
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
