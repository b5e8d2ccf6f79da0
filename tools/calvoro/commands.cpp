#include "commands.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <functional>
#include <iomanip>
#include <iterator>
#include <nlohmann/json.hpp>
#include <ostream>

#include "errors.h"
#include "plan_document.h"
#include "plans.h"
#include "platform_steps.h"
#include "text.h"
#include "timeout_settings.h"

namespace calvoro_cli {
namespace {

using Calvoro::Guid;
using Calvoro::PowerClass;
using nlohmann::json;
namespace fs = std::filesystem;

// `word` in ASCII lower case: the program's own words are taken in any letter case.
std::string Lower(std::string word) {
    for (char& c : word) {
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return word;
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

// How a command's changes went.
struct Outcome {
    int refused = 0;                // changes not applied, or applied but not kept
    std::optional<Guid> reapplied;  // the active plan, when it was applied again
};

// A new timeout of the active plan takes effect only once the plan is applied again, as
// Windows' own tool does: applies it again when it is among `retimed`. Returns it then.
std::optional<Guid> ReapplyIfActive(const std::vector<Guid>& retimed, const Output& output) {
    if (retimed.empty()) {
        return std::nullopt;
    }
    const std::optional<Guid> active = ActivePlan();
    if (!active) {
        output.err << "calvoro: the platform cannot tell the active plan; the change is stored "
                      "and takes effect when the plan is next applied\n";
        return std::nullopt;
    }
    if (std::find(retimed.begin(), retimed.end(), *active) == retimed.end()) {
        return std::nullopt;
    }
    if (!ApplyPlan(*active)) {
        output.err << "calvoro: the active plan could not be applied again; the change is "
                      "stored and takes effect when the plan is next applied\n";
        return std::nullopt;
    }
    return active;
}

// Applies each change (unless `dryRun`), refusals said on `err`; then keeps them (the
// output's `keep`), and a change that could not be kept counts as refused, for nothing is
// reported as done that is not kept. Then applies the active plan again when its timeouts
// changed.
Outcome Apply(std::vector<Change>& changes, bool dryRun, const Output& output) {
    Outcome outcome;
    if (dryRun) {
        return outcome;
    }
    for (Change& change : changes) {
        change.applied = change.apply();
        if (!*change.applied) {
            ++outcome.refused;
            output.err << "calvoro: the platform refused: " << change.Text() << '\n';
        }
    }
    if (output.keep) {
        try {
            output.keep();
        } catch (const std::exception& error) {
            output.err << "calvoro: " << error.what() << "; no change was kept\n";
            for (Change& change : changes) {
                outcome.refused += change.applied.value_or(false) ? 1 : 0;
                change.applied = false;
            }
            return outcome;
        }
    }
    std::vector<Guid> retimed;
    for (const Change& change : changes) {
        if (*change.applied && change.setting != "name" &&
            std::find(retimed.begin(), retimed.end(), change.plan.id) == retimed.end()) {
            retimed.push_back(change.plan.id);
        }
    }
    outcome.reapplied = ReapplyIfActive(retimed, output);
    return outcome;
}

json ChangesJson(const std::vector<Change>& changes, const Outcome& outcome) {
    json list = json::array();
    for (const Change& change : changes) {
        list.push_back(change.Json());
    }
    return {
        {"changes", list}, {"refused", outcome.refused}, {"reapplied", IdJson(outcome.reapplied)}};
}

}  // namespace

bool ParseSource(const std::string& word) {
    const std::string source = Lower(word);
    if (source != "ac" && source != "dc") {
        throw UsageError("unknown power source \"" + word + "\"; use ac or dc");
    }
    return source == "ac";
}

const TimeoutSetting& FindTimeoutSetting(const std::string& timeout, const std::string& source) {
    const std::string name = Lower(timeout);
    const auto named = [&](const TimeoutSetting& setting) { return name == setting.timeout; };
    if (std::none_of(std::begin(kTimeoutSettings), std::end(kTimeoutSettings), named)) {
        throw UsageError("unknown timeout \"" + timeout + "\"; use sleep, hibernate or display");
    }
    const bool onAC = ParseSource(source);
    return *std::find_if(
        std::begin(kTimeoutSettings), std::end(kTimeoutSettings),
        [&](const TimeoutSetting& setting) { return named(setting) && setting.onAC == onAC; });
}

std::uint32_t ParseMinutes(const std::string& word) {
    const bool digitsOnly = !word.empty() && word.size() <= 10 &&
                            word.find_first_not_of("0123456789") == std::string::npos;
    if (!digitsOnly || std::stoull(word) > Calvoro::MaxTimerMinutes) {
        throw UsageError("MINUTES must be a whole number from 0 to " +
                         std::to_string(Calvoro::MaxTimerMinutes) + ", not \"" + word + "\"");
    }
    return static_cast<std::uint32_t>(std::stoul(word));
}

int ListPlans(const PowerClass& power, const Output& output) {
    const std::vector<InstalledPlan> plans = InstalledPlans(power);
    const DefaultPlan ac = ReadDefault(power, true, output);
    const DefaultPlan dc = ReadDefault(power, false, output);
    const std::optional<Guid> active = ActivePlan();
    const int status = ac.failed || dc.failed ? 1 : 0;

    if (output.json) {
        json list = json::array();
        for (const InstalledPlan& plan : plans) {
            list.push_back({{"id", plan.id.ToString()},
                            {"name", NameJson(plan)},
                            {"active", active == plan.id},
                            {"default_ac", ac.id == plan.id},
                            {"default_dc", dc.id == plan.id}});
        }
        output.out << json{{"plans", list},
                           {"active", IdJson(active)},
                           {"default", {{"ac", IdJson(ac.id)}, {"dc", IdJson(dc.id)}}}}
                          .dump(2)
                   << '\n';
        return status;
    }
    if (plans.empty()) {
        output.out << "No power plans found.\n";
        return status;
    }
    for (const InstalledPlan& plan : plans) {
        output.out << plan.id << "  " << DisplayName(plan)
                   << (active == plan.id ? "  (active)" : "");
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
        for (const TimeoutSetting& setting : kTimeoutSettings) {
            const std::uint32_t minutes = setting.Read(power, shown.id);
            timeouts[setting.timeout][setting.source] = minutes;
            if (output.json) {
                continue;
            }
            if (setting.onAC) {
                output.out << "  " << std::left << std::setw(13) << setting.timeout << std::setw(14)
                           << MinutesText(minutes);
            } else {
                output.out << MinutesText(minutes) << '\n';
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
    const TimeoutSetting& chosen = FindTimeoutSetting(timeout, source);
    const std::uint32_t value = ParseMinutes(minutes);
    const InstalledPlan target = ResolvePlan(power, plan);
    std::vector<Change> changes{
        {target, chosen.Name(), chosen.Read(power, target.id), value, std::nullopt,
         [&] { return chosen.Write(power, target.id, value); }, std::nullopt}};
    const Outcome outcome = Apply(changes, false, output);
    if (output.json) {
        output.out << ChangesJson(changes, outcome).dump(2) << '\n';
    } else if (outcome.refused == 0) {
        output.out << Describe(target) << ": " << chosen.timeout << " on "
                   << (chosen.onAC ? "AC" : "DC") << " is now " << MinutesText(value) << '\n';
    }
    return outcome.refused == 0 ? 0 : 1;
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
    const Outcome outcome = Apply(changes, false, output);
    if (output.json) {
        output.out << ChangesJson(changes, outcome).dump(2) << '\n';
    } else if (outcome.refused == 0) {
        output.out << target.id << " is now named \"" << name << "\"\n";
    }
    return outcome.refused == 0 ? 0 : 1;
}

int ExportPlans(const PowerClass& power, const std::vector<std::string>& plans,
                const std::optional<std::string>& file, const Output& output) {
    std::vector<InstalledPlan> chosen;
    chosen.reserve(plans.size());
    for (const std::string& plan : plans) {
        chosen.push_back(ResolvePlan(power, plan));
    }
    if (file && output.stateFile) {
        std::error_code error;
        if (fs::equivalent(PathArgument(*file), *output.stateFile, error)) {
            throw UsageError("--output " + *file + " is the simulated machine's state file");
        }
    }
    const json document =
        DocumentToJson(ExportEntries(power, plans.empty() ? InstalledPlans(power) : chosen));
    if (!file) {
        output.out << document.dump(2) << '\n';
        return 0;
    }
    std::ofstream out(PathArgument(*file), std::ios::binary | std::ios::trunc);
    out << document.dump(2) << '\n';
    out.close();
    if (!out) {
        output.err << "calvoro: cannot write " << *file << ": " << std::strerror(errno) << '\n';
        return 1;
    }
    return 0;
}

int ImportPlans(const PowerClass& power, const std::string& file, bool dryRun,
                const Output& output) {
    const fs::path path = PathArgument(file);
    std::error_code error;
    if (fs::is_directory(path, error)) {
        throw UsageError(file + " is a folder, not a document");
    }
    std::ifstream in(path, std::ios::binary);
    std::string text;
    if (in) {
        text.assign(std::istreambuf_iterator<char>(in), {});
    }
    if (!in && !in.eof()) {
        throw UsageError("cannot read " + file + ": " + std::strerror(errno));
    }
    const std::vector<InstalledPlan> installed = InstalledPlans(power);
    std::vector<PlanEntry> entries;
    try {
        entries = CheckDocument(ParseDocument(text), installed);
    } catch (const UsageError& problem) {
        throw UsageError(file + ": " + problem.what());
    }

    // Every change, known before the first is written.
    std::vector<Change> changes;
    for (const PlanEntry& entry : entries) {
        InstalledPlan target{entry.id, std::nullopt};
        for (const InstalledPlan& plan : installed) {
            target = plan.id == entry.id ? plan : target;
        }
        for (std::size_t i = 0; i < kTimeoutCount; ++i) {
            const TimeoutSetting& setting = kTimeoutSettings[i];
            const std::uint32_t now = setting.Read(power, entry.id);
            if (!entry.minutes[i] || *entry.minutes[i] == now) {
                continue;
            }
            const std::uint32_t wanted = *entry.minutes[i];
            changes.push_back({target, setting.Name(), now, wanted, std::nullopt,
                               [&power, &setting, id = entry.id, wanted] {
                                   return setting.Write(power, id, wanted);
                               },
                               std::nullopt});
        }
        const bool renamed =
            entry.name && entry.description &&
            (entry.name != target.name || entry.description != ReadDescription(entry.id));
        if (renamed) {
            changes.push_back({target, "name", NameJson(target), ToUtf8(*entry.name),
                               ToUtf8(*entry.description),
                               [&power, &entry] {
                                   return power.WritePowerSchemeNameDescription(
                                              entry.id, *entry.name, *entry.description) == 1;
                               },
                               std::nullopt});
        }
    }
    const Outcome outcome = Apply(changes, dryRun, output);
    if (output.json) {
        json report = ChangesJson(changes, outcome);
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
    return outcome.refused == 0 ? 0 : 1;
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

int ShowActive(const PowerClass& power, const Output& output) {
    const std::optional<Guid> active = ActivePlan();
    if (!active) {
        output.err << "calvoro: the platform cannot tell the active plan\n";
        return 1;
    }
    std::optional<InstalledPlan> installed;
    for (const InstalledPlan& plan : InstalledPlans(power)) {
        installed = plan.id == *active ? plan : installed;
    }
    const InstalledPlan shown = installed.value_or(InstalledPlan{*active, std::nullopt});
    if (output.json) {
        output.out << json{{"id", active->ToString()}, {"name", NameJson(shown)}}.dump(2) << '\n';
    } else {
        output.out << Describe(shown) << '\n';
    }
    return 0;
}

int ActivatePlan(const PowerClass& power, const std::string& plan, const Output& output) {
    const InstalledPlan target = ResolvePlan(power, plan);
    if (!ApplyPlan(target.id)) {
        output.err << "calvoro: the platform refused to apply " << Describe(target) << '\n';
        return 1;
    }
    if (output.keep) {
        output.keep();
    }
    if (output.json) {
        output.out << json{{"id", target.id.ToString()}, {"name", NameJson(target)}}.dump(2)
                   << '\n';
    } else {
        output.out << Describe(target) << " is now the active plan\n";
    }
    return 0;
}

fs::path PathArgument(const std::string& word) {
#if defined(_WIN32)
    return fs::u8path(word);  // wide on Windows: every language's file names
#else
    return fs::path(word);
#endif
}

}  // namespace calvoro_cli
