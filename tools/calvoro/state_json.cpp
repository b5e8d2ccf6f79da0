#include "state_json.h"

#include <calvoro/guid.h>

#include <iterator>
#include <set>
#include <string>
#include <utility>

#include "errors.h"
#include "json_reader.h"
#include "source_words.h"
#include "text.h"

namespace calvoro_cli {
namespace {

namespace Sim = Calvoro::Simulation;
using Calvoro::json_reading::Reader;
using nlohmann::json;

[[noreturn]] void ThrowStateFileError(const std::string& message) { throw StateFileError(message); }

constexpr const char* kFormat = "calvoro-simulated-machine";
constexpr int kVersion = 1;
// The plan the seeded machine applies.
constexpr Calvoro::Guid kBalanced{
    0x381B4222, 0xF694, 0x41F0, {0x96, 0x85, 0xFF, 0x5B, 0xB2, 0x60, 0xDF, 0x2E}};

struct TimeoutField {
    const char* name;
    Sim::TimeoutSeconds Sim::Plan::*seconds;
};
constexpr TimeoutField kTimeouts[] = {{"sleep", &Sim::Plan::sleep},
                                      {"hibernate", &Sim::Plan::hibernate},
                                      {"display", &Sim::Plan::display}};

json ValueToJson(const Sim::RegistryValue& value) {
    switch (value.kind) {
    case Sim::RegistryValue::Kind::String:
        return {{"type", "string"}, {"data", ToUtf8(value.text)}};
    case Sim::RegistryValue::Kind::Number:
        return {{"type", "number"}, {"data", value.number}};
    case Sim::RegistryValue::Kind::Binary:
        break;
    }
    return {{"type", "binary"}, {"data", value.bytes}};
}

Sim::RegistryValue ValueFromJson(const Reader& value) {
    const std::string type = value.Field("type").Text();
    const Reader data = value.Field("data");
    if (type == "string") {
        return Sim::RegistryValue::String(data.Utf16());
    }
    if (type == "number") {
        return Sim::RegistryValue::Number(data.Uint32());
    }
    if (type != "binary") {
        value.Field("type").Fail("expected \"string\", \"number\" or \"binary\"");
    }
    std::vector<std::uint8_t> bytes;
    const json& array = data.Array();
    for (std::size_t i = 0; i < array.size(); ++i) {
        const std::uint32_t byte = data.Element(i).Uint32();
        if (byte > 0xFF) {
            data.Element(i).Fail("expected a byte from 0 to 255");
        }
        bytes.push_back(static_cast<std::uint8_t>(byte));
    }
    return Sim::RegistryValue::Binary(std::move(bytes));
}

constexpr const char* kOperationNames[] = {"PowerEnumerate",
                                           "PowerReadFriendlyName",
                                           "PowerWriteFriendlyName",
                                           "PowerWriteDescription",
                                           "PowerReadACValueIndex",
                                           "PowerReadDCValueIndex",
                                           "PowerWriteACValueIndex",
                                           "PowerWriteDCValueIndex",
                                           "LocalAlloc",
                                           "PowerGetActiveScheme",
                                           "PowerSetActiveScheme",
                                           "PowerReadDescription",
                                           "CallNtPowerInformation",
                                           "PowerGetUserConfiguredPowerMode",
                                           "PowerSetUserConfiguredPowerMode",
                                           "PowerSettingAccessCheckEx",
                                           "PowerDuplicateScheme",
                                           "PowerDeleteScheme",
                                           "PowerRestoreDefaultPowerSchemes"};
static_assert(std::size(kOperationNames) ==
              static_cast<std::size_t>(Sim::Operation::PowerRestoreDefaultPowerSchemes) + 1);

}  // namespace

std::optional<Sim::Operation> OperationFromName(std::string_view name) {
    for (std::size_t index = 0; index < std::size(kOperationNames); ++index) {
        if (name == kOperationNames[index]) {
            return static_cast<Sim::Operation>(index);
        }
    }
    return std::nullopt;
}

json FaultsToJson(const std::vector<Sim::InjectedStatus>& faults) {
    json list = json::array();
    for (const Sim::InjectedStatus& fault : faults) {
        list.push_back({{"operation", kOperationNames[static_cast<std::size_t>(fault.operation)]},
                        {"status", fault.status},
                        {"repeat", fault.repeat == Sim::Repeat::Always ? "always" : "once"},
                        {"skip", fault.callsToSkip}});
    }
    return list;
}

std::vector<Sim::InjectedStatus> FaultsFromJson(const json& faults) {
    const Reader list(faults, "faults", ThrowStateFileError);
    std::vector<Sim::InjectedStatus> read;
    for (std::size_t i = 0; i < list.Array().size(); ++i) {
        const Reader entry = list.Element(i);
        entry.OnlyFields({"operation", "status", "repeat", "skip"});
        const auto operation = OperationFromName(entry.Field("operation").Text());
        if (!operation) {
            entry.Field("operation").Fail("not an operation whose answer can be forced");
        }
        const std::string repeat = entry.Field("repeat").Text();
        if (repeat != "once" && repeat != "always") {
            entry.Field("repeat").Fail("expected \"once\" or \"always\"");
        }
        read.push_back({*operation, entry.Field("status").Uint32(),
                        repeat == "always" ? Sim::Repeat::Always : Sim::Repeat::Once,
                        entry.Field("skip").Uint32()});
    }
    return read;
}

json StateToJson(const Sim::MachineState& state) {
    json plans = json::array();
    for (const Sim::Plan& plan : state.plans) {
        json seconds = json::object();
        for (const TimeoutField& field : kTimeouts) {
            const Sim::TimeoutSeconds& pair = plan.*field.seconds;
            seconds[field.name] = {{"ac", pair.ac}, {"dc", pair.dc}};
        }
        json settings = json::array();
        for (const Sim::SettingValue& value : plan.settings) {
            settings.push_back({{"subgroup", value.subgroup.ToString()},
                                {"setting", value.setting.ToString()},
                                {"ac", value.ac},
                                {"dc", value.dc}});
        }
        plans.push_back({{"id", plan.id.ToString()},
                         {"name", ToUtf8(plan.name)},
                         {"description", ToUtf8(plan.description)},
                         {"seconds", seconds},
                         {"settings", settings}});
    }
    json registry = json::array();
    for (const Sim::RegistryKeyState& key : state.registry) {
        json values = json::array();
        for (const auto& [name, value] : key.values) {
            json entry = ValueToJson(value);
            entry["name"] = ToUtf8(name);
            values.push_back(std::move(entry));
        }
        registry.push_back({{"key", ToUtf8(key.path)}, {"values", values}});
    }
    json attributes = json::array();
    for (const Sim::SettingAttributes& entry : state.attributes) {
        attributes.push_back({{"subgroup", entry.subgroup.ToString()},
                              {"setting", entry.setting.ToString()},
                              {"attributes", entry.attributes}});
    }
    return {{"format", kFormat},
            {"version", kVersion},
            {"plans", plans},
            {"active", state.activePlan ? json(state.activePlan->ToString()) : json(nullptr)},
            {"registry", registry},
            {"power",
             {{"source", SourceWord(state.power.source)},
              {"battery", state.power.batteryPresent},
              {"modern_standby", state.power.modernStandby},
              {"mode",
               {{"ac", state.power.acMode.ToString()}, {"dc", state.power.dcMode.ToString()}}}}},
            {"resumes", state.resumes},
            {"attributes", attributes}};
}

Sim::MachineState StateFromJson(const json& document) {
    const Reader root(document, "state", ThrowStateFileError);
    if (root.Field("format").Text() != kFormat) {
        root.Field("format").Fail(std::string("expected \"") + kFormat + "\"");
    }
    if (root.Field("version").Uint32() != kVersion) {
        root.Field("version").Fail("this program reads version " + std::to_string(kVersion));
    }

    Sim::MachineState state;
    std::set<std::array<std::uint8_t, 16>> ids;
    const Reader plans = root.Field("plans");
    for (std::size_t i = 0; i < plans.Array().size(); ++i) {
        const Reader entry = plans.Element(i);
        Sim::Plan plan;
        plan.id = entry.Field("id").Id();
        if (!ids.insert(plan.id.Bytes()).second) {
            entry.Field("id").Fail("a second plan with the identifier " + plan.id.ToString());
        }
        plan.name = entry.Field("name").Utf16();
        plan.description = entry.Field("description").Utf16();
        const Reader seconds = entry.Field("seconds");
        for (const TimeoutField& field : kTimeouts) {
            const Reader pair = seconds.Field(field.name);
            plan.*field.seconds = {pair.Field("ac").Uint32(), pair.Field("dc").Uint32()};
        }
        // A file from before the machine had every setting gets Windows' defaults.
        if (const auto settings = entry.OptionalField("settings")) {
            for (std::size_t j = 0; j < settings->Array().size(); ++j) {
                const Reader value = settings->Element(j);
                value.OnlyFields({"subgroup", "setting", "ac", "dc"});
                plan.settings.push_back({value.Field("subgroup").Id(), value.Field("setting").Id(),
                                         value.Field("ac").Uint32(), value.Field("dc").Uint32()});
            }
        }
        state.plans.push_back(std::move(plan));
    }

    // A file from before the machine had an active plan gets the seeded one, Balanced.
    if (const auto active = root.OptionalField("active")) {
        state.activePlan = active->IsNull() ? std::nullopt : std::optional(active->Id());
    } else if (ids.count(kBalanced.Bytes()) != 0) {
        state.activePlan = kBalanced;
    }

    const Reader registry = root.Field("registry");
    for (std::size_t i = 0; i < registry.Array().size(); ++i) {
        const Reader key = registry.Element(i);
        Sim::RegistryKeyState keyState{key.Field("key").Utf16(), {}};
        const Reader values = key.Field("values");
        for (std::size_t j = 0; j < values.Array().size(); ++j) {
            const Reader value = values.Element(j);
            keyState.values.emplace_back(value.Field("name").Utf16(), ValueFromJson(value));
        }
        state.registry.push_back(std::move(keyState));
    }

    // A file from before the machine had a power source gets the seeded one.
    if (const auto power = root.OptionalField("power")) {
        power->OnlyFields({"source", "battery", "modern_standby", "mode"});
        const Reader source = power->Field("source");
        const auto named = SourceFromWord(source.Text());
        if (!named) {
            source.Fail("expected \"ac\", \"dc\", \"ups\" or \"unknown\"");
        }
        state.power.source = *named;
        state.power.batteryPresent = power->Field("battery").Bool();
        state.power.modernStandby = power->Field("modern_standby").Bool();
        state.power.acMode = power->Field("mode").Field("ac").Id();
        state.power.dcMode = power->Field("mode").Field("dc").Id();
    }
    if (const auto resumes = root.OptionalField("resumes")) {
        state.resumes = resumes->Uint32();
    }
    if (const auto attributes = root.OptionalField("attributes")) {
        for (std::size_t i = 0; i < attributes->Array().size(); ++i) {
            const Reader entry = attributes->Element(i);
            entry.OnlyFields({"subgroup", "setting", "attributes"});
            state.attributes.push_back({entry.Field("subgroup").Id(), entry.Field("setting").Id(),
                                        entry.Field("attributes").Uint32()});
        }
    }
    return state;
}

}  // namespace calvoro_cli
