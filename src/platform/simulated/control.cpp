// The simulated machine's public control functions.
#include <calvoro/simulation.h>

#include <algorithm>
#include <stdexcept>

#include "catalogue.h"
#include "machine.h"
#include "platform/conversions.h"

namespace Calvoro::Simulation {
namespace {

using simulated::State;

TimeoutSeconds Plan::*SecondsOf(Timeout timeout) {
    switch (timeout) {
    case Timeout::Sleep:
        return &Plan::sleep;
    case Timeout::Hibernate:
        return &Plan::hibernate;
    case Timeout::Display:
        break;
    }
    return &Plan::display;
}

void SetFault(Operation operation, simulated::Fault fault) {
    simulated::TheMachine().Locked([&](State& state) {
        state.faults.at(static_cast<std::size_t>(operation)) = std::move(fault);
    });
}

}  // namespace

namespace {

void ResetTo(bool modernStandby) {
    simulated::TheMachine().Locked([&](State& state) {
        // Blocks still handed out stay counted: they are the caller's to release. The count
        // of resumes stays too: going back to the seeded machine is no wake from sleep.
        const AllocationCounts allocations = state.allocations;
        const std::uint32_t resumes = state.resumes;
        state = simulated::SeededState(modernStandby);
        state.allocations = allocations;
        state.resumes = resumes;
    });
}

}  // namespace

void Reset() { ResetTo(false); }

void ResetModernStandby() { ResetTo(true); }

std::vector<Plan> Templates() {
    std::vector<Plan> templates;
    for (const Plan& plan : simulated::TemplatePlans()) {
        templates.push_back(simulated::WithoutDefaults(plan));
    }
    return templates;
}

std::vector<Plan> Plans() {
    return simulated::TheMachine().Locked([](const State& state) {
        std::vector<Plan> plans;
        plans.reserve(state.plans.size());
        for (const Plan& plan : state.plans) {
            plans.push_back(simulated::WithoutDefaults(plan));
        }
        return plans;
    });
}

bool AddPlan(const Plan& plan) {
    Plan completed = plan;
    simulated::CompleteSettings(completed);
    return simulated::TheMachine().Locked([&](State& state) {
        if (simulated::FindPlan(state, plan.id) != nullptr) {
            return false;
        }
        state.plans.push_back(std::move(completed));
        return true;
    });
}

bool RemovePlan(const Guid& id) {
    return simulated::TheMachine().Locked([&](State& state) {
        const Plan* found = simulated::FindPlan(state, id);
        if (found == nullptr) {
            return false;
        }
        if (state.activePlan == id) {
            state.activePlan.reset();
        }
        state.plans.erase(state.plans.begin() + (found - state.plans.data()));
        return true;
    });
}

std::optional<std::uint32_t> ReadSeconds(const Guid& plan, Timeout timeout, bool onAC) {
    return simulated::TheMachine().Locked([&](State& state) -> std::optional<std::uint32_t> {
        const Plan* stored = simulated::FindPlan(state, plan);
        if (stored == nullptr) {
            return std::nullopt;
        }
        const TimeoutSeconds& seconds = stored->*SecondsOf(timeout);
        return onAC ? seconds.ac : seconds.dc;
    });
}

bool WriteSeconds(const Guid& plan, Timeout timeout, bool onAC, std::uint32_t seconds) {
    return simulated::TheMachine().Locked([&](State& state) {
        Plan* stored = simulated::FindPlan(state, plan);
        if (stored == nullptr) {
            return false;
        }
        TimeoutSeconds& stored_seconds = stored->*SecondsOf(timeout);
        (onAC ? stored_seconds.ac : stored_seconds.dc) = seconds;
        return true;
    });
}

void InjectStatus(Operation operation, std::uint32_t status, Repeat repeat,
                  std::uint32_t callsToSkip) {
    SetFault(operation, simulated::Fault{false, status, {}, repeat, callsToSkip});
}

void InjectException(Operation operation, const std::string& message, Repeat repeat,
                     std::uint32_t callsToSkip) {
    SetFault(operation, simulated::Fault{true, 0, message, repeat, callsToSkip});
}

void ClearFaults() {
    simulated::TheMachine().Locked([](State& state) { state.faults = {}; });
}

std::vector<InjectedStatus> InjectedStatuses() {
    return simulated::TheMachine().Locked([](const State& state) {
        std::vector<InjectedStatus> statuses;
        for (std::size_t index = 0; index < state.faults.size(); ++index) {
            const auto& fault = state.faults[index];
            if (fault && !fault->raises) {
                statuses.push_back({static_cast<Operation>(index), fault->status, fault->repeat,
                                    fault->callsToSkip});
            }
        }
        return statuses;
    });
}

AllocationCounts Allocations() {
    return simulated::TheMachine().Locked([](const State& state) { return state.allocations; });
}

void SetRegistryValue(std::u16string_view keyPath, std::u16string_view valueName,
                      const RegistryValue& value) {
    simulated::TheMachine().Locked([&](State& state) {
        auto& values = state.registry[std::u16string(keyPath)].values;
        values.insert_or_assign(std::u16string(valueName), value);
    });
}

std::optional<RegistryValue> GetRegistryValue(std::u16string_view keyPath,
                                              std::u16string_view valueName) {
    return simulated::TheMachine().Locked([&](State& state) -> std::optional<RegistryValue> {
        const auto key = state.registry.find(keyPath);
        if (key == state.registry.end()) {
            return std::nullopt;
        }
        const auto value = key->second.values.find(valueName);
        if (value == key->second.values.end()) {
            return std::nullopt;
        }
        return value->second;
    });
}

bool DeleteRegistryValue(std::u16string_view keyPath, std::u16string_view valueName) {
    return simulated::TheMachine().Locked([&](State& state) {
        const auto key = state.registry.find(keyPath);
        if (key == state.registry.end()) {
            return false;
        }
        const auto value = key->second.values.find(valueName);
        if (value == key->second.values.end()) {
            return false;
        }
        key->second.values.erase(value);
        return true;
    });
}

bool DeleteRegistryKey(std::u16string_view keyPath) {
    return simulated::TheMachine().Locked([&](State& state) {
        const auto key = state.registry.find(keyPath);
        if (key == state.registry.end()) {
            return false;
        }
        state.registry.erase(key);
        return true;
    });
}

void RefuseKeyAccess(std::u16string_view keyPath) {
    simulated::TheMachine().Locked(
        [&](State& state) { state.registry[std::u16string(keyPath)].refuseOpen = true; });
}

void RefuseValueAccess(std::u16string_view keyPath, std::u16string_view valueName) {
    simulated::TheMachine().Locked([&](State& state) {
        state.registry[std::u16string(keyPath)].refusedValues.emplace(valueName);
    });
}

std::vector<RefusedAccess> RefusedAccesses() {
    return simulated::TheMachine().Locked([](const State& state) {
        std::vector<RefusedAccess> refused;
        for (const auto& [path, key] : state.registry) {
            if (key.refuseOpen) {
                refused.push_back({path, std::nullopt});
            }
            for (const std::u16string& value : key.refusedValues) {
                refused.push_back({path, value});
            }
        }
        return refused;
    });
}

PowerState Power() {
    return simulated::TheMachine().Locked([](const State& state) { return state.power; });
}

void SetPower(const PowerState& power) {
    simulated::TheMachine().Locked([&](State& state) { state.power = power; });
}

void Resume() {
    simulated::TheMachine().Locked([](State& state) { ++state.resumes; });
}

MachineState Snapshot() {
    return simulated::TheMachine().Locked([](const State& state) {
        MachineState snapshot;
        for (const Plan& plan : state.plans) {
            snapshot.plans.push_back(simulated::WithoutDefaults(plan));
        }
        snapshot.activePlan = state.activePlan;
        snapshot.power = state.power;
        snapshot.resumes = state.resumes;
        snapshot.attributes = state.attributes;
        for (const auto& [path, key] : state.registry) {
            RegistryKeyState keyState{path, {}};
            keyState.values.assign(key.values.begin(), key.values.end());
            snapshot.registry.push_back(std::move(keyState));
        }
        return snapshot;
    });
}

void Restore(const MachineState& restored) {
    // Build the new contents first, so that a refused state changes nothing.
    std::vector<Plan> plans;
    for (const Plan& plan : restored.plans) {
        const bool duplicate = std::any_of(plans.begin(), plans.end(),
                                           [&](const Plan& other) { return other.id == plan.id; });
        if (duplicate) {
            throw std::invalid_argument("two plans have the identifier " + plan.id.ToString());
        }
        plans.push_back(plan);
        simulated::CompleteSettings(plans.back());
    }
    if (restored.activePlan && std::none_of(plans.begin(), plans.end(), [&](const Plan& plan) {
            return plan.id == *restored.activePlan;
        })) {
        throw std::invalid_argument("the active plan " + restored.activePlan->ToString() +
                                    " is not among the plans");
    }
    decltype(State::registry) registry;
    for (const RegistryKeyState& key : restored.registry) {
        const auto [slot, added] = registry.try_emplace(key.path);
        if (!added) {
            throw std::invalid_argument("a registry key appears twice");
        }
        for (const auto& [name, value] : key.values) {
            if (!slot->second.values.emplace(name, value).second) {
                throw std::invalid_argument("a registry value appears twice in one key");
            }
        }
    }
    for (std::size_t i = 0; i < restored.attributes.size(); ++i) {
        const SettingAttributes& entry = restored.attributes[i];
        const GUID subgroup = detail::ToPlatformRecord(entry.subgroup);
        const GUID setting = detail::ToPlatformRecord(entry.setting);
        if (simulated::FindCatalogueSetting(&subgroup, &setting) == nullptr) {
            throw std::invalid_argument("attributes for a setting " + entry.setting.ToString() +
                                        " that is not one of Windows' settings");
        }
        if (std::any_of(restored.attributes.begin(),
                        restored.attributes.begin() + static_cast<std::ptrdiff_t>(i),
                        [&](const SettingAttributes& other) {
                            return other.subgroup == entry.subgroup &&
                                   other.setting == entry.setting;
                        })) {
            throw std::invalid_argument("the attributes of " + entry.setting.ToString() +
                                        " appear twice");
        }
    }
    simulated::TheMachine().Locked([&](State& state) {
        state.attributes = restored.attributes;
        state.plans = std::move(plans);
        state.activePlan = restored.activePlan;
        state.registry = std::move(registry);
        state.power = restored.power;
        state.resumes = restored.resumes;
    });
}

RegistryKeyCounts RegistryKeys() {
    return simulated::TheMachine().Locked([](const State& state) { return state.registryKeys; });
}

}  // namespace Calvoro::Simulation
