// The commands: each reads what it needs through the library, runs its changes through the
// change engine, and hands its report to the printer that the output asks for.
#include "commands.h"

#include <calvoro/power_plans.h>

#include <ostream>

#include "arguments.h"
#include "changes.h"
#include "document_files.h"
#include "errors.h"
#include "plan_document.h"
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

int SetTimeout(const PowerClass& power, const std::string& plan, const std::string& timeout,
               const std::string& source, const std::string& minutes, const Output& output) {
    const TimeoutSetting& chosen = FindTimeoutSetting(timeout, source);
    const std::uint32_t value = ParseMinutes(minutes);
    const InstalledPlan target = ResolvePlan(plan);
    std::vector<Change> changes{
        {target, chosen.Name(), chosen.Read(power, target.id), value, std::nullopt,
         [&] { return chosen.Write(power, target.id, value); }, std::nullopt}};
    const Outcome outcome = Apply(changes, false, output);
    MakePrinter(output)->TimeoutSet(changes, outcome);
    return ExitStatus(outcome);
}

int RenamePlan(const PowerClass& power, const std::string& plan, const std::string& name,
               const std::string& description, const Output& output) {
    const std::u16string newName = ToUtf16(name, "NAME");
    const std::u16string newDescription = ToUtf16(description, "DESCRIPTION");
    const InstalledPlan target = ResolvePlan(plan);
    std::vector<Change> changes{{target, "name", NameValue(target), name, description,
                                 [&] {
                                     return power.WritePowerSchemeNameDescription(
                                                target.id, newName, newDescription) == 1;
                                 },
                                 std::nullopt}};
    const Outcome outcome = Apply(changes, false, output);
    MakePrinter(output)->Renamed(changes, outcome);
    return ExitStatus(outcome);
}

int ExportPlans(const PowerClass& power, const std::vector<std::string>& plans,
                const std::optional<std::string>& file, const Output& output) {
    std::vector<InstalledPlan> chosen;
    chosen.reserve(plans.size());
    for (const std::string& plan : plans) {
        chosen.push_back(ResolvePlan(plan));
    }
    const std::vector<InstalledPlan> all = plans.empty() ? Calvoro::InstalledPlans() : chosen;
    return WriteDocument(DocumentToJson(ExportEntries(power, all)), file, output);
}

int ImportPlans(const PowerClass& power, const std::string& file, bool dryRun,
                const Output& output) {
    const std::string text = ReadDocumentFile(file);
    const std::vector<InstalledPlan> installed = Calvoro::InstalledPlans();
    std::vector<PlanEntry> entries;
    try {
        entries = CheckDocument(ParseDocument(text), installed);
    } catch (const UsageError& problem) {
        throw UsageError(file + ": " + problem.what());
    }

    // Every change, known before the first is written.
    std::vector<Change> changes;
    for (const PlanEntry& entry : entries) {
        const InstalledPlan target =
            FindInstalled(installed, entry.id).value_or(InstalledPlan{entry.id, std::nullopt});
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
        const bool renamed = entry.name && entry.description &&
                             (entry.name != target.name ||
                              entry.description != Calvoro::ReadPlanDescription(entry.id));
        if (renamed) {
            changes.push_back({target, "name", NameValue(target), ToUtf8(*entry.name),
                               ToUtf8(*entry.description),
                               [&power, &entry] {
                                   return power.WritePowerSchemeNameDescription(
                                              entry.id, *entry.name, *entry.description) == 1;
                               },
                               std::nullopt});
        }
    }
    const Outcome outcome = Apply(changes, dryRun, output);
    MakePrinter(output)->Imported(changes, outcome, dryRun, file);
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

int ShowSource(const Output& output) {
    MakePrinter(output)->Source(Calvoro::ReadPowerSource());
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
    const Calvoro::PowerModeOutcome outcome = Calvoro::SetPowerMode(RecordSource(onAC), wanted);
    if (!ModeDone(outcome, 0, onAC, output)) {
        return 1;
    }
    if (output.keep) {
        output.keep();
    }
    MakePrinter(output)->PowerModeSet(onAC, wanted);
    return 0;
}

}  // namespace calvoro_cli
