// The program's commands for plans, on the library's public operations only, and where every
// command writes.
#pragma once

#include <calvoro/power_class.h>

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace calvoro_cli {

/// Where a command writes, and how.
struct Output {
    std::ostream& out;  // data
    std::ostream& err;  // errors
    bool json = false;  // one JSON document instead of text for a person
    /// Keeps what a command changed (the simulated machine's state file), or throws; a
    /// change is reported as done only once it is kept. None where the platform keeps it.
    std::function<void()> keep;
    /// A file that no output may replace (the simulated machine's state file).
    std::optional<std::filesystem::path> stateFile;
};

// Each command returns the exit status: 0 when done, 1 when the platform refused or failed
// (after saying so on `err`). Usage errors are thrown as UsageError.

int ListPlans(const Calvoro::PowerClass& power, const Output& output);
int QueryPlans(const Calvoro::PowerClass& power, const std::optional<std::string>& plan,
               const Output& output);
int RenamePlan(const Calvoro::PowerClass& power, const std::string& plan, const std::string& name,
               const std::string& description, const Output& output);
/// Writes the plans named (all when none is) as one document, to `file` or `out`.
int ExportPlans(const std::vector<std::string>& plans, const std::optional<std::string>& file,
                const Output& output);
/// How `import` goes: `dryRun` only says what would change; `skipUnknown` skips the settings
/// this machine does not have; `create` makes the plans that are not installed.
struct ImportChoices {
    bool dryRun = false;
    bool skipUnknown = false;
    bool create = false;
};
/// Applies a document to the installed plans, after the library checked all of it (a faulty
/// document is a UsageError naming the place, and nothing is written). The plans it makes
/// come first; when one cannot be made, nothing else is written. Returns 1 when the platform
/// refused a change.
int ImportPlans(const std::string& file, const ImportChoices& choices, const Output& output);
int ShowDefault(const Calvoro::PowerClass& power, const std::string& source, const Output& output);
/// Shows the plan the platform applies now.
int ShowActive(const Output& output);
/// Applies a plan, as Windows' own tool does.
int ActivatePlan(const std::string& plan, const Output& output);
/// Records an installed plan as the default for SOURCE, or removes the record.
/// Windows' plan templates, and whether each is installed.
int ListTemplates(const Output& output);
/// Copies an installed plan or a template (`list --templates`), named NAME and with the
/// identifier `id` when given; prints the new plan.
int DuplicatePlan(const std::string& plan, const std::optional<std::string>& name,
                  const std::optional<std::string>& id, const Output& output);
/// Removes a plan other than the active one.
int DeletePlan(const std::string& plan, const Output& output);
/// Restores Windows' plans (all, or one standard plan); with `dryRun`, says what would be
/// removed and reset.
int RestoreDefaults(const std::optional<std::string>& plan, bool dryRun, const Output& output);
int RecordDefault(const std::string& source, const std::string& plan, const Output& output);
int ClearRecordedDefault(const std::string& source, const Output& output);

}  // namespace calvoro_cli
