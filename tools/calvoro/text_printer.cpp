// The printer for a person: aligned tables and one sentence per change.
#include <iomanip>
#include <ostream>

#include "arguments.h"
#include "printers.h"

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

std::string MinutesText(std::uint32_t minutes) {
    return minutes == 0 ? "never" : std::to_string(minutes) + " min";
}

// "sleep.ac" as "sleep on AC".
std::string SettingText(const std::string& setting) {
    const std::size_t dot = setting.find('.');
    return setting.substr(0, dot) + " on " + SourceName(setting.substr(dot + 1) == "ac");
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

    void TimeoutSet(const std::vector<Change>& changes, const Outcome& outcome) override {
        if (outcome.refused == 0) {
            const Change& change = changes.front();
            out_ << Describe(change.plan) << ": " << SettingText(change.setting) << " is now "
                 << MinutesText(change.to.get<std::uint32_t>()) << '\n';
        }
    }

    void Renamed(const std::vector<Change>& changes, const Outcome& outcome) override {
        if (outcome.refused == 0) {
            const Change& change = changes.front();
            out_ << change.plan.id << " is now named \"" << change.to.get<std::string>() << "\"\n";
        }
    }

    void Imported(const std::vector<Change>& changes, const Outcome&, bool dryRun,
                  const std::string& file) override {
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
        out_ << "The power mode on " << SourceName(onAC) << " is now "
             << ModeName(mode) << ".\n";
    }

private:
    std::ostream& out_;
};

}  // namespace

std::string ChangeText(const Change& change) {
    if (change.setting == "name") {
        return Describe(change.plan) + ": name " + change.from.dump() + " becomes " +
               change.to.dump() + ", with a new description";
    }
    return Describe(change.plan) + ": " + SettingText(change.setting) + " " +
           MinutesText(change.from.get<std::uint32_t>()) + " becomes " +
           MinutesText(change.to.get<std::uint32_t>());
}

std::unique_ptr<Printer> MakeTextPrinter(std::ostream& out) {
    return std::make_unique<TextPrinter>(out);
}

}  // namespace calvoro_cli
