// The commands for every setting of a plan: settings, set, hide and show, on the library's
// one path for every setting. The words sleep, hibernate and display, in minutes, are the one
// convenience kept; by its alias the same setting takes seconds, as powercfg's do.
#include <calvoro/power_plans.h>
#include <calvoro/power_settings.h>

#include <algorithm>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "arguments.h"
#include "changes.h"
#include "command_line.h"
#include "errors.h"
#include "plans.h"
#include "printers.h"
#include "text.h"
#include "timeout_settings.h"

namespace calvoro_cli {
namespace {

using Calvoro::PowerSetting;
using Calvoro::SettingOutcome;

struct SettingsOptions {
    std::optional<std::string> plan;
    std::optional<std::string> setting;
    bool hidden = false;
    bool json = false;
};
struct SetOptions {
    std::string plan, setting, source, value;
    bool json = false;
};
struct HideOptions {
    std::string setting;
    bool json = false;
};

const Calvoro::PowerClass kPower;

std::string Label(const PowerSetting& setting) {
    return ToUtf8ForDisplay(Calvoro::SettingLabel(setting));
}

// Exit status 1, said on `err`, where the platform lacks the calls: before any plan is looked up.
void RequireSettings() {
    if (!Calvoro::PowerSettingsSupported()) {
        throw std::runtime_error(
            "this platform lacks Windows' calls that describe a plan's settings "
            "(Windows has them since Windows 7; Wine's own powrprof does not)");
    }
}

std::string Candidates(const std::vector<PowerSetting>& settings) {
    std::string list;
    for (const PowerSetting& setting : settings) {
        list += "\n  " + Label(setting) + " in " + ToUtf8ForDisplay(setting.subgroup.name) + ", " +
                setting.id.ToString();
    }
    return list;
}

// The setting of `plan` that `word` names; a UsageError for none, or for several.
PowerSetting ResolveSetting(const InstalledPlan& plan, const std::string& word) {
    Calvoro::SettingsAnswer found = Calvoro::FindSetting(plan.id, ToUtf16(word, "SETTING"));
    switch (found.outcome) {
    case SettingOutcome::Done:
        return std::move(found.settings.front());
    case SettingOutcome::Ambiguous:
        throw UsageError("the name \"" + word + "\" is ambiguous, give an alias or identifier:" +
                         Candidates(found.settings));
    case SettingOutcome::NotFound:
        throw UsageError("no setting of " + Describe(plan) + " is named \"" + word +
                         "\"; calvoro settings PLAN --hidden lists them all");
    default:
        throw std::runtime_error("the platform cannot list the settings of " + Describe(plan));
    }
}

// The plan that `settings` shows: the one named, else the active one.
InstalledPlan ChosenPlan(const std::optional<std::string>& word) {
    if (word) {
        return ResolvePlan(*word);
    }
    const std::optional<Calvoro::Guid> active = Calvoro::ActivePlan();
    if (!active) {
        throw std::runtime_error("the platform cannot tell the active plan; name a plan");
    }
    return FindInstalled(Calvoro::InstalledPlans(), *active)
        .value_or(InstalledPlan{*active, std::nullopt});
}

// The settings that `settings` shows: one, a subgroup's, or all of the plan's.
std::vector<PowerSetting> ChosenSettings(const InstalledPlan& plan,
                                         const std::optional<std::string>& word, bool hidden) {
    std::vector<PowerSetting> chosen;
    if (word) {
        const Calvoro::SubgroupsAnswer subgroup =
            Calvoro::FindSubgroup(plan.id, ToUtf16(*word, "SETTING"));
        if (subgroup.outcome != SettingOutcome::Done) {
            return {ResolveSetting(plan, *word)};  // one setting, shown even when hidden
        }
        const Calvoro::Guid id = subgroup.subgroups.front().id;
        for (PowerSetting& setting : Calvoro::ListSettings(plan.id).settings) {
            if (setting.subgroup.id == id) {
                chosen.push_back(std::move(setting));
            }
        }
    } else {
        Calvoro::SettingsAnswer listed = Calvoro::ListSettings(plan.id);
        if (listed.outcome != SettingOutcome::Done) {
            throw std::runtime_error("the platform cannot list the settings of " + Describe(plan));
        }
        chosen = std::move(listed.settings);
    }
    chosen.erase(
        std::remove_if(chosen.begin(), chosen.end(),
                       [&](const PowerSetting& setting) { return setting.hidden && !hidden; }),
        chosen.end());
    return chosen;
}

int ShowSettings(const SettingsOptions& options, const Output& output) {
    RequireSettings();
    SettingsListing listing{ChosenPlan(options.plan), {}};
    for (PowerSetting& setting : ChosenSettings(
             listing.plan, options.plan ? options.setting : std::nullopt, options.hidden)) {
        const Calvoro::SettingValues values =
            Calvoro::ReadSetting(listing.plan.id, setting.subgroup.id, setting.id);
        listing.settings.push_back({std::move(setting), values});
    }
    MakePrinter(output)->Settings(listing);
    return 0;
}

// The one change of `set`: a timeout in minutes, or any setting in its own unit.
Change SettingChange(const InstalledPlan& plan, const std::string& word, bool onAC,
                     const std::string& value) {
    const std::string lower = Lower(word);
    for (const TimeoutSetting& timeout : kTimeoutSettings) {
        if (lower == timeout.timeout && timeout.onAC == onAC) {
            const std::uint32_t minutes = ParseMinutes(value);
            return TimeoutChange(plan, timeout, timeout.Read(kPower, plan.id), minutes);
        }
    }
    const PowerSetting setting = ResolveSetting(plan, word);
    const std::optional<std::uint32_t> wanted =
        Calvoro::SettingValueFromText(setting, ToUtf16(value, "VALUE"));
    if (!wanted || !Calvoro::SettingAllows(setting, *wanted)) {
        throw UsageError(Label(setting) + " takes " +
                         ToUtf8ForDisplay(Calvoro::AllowedValuesText(setting)) + ", not \"" +
                         value + "\"; nothing was changed");
    }
    const Calvoro::SettingValues read =
        Calvoro::ReadSetting(plan.id, setting.subgroup.id, setting.id);
    const std::uint32_t now = onAC ? read.ac : read.dc;
    const std::string key = setting.alias.empty() ? setting.id.ToString() : ToUtf8(setting.alias);
    return {plan,
            key + (onAC ? ".ac" : ".dc"),
            now,
            *wanted,
            Label(setting) + " on " + SourceName(onAC),
            ToUtf8ForDisplay(Calvoro::SettingValueText(setting, now)),
            ToUtf8ForDisplay(Calvoro::SettingValueText(setting, *wanted)),
            std::nullopt,
            [setting, id = plan.id, onAC, value = *wanted] {
                return TriedSetting(Calvoro::WriteSetting(
                    id, setting.subgroup.id, setting.id,
                    onAC ? Calvoro::PowerSource::AC : Calvoro::PowerSource::DC, value));
            },
            std::nullopt};
}

int SetSetting(const SetOptions& options, const Output& output) {
    RequireSettings();
    const bool onAC = ParseSource(options.source);
    const InstalledPlan plan = ResolvePlan(options.plan);
    std::vector<Change> changes{SettingChange(plan, options.setting, onAC, options.value)};
    const Outcome outcome = Apply(changes, false, output);
    MakePrinter(output)->SettingSet(changes, outcome);
    return outcome.refused == 0 && !outcome.pinnedByPolicy ? 0 : 1;
}

// Hides or shows a setting, which Windows keeps for the whole machine: found among the
// active plan's settings (any plan's would do).
int SetHidden(const std::string& word, bool hidden, const Output& output) {
    RequireSettings();
    const PowerSetting setting = ResolveSetting(ChosenPlan(std::nullopt), word);
    const Calvoro::SettingChange change =
        Calvoro::SetSettingHidden(setting.subgroup.id, setting.id, hidden);
    if (change.outcome != SettingOutcome::Done) {
        output.err << "calvoro: Windows refused to " << (hidden ? "hide " : "show ")
                   << Label(setting)
                   << ": what Windows shows is kept for the whole machine, and changing it "
                      "needs an administrator";
        if (change.status != 0) {
            output.err << " (status " << change.status << ")";
        }
        output.err << '\n';
        return 1;
    }
    if (output.keep) {
        output.keep();
    }
    MakePrinter(output)->SettingHidden(setting, hidden);
    return 0;
}

}  // namespace

void AddSettingCommands(CommandLine& line) {
    auto& listing = line.Keep<SettingsOptions>();
    CLI::App* settings = line.app.add_subcommand(
        "settings",
        "Show every setting of a plan (the active one if none is named), or one setting or "
        "subgroup, with its values for AC and DC");
    settings->add_option("PLAN", listing.plan, "Identifier, alias or name of a plan");
    settings->add_option("SETTING", listing.setting,
                         "Identifier, alias or name of a setting or subgroup");
    settings->add_flag("--hidden", listing.hidden, "Include the settings Windows hides");
    CommandLine::AddJson(settings, listing.json);
    line.Runs(settings, listing.json, [&](const Output& o) { return ShowSettings(listing, o); });

    auto& setting = line.Keep<SetOptions>();
    CLI::App* set = line.app.add_subcommand(
        "set",
        "Change one setting of a plan for AC or DC. SETTING is sleep, hibernate or display, "
        "in minutes; or any setting by identifier, alias or name, in its own unit (by its "
        "alias, as powercfg's /setacvalueindex, STANDBYIDLE, HIBERNATEIDLE and VIDEOIDLE take "
        "seconds), or by its possible value's name");
    CommandLine::AddPlan(set, setting.plan);
    set->add_option("SETTING", setting.setting, "sleep, hibernate, display, or any setting")
        ->required();
    set->add_option("SOURCE", setting.source, "ac (mains power) or dc (battery)")->required();
    set->add_option("VALUE", setting.value,
                    "Whole minutes for sleep, hibernate and display (0 for never); else a "
                    "number in the setting's unit, or a possible value's name")
        ->required();
    CommandLine::AddJson(set, setting.json);
    line.Runs(set, setting.json, [&](const Output& o) { return SetSetting(setting, o); });

    for (const bool hidden : {true, false}) {
        auto& hiding = line.Keep<HideOptions>();
        CLI::App* sub = line.app.add_subcommand(
            hidden ? "hide" : "show",
            hidden ? "Hide a setting from Windows' own power options (for the whole machine)"
                   : "Show a hidden setting in Windows' own power options (for the whole "
                     "machine)");
        sub->add_option("SETTING", hiding.setting, "Identifier, alias or name of a setting")
            ->required();
        CommandLine::AddJson(sub, hiding.json);
        line.Runs(sub, hiding.json, [&hiding, hidden](const Output& o) {
            return SetHidden(hiding.setting, hidden, o);
        });
    }
}

}  // namespace calvoro_cli
