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
/// Applies a document to the installed plans, after the library checked all of it (a faulty
/// document is a UsageError naming the place, and nothing is written); with `dryRun`, only
/// says what would change; with `skipUnknown`, skips the settings this machine does not have.
/// Returns 1 when the platform refused a change.
int ImportPlans(const std::string& file, bool dryRun, bool skipUnknown, const Output& output);
int ShowDefault(const Calvoro::PowerClass& power, const std::string& source, const Output& output);
/// Shows the plan the platform applies now.
int ShowActive(const Output& output);
/// Applies a plan, as Windows' own tool does.
int ActivatePlan(const std::string& plan, const Output& output);
/// Records an installed plan as the default for SOURCE, or removes the record.
int RecordDefault(const std::string& source, const std::string& plan, const Output& output);
int ClearRecordedDefault(const std::string& source, const Output& output);

}  // namespace calvoro_cli
