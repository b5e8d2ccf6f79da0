// The simulated platform's controls for C: each function checks its arguments and calls the
// matching function of <calvoro/simulation.h>.
#include <calvoro/simulation.h>
#include <calvoro/simulation_c.h>

#include "translate.h"

namespace Sim = Calvoro::Simulation;
using namespace Calvoro::c_api;

// The opaque state of calvoro_sim_Snapshot.
struct calvoro_sim_state {
    Sim::MachineState state;
};

namespace {

// The C enumerations are the C++ ones' values.
static_assert(CountUpTo(
    {CALVORO_SIM_POWER_ENUMERATE, CALVORO_SIM_POWER_READ_FRIENDLY_NAME,
     CALVORO_SIM_POWER_WRITE_FRIENDLY_NAME, CALVORO_SIM_POWER_WRITE_DESCRIPTION,
     CALVORO_SIM_POWER_READ_AC_VALUE_INDEX, CALVORO_SIM_POWER_READ_DC_VALUE_INDEX,
     CALVORO_SIM_POWER_WRITE_AC_VALUE_INDEX, CALVORO_SIM_POWER_WRITE_DC_VALUE_INDEX,
     CALVORO_SIM_LOCAL_ALLOC, CALVORO_SIM_POWER_GET_ACTIVE_SCHEME,
     CALVORO_SIM_POWER_SET_ACTIVE_SCHEME, CALVORO_SIM_POWER_READ_DESCRIPTION,
     CALVORO_SIM_CALL_NT_POWER_INFORMATION, CALVORO_SIM_POWER_GET_USER_CONFIGURED_POWER_MODE,
     CALVORO_SIM_POWER_SET_USER_CONFIGURED_POWER_MODE, CALVORO_SIM_POWER_SETTING_ACCESS_CHECK_EX,
     CALVORO_SIM_POWER_DUPLICATE_SCHEME, CALVORO_SIM_POWER_DELETE_SCHEME,
     CALVORO_SIM_POWER_RESTORE_DEFAULT_POWER_SCHEMES},
    Sim::Operation::PowerRestoreDefaultPowerSchemes));
static_assert(CountUpTo({CALVORO_SIM_SLEEP, CALVORO_SIM_HIBERNATE, CALVORO_SIM_DISPLAY},
                        Sim::Timeout::Display));
static_assert(CountUpTo({CALVORO_SIM_ONCE, CALVORO_SIM_ALWAYS}, Sim::Repeat::Always));
static_assert(CountUpTo({CALVORO_SIM_REG_STRING, CALVORO_SIM_REG_NUMBER, CALVORO_SIM_REG_BINARY},
                        Sim::RegistryValue::Kind::Binary));

// The C enumerations' values as the C++ enumerations, or ArgumentOutOfRange naming the
// argument.
template <typename Enumeration>
Enumeration InRange(int32_t value, int32_t last, const char* function, const char* argument) {
    if (value < 0 || value > last) {
        throw ArgumentOutOfRange(std::string(function) + ": " + argument + " is out of range");
    }
    return static_cast<Enumeration>(value);
}
Sim::Operation OperationArgument(int32_t operation, const char* function) {
    return InRange<Sim::Operation>(operation, CALVORO_SIM_POWER_RESTORE_DEFAULT_POWER_SCHEMES,
                                   function, "operation");
}
Sim::Repeat RepeatArgument(int32_t repeat, const char* function) {
    return InRange<Sim::Repeat>(repeat, CALVORO_SIM_ALWAYS, function, "repeat");
}
Sim::Timeout TimeoutArgument(int32_t timeout, const char* function) {
    return InRange<Sim::Timeout>(timeout, CALVORO_SIM_DISPLAY, function, "timeout");
}

Sim::TimeoutSeconds FromC(const calvoro_sim_seconds& seconds) { return {seconds.ac, seconds.dc}; }
calvoro_sim_seconds ToC(const Sim::TimeoutSeconds& seconds) { return {seconds.ac, seconds.dc}; }

// Sets one registry value under the caller's key path and value name; `data` stands for the
// value's own input, which `make` turns into the value.
template <typename Make>
calvoro_status SetValue(const char* function, const uint16_t* keyPath, uint32_t keyPathLength,
                        const uint16_t* valueName, uint32_t valueNameLength, const void* data,
                        Make&& make) noexcept {
    return Call(function, {Input(keyPath, keyPathLength), Input(valueName, valueNameLength), data},
                [&] {
                    Sim::SetRegistryValue(TextFromC(keyPath, keyPathLength),
                                          TextFromC(valueName, valueNameLength), make());
                });
}

// A string or binary value: the caller's array of `count` units, and the value it makes.
Sim::RegistryValue StringValue(const uint16_t* units, uint32_t count) {
    return Sim::RegistryValue::String(TextFromC(units, count));
}
Sim::RegistryValue BinaryValue(const uint8_t* bytes, uint32_t count) {
    return Sim::RegistryValue::Binary(BytesFromC(bytes, count));
}
template <typename Unit>
calvoro_status SetArrayValue(const char* function, const uint16_t* keyPath, uint32_t keyPathLength,
                             const uint16_t* valueName, uint32_t valueNameLength, const Unit* data,
                             uint32_t count,
                             Sim::RegistryValue (*make)(const Unit*, uint32_t)) noexcept {
    return SetValue(function, keyPath, keyPathLength, valueName, valueNameLength,
                    Input(data, count), [&] { return make(data, count); });
}

}  // namespace

