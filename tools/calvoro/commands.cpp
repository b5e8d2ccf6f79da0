#include "commands.h"

#include "errors.h"
#include "plan_document.h"
#include "plans.h"
#include "text.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <fstream>
#include <functional>
#include <iomanip>
#include <iterator>
#include <ostream>

namespace calvoro_cli {
namespace {

using Calvoro::Guid;
using Calvoro::PowerClass;
using nlohmann::json;

using Getter = std::uint32_t (PowerClass::*)(const Guid&, bool) const;
using Setter = bool (PowerClass::*)(const Guid&, bool, std::uint32_t) const;

struct Timeout {
    const char* name;
    Getter get;
    Setter set;
};
constexpr Timeout kTimeouts[] = {
    {"sleep", &PowerClass::GetSleepTimer, &PowerClass::SetSleepTimer},
    {"hibernate", &PowerClass::GetHibernationTimer, &PowerClass::SetHibernationTimer},
    {"display", &PowerClass::GetDisplayTimer, &PowerClass::SetDisplayTimer},
};

const Timeout& FindTimeout(const std::string& name) {
    for (const Timeout& timeout : kTimeouts) {
        if (name == timeout.name) {
            return timeout;
        }
    }
    throw UsageError("unknown timeout \"" + name + "\"; use sleep, hibernate or display");
}

json NameJson(const InstalledPlan& plan) {
    return plan.name ? json(ToUtf8ForDisplay(*plan.name)) : json(nullptr);
}

// The recorded default for one source: a plan identifier, none, or an error said on `err`.
struct DefaultPlan {
    std::optional<Guid> id;
    bool failed = false;
};

DefaultPlan ReadDefault(const PowerClass& power, bool onAC, const Output& output) {
    try {
        const Guid id = power.GetDefaultPlaneGUID(onAC);
        if (id == Calvoro::NoPowerSchemeGuid) {
            return {};
        }
        return {id, false};
    } catch (const std::exception& error) {
        output.err << "calvoro: cannot read the default plan for " << (onAC ? "AC" : "DC")
                   << ": " << error.what() << '\n';
        return {std::nullopt, true};
    }
}

json IdJson(const std::optional<Guid>& id) {
    return id ? json(id->ToString()) : json(nullptr);
}

std::string MinutesText(std::uint32_t minutes) {
    return minutes == 0 ? "never" : std::to_string(minutes) + " min";
}

// One change that set, rename or import makes, and how it went. In JSON every command
// reports its changes the same way: {"changes": [...], "refused": N}.
struct Change {
    InstalledPlan plan;
    std::string setting;  // "sleep.ac" ... "display.dc", or "name"
    json from;
    json to;
    std::optional<std::string> description;  // written with a new name
    std::function<bool()> apply;
    std::optional<bool> applied;  // not yet tried (or a dry run)

    json Json() const {
        json change = {{"id", plan.id.ToString()}, {"plan", NameJson(plan)},
                       {"setting", setting},       {"from", from},
                       {"to", to},                 {"applied", applied ? json(*applied) : json(nullptr)}};
        if (description) {
            change["description"] = *description;
        }
        return change;
    }

