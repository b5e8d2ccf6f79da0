// The simulated platform's controls for C: each function checks its arguments and calls the
// matching function of <calvoro/simulation.h>.
#include <calvoro/simulation.h>
#include <calvoro/simulation_c.h>

#include "translate.h"

#include <cstring>
#include <string>

namespace Sim = Calvoro::Simulation;
using namespace Calvoro::c_api;

// The opaque state of calvoro_sim_Snapshot.
struct calvoro_sim_state {
    Sim::MachineState state;
};

namespace {

// Range checks of the C enumerations; the values follow the C++ enumerations' order.
bool IsOperation(int32_t operation) {
    return operation >= CALVORO_SIM_POWER_ENUMERATE && operation <= CALVORO_SIM_LOCAL_ALLOC;
}
bool IsTimeout(int32_t timeout) {
    return timeout >= CALVORO_SIM_SLEEP && timeout <= CALVORO_SIM_DISPLAY;
}
bool IsRepeat(int32_t repeat) { return repeat == CALVORO_SIM_ONCE || repeat == CALVORO_SIM_ALWAYS; }

calvoro_status OutOfRange(const char* function, const char* what) noexcept {
    return Fail(CALVORO_E_INVALID_ARGUMENT, function, what);
}

Sim::TimeoutSeconds FromC(const calvoro_sim_seconds& seconds) { return {seconds.ac, seconds.dc}; }
calvoro_sim_seconds ToC(const Sim::TimeoutSeconds& seconds) { return {seconds.ac, seconds.dc}; }

// Sets one registry value: the key path and name come as code units with their lengths.
calvoro_status SetValue(const uint16_t* keyPath, uint32_t keyPathLength,
                        const uint16_t* valueName, uint32_t valueNameLength,
                        const Sim::RegistryValue& value) {
    Sim::SetRegistryValue(TextFromC(keyPath, keyPathLength),
                          TextFromC(valueName, valueNameLength), value);
    return CALVORO_OK;
}

}  // namespace