extern "C" {

calvoro_status calvoro_sim_Reset(void) {
    return Call(__func__, {}, [] { Sim::Reset(); });
}

calvoro_status calvoro_sim_AddPlan(const calvoro_sim_plan* plan, const uint16_t* name,
                                   uint32_t nameLength, const uint16_t* description,
                                   uint32_t descriptionLength, int32_t* added) {
    return Call(__func__,
                {plan, Input(name, nameLength), Input(description, descriptionLength), added}, [&] {
                    *added = Sim::AddPlan({FromC(plan->id),
                                           TextFromC(name, nameLength),
                                           TextFromC(description, descriptionLength),
                                           FromC(plan->sleep),
                                           FromC(plan->hibernate),
                                           FromC(plan->display),
                                           {}});
                });
}

calvoro_status calvoro_sim_RemovePlan(const calvoro_guid* plan, int32_t* removed) {
    return Call(__func__, {plan, removed}, [&] { *removed = Sim::RemovePlan(FromC(*plan)); });
}

calvoro_status calvoro_sim_ReadSeconds(const calvoro_guid* plan, int32_t timeout, int32_t onAC,
                                       uint32_t* seconds, int32_t* found) {
    const char* const function = __func__;
    return Call(function, {plan, seconds, found}, [&] {
        const auto stored =
            Sim::ReadSeconds(FromC(*plan), TimeoutArgument(timeout, function), onAC != 0);
        *found = stored.has_value();
        *seconds = stored.value_or(0);
    });
}

calvoro_status calvoro_sim_WriteSeconds(const calvoro_guid* plan, int32_t timeout, int32_t onAC,
                                        uint32_t seconds, int32_t* written) {
    const char* const function = __func__;
    return Call(function, {plan, written}, [&] {
        *written =
            Sim::WriteSeconds(FromC(*plan), TimeoutArgument(timeout, function), onAC != 0, seconds);
    });
}

calvoro_status calvoro_sim_GetPower(calvoro_sim_power* power) {
    return Call(__func__, {power}, [&] {
        const Sim::PowerState state = Sim::Power();
        *power = {static_cast<int32_t>(state.source), state.batteryPresent ? 1 : 0,
                  state.modernStandby ? 1 : 0, ToC(state.acMode), ToC(state.dcMode)};
    });
}

calvoro_status calvoro_sim_SetPower(const calvoro_sim_power* power) {
    const char* const function = __func__;
    return Call(function, {power}, [&] {
        Sim::SetPower({InRange<Calvoro::PowerSource>(power->source, CALVORO_SOURCE_UNKNOWN,
                                                     function, "source"),
                       power->batteryPresent != 0, power->modernStandby != 0, FromC(power->acMode),
                       FromC(power->dcMode)});
    });
}

calvoro_status calvoro_sim_Resume(void) {
    return Call(__func__, {}, [] { Sim::Resume(); });
}

calvoro_status calvoro_sim_InjectStatus(int32_t operation, uint32_t status, int32_t repeat,
                                        uint32_t callsToSkip) {
    const char* const function = __func__;
    return Call(function, {}, [&] {
        const Sim::Operation chosen = OperationArgument(operation, function);
        Sim::InjectStatus(chosen, status, RepeatArgument(repeat, function), callsToSkip);
    });
}

calvoro_status calvoro_sim_InjectException(int32_t operation, const char* message, int32_t repeat,
                                           uint32_t callsToSkip) {
    const char* const function = __func__;
    return Call(function, {message}, [&] {
        const Sim::Operation chosen = OperationArgument(operation, function);
        Sim::InjectException(chosen, message, RepeatArgument(repeat, function), callsToSkip);
    });
}

calvoro_status calvoro_sim_ClearFaults(void) {
    return Call(__func__, {}, [] { Sim::ClearFaults(); });
}

calvoro_status calvoro_sim_Allocations(uint64_t* made, uint64_t* live) {
    return Call(__func__, {made, live}, [&] {
        const Sim::AllocationCounts counts = Sim::Allocations();
        *made = counts.made;
        *live = counts.live;
    });
}

calvoro_status calvoro_sim_RegistryKeys(uint64_t* opened, uint64_t* open) {
    return Call(__func__, {opened, open}, [&] {
        const Sim::RegistryKeyCounts counts = Sim::RegistryKeys();
        *opened = counts.opened;
        *open = counts.open;
    });
}

calvoro_status calvoro_sim_SetRegistryString(const uint16_t* keyPath, uint32_t keyPathLength,
                                             const uint16_t* valueName, uint32_t valueNameLength,
                                             const uint16_t* text, uint32_t textLength) {
    return SetArrayValue(__func__, keyPath, keyPathLength, valueName, valueNameLength, text,
                         textLength, StringValue);
}

calvoro_status calvoro_sim_SetRegistryNumber(const uint16_t* keyPath, uint32_t keyPathLength,
                                             const uint16_t* valueName, uint32_t valueNameLength,
                                             uint32_t number) {
    return SetValue(__func__, keyPath, keyPathLength, valueName, valueNameLength, &number,
                    [&] { return Sim::RegistryValue::Number(number); });
}

calvoro_status calvoro_sim_GetRegistryValue(const uint16_t* keyPath, uint32_t keyPathLength,
                                            const uint16_t* valueName, uint32_t valueNameLength,
                                            calvoro_sim_registry_value* value, uint16_t* text,
                                            uint32_t textCapacity, uint8_t* bytes,
                                            uint32_t byteCapacity) {
    const char* const function = __func__;
    return Call(
        function, {Input(keyPath, keyPathLength), Input(valueName, valueNameLength), value}, [&] {
            *value = {};
            const auto stored = Sim::GetRegistryValue(TextFromC(keyPath, keyPathLength),
                                                      TextFromC(valueName, valueNameLength));
            if (!stored) {
                return CALVORO_OK;
            }
            value->found = 1;
            value->kind = static_cast<int32_t>(stored->kind);
            value->number = stored->number;
            switch (stored->kind) {
            case Sim::RegistryValue::Kind::String:
                return TextToC(stored->text, text, textCapacity, &value->textLength, function);
            case Sim::RegistryValue::Kind::Binary:
                return CopyOut(stored->bytes.data(), stored->bytes.size(), false, bytes,
                               byteCapacity, &value->byteCount, function);
            default:
                return CALVORO_OK;
            }
        });
}

calvoro_status calvoro_sim_DeleteRegistryValue(const uint16_t* keyPath, uint32_t keyPathLength,
                                               const uint16_t* valueName, uint32_t valueNameLength,
                                               int32_t* deleted) {
    return Call(__func__,
                {Input(keyPath, keyPathLength), Input(valueName, valueNameLength), deleted}, [&] {
                    *deleted = Sim::DeleteRegistryValue(TextFromC(keyPath, keyPathLength),
                                                        TextFromC(valueName, valueNameLength));
                });
}

calvoro_status calvoro_sim_DeleteRegistryKey(const uint16_t* keyPath, uint32_t keyPathLength,
                                             int32_t* deleted) {
    return Call(__func__, {Input(keyPath, keyPathLength), deleted},
                [&] { *deleted = Sim::DeleteRegistryKey(TextFromC(keyPath, keyPathLength)); });
}

calvoro_status calvoro_sim_RefuseKeyAccess(const uint16_t* keyPath, uint32_t keyPathLength) {
    return Call(__func__, {Input(keyPath, keyPathLength)},
                [&] { Sim::RefuseKeyAccess(TextFromC(keyPath, keyPathLength)); });
}

calvoro_status calvoro_sim_RefuseValueAccess(const uint16_t* keyPath, uint32_t keyPathLength,
                                             const uint16_t* valueName, uint32_t valueNameLength) {
    return Call(__func__, {Input(keyPath, keyPathLength), Input(valueName, valueNameLength)}, [&] {
        Sim::RefuseValueAccess(TextFromC(keyPath, keyPathLength),
                               TextFromC(valueName, valueNameLength));
    });
}

calvoro_status calvoro_sim_SetRegistryBinary(const uint16_t* keyPath, uint32_t keyPathLength,
                                             const uint16_t* valueName, uint32_t valueNameLength,
                                             const uint8_t* bytes, uint32_t byteCount) {
    return SetArrayValue(__func__, keyPath, keyPathLength, valueName, valueNameLength, bytes,
                         byteCount, BinaryValue);
}

calvoro_status calvoro_sim_Snapshot(calvoro_sim_state** state) {
    return Call(__func__, {state}, [&] {
        *state = nullptr;
        *state = new calvoro_sim_state{Sim::Snapshot()};
    });
}

calvoro_status calvoro_sim_PlanCount(const calvoro_sim_state* state, uint32_t* count) {
    return Call(__func__, {state, count},
                [&] { *count = static_cast<uint32_t>(state->state.plans.size()); });
}

calvoro_status calvoro_sim_PlanAt(const calvoro_sim_state* state, uint32_t index,
                                  calvoro_sim_plan* plan, uint16_t* name, uint32_t nameCapacity,
                                  uint32_t* nameLength, uint16_t* description,
                                  uint32_t descriptionCapacity, uint32_t* descriptionLength,
                                  int32_t* found) {
    const char* const function = __func__;
    return Call(function, {state, plan, nameLength, descriptionLength, found}, [&] {
        const std::vector<Sim::Plan>& plans = state->state.plans;
        *found = index < plans.size();
        *nameLength = *descriptionLength = 0;
        if (!*found) {
            return CALVORO_OK;
        }
        const Sim::Plan& stored = plans[index];
        *plan = {ToC(stored.id), ToC(stored.sleep), ToC(stored.hibernate), ToC(stored.display)};
        const calvoro_status nameStatus =
            TextToC(stored.name, name, nameCapacity, nameLength, function);
        const calvoro_status descriptionStatus = TextToC(
            stored.description, description, descriptionCapacity, descriptionLength, function);
        return nameStatus != CALVORO_OK ? nameStatus : descriptionStatus;
    });
}

calvoro_status calvoro_sim_Restore(const calvoro_sim_state* state) {
    return Call(__func__, {state}, [&] { Sim::Restore(state->state); });
}

void calvoro_sim_FreeState(calvoro_sim_state* state) { delete state; }

}  // extern "C"
