#include "plan_document.h"

#include "errors.h"
#include "json_reader.h"
#include "text.h"

#include <set>

namespace calvoro_cli {
namespace {

using Calvoro::PowerClass;
using nlohmann::json;

constexpr const char* kFormat = "calvoro-plans";
constexpr std::uint32_t kVersion = 1;

// An object or array that the parser is in: where it sits, and the keys an object has so far.
struct OpenValue {
    std::string where;
    bool array = false;
    std::size_t elements = 0;
    std::set<std::string> keys;
    std::string key;  // the member being read
};

// Counts a finished value as an element of the array it is in.
void Ended(std::vector<OpenValue>& open) {
    if (!open.empty() && open.back().array) {
        ++open.back().elements;
    }
}

// Records the key of the member that begins; a key the object has already is an error.
void Key(OpenValue& object, std::string key) {
    if (!object.keys.insert(key).second) {
        throw UsageError(object.where + ": \"" + key + "\" appears twice");
    }
    object.key = std::move(key);
}

[[noreturn]] void ThrowUsageError(const std::string& message) { throw UsageError(message); }

}  // namespace

std::vector<PlanEntry> ExportEntries(const PowerClass& power,
                                     const std::vector<InstalledPlan>& plans) {
    std::vector<PlanEntry> entries;
    for (const InstalledPlan& plan : plans) {
        PlanEntry entry{plan.id, plan.name, std::nullopt, {}};
        // A name is restored only with its description: export both where both are known.
        if (plan.name) {
            entry.description = Calvoro::ReadPlanDescription(plan.id);
        }
        for (std::size_t i = 0; i < kTimeoutCount; ++i) {
            entry.minutes[i] = kTimeoutSettings[i].Read(power, plan.id);
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

json DocumentToJson(const std::vector<PlanEntry>& entries) {
    json plans = json::array();
    for (const PlanEntry& entry : entries) {
        json plan = {{"id", entry.id.ToString()}};
        if (entry.name) {
            plan["name"] = ToUtf8(*entry.name);
        }
        if (entry.description) {
            plan["description"] = ToUtf8(*entry.description);
        }
        json timeouts = json::object();
        for (std::size_t i = 0; i < kTimeoutCount; ++i) {
            if (entry.minutes[i]) {
                timeouts[kTimeoutSettings[i].timeout][kTimeoutSettings[i].source] = *entry.minutes[i];
            }
        }
        if (!timeouts.empty()) {
            plan["timeouts"] = timeouts;
        }
        plans.push_back(std::move(plan));
    }
    return {{"format", kFormat}, {"version", kVersion}, {"plans", plans}};
}

json ParseDocument(const std::string& text) {
    std::vector<OpenValue> open;
    const auto place = [&open]() -> std::string {
        if (open.empty()) {
            return "document";
        }
        const OpenValue& parent = open.back();
        return parent.array ? parent.where + "[" + std::to_string(parent.elements) + "]"
                            : parent.where + "." + parent.key;
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
            Ended(open);
            break;
        case Event::key:
            Key(open.back(), parsed.get<std::string>());
            break;
        case Event::value:
            Ended(open);
            break;
        }
        return true;
    };
    try {
        return json::parse(text, refuseRepeatedKeys);
    } catch (const json::exception& error) {
        // A syntax error, or a number too large for a double (out_of_range 406).
        throw UsageError(std::string("not valid JSON: ") + error.what());
    }
}

std::vector<PlanEntry> CheckDocument(const json& document,
                                     const std::vector<InstalledPlan>& installed) {
    const Reader root(document, "document", ThrowUsageError);
    root.OnlyFields({"format", "version", "plans"});
    if (root.Field("format").Text() != kFormat) {
        root.Field("format").Fail(std::string("expected \"") + kFormat + "\"");
    }
    if (root.Field("version").Uint32() != kVersion) {
        root.Field("version").Fail("this program reads version " + std::to_string(kVersion));
    }

    std::vector<PlanEntry> entries;
    std::set<std::array<std::uint8_t, 16>> seen;
    const Reader plans = root.Field("plans");
    for (std::size_t i = 0; i < plans.Array().size(); ++i) {
        const Reader plan = plans.Element(i);
        plan.OnlyFields({"id", "name", "description", "timeouts"});
        PlanEntry entry;
        entry.id = plan.Field("id").Id();
        const std::optional<InstalledPlan> target = FindInstalled(installed, entry.id);
        if (!target) {
            plan.Field("id").Fail("no installed plan has the identifier " + entry.id.ToString());
        }
        if (!seen.insert(entry.id.Bytes()).second) {
            plan.Field("id").Fail("the plan " + entry.id.ToString() + " appears a second time");
        }
        if (const auto name = plan.OptionalField("name")) {
            entry.name = name->Utf16();
        }
        if (const auto description = plan.OptionalField("description")) {
            entry.description = description->Utf16();
        }
        // The platform takes a name only together with its description.
        if (entry.description && !entry.name) {
            plan.Field("description").Fail("a description is written together with a name; "
                                           "add \"name\"");
        }
        if (entry.name && !entry.description && entry.name != target->name) {
            plan.Field("name").Fail("the name differs from the installed plan's, and a name is "
                                    "written only together with a description; add "
                                    "\"description\"");
        }
        if (const auto timeouts = plan.OptionalField("timeouts")) {
            timeouts->OnlyFields({"sleep", "hibernate", "display"});
            for (std::size_t t = 0; t < kTimeoutCount; ++t) {
                const auto pair = timeouts->OptionalField(kTimeoutSettings[t].timeout);
                if (!pair) {
                    continue;
                }
                pair->OnlyFields({"ac", "dc"});
                if (const auto minutes = pair->OptionalField(kTimeoutSettings[t].source)) {
                    entry.minutes[t] = minutes->Uint32();
                    if (*entry.minutes[t] > Calvoro::MaxTimerMinutes) {
                        minutes->Fail("minutes must be from 0 to " +
                                      std::to_string(Calvoro::MaxTimerMinutes) + ", not " +
                                      std::to_string(*entry.minutes[t]));
                    }
                }
            }
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

}  // namespace calvoro_cli
