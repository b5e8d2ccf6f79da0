// The printer for scripts: one JSON document per command, two-space indented.
#include <nlohmann/json.hpp>
#include <ostream>

#include "printers.h"
#include "source_words.h"
#include "text.h"

namespace calvoro_cli {
namespace {

using nlohmann::json;

json IdJson(const std::optional<Calvoro::Guid>& id) {
    return id ? json(id->ToString()) : json(nullptr);
}

json PlanJson(const InstalledPlan& plan) {
    return {{"id", plan.id.ToString()}, {"name", NameValue(plan)}};
}

// Every command that changes plans reports its changes the same way.
json ChangesJson(const std::vector<Change>& changes, const Outcome& outcome) {
    json list = json::array();
    for (const Change& change : changes) {
        json entry = {{"id", change.plan.id.ToString()},
                      {"plan", NameValue(change.plan)},
                      {"setting", change.setting},
                      {"from", change.from},
                      {"to", change.to},
                      {"applied", change.applied ? json(*change.applied) : json(nullptr)}};
        if (change.description) {
            entry["description"] = *change.description;
        }
        list.push_back(std::move(entry));
    }
    return {
        {"changes", list}, {"refused", outcome.refused}, {"reapplied", IdJson(outcome.reapplied)}};
}

class JsonPrinter final : public Printer {
public:
    explicit JsonPrinter(std::ostream& out) : out_(out) {}

    void Plans(const Listing& listing) override {
        json list = json::array();
        for (const InstalledPlan& plan : listing.plans) {
            json entry = PlanJson(plan);
            entry["active"] = listing.active == plan.id;
            entry["default_ac"] = listing.ac.id == plan.id;
            entry["default_dc"] = listing.dc.id == plan.id;
            list.push_back(std::move(entry));
        }
        Print({{"plans", list},
               {"active", IdJson(listing.active)},
               {"default", {{"ac", IdJson(listing.ac.id)}, {"dc", IdJson(listing.dc.id)}}},
               {"modern_standby", listing.modernStandby}});
    }

    void Timeouts(const std::vector<PlanTimeouts>& plans) override {
        json list = json::array();
        for (const PlanTimeouts& shown : plans) {
            json timeouts = json::object();
            for (std::size_t i = 0; i < kTimeoutCount; ++i) {
                timeouts[kTimeoutSettings[i].timeout][kTimeoutSettings[i].source] =
                    shown.minutes[i];
            }
            json entry = PlanJson(shown.plan);
            entry["timeouts"] = std::move(timeouts);
            list.push_back(std::move(entry));
        }
        Print({{"plans", list}});
    }

    void SettingSet(const std::vector<Change>& changes, const Outcome& outcome) override {
        Print(ChangesJson(changes, outcome));
    }

    void Renamed(const std::vector<Change>& changes, const Outcome& outcome) override {
        Print(ChangesJson(changes, outcome));
    }

    void Imported(const std::vector<Change>& changes,
                  const std::vector<Calvoro::DocumentChange>& skipped, const Outcome& outcome,
                  bool dryRun, const std::string&) override {
        json report = ChangesJson(changes, outcome);
        report["dry_run"] = dryRun;
        json list = json::array();
        for (const Calvoro::DocumentChange& setting : skipped) {
            list.push_back({{"id", setting.plan.ToString()},
                            {"subgroup", setting.subgroup.ToString()},
                            {"setting", setting.setting.ToString()},
                            {"place", setting.key}});
        }
        report["skipped"] = std::move(list);
        Print(report);
    }

    void Default(const std::string& source, bool, const DefaultRecord& recorded,
                 const std::optional<InstalledPlan>& installed) override {
        Print({{"source", source},
               {"id", IdJson(recorded.id)},
               {"name", installed ? NameValue(*installed) : json(nullptr)},
               {"installed", installed.has_value()}});
    }

    void Active(const InstalledPlan& plan) override { Print(PlanJson(plan)); }

    void Activated(const InstalledPlan& plan) override { Print(PlanJson(plan)); }

    void Source(const Calvoro::PowerSourceState& state) override {
        Print({{"source", SourceWord(state.source)},
               {"battery", state.batteryPresent},
               {"modern_standby", state.modernStandby}});
    }

    void DefaultRecorded(bool onAC, const InstalledPlan& plan) override {
        json record = PlanJson(plan);
        record["source"] = onAC ? "ac" : "dc";
        Print(record);
    }

    void DefaultCleared(bool onAC, bool cleared) override {
        Print({{"source", onAC ? "ac" : "dc"}, {"cleared", cleared}});
    }