extern "C" {

calvoro_status calvoro_sim_Reset(void) {
    return Guarded([] {
        Sim::Reset();
        return CALVORO_OK;
    });
}

calvoro_status calvoro_sim_PlanCount(uint32_t* count) {
    if (count == nullptr) {
        return NullPointer(__func__);
    }
    return Guarded([&] {
        *count = static_cast<uint32_t>(Sim::Plans().size());
        return CALVORO_OK;
    });
}

calvoro_status calvoro_sim_PlanAt(uint32_t index, calvoro_sim_plan* plan, uint16_t* name,
                                  uint32_t nameCapacity, uint32_t* nameLength,
                                  uint16_t* description, uint32_t descriptionCapacity,
                                  uint32_t* descriptionLength, int32_t* found) {
    const char* const function = __func__;
    if (!AllSet(plan, nameLength, descriptionLength, found)) {
        return NullPointer(function);
    }
    return Guarded([&] {
        const std::vector<Sim::Plan> plans = Sim::Plans();
        *found = index < plans.size() ? 1 : 0;
        if (*found == 0) {
            *nameLength = *descriptionLength = 0;
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

calvoro_status calvoro_sim_AddPlan(const calvoro_sim_plan* plan, const uint16_t* name,
                                   uint32_t nameLength, const uint16_t* description,
                                   uint32_t descriptionLength, int32_t* added) {
    if (!AllSet(plan, name, description, added)) {
        return NullPointer(__func__);
    }
    return Guarded([&] {
        const Sim::Plan stored{FromC(plan->id),          TextFromC(name, nameLength),
                               TextFromC(description, descriptionLength),
                               FromC(plan->sleep),       FromC(plan->hibernate),
                               FromC(plan->display)};
        *added = Sim::AddPlan(stored) ? 1 : 0;
        return CALVORO_OK;
    });
}

calvoro_status calvoro_sim_RemovePlan(const calvoro_guid* id, int32_t* removed) {
    if (!AllSet(id, removed)) {
        return NullPointer(__func__);
    }
    return Guarded([&] {
        *removed = Sim::RemovePlan(FromC(*id)) ? 1 : 0;
        return CALVORO_OK;
    });
}

calvoro_status calvoro_sim_GetActivePlan(calvoro_guid* plan, int32_t* found) {
    if (!AllSet(plan, found)) {
        return NullPointer(__func__);
    }
    return Guarded([&] {
        const std::optional<Calvoro::Guid> active = Sim::ActivePlan();
        *plan = ToC(active.value_or(Calvoro::NoPowerSchemeGuid));
        *found = active ? 1 : 0;
        return CALVORO_OK;
    });
}

calvoro_status calvoro_sim_SetActivePlan(const calvoro_guid* plan, int32_t* applied) {
    if (!AllSet(plan, applied)) {
        return NullPointer(__func__);
    }
    return Guarded([&] {
        *applied = Sim::SetActivePlan(FromC(*plan)) ? 1 : 0;
        return CALVORO_OK;
    });
}

calvoro_status calvoro_sim_ReadSeconds(const calvoro_guid* plan, int32_t timeout, int32_t onAC,
                                       uint32_t* seconds, int32_t* found) {
    if (!AllSet(plan, seconds, found)) {
        return NullPointer(__func__);
    }
    if (!IsTimeout(timeout)) {
        return OutOfRange(__func__, ": timeout is out of range");
    }
    return Guarded([&] {
        const auto stored =
            Sim::ReadSeconds(FromC(*plan), static_cast<Sim::Timeout>(timeout), onAC != 0);
        *found = stored ? 1 : 0;
        *seconds = stored.value_or(0);
        return CALVORO_OK;
    });
}

calvoro_status calvoro_sim_WriteSeconds(const calvoro_guid* plan, int32_t timeout, int32_t onAC,
                                        uint32_t seconds, int32_t* written) {
    if (!AllSet(plan, written)) {
        return NullPointer(__func__);
    }
    if (!IsTimeout(timeout)) {
        return OutOfRange(__func__, ": timeout is out of range");
    }
    return Guarded([&] {
        *written = Sim::WriteSeconds(FromC(*plan), static_cast<Sim::Timeout>(timeout), onAC != 0,
                                     seconds)
                       ? 1
                       : 0;
        return CALVORO_OK;
    });
}

calvoro_status calvoro_sim_InjectStatus(int32_t operation, uint32_t status, int32_t repeat,
                                        uint32_t callsToSkip) {
    if (!IsOperation(operation) || !IsRepeat(repeat)) {
        return OutOfRange(__func__, IsOperation(operation) ? ": repeat is out of range" : ": operation is out of range");
    }
    return Guarded([&] {
        Sim::InjectStatus(static_cast<Sim::Operation>(operation), status,
                          static_cast<Sim::Repeat>(repeat), callsToSkip);
        return CALVORO_OK;
    });
}

calvoro_status calvoro_sim_InjectException(int32_t operation, const char* message,
                                           int32_t repeat, uint32_t callsToSkip) {
    if (message == nullptr) {
        return NullPointer(__func__);
    }
    if (!IsOperation(operation) || !IsRepeat(repeat)) {
        return OutOfRange(__func__, IsOperation(operation) ? ": repeat is out of range" : ": operation is out of range");
    }
    return Guarded([&] {
        Sim::InjectException(static_cast<Sim::Operation>(operation), message,
                             static_cast<Sim::Repeat>(repeat), callsToSkip);
        return CALVORO_OK;
    });
}

calvoro_status calvoro_sim_ClearFaults(void) {
    return Guarded([] {
        Sim::ClearFaults();
        return CALVORO_OK;
    });
}

calvoro_status calvoro_sim_Allocations(uint64_t* made, uint64_t* live) {
    if (!AllSet(made, live)) {
        return NullPointer(__func__);
    }
    return Guarded([&] {
        const Sim::AllocationCounts counts = Sim::Allocations();
        *made = counts.made;
        *live = counts.live;
        return CALVORO_OK;
    });
}

calvoro_status calvoro_sim_RegistryKeys(uint64_t* opened, uint64_t* open) {
    if (!AllSet(opened, open)) {
        return NullPointer(__func__);
    }
    return Guarded([&] {
        const Sim::RegistryKeyCounts counts = Sim::RegistryKeys();
        *opened = counts.opened;
        *open = counts.open;
        return CALVORO_OK;
    });
}

calvoro_status calvoro_sim_SetRegistryString(const uint16_t* keyPath, uint32_t keyPathLength,
                                             const uint16_t* valueName, uint32_t valueNameLength,
                                             const uint16_t* text, uint32_t textLength) {
    if (!AllSet(keyPath, valueName, text)) {
        return NullPointer(__func__);
    }
    return Guarded([&] {
        return SetValue(keyPath, keyPathLength, valueName, valueNameLength,
                        Sim::RegistryValue::String(TextFromC(text, textLength)));
    });
}

calvoro_status calvoro_sim_SetRegistryNumber(const uint16_t* keyPath, uint32_t keyPathLength,
                                             const uint16_t* valueName, uint32_t valueNameLength,
                                             uint32_t number) {
    if (!AllSet(keyPath, valueName)) {
        return NullPointer(__func__);
    }
    return Guarded([&] {
        return SetValue(keyPath, keyPathLength, valueName, valueNameLength,
                        Sim::RegistryValue::Number(number));
    });
}

calvoro_status calvoro_sim_SetRegistryBinary(const uint16_t* keyPath, uint32_t keyPathLength,
                                             const uint16_t* valueName, uint32_t valueNameLength,
                                             const uint8_t* bytes, uint32_t byteCount) {
    if (!AllSet(keyPath, valueName, bytes)) {
        return NullPointer(__func__);
    }
    return Guarded([&] {
        return SetValue(keyPath, keyPathLength, valueName, valueNameLength,
                        Sim::RegistryValue::Binary({bytes, bytes + byteCount}));
    });
}

calvoro_status calvoro_sim_GetRegistryValue(const uint16_t* keyPath, uint32_t keyPathLength,
                                            const uint16_t* valueName, uint32_t valueNameLength,
                                            calvoro_sim_registry_value* value, uint16_t* text,
                                            uint32_t textCapacity, uint8_t* bytes,
                                            uint32_t bytesCapacity) {
    const char* const function = __func__;
    if (!AllSet(keyPath, valueName, value)) {
        return NullPointer(function);
    }
    return Guarded([&] {
        *value = {};
        const auto stored = Sim::GetRegistryValue(TextFromC(keyPath, keyPathLength),
                                                  TextFromC(valueName, valueNameLength));
        if (!stored) {
            return CALVORO_OK;
        }
        value->found = 1;
        value->kind = static_cast<int32_t>(stored->kind);
        value->number = stored->number;
        value->byteCount = static_cast<uint32_t>(stored->bytes.size());
        if (stored->kind == Sim::RegistryValue::Kind::String) {
            return TextToC(stored->text, text, textCapacity, &value->textLength, function);
        }
        if (stored->kind == Sim::RegistryValue::Kind::Binary && bytes == nullptr) {
            return bytesCapacity == 0 ? CALVORO_OK : NullPointer(function);
        }
        if (stored->kind == Sim::RegistryValue::Kind::Binary) {
            if (bytesCapacity < value->byteCount) {
                return Fail(CALVORO_E_BUFFER_TOO_SMALL, function,
                            ": the buffer holds " + std::to_string(bytesCapacity) +
                                " bytes; the value has " + std::to_string(value->byteCount));
            }
            if (!stored->bytes.empty()) {
                std::memcpy(bytes, stored->bytes.data(), stored->bytes.size());
            }
        }
        return CALVORO_OK;
    });
}

calvoro_status calvoro_sim_DeleteRegistryValue(const uint16_t* keyPath, uint32_t keyPathLength,
                                               const uint16_t* valueName,
                                               uint32_t valueNameLength, int32_t* deleted) {
    if (!AllSet(keyPath, valueName, deleted)) {
        return NullPointer(__func__);
    }
    return Guarded([&] {
        *deleted = Sim::DeleteRegistryValue(TextFromC(keyPath, keyPathLength),
                                            TextFromC(valueName, valueNameLength))
                       ? 1
                       : 0;
        return CALVORO_OK;
    });
}

calvoro_status calvoro_sim_DeleteRegistryKey(const uint16_t* keyPath, uint32_t keyPathLength,
                                             int32_t* deleted) {
    if (!AllSet(keyPath, deleted)) {
        return NullPointer(__func__);
    }
    return Guarded([&] {
        *deleted = Sim::DeleteRegistryKey(TextFromC(keyPath, keyPathLength)) ? 1 : 0;
        return CALVORO_OK;
    });
}

calvoro_status calvoro_sim_RefuseKeyAccess(const uint16_t* keyPath, uint32_t keyPathLength) {
    if (keyPath == nullptr) {
        return NullPointer(__func__);
    }
    return Guarded([&] {
        Sim::RefuseKeyAccess(TextFromC(keyPath, keyPathLength));
        return CALVORO_OK;
    });
}

calvoro_status calvoro_sim_RefuseValueAccess(const uint16_t* keyPath, uint32_t keyPathLength,
                                             const uint16_t* valueName,
                                             uint32_t valueNameLength) {
    if (!AllSet(keyPath, valueName)) {
        return NullPointer(__func__);
    }
    return Guarded([&] {
        Sim::RefuseValueAccess(TextFromC(keyPath, keyPathLength),
                               TextFromC(valueName, valueNameLength));
        return CALVORO_OK;
    });
}

calvoro_status calvoro_sim_Snapshot(calvoro_sim_state** state) {
    if (state == nullptr) {
        return NullPointer(__func__);
    }
    *state = nullptr;
    return Guarded([&] {
        *state = new calvoro_sim_state{Sim::Snapshot()};
        return CALVORO_OK;
    });
}

calvoro_status calvoro_sim_Restore(const calvoro_sim_state* state) {
    if (state == nullptr) {
        return NullPointer(__func__);
    }
    return Guarded([&] {
        Sim::Restore(state->state);
        return CALVORO_OK;
    });
}

void calvoro_sim_FreeState(calvoro_sim_state* state) { delete state; }

}  // extern "C"
