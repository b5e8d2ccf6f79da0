// The export and import document, read and written once for every face: version 2 carries
// every setting of each plan, version 1 the six timeouts in minutes.
#include <calvoro/plan_document.h>
#include <calvoro/power_class.h>
#include <calvoro/power_plans.h>
#include <calvoro/power_settings.h>
#include <utf8.h>

#include <algorithm>
#include <array>
#include <iterator>
#include <nlohmann/json.hpp>
#include <set>
#include <utility>

#include "plan_document/json_reader.h"
#include "power_class/units.h"

namespace Calvoro {
namespace {

using json_reading::Reader;
using nlohmann::json;

constexpr const char* kFormat = "calvoro-plans";
constexpr std::uint32_t kVersion = 2;

[[noreturn]] void ThrowDocumentError(const std::string& message) { throw DocumentError(message); }

std::string Utf8(const std::u16string& text) {
    try {
        std::string utf8;
        utf8::utf16to8(text.begin(), text.end(), std::back_inserter(utf8));
        return utf8;
    } catch (const utf8::exception&) {
        throw std::invalid_argument(
            "a text holds a lone UTF-16 surrogate, which UTF-8 cannot carry");
    }
}

std::u16string Utf16(const std::string& text) {
    std::u16string utf16;
    utf8::utf8to16(text.begin(), text.end(), std::back_inserter(utf16));
    return utf16;
}

std::u16string Number(std::uint32_t value) { return Utf16(std::to_string(value)); }

// ---- Reading the text: JSON whose objects have each key once ----

// An object or array that the parser is in: where it sits, and the keys an object has so far.
struct OpenValue {
    std::string where;
    bool array = false;
    std::size_t elements = 0;
    std::set<std::string> keys;
    std::string key;  // the member being read
};

// The JSON of a document's text; a repeated key would otherwise quietly take the last value.
json Parse(std::string_view text) {
    std::vector<OpenValue> open;
    const auto place = [&open]() -> std::string {
        if (open.empty()) {
            return "document";
        }
        const OpenValue& parent = open.back();
        return parent.array ? parent.where + "[" + std::to_string(parent.elements) + "]"
                            : parent.where + "." + parent.key;
    };
    const auto ended = [&open] {
        if (!open.empty() && open.back().array) {
            ++open.back().elements;
        }
    };
    using Event = json::parse_event_t;
    const json::parser_callback_t refuseRepeatedKeys = [&](int, Event event, json& parsed) {
        switch (event) {
        case Event::object_start:
        case Event::array_start:
            open.push_back({place(), event == Event::array_start, 0, {}, {}});
            break;
        case Event::object_end:
        case Event::array_end:
            open.pop_back();
            ended();
            break;
        case Event::key:
            if (!open.back().keys.insert(parsed.get<std::string>()).second) {
                throw DocumentError(open.back().where + ": \"" + parsed.get<std::string>() +
                                    "\" appears twice");
            }
            open.back().key = parsed.get<std::string>();
            break;
        case Event::value:
            ended();
            break;
        }
        return true;
    };
    try {
        return json::parse(text.begin(), text.end(), refuseRepeatedKeys);
    } catch (const json::exception& error) {
        // A syntax error, or a number too large for a double (out_of_range 406).
        throw DocumentError(std::string("not valid JSON: ") + error.what());
    }
}

// ---- The changes a plan of the document asks for ----

// The six timeouts of version 1, in minutes, as its "timeouts" object names them.
struct Timeout {
    const char* timeout = nullptr;
    const char* source = nullptr;
    bool onAC = false;
    Guid subgroup;
    Guid setting;
};
constexpr Guid kSleepSubgroup{
    0x238C9FA8, 0x0AAD, 0x41ED, {0x83, 0xF4, 0x97, 0xBE, 0x24, 0x2C, 0x8F, 0x20}};
constexpr Guid kVideoSubgroup{
    0x7516B95F, 0xF776, 0x4464, {0x8C, 0x53, 0x06, 0x16, 0x7F, 0x40, 0xCC, 0x99}};
constexpr Guid kStandby{
    0x29F6C1DB, 0x86DA, 0x48C5, {0x9F, 0xDB, 0xF2, 0xB6, 0x7B, 0x1F, 0x44, 0xDA}};
constexpr Guid kHibernate{
    0x9D7815A6, 0x7EE4, 0x497E, {0x88, 0x88, 0x51, 0x5A, 0x05, 0xF0, 0x23, 0x64}};
constexpr Guid kDisplay{
    0x3C0BC021, 0xC8A8, 0x4E07, {0xA9, 0x73, 0x6B, 0x14, 0xCB, 0xCB, 0x2B, 0x7E}};
constexpr std::array<Timeout, 6> kTimeouts{{
    {"sleep", "ac", true, kSleepSubgroup, kStandby},
    {"sleep", "dc", false, kSleepSubgroup, kStandby},
    {"hibernate", "ac", true, kSleepSubgroup, kHibernate},
    {"hibernate", "dc", false, kSleepSubgroup, kHibernate},
    {"display", "ac", true, kVideoSubgroup, kDisplay},
    {"display", "dc", false, kVideoSubgroup, kDisplay},
}};

std::u16string MinutesText(std::uint32_t minutes) {
    return minutes == 0 ? u"never" : Number(minutes) + u" min";
}

DocumentChange SettingValueChange(const InstalledPlan& plan, bool onAC, std::uint32_t value) {
    DocumentChange change;
    change.kind = DocumentChange::Kind::Setting;
    change.plan = plan.id;
    change.planName = plan.name;
    change.onAC = onAC;
    change.value = value;
    return change;
}

// Version 1: the six timeouts, in whole minutes.
void ReadTimeouts(const Reader& timeouts, const InstalledPlan& plan, const Guid& readFrom,
                  std::vector<DocumentChange>& changes) {
    timeouts.OnlyFields({"sleep", "hibernate", "display"});
    for (const Timeout& timeout : kTimeouts) {
        const auto pair = timeouts.OptionalField(timeout.timeout);
        if (!pair) {
            continue;
        }
        pair->OnlyFields({"ac", "dc"});
        const auto field = pair->OptionalField(timeout.source);
        if (!field) {
            continue;
        }
        const std::uint32_t minutes = field->Uint32();
        if (!detail::SecondsFit(minutes)) {
            field->Fail("minutes must be from 0 to " + std::to_string(MaxTimerMinutes) + ", not " +
                        std::to_string(minutes));
        }
        const SettingValues read = ReadSetting(readFrom, timeout.subgroup, timeout.setting);
        const std::uint32_t now = detail::SecondsToMinutes(timeout.onAC ? read.ac : read.dc);
        if (now == minutes) {
            continue;
        }
        DocumentChange change =
            SettingValueChange(plan, timeout.onAC, detail::MinutesToSeconds(minutes));
        change.subgroup = timeout.subgroup;
        change.setting = timeout.setting;
        change.from = now;
        change.to = minutes;
        change.key = std::string(timeout.timeout) + "." + timeout.source;
        change.label = Utf16(timeout.timeout) + (timeout.onAC ? u" on AC" : u" on DC");
        change.fromText = MinutesText(now);
        change.toText = MinutesText(minutes);
        changes.push_back(std::move(change));
    }
}

// Version 2: any settings, by subgroup and identifier, in each one's own unit. The values now
// are read from `readFrom`: the plan itself, or the plan that a new one is copied from.
void ReadSettings(const Reader& settings, const InstalledPlan& plan, const Guid& readFrom,
                  bool skipUnknown, std::vector<DocumentChange>& changes) {
    const SettingsAnswer described = ListSettings(readFrom);
    if (described.outcome != SettingOutcome::Done) {
        settings.Fail("the settings of " + plan.id.ToString() + " cannot be read here");
    }
    std::set<std::array<std::uint8_t, 32>> seen;
    for (std::size_t i = 0; i < settings.Array().size(); ++i) {
        const Reader entry = settings.Element(i);
        entry.OnlyFields({"subgroup", "id", "alias", "name", "ac", "dc"});
        const Guid subgroup = entry.Field("subgroup").Id();
        const Guid id = entry.Field("id").Id();
        std::array<std::uint8_t, 32> key{};
        const auto subgroupBytes = subgroup.Bytes();
        const auto idBytes = id.Bytes();
        std::copy(subgroupBytes.begin(), subgroupBytes.end(), key.begin());
        std::copy(idBytes.begin(), idBytes.end(), key.begin() + 16);
        if (!seen.insert(key).second) {
            entry.Field("id").Fail("the setting " + id.ToString() + " appears a second time");
        }
        const auto found = std::find_if(
            described.settings.begin(), described.settings.end(), [&](const PowerSetting& setting) {
                return setting.subgroup.id == subgroup && setting.id == id;
            });
        if (found == described.settings.end()) {
            if (!skipUnknown) {
                entry.Field("id").Fail("this machine has no setting " + id.ToString() +
                                       " in the subgroup " + subgroup.ToString() +
                                       "; --skip-unknown skips it");
            }
            DocumentChange skipped;
            skipped.kind = DocumentChange::Kind::Skipped;
            skipped.plan = plan.id;
            skipped.planName = plan.name;
            skipped.subgroup = subgroup;
            skipped.setting = id;
            skipped.key = entry.Where();
            if (const auto name = entry.OptionalField("name"); name && !name->IsNull()) {
                skipped.label = name->Utf16();
            }
            changes.push_back(std::move(skipped));
            continue;
        }
        const PowerSetting& setting = *found;
        const SettingValues now = ReadSetting(readFrom, subgroup, id);
        for (const bool onAC : {true, false}) {
            const auto field = entry.OptionalField(onAC ? "ac" : "dc");
            if (!field) {
                continue;
            }
            const std::uint32_t value = field->Uint32();
            if (!SettingAllows(setting, value)) {
                field->Fail(Utf8(SettingLabel(setting)) + " takes " +
                            Utf8(AllowedValuesText(setting)) + ", not " + std::to_string(value));
            }
            const std::uint32_t current = onAC ? now.ac : now.dc;
            if (now.outcome == SettingOutcome::Done && current == value) {
                continue;
            }
            DocumentChange change = SettingValueChange(plan, onAC, value);
            change.subgroup = subgroup;
            change.setting = id;
            change.from = current;
            change.to = value;
            change.key = (setting.alias.empty() ? id.ToString() : Utf8(setting.alias)) +
                         (onAC ? ".ac" : ".dc");
            change.label = SettingLabel(setting) + (onAC ? u" on AC" : u" on DC");
            change.fromText = SettingValueText(setting, current);
            change.toText = SettingValueText(setting, value);
            changes.push_back(std::move(change));
        }
    }
}

// The plan's name with its description, which the platform takes only together.
void ReadName(const Reader& entry, const InstalledPlan& plan,
              std::vector<DocumentChange>& changes) {
    const auto name = entry.OptionalField("name");
    const auto description = entry.OptionalField("description");
    const std::optional<std::u16string> newName =
        name ? std::optional(name->Utf16()) : std::nullopt;
    const std::optional<std::u16string> newDescription =
        description ? std::optional(description->Utf16()) : std::nullopt;
    if (newDescription && !newName) {
        description->Fail("a description is written together with a name; add \"name\"");
    }
    if (newName && !newDescription && newName != plan.name) {
        name->Fail(
            "the name differs from the installed plan's, and a name is written only "
            "together with a description; add \"description\"");
    }
    if (!newName || !newDescription ||
        (newName == plan.name && newDescription == ReadPlanDescription(plan.id))) {
        return;
    }
    DocumentChange change;
    change.kind = DocumentChange::Kind::Name;
    change.plan = plan.id;
    change.planName = plan.name;
    change.key = "name";
    change.label = u"name";
    change.fromText = plan.name ? Utf16(json(Utf8(*plan.name)).dump()) : u"null";
    change.toText = Utf16(json(Utf8(*newName)).dump()) + u", with a new description";
    change.name = *newName;
    change.description = *newDescription;
    changes.push_back(std::move(change));
}

// The plan that a plan of the document that is not installed is copied from: Balanced, or
// the active plan where Balanced is not installed.
InstalledPlan CopiedPlan(const Reader& where, const std::vector<InstalledPlan>& installed) {
    constexpr Guid kBalanced{
        0x381B4222, 0xF694, 0x41F0, {0x96, 0x85, 0xFF, 0x5B, 0xB2, 0x60, 0xDF, 0x2E}};
    const std::optional<Guid> active = ActivePlan();
    for (const std::optional<Guid>& wanted : {std::optional(kBalanced), active}) {
        const auto found = std::find_if(installed.begin(), installed.end(),
                                        [&](const InstalledPlan& one) { return one.id == wanted; });
        if (found != installed.end()) {
            return *found;
        }
    }
    where.Fail("a new plan is copied from Balanced or the active plan, and neither is here");
}

// A plan of the document that is not installed, made as a copy of `source` with the
// document's name and description (the source's where the document has none).
DocumentChange CreationOf(const Reader& entry, const Guid& id, const InstalledPlan& source) {
    const auto name = entry.OptionalField("name");
    const auto description = entry.OptionalField("description");
    if (description && !name) {
        description->Fail("a description is written together with a name; add \"name\"");
    }
    DocumentChange change;
    change.kind = DocumentChange::Kind::Create;
    change.plan = id;
    change.source = source.id;
    change.name = name ? name->Utf16() : source.name.value_or(u"");
    change.description = description ? description->Utf16()
                                     : ReadPlanDescription(source.id).value_or(u"");
    change.planName = change.name;
    change.key = "create";
    change.label = u"plan";
    change.fromText = u"not installed";
    change.toText = u"a copy of " + source.name.value_or(Utf16(source.id.ToString())) +
                    u" named " + Utf16(json(Utf8(change.name)).dump());
    return change;
}

}  // namespace

std::string ExportPlans(const std::vector<Guid>& plans) {
    const std::vector<InstalledPlan> installed = InstalledPlans();
    std::vector<InstalledPlan> chosen = plans.empty() ? installed : std::vector<InstalledPlan>{};
    for (const Guid& id : plans) {
        const auto found = std::find_if(installed.begin(), installed.end(),
                                        [&](const InstalledPlan& plan) { return plan.id == id; });
        if (found == installed.end()) {
            throw std::invalid_argument("no installed plan has the identifier " + id.ToString());
        }
        chosen.push_back(*found);
    }
    json list = json::array();
    for (const InstalledPlan& plan : chosen) {
        json entry = {{"id", plan.id.ToString()}};
        // A name is restored only with its description: write both where both are known.
        if (plan.name) {
            entry["name"] = Utf8(*plan.name);
            if (const auto description = ReadPlanDescription(plan.id)) {
                entry["description"] = Utf8(*description);
            }
        }
        json settings = json::array();
        for (const PowerSetting& setting : ListSettings(plan.id).settings) {
            const SettingValues values = ReadSetting(plan.id, setting.subgroup.id, setting.id);
            if (values.outcome != SettingOutcome::Done) {
                continue;
            }
            settings.push_back(
                {{"subgroup", setting.subgroup.id.ToString()},
                 {"id", setting.id.ToString()},
                 {"alias", setting.alias.empty() ? json(nullptr) : json(Utf8(setting.alias))},
                 {"name", Utf8(setting.name)},
                 {"ac", values.ac},
                 {"dc", values.dc}});
        }
        entry["settings"] = std::move(settings);
        list.push_back(std::move(entry));
    }
    const json document = {{"format", kFormat}, {"version", kVersion}, {"plans", list}};
    return document.dump(2) + "\n";
}

DocumentPlan ReadDocument(std::string_view text, bool skipUnknown, bool createMissing) {
    const json document = Parse(text);
    const Reader root(document, "document", ThrowDocumentError);
    root.OnlyFields({"format", "version", "plans"});
    if (root.Field("format").Text() != kFormat) {
        root.Field("format").Fail(std::string("expected \"") + kFormat + "\"");
    }
    const std::uint32_t version = root.Field("version").Uint32();
    if (version != 1 && version != 2) {
        root.Field("version").Fail("this library reads versions 1 and 2, not " +
                                   std::to_string(version));
    }

    const std::vector<InstalledPlan> installed = InstalledPlans();
    DocumentPlan read;
    std::vector<DocumentChange> creations;  // made before any other change
    std::set<std::array<std::uint8_t, 16>> seen;
    const Reader plans = root.Field("plans");
    for (std::size_t i = 0; i < plans.Array().size(); ++i) {
        const Reader entry = plans.Element(i);
        entry.OnlyFields({"id", "name", "description", version == 1 ? "timeouts" : "settings"});
        const Guid id = entry.Field("id").Id();
        if (!seen.insert(id.Bytes()).second) {
            entry.Field("id").Fail("the plan " + id.ToString() + " appears a second time");
        }
        const auto found = std::find_if(installed.begin(), installed.end(),
                                        [&](const InstalledPlan& one) { return one.id == id; });
        InstalledPlan plan{id, std::nullopt};
        Guid readFrom = id;
        if (found != installed.end()) {
            plan = *found;
        } else if (createMissing) {
            const InstalledPlan source = CopiedPlan(entry.Field("id"), installed);
            creations.push_back(CreationOf(entry, id, source));
            plan.name = creations.back().name;
            readFrom = source.id;
        } else {
            entry.Field("id").Fail("no installed plan has the identifier " + id.ToString() +
                                   "; an import that creates plans makes it");
        }
        std::vector<DocumentChange> changes;
        if (version == 1) {
            if (const auto timeouts = entry.OptionalField("timeouts")) {
                ReadTimeouts(*timeouts, plan, readFrom, changes);
            }
        } else if (const auto settings = entry.OptionalField("settings")) {
            ReadSettings(*settings, plan, readFrom, skipUnknown, changes);
        }
        if (found != installed.end()) {
            ReadName(entry, plan, changes);
        }
        read.changes.insert(read.changes.end(), std::make_move_iterator(changes.begin()),
                            std::make_move_iterator(changes.end()));
    }
    read.changes.insert(read.changes.begin(), std::make_move_iterator(creations.begin()),
                        std::make_move_iterator(creations.end()));
    return read;
}

namespace {

// A plan made for a document, as a change's answer.
SettingChange CreationResult(const PlanResult& made) {
    switch (made.outcome) {
    case PlanOutcome::Done:
        return {};
    case PlanOutcome::ForbiddenByPolicy:
        return {SettingOutcome::PinnedByPolicy, made.status, std::nullopt, false};
    case PlanOutcome::Unsupported:
        return {SettingOutcome::Unsupported, made.status, std::nullopt, false};
    default:
        return {SettingOutcome::Refused, made.status, std::nullopt, false};
    }
}

}  // namespace

SettingChange ApplyDocumentChange(const DocumentChange& change) {
    switch (change.kind) {
    case DocumentChange::Kind::Setting:
        return WriteSetting(change.plan, change.subgroup, change.setting,
                            change.onAC ? PowerSource::AC : PowerSource::DC, change.value);
    case DocumentChange::Kind::Name:
        if (PowerClass().WritePowerSchemeNameDescription(change.plan, change.name,
                                                         change.description) == 1) {
            return {};
        }
        return {SettingOutcome::Refused, 0, std::nullopt, false};
    case DocumentChange::Kind::Create:
        return CreationResult(
            DuplicatePlan(change.source, change.plan, change.name, change.description));
    case DocumentChange::Kind::Skipped:
        break;
    }
    return {SettingOutcome::NotFound, 0, std::nullopt, false};
}

}  // namespace Calvoro
