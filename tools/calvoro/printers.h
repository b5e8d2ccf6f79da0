// What the commands report, and the printers that say it: one for a person (text), one for
// scripts (JSON). A command gathers its report, then hands it to the printer that its
// Output asks for; neither printer reads or changes the platform.
#pragma once

#include <calvoro/guid.h>
#include <calvoro/plan_document.h>
#include <calvoro/power_plans.h>
#include <calvoro/power_settings.h>

#include <array>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "changes.h"
#include "commands.h"
#include "plans.h"
#include "timeout_settings.h"

namespace calvoro_cli {

/// The recorded default for one source: a plan identifier, none, or a failure already said.
struct DefaultRecord {
    std::optional<Calvoro::Guid> id;
    bool failed = false;
};

/// What `list` shows.
struct Listing {
    std::vector<InstalledPlan> plans;
    std::optional<Calvoro::Guid> active;
    DefaultRecord ac;
    DefaultRecord dc;
    bool modernStandby = false;  // Windows offers only Balanced; the power mode changes
};

/// What `mode` shows: the power mode for AC and for DC.
struct Modes {
    Calvoro::PowerModeReading ac;
    Calvoro::PowerModeReading dc;
};

/// What `query` shows of one plan: its minutes in the order of kTimeoutSettings.
struct PlanTimeouts {
    InstalledPlan plan;
    std::array<std::uint32_t, kTimeoutCount> minutes{};
};

/// One setting that `settings` shows, with its values in the plan.
struct ShownSetting {
    Calvoro::PowerSetting setting;
    Calvoro::SettingValues values;
};

/// What `settings` shows: settings of one plan, subgroup by subgroup.
struct SettingsListing {
    InstalledPlan plan;
    std::vector<ShownSetting> settings;
};

/// One of Windows' templates that `list --templates` shows, and whether it is installed.
struct TemplateRow {
    Calvoro::PlanTemplate plan;
    bool installed = false;
};

class Printer {
public:
    virtual ~Printer() = default;
    virtual void Plans(const Listing& listing) = 0;
    virtual void Timeouts(const std::vector<PlanTimeouts>& plans) = 0;
    /// The one change of `set`, and of `rename`.
    virtual void SettingSet(const std::vector<Change>& changes, const Outcome& outcome) = 0;
    virtual void Renamed(const std::vector<Change>& changes, const Outcome& outcome) = 0;
    /// `import`: the changes, and the settings skipped as this machine does not have them.
    virtual void Imported(const std::vector<Change>& changes,
                          const std::vector<Calvoro::DocumentChange>& skipped,
                          const Outcome& outcome, bool dryRun, const std::string& file) = 0;
    /// The record for `source` (the word as given): none, an installed plan, or another id.
    virtual void Default(const std::string& source, bool onAC, const DefaultRecord& recorded,
                         const std::optional<InstalledPlan>& installed) = 0;
    virtual void Active(const InstalledPlan& plan) = 0;
    virtual void Activated(const InstalledPlan& plan) = 0;
    virtual void Source(const Calvoro::PowerSourceState& state) = 0;
    /// `set-default` and `clear-default`: the record for AC or DC, written or removed.
    virtual void DefaultRecorded(bool onAC, const InstalledPlan& plan) = 0;
    virtual void DefaultCleared(bool onAC, bool cleared) = 0;
    /// `mode`, both modes read; `mode set`, one mode set.
    virtual void PowerModes(const Modes& modes) = 0;
    virtual void PowerModeSet(bool onAC, Calvoro::PowerMode mode) = 0;
    /// `settings`; `hide` and `show`.
    virtual void Settings(const SettingsListing& listing) = 0;
    virtual void SettingHidden(const Calvoro::PowerSetting& setting, bool hidden) = 0;
    /// `list --templates`; `duplicate`, `delete` (with the records that still name the plan)
    /// and `restore-defaults` (what it removed and reset, or would with --dry-run).
    virtual void Templates(const std::vector<TemplateRow>& templates) = 0;
    virtual void Duplicated(const InstalledPlan& source, const InstalledPlan& made) = 0;
    virtual void Deleted(const InstalledPlan& plan,
                         const std::vector<Calvoro::PowerSource>& records) = 0;
    virtual void Restored(const std::vector<InstalledPlan>& removed,
                          const std::vector<InstalledPlan>& reset, bool dryRun) = 0;
};

std::unique_ptr<Printer> MakeTextPrinter(std::ostream& out);
std::unique_ptr<Printer> MakeJsonPrinter(std::ostream& out);

/// The printer that `output` asks for, writing to its `out`.
inline std::unique_ptr<Printer> MakePrinter(const Output& output) {
    return output.json ? MakeJsonPrinter(output.out) : MakeTextPrinter(output.out);
}

/// One change as a person reads it: "Balanced (ID): sleep on AC 15 min becomes 20 min".
std::string ChangeText(const Change& change);

/// Minutes as a person reads them: "15 min", or "never" for 0.
std::string MinutesText(std::uint32_t minutes);


}  // namespace calvoro_cli
