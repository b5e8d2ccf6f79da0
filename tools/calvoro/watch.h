// `calvoro watch`: the library's watcher, one line per decision, until asked to stop.
#pragma once

#include <calvoro/watcher.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "commands.h"

namespace CLI {
class App;
}

namespace calvoro_cli {

/// What the platform keeps beyond the library, for a run that lasts: the simulated machine's
/// state file, which other runs change. Empty functions on Windows, which keeps everything.
struct Followed {
    std::function<void()> follow;  ///< takes in what other runs changed; called 4 times a second
    /// Keeps what a decision changed: its plan, when it left that plan running.
    std::function<void(const Calvoro::WatchDecision&)> keep;
};

/// The plan that a decision left running: its plan when it applied it, found it active or
/// kept the person's; none when it changed no plan.
std::optional<Calvoro::Guid> Running(const Calvoro::WatchDecision& decision);

/// SECONDS as a debounce time: a decimal number from 0 to 3600. Throws UsageError otherwise.
std::chrono::milliseconds ParseDebounce(const std::string& seconds);

/// One decision as a line: JSON for scripts, else text with the local time.
std::string DecisionLine(const Calvoro::WatchDecision& decision, bool json);

/// What `watch` was asked for.
struct WatchRequest {
    bool once = false;
    std::chrono::milliseconds debounce{2000};
    std::optional<std::filesystem::path> log;  ///< lines and errors appended here instead
};

/// With `once`, applies the plan recorded for the current source and returns 0 (applied or
/// nothing to do) or 1 (not installed, refused, policy). Else watches until Ctrl+C, SIGTERM,
/// SIGHUP, the console closing, logoff or shutdown, and returns 0.
int Watch(const WatchRequest& request, const Followed& followed, const Output& output);

class CommandLine;

/// Adds `watch`, which runs with `followed` as main sets it up: the subcommand, so that main
/// can tell when it was chosen (a run that lasts follows the state file rather than holding it).
CLI::App* AddWatchCommand(CommandLine& line, Followed& followed);

}  // namespace calvoro_cli