    void PowerModes(const Modes& modes) override {
        Print({{"ac", ModeJson(modes.ac)}, {"dc", ModeJson(modes.dc)}});
    }

    void PowerModeSet(bool onAC, Calvoro::PowerMode mode) override {
        Print({{"source", onAC ? "ac" : "dc"}, {"mode", ModeWord(mode)}});
    }

    void Settings(const SettingsListing& listing) override {
        json settings = json::array();
        for (const ShownSetting& shown : listing.settings) {
            json entry = SettingJson(shown.setting);
            const bool read = shown.values.outcome == Calvoro::SettingOutcome::Done;
            entry["ac"] = read ? json(shown.values.ac) : json(nullptr);
            entry["dc"] = read ? json(shown.values.dc) : json(nullptr);
            settings.push_back(std::move(entry));
        }
        Print({{"plan", PlanJson(listing.plan)}, {"settings", settings}});
    }

    void SettingHidden(const Calvoro::PowerSetting& setting, bool hidden) override {
        json entry = SettingJson(setting);
        entry["hidden"] = hidden;
        Print(entry);
    }

    void Templates(const std::vector<TemplateRow>& templates) override {
        json list = json::array();
        for (const TemplateRow& row : templates) {
            list.push_back({{"id", row.plan.id.ToString()},
                            {"name", ToUtf8ForDisplay(row.plan.name)},
                            {"listed", row.plan.standard},
                            {"installed", row.installed}});
        }
        Print({{"templates", list}});
    }

    void Duplicated(const InstalledPlan& source, const InstalledPlan& made) override {
        json report = PlanJson(made);
        report["source"] = PlanJson(source);
        Print(report);
    }

    void Deleted(const InstalledPlan& plan,
                 const std::vector<Calvoro::PowerSource>& records) override {
        json report = PlanJson(plan);
        json naming = json::array();
        for (const Calvoro::PowerSource source : records) {
            naming.push_back(source == Calvoro::PowerSource::AC ? "ac" : "dc");
        }
        report["records_naming_it"] = std::move(naming);
        Print(report);
    }

    void Restored(const std::vector<InstalledPlan>& removed,
                  const std::vector<InstalledPlan>& reset, bool dryRun) override {
        const auto plans = [](const std::vector<InstalledPlan>& list) {
            json entries = json::array();
            for (const InstalledPlan& plan : list) {
                entries.push_back(PlanJson(plan));
            }
            return entries;
        };
        Print({{"removed", plans(removed)}, {"reset", plans(reset)}, {"dry_run", dryRun}});
    }

private:
    static json OrNull(const std::u16string& text) {
        return text.empty() ? json(nullptr) : json(ToUtf8ForDisplay(text));
    }

    static json OrNull(const std::optional<std::uint32_t>& value) {
        return value ? json(*value) : json(nullptr);
    }

    // What a setting is, as the platform describes it.
    static json SettingJson(const Calvoro::PowerSetting& setting) {
        json entry = {
            {"subgroup",
             {{"id", setting.subgroup.id.ToString()},
              {"alias", OrNull(setting.subgroup.alias)},
              {"name", ToUtf8ForDisplay(setting.subgroup.name)}}},
            {"id", setting.id.ToString()},
            {"alias", OrNull(setting.alias)},
            {"name", ToUtf8ForDisplay(setting.name)},
            {"description", ToUtf8ForDisplay(setting.description)},
            {"hidden", setting.hidden},
            {"default", {{"ac", OrNull(setting.acDefault)}, {"dc", OrNull(setting.dcDefault)}}}};
        if (setting.range) {
            entry["range"] = {{"min", setting.range->min},
                              {"max", setting.range->max},
                              {"increment", setting.range->increment},
                              {"units", ToUtf8ForDisplay(setting.range->units)}};
        } else {
            json values = json::array();
            for (const Calvoro::PossibleValue& value : setting.values) {
                values.push_back({{"index", value.index},
                                  {"name", ToUtf8ForDisplay(value.name)},
                                  {"description", ToUtf8ForDisplay(value.description)}});
            }
            entry["values"] = std::move(values);
        }
        return entry;
    }

    // A mode by its word; one that is none of the three by its identifier.
    static json ModeJson(const Calvoro::PowerModeReading& reading) {
        return reading.mode ? json(ModeWord(*reading.mode)) : json(reading.guid.ToString());
    }

    void Print(const json& document) { out_ << document.dump(2) << '\n'; }

    std::ostream& out_;
};

}  // namespace

std::unique_ptr<Printer> MakeJsonPrinter(std::ostream& out) {
    return std::make_unique<JsonPrinter>(out);
}

}  // namespace calvoro_cli
