// The commands for plans: each reads what it needs through the library, runs its changes
// through the change engine, and hands its report to the printer that the output asks for.
#include <calvoro/plan_document.h>
#include <calvoro/power_plans.h>

#include <ostream>

#include "arguments.h"
#include "changes.h"
#include "command_line.h"
#include "commands.h"
#include "document_files.h"
#include "errors.h"
#include "plans.h"
#include "printers.h"
#include "text.h"
#include "timeout_settings.h"

namespace calvoro_cli {
namespace {

using Calvoro::Guid;
using Calvoro::PowerClass;

DefaultRecord ReadDefault(const PowerClass& power, bool onAC, const Output& output) {
    try {
        const Guid id = power.GetDefaultPlaneGUID(onAC);
        if (id == Calvoro::NoPowerSchemeGuid) {
            return {};
        }
        return {id, false};
    } catch (const std::exception& error) {
        output.err << "calvoro: cannot read the default plan for " << SourceName(onAC) << ": "
                   << error.what() << '\n';
        return {std::nullopt, true};
    }
}

Calvoro::PowerSource RecordSource(bool onAC) {
    return onAC ? Calvoro::PowerSource::AC : Calvoro::PowerSource::DC;
}

// A new name and description for the plan, written through the class.
Change NameChange(const PowerClass& power, const InstalledPlan& plan, const std::u16string& name,
                  const std::u16string& description) {
    const std::string shownName = ToUtf8(name);
    return {plan,
            "name",
            NameValue(plan),
            shownName,
            "name",
            NameValue(plan).dump(),
            nlohmann::json(shownName).dump() + ", with a new description",
            ToUtf8(description),
            [&power, id = plan.id, name, description] {
                Tried tried;
                tried.applied = power.WritePowerSchemeNameDescription(id, name, description) == 1;
                return tried;
            },
            std::nullopt};
}

// A change that a document asks for, made through the library.
Change DocumentChangeOf(const Calvoro::DocumentChange& change) {
    using Kind = Calvoro::DocumentChange::Kind;
    const InstalledPlan plan{change.plan, change.planName};
    const bool named = change.kind == Kind::Name || change.kind == Kind::Create;
    return {plan,
            change.key,
            change.kind == Kind::Create ? nlohmann::json(nullptr)
            : named                     ? NameValue(plan)
                                        : nlohmann::json(change.from),
            named ? nlohmann::json(ToUtf8(change.name)) : nlohmann::json(change.to),
            ToUtf8ForDisplay(change.label),
            ToUtf8ForDisplay(change.fromText),
            ToUtf8ForDisplay(change.toText),
            named ? std::optional(ToUtf8(change.description)) : std::nullopt,
            [change] {
                Tried tried = TriedSetting(Calvoro::ApplyDocumentChange(change));
                if (change.kind == Kind::Create && tried.pinnedByPolicy) {
                    tried.refusal = "Group Policy forbids creating plans on this machine";
                }
                return tried;
            },
            std::nullopt};
}

int ExitStatus(const Outcome& outcome) {
    return outcome.refused == 0 && !outcome.pinnedByPolicy ? 0 : 1;
}

}  // namespace

int ListPlans(const PowerClass& power, const Output& output) {
    Listing listing{Calvoro::InstalledPlans(), std::nullopt, ReadDefault(power, true, output),
                    ReadDefault(power, false, output)};
    listing.active = Calvoro::ActivePlan();
    listing.modernStandby = Calvoro::ReadPowerSource().modernStandby;
    MakePrinter(output)->Plans(listing);
    return listing.ac.failed || listing.dc.failed ? 1 : 0;
}

int QueryPlans(const PowerClass& power, const std::optional<std::string>& plan,
               const Output& output) {
    const std::vector<InstalledPlan> plans =
        plan ? std::vector<InstalledPlan>{ResolvePlan(*plan)} : Calvoro::InstalledPlans();
    std::vector<PlanTimeouts> shown;
    for (const InstalledPlan& each : plans) {
        PlanTimeouts timeouts{each, {}};
        for (std::size_t i = 0; i < kTimeoutCount; ++i) {
            timeouts.minutes[i] = kTimeoutSettings[i].Read(power, each.id);
        }
        shown.push_back(std::move(timeouts));
    }
    MakePrinter(output)->Timeouts(shown);
    return 0;
}

int RenamePlan(const PowerClass& power, const std::string& plan, const std::string& name,
               const std::string& description, const Output& output) {
    const std::u16string newName = ToUtf16(name, "NAME");
    const std::u16string newDescription = ToUtf16(description, "DESCRIPTION");
    const InstalledPlan target = ResolvePlan(plan);
    std::vector<Change> changes{NameChange(power, target, newName, newDescription)};
    const Outcome outcome = Apply(changes, false, output);
    MakePrinter(output)->Renamed(changes, outcome);
    return ExitStatus(outcome);
}

int ExportPlans(const std::vector<std::string>& plans, const std::optional<std::string>& file,
                const Output& output) {
    std::vector<Guid> chosen;
    chosen.reserve(plans.size());
    for (const std::string& plan : plans) {
        chosen.push_back(ResolvePlan(plan).id);
    }
    return WriteDocument(Calvoro::ExportPlans(chosen), file, output);
}

int ImportPlans(const std::string& file, const ImportChoices& choices, const Output& output) {
    const std::string text = ReadDocumentFile(file);
    Calvoro::DocumentPlan read;
    try {
        read = Calvoro::ReadDocument(text, choices.skipUnknown, choices.create);
    } catch (const Calvoro::DocumentError& problem) {
        throw UsageError(file + ": " + problem.what());
    }
    // Every change, known before the first is written; the new plans first, for the other
    // changes are of no use when a plan could not be made.
    std::vector<Change> creations;
    std::vector<Change> changes;
    std::vector<Calvoro::DocumentChange> skipped;
    for (const Calvoro::DocumentChange& change : read.changes) {
        if (change.kind == Calvoro::DocumentChange::Kind::Skipped) {
            skipped.push_back(change);
        } else {
            (change.kind == Calvoro::DocumentChange::Kind::Create ? creations : changes)
                .push_back(DocumentChangeOf(change));
        }
    }
    Outcome outcome = Apply(creations, choices.dryRun, output);
    if (outcome.refused == 0) {
        const Outcome changed = Apply(changes, choices.dryRun, output);
        outcome = {changed.refused, changed.reapplied, changed.pinnedByPolicy};
    }
    creations.insert(creations.end(), changes.begin(), changes.end());
    MakePrinter(output)->Imported(creations, skipped, outcome, choices.dryRun, file);
    return ExitStatus(outcome);
}

int ShowDefault(const PowerClass& power, const std::string& source, const Output& output) {
    const bool onAC = ParseSource(source);
    const DefaultRecord recorded = ReadDefault(power, onAC, output);
    if (recorded.failed) {
        return 1;
    }
    const std::optional<InstalledPlan> installed =
        recorded.id ? FindInstalled(Calvoro::InstalledPlans(), *recorded.id) : std::nullopt;
    MakePrinter(output)->Default(source, onAC, recorded, installed);
    return 0;
}

int ShowActive(const Output& output) {
    const std::optional<Guid> active = Calvoro::ActivePlan();
    if (!active) {
        output.err << "calvoro: the platform cannot tell the active plan\n";
        return 1;
    }
    MakePrinter(output)->Active(FindInstalled(Calvoro::InstalledPlans(), *active)
                                    .value_or(InstalledPlan{*active, std::nullopt}));
    return 0;
}

int ActivatePlan(const std::string& plan, const Output& output) {
    const InstalledPlan target = ResolvePlan(plan);
    switch (Calvoro::ActivatePlan(target.id)) {
    case Calvoro::Activation::Applied:
        break;
    case Calvoro::Activation::PinnedByPolicy:
        output.err << "calvoro: " << kPinnedByPolicy << '\n';
        return 1;
    case Calvoro::Activation::Refused:
        output.err << "calvoro: the platform refused to apply " << Describe(target) << '\n';
        return 1;
    }
    if (output.keep) {
        output.keep();
    }
    MakePrinter(output)->Activated(target);
    return 0;
}

int RecordDefault(const std::string& source, const std::string& plan, const Output& output) {
    const bool onAC = ParseSource(source);
    const InstalledPlan target = ResolvePlan(plan);  // an installed plan only
    Calvoro::SetDefaultPlan(RecordSource(onAC), target.id);
    MakePrinter(output)->DefaultRecorded(onAC, target);
    return 0;
}

int ClearRecordedDefault(const std::string& source, const Output& output) {
    const bool onAC = ParseSource(source);
    MakePrinter(output)->DefaultCleared(onAC, Calvoro::ClearDefaultPlan(RecordSource(onAC)));
    return 0;
}

namespace {

struct PlanOptions {
    std::string plan;
    bool json = false;
};
struct ListOptions {
    bool templates = false;
    bool json = false;
};
struct QueryOptions {
    std::optional<std::string> plan;
    bool json = false;
};
struct RenameOptions {
    std::string plan, name, description;
    bool json = false;
};
struct ExportOptions {
    std::vector<std::string> plans;
    std::optional<std::string> file;
};
struct ImportOptions {
    std::string file;
    ImportChoices choices;
    bool json = false;
};
struct RecordOptions {
    std::string source;
    std::string plan;
    bool json = false;
};

const PowerClass kPower;

}  // namespace

void AddPlanCommands(CommandLine& line) {
    CLI::App& app = line.app;
    auto& listing = line.Keep<ListOptions>();
    CLI::App* list =
        app.add_subcommand("list", "List every plan, the active one and the recorded defaults");
    list->add_flag("--templates", listing.templates,
                   "List Windows' plan templates instead, which duplicate copies");
    CommandLine::AddJson(list, listing.json);
    line.Runs(list, listing.json, [&](const Output& o) {
        return listing.templates ? ListTemplates(o) : ListPlans(kPower, o);
    });

    auto& querying = line.Keep<QueryOptions>();
    CLI::App* query =
        app.add_subcommand("query", "Show a plan's timeouts (all plans if none named)");
    query->add_option("PLAN", querying.plan, "Identifier, alias or name of a plan");
    CommandLine::AddJson(query, querying.json);
    line.Runs(query, querying.json,
              [&](const Output& o) { return QueryPlans(kPower, querying.plan, o); });

    auto& renaming = line.Keep<RenameOptions>();
    CLI::App* rename = app.add_subcommand("rename", "Change a plan's name and description");
    CommandLine::AddPlan(rename, renaming.plan);
    rename->add_option("NAME", renaming.name, "The new name")->required();
    rename->add_option("DESCRIPTION", renaming.description, "The new description")->required();
    CommandLine::AddJson(rename, renaming.json);
    line.Runs(rename, renaming.json, [&](const Output& o) {
        return RenamePlan(kPower, renaming.plan, renaming.name, renaming.description, o);
    });

    auto& exporting = line.Keep<ExportOptions>();
    CLI::App* exporter = app.add_subcommand(
        "export",
        "Write plans (all if none named) with their names, descriptions and every setting "
        "as one JSON document");
    exporter->add_option("PLAN", exporting.plans, "Identifier, alias or name of a plan");
    exporter->add_option("--output", exporting.file, "Write to FILE instead of standard output");
    line.Runs(exporter, line.noJson, [&](const Output& o) {
        return ExportPlans(exporting.plans, exporting.file, o);
    });

    auto& importing = line.Keep<ImportOptions>();
    CLI::App* importer = app.add_subcommand(
        "import", "Apply an export document to the installed plans, matched by identifier");
    importer->add_option("FILE", importing.file, "The document, as export writes it")->required();
    importer->add_flag("--dry-run", importing.choices.dryRun,
                       "Say what would change; write nothing");
    importer->add_flag("--skip-unknown", importing.choices.skipUnknown,
                       "Skip, and report, each setting that this machine does not have");
    importer->add_flag("--create", importing.choices.create,
                       "Make each plan that is not installed, as a copy of Balanced, under the "
                       "document's identifier, name and description");
    CommandLine::AddJson(importer, importing.json);
    line.Runs(importer, importing.json, [&](const Output& o) {
        return ImportPlans(importing.file, importing.choices, o);
    });

    auto& defaulting = line.Keep<RecordOptions>();
    CLI::App* defaults = app.add_subcommand("default", "Show the plan recorded as the default");
    defaults->add_option("SOURCE", defaulting.source, "ac (mains power) or dc (battery)")
        ->required();
    CommandLine::AddJson(defaults, defaulting.json);
    line.Runs(defaults, defaulting.json,
              [&](const Output& o) { return ShowDefault(kPower, defaulting.source, o); });

    bool& showing = line.Keep<bool>();
    CLI::App* active = app.add_subcommand("active", "Show the plan that is applied now");
    CommandLine::AddJson(active, showing);
    line.Runs(active, showing, [](const Output& o) { return ShowActive(o); });

    auto& activating = line.Keep<PlanOptions>();
    CLI::App* activate = app.add_subcommand("activate", "Apply a plan, making it the active one");
    CommandLine::AddPlan(activate, activating.plan);
    CommandLine::AddJson(activate, activating.json);
    line.Runs(activate, activating.json,
              [&](const Output& o) { return ActivatePlan(activating.plan, o); });

    auto& recording = line.Keep<RecordOptions>();
    CLI::App* record = app.add_subcommand(
        "set-default", "Record an installed plan as the default for a power source");
    record->add_option("SOURCE", recording.source, "ac or dc")->required();
    CommandLine::AddPlan(record, recording.plan);
    CommandLine::AddJson(record, recording.json);
    line.Runs(record, recording.json,
              [&](const Output& o) { return RecordDefault(recording.source, recording.plan, o); });

    auto& clearing = line.Keep<RecordOptions>();
    CLI::App* clear =
        app.add_subcommand("clear-default", "Remove the recorded default for a power source");
    clear->add_option("SOURCE", clearing.source, "ac or dc")->required();
    CommandLine::AddJson(clear, clearing.json);
    line.Runs(clear, clearing.json,
              [&](const Output& o) { return ClearRecordedDefault(clearing.source, o); });
}

}  // namespace calvoro_cli
