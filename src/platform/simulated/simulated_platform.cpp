// The boundary answered by the simulated machine, with the statuses Windows gives.
#include "machine.h"
#include "platform/registry_text.h"
#include "platform/conversions.h"
#include "platform/power_settings.h"

#include <cstdlib>
#include <cstring>
#include <optional>

namespace Calvoro::platform {
namespace {

using simulated::State;
using Simulation::Operation;
using Calvoro::PowerSource;

// Runs one platform operation: an injected fault answers first, then `work`.
template <typename Work>
Status Run(Operation operation, Work&& work) {
    return simulated::TheMachine().Locked([&](State& state) -> Status {
        if (const auto injected = simulated::FireFault(state, operation)) {
            return *injected;
        }
        return work(state);
    });
}

std::size_t TextBytes(const std::u16string& text) { return (text.size() + 1) * sizeof(char16_t); }

Status ReadText(const std::u16string& text, std::uint8_t* buffer, std::uint32_t* size) {
    const auto needed = static_cast<std::uint32_t>(TextBytes(text));
    const bool fits = buffer != nullptr && *size >= needed;
    *size = needed;
    if (buffer == nullptr) {
        return status::Success;
    }
    if (!fits) {
        return status::MoreData;
    }
    std::memcpy(buffer, text.c_str(), needed);
    return status::Success;
}

// A plan's name or description, as PowerReadFriendlyName and PowerReadDescription read it.
Status ReadPlanText(std::u16string simulated::Plan::*field, Operation operation,
                    const GUID* scheme, std::uint8_t* buffer, std::uint32_t* size) {
    return Run(operation, [&](State& state) {
        if (size == nullptr) {
            return status::InvalidParameter;
        }
        const simulated::Plan* plan = simulated::FindPlan(state, scheme);
        if (plan == nullptr) {
            return status::FileNotFound;
        }
        return ReadText(plan->*field, buffer, size);
    });
}

Status WriteText(std::u16string simulated::Plan::*field, Operation operation, const GUID* scheme,
                 const std::uint8_t* buffer, std::uint32_t size) {
    return Run(operation, [&](State& state) {
        if (buffer == nullptr) {
            return status::InvalidParameter;
        }
        simulated::Plan* plan = simulated::FindPlan(state, scheme);
        if (plan == nullptr) {
            return status::FileNotFound;
        }
        // Kept up to the first NUL, or whole when the caller sent none.
        plan->*field = detail::TextUpToNul(buffer, size);
        return status::Success;
    });
}

// Runs `apply` on the stored seconds that the plan, subgroup and setting name.
template <typename Apply>
Status WithTimeout(Operation operation, const GUID* scheme, const GUID* subgroup,
                   const GUID* setting, Apply&& apply) {
    return Run(operation, [&](State& state) {
        if (subgroup == nullptr || setting == nullptr) {
            return status::InvalidParameter;
        }
        simulated::Plan* plan = simulated::FindPlan(state, scheme);
        if (plan == nullptr) {
            return status::FileNotFound;
        }
        simulated::TimeoutSeconds* seconds = simulated::FindTimeout(*plan, subgroup, setting);
        if (seconds == nullptr) {
            return status::FileNotFound;
        }
        return apply(*seconds);
    });
}

Status ReadValue(std::uint32_t simulated::TimeoutSeconds::*side, Operation operation,
                 const GUID* scheme, const GUID* subgroup, const GUID* setting,
                 std::uint32_t* value) {
    return WithTimeout(operation, scheme, subgroup, setting, [&](const auto& seconds) {
        if (value == nullptr) {
            return status::InvalidParameter;
        }
        *value = seconds.*side;
        return status::Success;
    });
}

Status WriteValue(std::uint32_t simulated::TimeoutSeconds::*side, Operation operation,
                  const GUID* scheme, const GUID* subgroup, const GUID* setting,
                  std::uint32_t value) {
    return WithTimeout(operation, scheme, subgroup, setting, [&](auto& seconds) {
        seconds.*side = value;
        return status::Success;
    });
}

// NTSTATUS values that CallNtPowerInformation answers with, as unsigned statuses.
constexpr Status kStatusUnsuccessful = 0xC0000001;       // STATUS_UNSUCCESSFUL
constexpr Status kStatusInvalidParameter = 0xC000000D;   // STATUS_INVALID_PARAMETER

// The three modes that Windows 11 knows, and nothing else, are stored.
bool KnownMode(const Guid& mode) {
    return mode == FromGUID(kPowerModeBestPowerEfficiency) ||
           mode == FromGUID(kPowerModeBalanced) || mode == FromGUID(kPowerModeBestPerformance);
}

Status ReadMode(Guid Simulation::PowerState::*side, GUID* mode) {
    return Run(Operation::PowerGetUserConfiguredPowerMode, [&](const State& state) {
        if (mode == nullptr) {
            return status::InvalidParameter;
        }
        *mode = detail::ToPlatformRecord(state.power.*side);
        return status::Success;
    });
}

Status WriteMode(Guid Simulation::PowerState::*side, const GUID* mode) {
    return Run(Operation::PowerSetUserConfiguredPowerMode, [&](State& state) {
        if (mode == nullptr || !KnownMode(detail::FromPlatformRecord(*mode))) {
            return status::InvalidParameter;
        }
        state.power.*side = detail::FromPlatformRecord(*mode);
        return status::Success;
    });
}

}  // namespace

Status PowerEnumerate(RootKey, const GUID*, const GUID*, std::uint32_t AccessFlags,
                      std::uint32_t Index, std::uint8_t* Buffer, std::uint32_t* BufferSize) {
    return Run(Operation::PowerEnumerate, [&](State& state) {
        if (BufferSize == nullptr) {
            return status::InvalidParameter;
        }
        if (AccessFlags != kAccessScheme) {
            return status::InvalidParameter;  // only plans are simulated, not their settings
        }
        if (Index >= state.plans.size()) {
            return status::NoMoreItems;
        }
        // As Windows documents it: no buffer, or one too small, is ERROR_MORE_DATA with the
        // size needed written back.
        const bool fits = Buffer != nullptr && *BufferSize >= sizeof(GUID);
        *BufferSize = sizeof(GUID);
        if (!fits) {
            return status::MoreData;
        }
        const GUID record = detail::ToPlatformRecord(state.plans[Index].id);
        std::memcpy(Buffer, &record, sizeof record);
        return status::Success;
    });
}

Status PowerReadFriendlyName(RootKey, const GUID* SchemeGuid, const GUID*, const GUID*,
                             std::uint8_t* Buffer, std::uint32_t* BufferSize) {
    return ReadPlanText(&simulated::Plan::name, Operation::PowerReadFriendlyName, SchemeGuid,
                        Buffer, BufferSize);
}

Status PowerWriteFriendlyName(RootKey, const GUID* SchemeGuid, const GUID*, const GUID*,
                              const std::uint8_t* Buffer, std::uint32_t BufferSize) {
    return WriteText(&simulated::Plan::name, Operation::PowerWriteFriendlyName, SchemeGuid,
                     Buffer, BufferSize);
}

Status PowerWriteDescription(RootKey, const GUID* SchemeGuid, const GUID*, const GUID*,
                             const std::uint8_t* Buffer, std::uint32_t BufferSize) {
    return WriteText(&simulated::Plan::description, Operation::PowerWriteDescription,
                     SchemeGuid, Buffer, BufferSize);
}

Status PowerReadACValueIndex(RootKey, const GUID* SchemeGuid,
                             const GUID* SubGroupOfPowerSettingsGuid,
                             const GUID* PowerSettingGuid, std::uint32_t* AcValueIndex) {
    return ReadValue(&simulated::TimeoutSeconds::ac, Operation::PowerReadACValueIndex,
                     SchemeGuid, SubGroupOfPowerSettingsGuid, PowerSettingGuid, AcValueIndex);
}

Status PowerReadDCValueIndex(RootKey, const GUID* SchemeGuid,
                             const GUID* SubGroupOfPowerSettingsGuid,
                             const GUID* PowerSettingGuid, std::uint32_t* DcValueIndex) {
    return ReadValue(&simulated::TimeoutSeconds::dc, Operation::PowerReadDCValueIndex,
                     SchemeGuid, SubGroupOfPowerSettingsGuid, PowerSettingGuid, DcValueIndex);
}

Status PowerWriteACValueIndex(RootKey, const GUID* SchemeGuid,
                              const GUID* SubGroupOfPowerSettingsGuid,
                              const GUID* PowerSettingGuid, std::uint32_t AcValueIndex) {
    return WriteValue(&simulated::TimeoutSeconds::ac, Operation::PowerWriteACValueIndex,
                      SchemeGuid, SubGroupOfPowerSettingsGuid, PowerSettingGuid, AcValueIndex);
}

Status PowerWriteDCValueIndex(RootKey, const GUID* SchemeGuid,
                              const GUID* SubGroupOfPowerSettingsGuid,
                              const GUID* PowerSettingGuid, std::uint32_t DcValueIndex) {
    return WriteValue(&simulated::TimeoutSeconds::dc, Operation::PowerWriteDCValueIndex,
                      SchemeGuid, SubGroupOfPowerSettingsGuid, PowerSettingGuid, DcValueIndex);
}

Status PowerGetActiveScheme(RootKey, GUID** ActivePolicyGuid) {
    std::optional<Guid> active;
    const Status found = Run(Operation::PowerGetActiveScheme, [&](const State& state) {
        if (ActivePolicyGuid == nullptr) {
            return status::InvalidParameter;
        }
        active = state.activePlan;
        return active ? status::Success : status::FileNotFound;
    });
    if (found != status::Success) {
        return found;
    }
    // A block of the machine's own LocalAlloc, as Windows hands out one of its own; taken
    // once the lock is released, for LocalAlloc takes it too.
    void* block = LocalAlloc(kZeroFilledFixed, sizeof(GUID));
    if (block == nullptr) {
        return status::NotEnoughMemory;
    }
    const GUID record = detail::ToPlatformRecord(*active);
    std::memcpy(block, &record, sizeof record);
    *ActivePolicyGuid = static_cast<GUID*>(block);
    return status::Success;
}

Status PowerSetActiveScheme(RootKey, const GUID* SchemeGuid) {
    return Run(Operation::PowerSetActiveScheme, [&](State& state) {
        const simulated::Plan* plan = simulated::FindPlan(state, SchemeGuid);
        if (plan == nullptr) {
            return SchemeGuid == nullptr ? status::InvalidParameter : status::FileNotFound;
        }
        state.activePlan = plan->id;
        return status::Success;
    });
}

Status PowerReadDescription(RootKey, const GUID* SchemeGuid, const GUID*, const GUID*,
                            std::uint8_t* Buffer, std::uint32_t* BufferSize) {
    return ReadPlanText(&simulated::Plan::description, Operation::PowerReadDescription, SchemeGuid,
                        Buffer, BufferSize);
}

std::int32_t CallNtPowerInformation(SystemBatteryState* OutputBuffer) {
    return static_cast<std::int32_t>(
        Run(Operation::CallNtPowerInformation, [&](const State& state) {
            if (OutputBuffer == nullptr) {
                return kStatusInvalidParameter;
            }
            if (state.power.source == PowerSource::Unknown) {
                return kStatusUnsuccessful;
            }
            OutputBuffer->AcOnLine = state.power.source == PowerSource::AC;
            OutputBuffer->BatteryPresent = state.power.batteryPresent;
            return status::Success;
        }));
}

std::int32_t CallNtPowerInformation(SystemPowerCapabilities* OutputBuffer) {
    return static_cast<std::int32_t>(
        Run(Operation::CallNtPowerInformation, [&](const State& state) {
            if (OutputBuffer == nullptr) {
                return kStatusInvalidParameter;
            }
            const bool ups = state.power.source == PowerSource::ShortTerm;
            OutputBuffer->AoAc = state.power.modernStandby;
            OutputBuffer->SystemBatteriesPresent = state.power.batteryPresent || ups;
            OutputBuffer->BatteriesAreShortTerm = ups;
            return status::Success;
        }));
}

Status PowerGetUserConfiguredACPowerMode(GUID* PowerModeGuid) {
    return ReadMode(&Simulation::PowerState::acMode, PowerModeGuid);
}

Status PowerGetUserConfiguredDCPowerMode(GUID* PowerModeGuid) {
    return ReadMode(&Simulation::PowerState::dcMode, PowerModeGuid);
}

Status PowerSetUserConfiguredACPowerMode(const GUID* PowerModeGuid) {
    return WriteMode(&Simulation::PowerState::acMode, PowerModeGuid);
}

Status PowerSetUserConfiguredDCPowerMode(const GUID* PowerModeGuid) {
    return WriteMode(&Simulation::PowerState::dcMode, PowerModeGuid);
}

Status PowerSettingAccessCheckEx(std::uint32_t, const GUID*, std::uint32_t) {
    // Nothing is pinned unless a test injects ERROR_ACCESS_DISABLED_BY_POLICY.
    return Run(Operation::PowerSettingAccessCheckEx, [](State&) { return status::Success; });
}

namespace {

Status Registered(simulated::Notice notice, const NotifyRecipient* recipient,
                  NotifyHandle* handle) {
    if (recipient == nullptr || recipient->Callback == nullptr || handle == nullptr) {
        return status::InvalidParameter;
    }
    *handle = simulated::TheMachine().Register(notice, *recipient);
    return status::Success;
}

Status Unregistered(NotifyHandle handle) {
    return simulated::TheMachine().Unregister(handle) ? status::Success
                                                      : status::InvalidParameter;
}

}  // namespace

Status PowerSettingRegisterNotification(const GUID* SettingGuid, const NotifyRecipient* Recipient,
                                        NotifyHandle* RegistrationHandle) {
    if (SettingGuid == nullptr) {
        return status::InvalidParameter;
    }
    const Guid setting = detail::FromPlatformRecord(*SettingGuid);
    if (setting == detail::FromPlatformRecord(GUID_ACDC_POWER_SOURCE)) {
        return Registered(simulated::Notice::Source, Recipient, RegistrationHandle);
    }
    if (setting == detail::FromPlatformRecord(GUID_ACTIVE_POWERSCHEME)) {
        return Registered(simulated::Notice::ActivePlan, Recipient, RegistrationHandle);
    }
    return status::NotSupported;  // a setting that the simulated machine never changes
}

Status PowerSettingUnregisterNotification(NotifyHandle RegistrationHandle) {
    return Unregistered(RegistrationHandle);
}

Status PowerRegisterSuspendResumeNotification(const NotifyRecipient* Recipient,
                                              NotifyHandle* RegistrationHandle) {
    return Registered(simulated::Notice::Resume, Recipient, RegistrationHandle);
}

Status PowerUnregisterSuspendResumeNotification(NotifyHandle RegistrationHandle) {
    return Unregistered(RegistrationHandle);
}

void* LocalAlloc(std::uint32_t uFlags, std::size_t uBytes) {
    (void)uFlags;  // every simulated block is fixed and zero-filled
    return simulated::TheMachine().Locked([&](State& state) -> void* {
        if (simulated::FireFault(state, Operation::LocalAlloc)) {
            return nullptr;
        }
        void* block = std::calloc(1, uBytes == 0 ? 1 : uBytes);
        if (block != nullptr) {
            ++state.allocations.made;
            ++state.allocations.live;
        }
        return block;
    });
}

void* LocalFree(void* hMem) {
    if (hMem != nullptr) {
        simulated::TheMachine().Locked([&](State& state) { --state.allocations.live; });
        std::free(hMem);
    }
    return nullptr;
}

RegistryAnswer RegReadCurrentUserValue(std::u16string_view keyPath,
                                       std::u16string_view valueName) {
    using Kind = RegistryAnswer::Kind;
    using ValueKind = Simulation::RegistryValue::Kind;
    return simulated::TheMachine().Locked([&](State& state) -> RegistryAnswer {
        const auto key = state.registry.find(keyPath);
        if (key == state.registry.end()) {
            return {Kind::NoKey, {}};
        }
        if (key->second.refuseOpen) {
            return {Kind::AccessDenied, {}};
        }
        // Counted open until this read returns, as a handle would be.
        struct OpenKey {
            explicit OpenKey(Simulation::RegistryKeyCounts& counts) : counts_(counts) {
                ++counts_.opened;
                ++counts_.open;
            }
            ~OpenKey() { --counts_.open; }
            OpenKey(const OpenKey&) = delete;
            OpenKey& operator=(const OpenKey&) = delete;
            Simulation::RegistryKeyCounts& counts_;
        } open(state.registryKeys);

        if (key->second.refusedValues.count(valueName) != 0) {
            return {Kind::AccessDenied, {}};
        }
        const auto value = key->second.values.find(valueName);
        if (value == key->second.values.end()) {
            return {Kind::NoValue, {}};
        }
        const Simulation::RegistryValue& stored = value->second;
        switch (stored.kind) {
        case ValueKind::String:
            return {Kind::String, stored.text.substr(0, detail::LengthBeforeNul(stored.text))};
        case ValueKind::Number:
            return {Kind::OtherKind, NumberText(stored.number)};
        case ValueKind::Binary:
            break;
        }
        return {Kind::OtherKind, OpaqueValueText(u"binary", stored.bytes.size())};
    });
}

Status RegSetCurrentUserString(std::u16string_view keyPath, std::u16string_view valueName,
                               std::u16string_view text) {
    return simulated::TheMachine().Locked([&](State& state) {
        const auto key = state.registry.find(keyPath);
        if (key != state.registry.end() &&
            (key->second.refuseOpen || key->second.refusedValues.count(valueName) != 0)) {
            return status::AccessDenied;
        }
        state.registry[std::u16string(keyPath)].values.insert_or_assign(
            std::u16string(valueName), Simulation::RegistryValue::String(std::u16string(text)));
        return status::Success;
    });
}

Status RegDeleteCurrentUserValue(std::u16string_view keyPath, std::u16string_view valueName) {
    return simulated::TheMachine().Locked([&](State& state) {
        const auto key = state.registry.find(keyPath);
        if (key == state.registry.end()) {
            return status::FileNotFound;
        }
        if (key->second.refuseOpen || key->second.refusedValues.count(valueName) != 0) {
            return status::AccessDenied;
        }
        const auto value = key->second.values.find(valueName);
        if (value == key->second.values.end()) {
            return status::FileNotFound;
        }
        key->second.values.erase(value);
        return status::Success;
    });
}

}  // namespace Calvoro::platform