    std::string Text() const {
        if (setting == "name") {
            return Describe(plan) + ": name " + from.dump() + " becomes " + to.dump() +
                   ", with a new description";
        }
        const std::size_t dot = setting.find('.');
        std::string source = setting.substr(dot + 1);
        for (char& c : source) {
            c = static_cast<char>(c - 'a' + 'A');
        }
        return Describe(plan) + ": " + setting.substr(0, dot) + " on " + source + " " +
               MinutesText(from.get<std::uint32_t>()) + " becomes " +
               MinutesText(to.get<std::uint32_t>());
    }
};

// Applies each change (unless `dryRun`); refusals are said on `err`. Then tells the output
// which plans' timeouts changed. Returns the number refused.
int Apply(std::vector<Change>& changes, bool dryRun, const Output& output) {
    int refused = 0;
    std::vector<Guid> retimed;
    for (Change& change : changes) {
        if (dryRun) {
            continue;
        }
        change.applied = change.apply();
        if (!*change.applied) {
            ++refused;
            output.err << "calvoro: the platform refused: " << change.Text() << '\n';
        } else if (change.setting != "name" &&
                   std::find(retimed.begin(), retimed.end(), change.plan.id) == retimed.end()) {
            retimed.push_back(change.plan.id);
        }
    }
    if (output.timeoutsChanged && !retimed.empty()) {
        output.timeoutsChanged(retimed);
    }
    return refused;
}

json ChangesJson(const std::vector<Change>& changes, int refused) {
    json list = json::array();
    for (const Change& change : changes) {
        list.push_back(change.Json());
    }
    return {{"changes", list}, {"refused", refused}};
}

std::string SettingName(const Timeout& timeout, bool onAC) {
    return std::string(timeout.name) + (onAC ? ".ac" : ".dc");
}

}  // namespace

bool ParseSource(const std::string& word) {
    if (word != "ac" && word != "dc") {
        throw UsageError("unknown power source \"" + word + "\"; use ac or dc");
    }
    return word == "ac";
}

std::uint32_t ParseMinutes(const std::string& word) {
    const bool digitsOnly = !word.empty() && word.size() <= 10 &&
                            word.find_first_not_of("0123456789") == std::string::npos;
    if (!digitsOnly || std::stoull(word) > 71582788) {
        throw UsageError("MINUTES must be a whole number from 0 to 71582788, not \"" + word +
                         "\"");
    }
    return static_cast<std::uint32_t>(std::stoul(word));
}

int ListPlans(const PowerClass& power, const Output& output) {
    const std::vector<InstalledPlan> plans = InstalledPlans(power);
    const DefaultPlan ac = ReadDefault(power, true, output);
    const DefaultPlan dc = ReadDefault(power, false, output);
    const int status = ac.failed || dc.failed ? 1 : 0;

    if (output.json) {
        json list = json::array();
        for (const InstalledPlan& plan : plans) {
            list.push_back({{"id", plan.id.ToString()},
                            {"name", NameJson(plan)},
                            {"default_ac", ac.id == plan.id},
                            {"default_dc", dc.id == plan.id}});
        }
        output.out << json{{"plans", list}, {"default", {{"ac", IdJson(ac.id)}, {"dc", IdJson(dc.id)}}}}
                          .dump(2)
                   << '\n';
        return status;
    }
    if (plans.empty()) {
        output.out << "No power plans found.\n";
        return status;
    }
    for (const InstalledPlan& plan : plans) {
        output.out << plan.id << "  " << DisplayName(plan);
        const bool forAC = ac.id == plan.id;
        const bool forDC = dc.id == plan.id;
        if (forAC || forDC) {
            output.out << "  [default for " << (forAC && forDC ? "AC and DC" : forAC ? "AC" : "DC")
                       << "]";
        }
        output.out << '\n';
    }
    return status;
}

int QueryPlans(const PowerClass& power, const std::optional<std::string>& plan,
               const Output& output) {
    const std::vector<InstalledPlan> plans =
        plan ? std::vector<InstalledPlan>{ResolvePlan(power, *plan)} : InstalledPlans(power);

    json list = json::array();
    for (const InstalledPlan& shown : plans) {
        json timeouts = json::object();
        if (!output.json) {
            output.out << DisplayName(shown) << "  " << shown.id << '\n'
                       << "               AC (mains)    DC (battery)\n";
        }
        for (const Timeout& timeout : kTimeouts) {
            const std::uint32_t ac = (power.*timeout.get)(shown.id, true);
            const std::uint32_t dc = (power.*timeout.get)(shown.id, false);
            timeouts[timeout.name] = {{"ac", ac}, {"dc", dc}};
            if (!output.json) {
                output.out << "  " << std::left << std::setw(13) << timeout.name << std::setw(14)
                           << MinutesText(ac) << MinutesText(dc) << '\n';
            }
        }
        list.push_back({{"id", shown.id.ToString()}, {"name", NameJson(shown)}, {"timeouts", timeouts}});
    }
    if (output.json) {
        output.out << json{{"plans", list}}.dump(2) << '\n';
    } else if (plans.empty()) {
        output.out << "No power plans found.\n";
    }
    return 0;
}

int SetTimeout(const PowerClass& power, const std::string& plan, const std::string& timeout,
               const std::string& source, const std::string& minutes, const Output& output) {
    const Timeout& chosen = FindTimeout(timeout);
    const bool onAC = ParseSource(source);
    const std::uint32_t value = ParseMinutes(minutes);
    const InstalledPlan target = ResolvePlan(power, plan);
    std::vector<Change> changes{{target, SettingName(chosen, onAC),
                                 (power.*chosen.get)(target.id, onAC), value, std::nullopt,
                                 [&] { return (power.*chosen.set)(target.id, onAC, value); },
                                 std::nullopt}};
    const int refused = Apply(changes, false, output);
    if (output.json) {
        output.out << ChangesJson(changes, refused).dump(2) << '\n';
    } else if (refused == 0) {
        output.out << Describe(target) << ": " << chosen.name << " on " << (onAC ? "AC" : "DC")
                   << " is now " << MinutesText(value) << '\n';
    }
    return refused == 0 ? 0 : 1;
}

int RenamePlan(const PowerClass& power, const std::string& plan, const std::string& name,
               const std::string& description, const Output& output) {
    const std::u16string newName = ToUtf16(name, "NAME");
    const std::u16string newDescription = ToUtf16(description, "DESCRIPTION");
    const InstalledPlan target = ResolvePlan(power, plan);
    std::vector<Change> changes{{target, "name", NameJson(target), name, description,
                                 [&] {
                                     return power.WritePowerSchemeNameDescription(
                                                target.id, newName, newDescription) == 1;
                                 },
                                 std::nullopt}};
    const int refused = Apply(changes, false, output);
    if (output.json) {
        output.out << ChangesJson(changes, refused).dump(2) << '\n';
    } else if (refused == 0) {
        output.out << target.id << " is now named \"" << name << "\"\n";
    }
    return refused == 0 ? 0 : 1;
}

int ExportPlans(const PowerClass& power, const std::vector<std::string>& plans,
                const std::optional<std::string>& file, const Output& output) {
    std::vector<InstalledPlan> chosen;
    chosen.reserve(plans.size());
    for (const std::string& plan : plans) {
        chosen.push_back(ResolvePlan(power, plan));
    }
    const json document =
        DocumentToJson(ExportEntries(power, plans.empty() ? InstalledPlans(power) : chosen));
    if (!file) {
        output.out << document.dump(2) << '\n';
        return 0;
    }
    std::ofstream out(*file, std::ios::binary | std::ios::trunc);
    out << document.dump(2) << '\n';
    out.close();
    if (!out) {
        output.err << "calvoro: cannot write " << *file << '\n';
        return 1;
    }
    return 0;
}

int ImportPlans(const PowerClass& power, const std::string& file, bool dryRun,
                const Output& output) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        throw UsageError("cannot read " + file);
    }
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    json document;
    try {
        document = json::parse(text);
    } catch (const json::parse_error& error) {
        throw UsageError(file + ": not valid JSON: " + error.what());
    }
    const std::vector<InstalledPlan> installed = InstalledPlans(power);
    std::vector<PlanEntry> entries;
    try {
        entries = CheckDocument(document, installed);
    } catch (const UsageError& error) {
        throw UsageError(file + ": " + error.what());
    }

    // Every change, known before the first is written.
    std::vector<Change> changes;
    for (const PlanEntry& entry : entries) {
        InstalledPlan target{entry.id, std::nullopt};
        for (const InstalledPlan& plan : installed) {
            target = plan.id == entry.id ? plan : target;
        }
        for (std::size_t i = 0; i < kTimeoutCount; ++i) {
            const Timeout& timeout = kTimeouts[i / 2];
            const bool onAC = i % 2 == 0;
            const std::uint32_t now = (power.*timeout.get)(entry.id, onAC);
            if (!entry.minutes[i] || *entry.minutes[i] == now) {
                continue;
            }
            const std::uint32_t wanted = *entry.minutes[i];
            changes.push_back({target, SettingName(timeout, onAC), now, wanted, std::nullopt,
                               [&power, &timeout, id = entry.id, onAC, wanted] {
                                   return (power.*timeout.set)(id, onAC, wanted);
                               },
                               std::nullopt});
        }
        if (entry.name && entry.description) {
            changes.push_back({target, "name", NameJson(target), ToUtf8(*entry.name),
                               ToUtf8(*entry.description),
                               [&power, &entry] {
                                   return power.WritePowerSchemeNameDescription(
                                              entry.id, *entry.name, *entry.description) == 1;
                               },
                               std::nullopt});
        }
    }
    const int refused = Apply(changes, dryRun, output);
    if (output.json) {
        json report = ChangesJson(changes, refused);
        report["dry_run"] = dryRun;
        output.out << report.dump(2) << '\n';
    } else {
        for (const Change& change : changes) {
            if (dryRun || change.applied.value_or(false)) {
                output.out << (dryRun ? "would change: " : "changed: ") << change.Text() << '\n';
            }
        }
        if (changes.empty()) {
            output.out << "Nothing to change: the plans are as " << file << " has them.\n";
        }
    }
    return refused == 0 ? 0 : 1;
}

int ShowDefault(const PowerClass& power, const std::string& source, const Output& output) {
    const bool onAC = ParseSource(source);
    const DefaultPlan recorded = ReadDefault(power, onAC, output);
    if (recorded.failed) {
        return 1;
    }
    std::optional<InstalledPlan> installed;
    if (recorded.id) {
        for (const InstalledPlan& plan : InstalledPlans(power)) {
            if (plan.id == *recorded.id) {
                installed = plan;
            }
        }
    }
    if (output.json) {
        output.out << json{{"source", source},
                           {"id", IdJson(recorded.id)},
                           {"name", installed ? NameJson(*installed) : json(nullptr)},
                           {"installed", installed.has_value()}}
                          .dump(2)
                   << '\n';
        return 0;
    }
    output.out << (onAC ? "AC: " : "DC: ");
    if (!recorded.id) {
        output.out << "none recorded\n";
    } else if (installed) {
        output.out << Describe(*installed) << '\n';
    } else {
        output.out << *recorded.id << " (not an installed plan)\n";
    }
    return 0;
}

}  // namespace calvoro_cli
