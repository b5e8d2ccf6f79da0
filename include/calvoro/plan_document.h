// The export and import document: plans with their names, descriptions and every setting, as
// one JSON text (UTF-8). The library reads and writes it for every face, the program, .NET,
// Python and PowerShell alike:
//
//   {"format": "calvoro-plans", "version": 2, "plans": [
//     {"id": ID, "name": TEXT, "description": TEXT, "settings": [
//       {"subgroup": ID, "id": ID, "alias": TEXT|null, "name": TEXT, "ac": N, "dc": N}, ...]}]}
//
// Each setting's values are in its own unit (a timeout in seconds); "alias" and "name" are
// for a reader. Version 1 (six timeouts in minutes, under "timeouts") is still read.
#pragma once

#include <calvoro/errors.h>
#include <calvoro/export.h>
#include <calvoro/guid.h>
#include <calvoro/power_plans.h>
#include <calvoro/power_settings.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Calvoro {

/// The installed plans that `plans` names (every installed plan when it is empty) as a
/// document of version 2: each with its name and description where the platform can read
/// them, and every setting, hidden ones included. Throws std::invalid_argument for a plan
/// that is not installed, or a text that UTF-8 cannot carry (a lone surrogate).
CALVORO_API std::string ExportPlans(const std::vector<Guid>& plans = {});

/// One change that a document asks of this machine, or one of its settings skipped.
struct DocumentChange {
    enum class Kind {
        Setting,  ///< a setting's value for AC or DC
        Name,     ///< the plan's name and description
        Skipped,  ///< a setting this machine does not have (with skipUnknown)
        Create    ///< a plan that is not installed, made as a copy of `source` (createMissing)
    };
    Kind kind = Kind::Setting;
    Guid plan;
    std::optional<std::u16string> planName;  ///< the plan's name now
    Guid source;                             ///< Create: the plan copied
    Guid subgroup;                           ///< Setting, Skipped
    Guid setting;                            ///< Setting, Skipped
    bool onAC = true;                        ///< Setting
    std::uint32_t value = 0;                 ///< Setting: what is written, in the setting's unit
    std::uint32_t from = 0;  ///< Setting: the value now, as the document speaks (minutes
    std::uint32_t to = 0;    ///<   for a version 1 timeout)
    /// How reports name it: "PROCTHROTTLEMAX.dc" (alias or identifier), "sleep.ac" (version
    /// 1), "name"; for a skipped setting, its place in the document.
    std::string key;
    /// For a person: "Maximum processor state (PROCTHROTTLEMAX) on DC", "sleep on AC", "name";
    /// the values "100 %", "15 min", "Hibernate", or the names in quotes.
    std::u16string label;
    std::u16string fromText;
    std::u16string toText;
    std::u16string name;         ///< Name, Create: the new name...
    std::u16string description;  ///< ...and description
};

/// What a document asks of this machine, in the document's order.
struct DocumentPlan {
    std::vector<DocumentChange> changes;
};

/// Checks the whole document against this machine before anything is written (DocumentError
/// from <calvoro/errors.h> when it cannot be imported), and says what it would change: every
/// setting whose value differs, and a name (with its description) that differs. Throws
/// DocumentError naming the place for a document that is not JSON, has a key twice, is not of this
/// format, names a plan twice, a plan that is not installed (unless `createMissing`), a
/// setting this machine does not have (unless `skipUnknown`: then that setting is Skipped),
/// or a value the setting does not take. Reads only.
///
/// With `createMissing`, each plan that is not installed is made first (a Create change, all
/// of them before the other changes): a copy of Balanced, or of the active plan where Balanced
/// is not installed, under the document's identifier, name and description; its settings
/// are then the changes from the copy's values.
CALVORO_API DocumentPlan ReadDocument(std::string_view document, bool skipUnknown = false,
                                      bool createMissing = false);

/// How applying one change of a document went: a setting's as WriteSetting answers (the
/// active plan applied again after it), a name's Done or Refused. A plan's creation as
/// DuplicatePlan answers: Done, PinnedByPolicy when Group Policy forbids new plans,
/// Unsupported, or Refused with the platform's status. A skipped setting is NotFound, with
/// nothing written.
CALVORO_API SettingChange ApplyDocumentChange(const DocumentChange& change);

}  // namespace Calvoro
