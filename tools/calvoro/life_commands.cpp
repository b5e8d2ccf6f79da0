// The commands for a plan's whole life: Windows' templates, duplicate, delete and putting
// Windows' own plans back, each one call of the library.
#include <calvoro/power_plans.h>

#include <ostream>

#include "command_line.h"
#include "commands.h"
#include "errors.h"
#include "plans.h"
#include "printers.h"
#include "source_words.h"
#include "text.h"

namespace calvoro_cli {
namespace {

using Calvoro::PlanOutcome;
using Calvoro::PlanResult;

// Says why the library did not do `what` to `plan`, and returns the exit status; a request
// that cannot be done as asked is a UsageError, with nothing changed.
int Refused(const PlanResult& result, const std::string& what, const std::string& plan,
            const Output& output) {
    std::string why;
    switch (result.outcome) {
    case PlanOutcome::Done:
        return 0;
    case PlanOutcome::AlreadyExists:
        throw UsageError("a plan with the identifier " + result.plan.ToString() +
                         " is installed already; nothing was made");
    case PlanOutcome::NotFound:
        why = "it is not installed";
        break;
    case PlanOutcome::IsActive:
        why = "it is the active plan; apply another plan first (calvoro activate PLAN)";
        break;
    case PlanOutcome::NotStandard:
        why = "it is a custom plan, which has no Windows defaults; restore-defaults without a "
              "plan removes custom plans";
        break;
    case PlanOutcome::ForbiddenByPolicy:
        why = "Group Policy forbids creating and restoring plans on this machine";
        break;
    case PlanOutcome::NeedsAdministrator:
        why = "Windows refused access: run calvoro as an administrator";
        break;
    case PlanOutcome::Unsupported:
        why = "this Windows lacks the call for it (Wine's powrprof does too)";
        break;
    case PlanOutcome::Failed:
        why = "the platform refused (status " + std::to_string(result.status) + ")";
        break;
    }
    output.err << "calvoro: cannot " << what << " " << plan << ": " << why << '\n';
    return 1;
}

void Keep(const Output& output) {
    if (output.keep) {
        output.keep();
    }
}

}  // namespace

int ListTemplates(const Output& output) {
    const std::vector<InstalledPlan> installed = Calvoro::InstalledPlans();
    std::vector<TemplateRow> rows;
    for (const Calvoro::PlanTemplate& known : Calvoro::PlanTemplates()) {
        rows.push_back({known, FindInstalled(installed, known.id).has_value()});
    }
    MakePrinter(output)->Templates(rows);
    return 0;
}

int DuplicatePlan(const std::string& plan, const std::optional<std::string>& name,
                  const std::optional<std::string>& id, const Output& output) {
    const std::optional<std::u16string> newName =
        name ? std::optional(ToUtf16(*name, "NAME")) : std::nullopt;
    std::optional<Calvoro::Guid> newId;
    if (id) {
        newId = Calvoro::Guid::TryParse(*id);
        if (!newId) {
            throw UsageError("--id takes a plan identifier, not \"" + *id + "\"");
        }
    }
    const InstalledPlan source = ResolvePlanOrTemplate(plan);
    const PlanResult result = Calvoro::DuplicatePlan(source.id, newId, newName);
    if (result.outcome != PlanOutcome::Done) {
        return Refused(result, "duplicate", Describe(source), output);
    }
    Keep(output);
    const std::optional<InstalledPlan> made =
        FindInstalled(Calvoro::InstalledPlans(), result.plan);
    MakePrinter(output)->Duplicated(source, made.value_or(InstalledPlan{result.plan, newName}));
    return 0;
}

int DeletePlan(const std::string& plan, const Output& output) {
    const InstalledPlan target = ResolvePlan(plan);
    const PlanResult result = Calvoro::DeletePlan(target.id);
    if (result.outcome != PlanOutcome::Done) {
        return Refused(result, "delete", Describe(target), output);
    }
    Keep(output);
    MakePrinter(output)->Deleted(target, result.recordsNamingIt);
    return 0;
}

int RestoreDefaults(const std::optional<std::string>& plan, bool dryRun, const Output& output) {
    Calvoro::RestoreOutline outline = Calvoro::OutlineRestoreDefaults();
    PlanResult result{PlanOutcome::Done, {}, 0, {}};
    std::string what = "every plan";
    if (plan) {
        const InstalledPlan target = ResolvePlan(*plan);
        what = Describe(target);
        outline = {{}, {target}};
        result = Calvoro::RestorePlanDefaults(target.id, dryRun);
    } else if (!dryRun) {
        result = Calvoro::RestoreDefaultPlans();
    }
    if (result.outcome != PlanOutcome::Done) {
        return Refused(result, "restore the defaults of", what, output);
    }
    if (!dryRun) {
        Keep(output);
    }
    MakePrinter(output)->Restored(outline.removed, outline.reset, dryRun);
    return 0;
}

namespace {

struct DuplicateOptions {
    std::string plan;
    std::optional<std::string> name;
    std::optional<std::string> id;
    bool json = false;
};
struct DeleteOptions {
    std::string plan;
    bool json = false;
};
struct RestoreOptions {
    std::optional<std::string> plan;
    bool dryRun = false;
    bool json = false;
};

}  // namespace

void AddLifeCommands(CommandLine& line) {
    CLI::App& app = line.app;
    auto& duplicating = line.Keep<DuplicateOptions>();
    CLI::App* duplicate = app.add_subcommand(
        "duplicate",
        "Copy a plan with every setting, or one of Windows' templates (calvoro list "
        "--templates), as a new plan; prints its identifier");
    duplicate
        ->add_option("PLAN", duplicating.plan,
                     "Identifier, alias or name of an installed plan or of a template")
        ->required();
    duplicate->add_option("NAME", duplicating.name, "The copy's name (default: the source's)");
    duplicate->add_option("--id", duplicating.id,
                          "The copy's identifier (default: one that Windows picks)");
    CommandLine::AddJson(duplicate, duplicating.json);
    line.Runs(duplicate, duplicating.json, [&](const Output& o) {
        return DuplicatePlan(duplicating.plan, duplicating.name, duplicating.id, o);
    });

    auto& deleting = line.Keep<DeleteOptions>();
    CLI::App* remove =
        app.add_subcommand("delete", "Remove a plan (not the active one); records stay");
    CommandLine::AddPlan(remove, deleting.plan);
    CommandLine::AddJson(remove, deleting.json);
    line.Runs(remove, deleting.json, [&](const Output& o) { return DeletePlan(deleting.plan, o); });

    auto& restoring = line.Keep<RestoreOptions>();
    CLI::App* restore = app.add_subcommand(
        "restore-defaults",
        "Remove every custom plan and give Windows' plans their default settings; with PLAN, "
        "give that one of Windows' plans its defaults");
    restore->add_option("PLAN", restoring.plan, "Identifier, alias or name of a plan");
    restore->add_flag("--dry-run", restoring.dryRun,
                      "Say what would be removed and reset; change nothing");
    CommandLine::AddJson(restore, restoring.json);
    line.Runs(restore, restoring.json, [&](const Output& o) {
        return RestoreDefaults(restoring.plan, restoring.dryRun, o);
    });
}

}  // namespace calvoro_cli
