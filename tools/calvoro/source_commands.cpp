// The commands for the power source and Windows 11's power modes: source, mode and mode set.
#include <calvoro/power_plans.h>

#include <ostream>
#include <string>

#include "arguments.h"
#include "command_line.h"
#include "printers.h"

namespace calvoro_cli {
namespace {

struct ModeOptions {
    std::string source;
    std::string mode;
    bool json = false;
};

// Says why a power-mode call did not do its work; true when it did.
bool ModeDone(Calvoro::PowerModeOutcome outcome, std::uint32_t status, bool onAC,
              const Output& output) {
    switch (outcome) {
    case Calvoro::PowerModeOutcome::Done:
        return true;
    case Calvoro::PowerModeOutcome::Unsupported:
        output.err << "calvoro: this platform has no power modes (Windows 11 has them)\n";
        break;
    case Calvoro::PowerModeOutcome::NotApplicable:
        output.err << "calvoro: Windows says the power mode does not apply to the active plan; "
                      "it applies to Balanced and plans made from it\n";
        break;
    case Calvoro::PowerModeOutcome::Failed:
        output.err << "calvoro: the platform refused the power mode for " << SourceName(onAC);
        if (status != 0) {
            output.err << " (status " << status << ")";
        }
        output.err << '\n';
        break;
    }
    return false;
}

int ShowSource(const Output& output) {
    MakePrinter(output)->Source(Calvoro::ReadPowerSource());
    return 0;
}

int ShowModes(const Output& output) {
    const Modes modes{Calvoro::GetPowerMode(Calvoro::PowerSource::AC),
                      Calvoro::GetPowerMode(Calvoro::PowerSource::DC)};
    if (!ModeDone(modes.ac.outcome, modes.ac.status, true, output) ||
        !ModeDone(modes.dc.outcome, modes.dc.status, false, output)) {
        return 1;
    }
    MakePrinter(output)->PowerModes(modes);
    return 0;
}

int SetMode(const std::string& source, const std::string& mode, const Output& output) {
    const bool onAC = ParseSource(source);
    const Calvoro::PowerMode wanted = ParseMode(mode);
    const Calvoro::PowerModeOutcome outcome =
        Calvoro::SetPowerMode(onAC ? Calvoro::PowerSource::AC : Calvoro::PowerSource::DC, wanted);
    if (!ModeDone(outcome, 0, onAC, output)) {
        return 1;
    }
    if (output.keep) {
        output.keep();
    }
    MakePrinter(output)->PowerModeSet(onAC, wanted);
    return 0;
}

}  // namespace

void AddSourceCommands(CommandLine& line) {
    bool& sourcing = line.Keep<bool>();
    CLI::App* source = line.app.add_subcommand(
        "source", "Show the power source, whether a battery is present, and Modern Standby");
    CommandLine::AddJson(source, sourcing);
    line.Runs(source, sourcing, [](const Output& o) { return ShowSource(o); });

    bool& showingModes = line.Keep<bool>();
    CLI::App* mode = line.app.add_subcommand(
        "mode", "Show the power modes (Windows 11) for AC and DC, or set one with: mode set");
    CommandLine::AddJson(mode, showingModes);
    auto& settingMode = line.Keep<ModeOptions>();
    CLI::App* setMode = mode->add_subcommand("set", "Set the power mode for a power source");
    setMode->add_option("SOURCE", settingMode.source, "ac or dc")->required();
    setMode->add_option("MODE", settingMode.mode, "efficiency, balanced or performance")
        ->required();
    CommandLine::AddJson(setMode, settingMode.json);
    line.Runs(setMode, settingMode.json,
              [&](const Output& o) { return SetMode(settingMode.source, settingMode.mode, o); });
    // CLI11 runs the parent's callback after the subcommand's: `mode` shows only without `set`.
    mode->callback([&line, &showingModes, setMode] {
        if (!setMode->parsed()) {
            line.json = showingModes;
            line.command = [](const Output& o) { return ShowModes(o); };
        }
    });
}

}  // namespace calvoro_cli
