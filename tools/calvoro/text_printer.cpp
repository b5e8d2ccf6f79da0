// The printer for a person: aligned tables and one sentence per change.
#include <algorithm>
#include <iomanip>
#include <ostream>

#include "arguments.h"
#include "printers.h"
#include "text.h"

namespace calvoro_cli {
namespace {

// A power mode as a person reads it.
const char* ModeName(Calvoro::PowerMode mode) {
    switch (mode) {
    case Calvoro::PowerMode::BestPowerEfficiency:
        return "best power efficiency";
    case Calvoro::PowerMode::Balanced:
        break;
    case Calvoro::PowerMode::BestPerformance:
        return "best performance";
    }
    return "balanced";
}

// What was read: the mode's name, or the identifier of one that is none of the three.
std::string ModeText(const Calvoro::PowerModeReading& reading) {
    return reading.mode ? ModeName(*reading.mode)
                        : reading.guid.ToString() + " (not a mode this program knows)";
}

// The code points of UTF-8 text: its width in a terminal, near enough.
std::size_t Width(const std::string& text) {
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

// UTF-8 text padded with spaces to `width` code points.
std::string Padded(const std::string& text, std::size_t width) {
    return text + std::string(width > Width(text) ? width - Width(text) : 0, ' ');
}

std::string WithAlias(const std::u16string& name, const std::u16string& alias) {
    return ToUtf8ForDisplay(name) + (alias.empty() ? "" : " (" + ToUtf8ForDisplay(alias) + ")");
}

class TextPrinter final : public Printer {
public:
    explicit TextPrinter(std::ostream& out) : out_(out) {}

    void Plans(const Listing& listing) override {
        if (listing.plans.empty()) {
            out_ << "No power plans found.\n";
            return;
        }
        for (const InstalledPlan& plan : listing.plans) {
            out_ << plan.id << "  " << DisplayName(plan)
                 << (listing.active == plan.id ? "  (active)" : "");
            const bool forAC = listing.ac.id == plan.id;
            const bool forDC = listing.dc.id == plan.id;
            if (forAC || forDC) {
                out_ << "  [default for "
                     << (forAC && forDC ? "AC and DC"
                         : forAC        ? "AC"
                                        : "DC")
                     << "]";
            }
            out_ << '\n';
        }
        if (listing.modernStandby) {
            out_ << "This is a Modern Standby machine: Windows offers only Balanced here, and "
                    "the power mode is what changes (calvoro mode).\n";
        }
    }

    void Timeouts(const std::vector<PlanTimeouts>& plans) override {
        if (plans.empty()) {
            out_ << "No power plans found.\n";
        }
        for (const PlanTimeouts& shown : plans) {
            out_ << DisplayName(shown.plan) << "  " << shown.plan.id << '\n'
                 << "               AC (mains)    DC (battery)\n";
            for (std::size_t i = 0; i < kTimeoutCount; ++i) {
                const TimeoutSetting& setting = kTimeoutSettings[i];
                if (setting.onAC) {
                    out_ << "  " << std::left << std::setw(13) << setting.timeout << std::setw(14)
                         << MinutesText(shown.minutes[i]);
                } else {
                    out_ << MinutesText(shown.minutes[i]) << '\n';
                }
            }
        }
    }

    void SettingSet(const std::vector<Change>& changes, const Outcome& outcome) override {
        if (outcome.refused == 0) {
            const Change& change = changes.front();
            out_ << Describe(change.plan) << ": " << change.label << " is now " << change.toText
                 << '\n';
        }
    }

    void Renamed(const std::vector<Change>& changes, const Outcome& outcome) override {
        if (outcome.refused == 0) {
            const Change& change = changes.front();
            out_ << change.plan.id << " is now named \"" << change.to.get<std::string>() << "\"\n";
        }
    }

    void Imported(const std::vector<Change>& changes,
                  const std::vector<Calvoro::DocumentChange>& skipped, const Outcome&, bool dryRun,
                  const std::string& file) override {
        for (const Calvoro::DocumentChange& setting : skipped) {
            out_ << "skipped: " << setting.key << ": this machine has no setting "
                 << setting.setting
                 << (setting.label.empty() ? "" : " (" + ToUtf8ForDisplay(setting.label) + ")")
                 << '\n';
        }
        for (const Change& change : changes) {
            if (dryRun || change.applied.value_or(false)) {
                out_ << (dryRun ? "would change: " : "changed: ") << ChangeText(change) << '\n';
            }
        }
        if (changes.empty()) {
            out_ << "Nothing to change: the plans are as " << file << " has them.\n";
        }
    }

    void Default(const std::string&, bool onAC, const DefaultRecord& recorded,
                 const std::optional<InstalledPlan>& installed) override {
        out_ << SourceName(onAC) << ": ";
        if (!recorded.id) {
            out_ << "none recorded\n";
        } else if (installed) {
            out_ << Describe(*installed) << '\n';
        } else {
            out_ << *recorded.id << " (not an installed plan)\n";
        }
    }

    void Active(const InstalledPlan& plan) override { out_ << Describe(plan) << '\n'; }

    void Activated(const InstalledPlan& plan) override {
        out_ << Describe(plan) << " is now the active plan\n";
    }

    void Source(const Calvoro::PowerSourceState& state) override {
        static constexpr const char* kNames[] = {"AC (mains power)", "DC (battery)",
                                                 "a UPS (short-term battery)", "unknown"};
        out_ << "Power source: " << kNames[static_cast<int>(state.source)] << '\n'
             << "Battery: " << (state.batteryPresent ? "present" : "none") << '\n'
             << "Modern Standby: " << (state.modernStandby ? "yes" : "no") << '\n';
    }

    void DefaultRecorded(bool onAC, const InstalledPlan& plan) override {
        out_ << "Recorded " << Describe(plan) << " as the default for " << SourceName(onAC)
             << ".\n";
    }

    void DefaultCleared(bool onAC, bool cleared) override {
        out_ << (cleared ? "Cleared the" : "There was no") << " default for " << SourceName(onAC)
             << ".\n";
    }

    void PowerModes(const Modes& modes) override {
        out_ << "AC: " << ModeText(modes.ac) << '\n' << "DC: " << ModeText(modes.dc) << '\n';
    }

    void PowerModeSet(bool onAC, Calvoro::PowerMode mode) override {
        out_ << "The power mode on " << SourceName(onAC) << " is now " << ModeName(mode) << ".\n";
    }

    void Settings(const SettingsListing& listing) override {
        out_ << Describe(listing.plan) << '\n';
        std::size_t nameWidth = 0;
        std::size_t aliasWidth = 0;
        std::size_t acWidth = 0;
        for (const ShownSetting& shown : listing.settings) {
            nameWidth = std::max(nameWidth, Width(ToUtf8ForDisplay(shown.setting.name)));
            aliasWidth = std::max(aliasWidth, shown.setting.alias.size());
            acWidth = std::max(
                acWidth,
                Width(ToUtf8ForDisplay(Calvoro::SettingValueText(shown.setting, shown.values.ac))));
        }
        const Calvoro::Guid* subgroup = nullptr;
        for (const ShownSetting& shown : listing.settings) {
            const Calvoro::PowerSetting& setting = shown.setting;
            if (subgroup == nullptr || *subgroup != setting.subgroup.id) {
                subgroup = &setting.subgroup.id;
                out_ << '\n' << WithAlias(setting.subgroup.name, setting.subgroup.alias) << '\n';
            }
            out_ << "  " << Padded(ToUtf8ForDisplay(setting.name), nameWidth) << "  "
                 << Padded(ToUtf8ForDisplay(setting.alias), aliasWidth) << "  ";
            if (shown.values.outcome == Calvoro::SettingOutcome::Done) {
                out_ << "AC "
                     << Padded(
                            ToUtf8ForDisplay(Calvoro::SettingValueText(setting, shown.values.ac)),
                            acWidth)
                     << "  DC "
                     << ToUtf8ForDisplay(Calvoro::SettingValueText(setting, shown.values.dc));
            } else {
                out_ << "(cannot be read)";
            }
            out_ << (setting.hidden ? "  [hidden]" : "") << '\n';
        }
        if (listing.settings.empty()) {
            out_ << "No settings to show.\n";
        }
    }

    void SettingHidden(const Calvoro::PowerSetting& setting, bool hidden) override {
        out_ << ToUtf8ForDisplay(Calvoro::SettingLabel(setting)) << " is now "
             << (hidden ? "hidden from" : "shown in") << " Windows' power options\n";
    }

    void Templates(const std::vector<TemplateRow>& templates) override {
        for (const TemplateRow& row : templates) {
            out_ << row.plan.id << "  " << ToUtf8ForDisplay(row.plan.name)
                 << (row.installed ? "  (installed)" : "")
                 << (row.plan.standard ? "" : "  (not listed by Windows here)") << '\n';
        }
        out_ << "calvoro duplicate ID [NAME] makes a plan of a template.\n";
    }

    void Duplicated(const InstalledPlan& source, const InstalledPlan& made) override {
        out_ << "Made " << Describe(made) << " as a copy of " << Describe(source) << '\n';
    }

    void Deleted(const InstalledPlan& plan,
                 const std::vector<Calvoro::PowerSource>& records) override {
        out_ << "Deleted " << Describe(plan) << '\n';
        for (const Calvoro::PowerSource source : records) {
            const bool onAC = source == Calvoro::PowerSource::AC;
            out_ << "The default for " << SourceName(onAC)
                 << " still names it: the watcher will report that the plan is not installed "
                    "(calvoro set-default "
                 << (onAC ? "ac" : "dc") << " PLAN records another).\n";
        }
    }

    void Restored(const std::vector<InstalledPlan>& removed,
                  const std::vector<InstalledPlan>& reset, bool dryRun) override {
        for (const InstalledPlan& plan : removed) {
            out_ << (dryRun ? "Would remove " : "Removed ") << Describe(plan) << '\n';
        }
        for (const InstalledPlan& plan : reset) {
            out_ << (dryRun ? "Would reset " : "Reset ") << Describe(plan)
                 << " to Windows' defaults\n";
        }
    }

private:
    std::ostream& out_;
};

}  // namespace

std::string MinutesText(std::uint32_t minutes) {
    return minutes == 0 ? "never" : std::to_string(minutes) + " min";
}

std::string ChangeText(const Change& change) {
    return Describe(change.plan) + ": " + change.label + " " + change.fromText + " becomes " +
           change.toText;
}

std::unique_ptr<Printer> MakeTextPrinter(std::ostream& out) {
    return std::make_unique<TextPrinter>(out);
}

}  // namespace calvoro_cli
