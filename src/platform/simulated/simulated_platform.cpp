// The boundary answered by the simulated machine, with the statuses Windows gives.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <random>

#include "catalogue.h"
#include "machine.h"
#include "platform/conversions.h"
#include "platform/power_settings.h"
#include "platform/registry_text.h"

namespace Calvoro::platform {
namespace {

using Calvoro::PowerSource;
using simulated::State;
using Simulation::Operation;

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

// Whose name or description PowerReadFriendlyName and PowerReadDescription read: the plan's
// with no subgroup and no setting, else the subgroup's or the setting's (any plan, or none,
// names them; a plan named must exist).
Status ReadNamedText(std::u16string simulated::Plan::*planField,
                     std::u16string_view simulated::CatalogueSubgroup::*subgroupField,
                     std::u16string_view simulated::CatalogueSetting::*settingField,
                     Operation operation, const GUID* scheme, const GUID* subgroup,
                     const GUID* setting, std::uint8_t* buffer, std::uint32_t* size) {
    return Run(operation, [&](State& state) {
        if (size == nullptr) {
            return status::InvalidParameter;
        }
        const simulated::Plan* plan = simulated::FindPlan(state, scheme);
        if (subgroup == nullptr && setting == nullptr) {
            return plan != nullptr ? ReadText(plan->*planField, buffer, size)
                                   : status::FileNotFound;
        }
        if (scheme != nullptr && plan == nullptr) {
            return status::FileNotFound;
        }
        if (setting == nullptr) {
            const simulated::CatalogueSubgroup* group = simulated::FindCatalogueSubgroup(subgroup);
            return group != nullptr ? ReadText(std::u16string(group->*subgroupField), buffer, size)
                                    : status::FileNotFound;
        }
        const simulated::CatalogueSetting* found =
            simulated::FindCatalogueSetting(subgroup, setting);
        return found != nullptr ? ReadText(std::u16string(found->*settingField), buffer, size)
                                : status::FileNotFound;
    });
}

// A plan's name or description; the machine keeps no texts of its own for subgroups and
// settings, which are Windows' catalogue's.
Status WriteText(std::u16string simulated::Plan::*field, Operation operation, const GUID* scheme,
                 const GUID* subgroup, const GUID* setting, const std::uint8_t* buffer,
                 std::uint32_t size) {
    return Run(operation, [&](State& state) {
        if (buffer == nullptr || subgroup != nullptr || setting != nullptr) {
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

// Runs `apply` on the values that the plan, subgroup and setting name.
template <typename Apply>
Status WithValues(Operation operation, const GUID* scheme, const GUID* subgroup,
                  const GUID* setting, Apply&& apply) {
    return Run(operation, [&](State& state) {
        if (subgroup == nullptr || setting == nullptr) {
            return status::InvalidParameter;
        }
        simulated::Plan* plan = simulated::FindPlan(state, scheme);
        if (plan == nullptr) {
            return status::FileNotFound;
        }
        const simulated::ValueSlots values = simulated::FindValues(*plan, subgroup, setting);
        if (values.ac == nullptr) {
            return status::FileNotFound;
        }
        return apply(values);
    });
}

Status ReadValue(std::uint32_t* simulated::ValueSlots::*side, Operation operation,
                 const GUID* scheme, const GUID* subgroup, const GUID* setting,
                 std::uint32_t* value) {
    return WithValues(operation, scheme, subgroup, setting, [&](const auto& values) {
        if (value == nullptr) {
            return status::InvalidParameter;
        }
        *value = *(values.*side);
        return status::Success;
    });
}

Status WriteValue(std::uint32_t* simulated::ValueSlots::*side, Operation operation,
                  const GUID* scheme, const GUID* subgroup, const GUID* setting,
                  std::uint32_t value) {
    return WithValues(operation, scheme, subgroup, setting, [&](const auto& values) {
        *(values.*side) = value;
        return status::Success;
    });
}

// Answers from the catalogue's setting that `subgroup` and `setting` name: FileNotFound when
// there is none. No fault can be injected into these calls, and they change nothing.
template <typename Answer>
Status FromCatalogue(const GUID* subgroup, const GUID* setting, Answer&& answer) {
    if (subgroup == nullptr || setting == nullptr) {
        return status::InvalidParameter;
    }
    const simulated::CatalogueSetting* found = simulated::FindCatalogueSetting(subgroup, setting);
    return found != nullptr ? answer(*found) : status::FileNotFound;
}

// One of a range's limits; FileNotFound for a setting with possible values instead.
Status ReadLimit(std::uint32_t simulated::CatalogueSetting::*limit, const GUID* subgroup,
                 const GUID* setting, std::uint32_t* value) {
    return FromCatalogue(subgroup, setting, [&](const simulated::CatalogueSetting& found) {
        if (value == nullptr) {
            return status::InvalidParameter;
        }
        if (!found.ranged) {
            return status::FileNotFound;
        }
        *value = found.*limit;
        return status::Success;
    });
}

// The possible value at `index`, answered by `answer`; FileNotFound past the last one.
template <typename Answer>
Status WithPossibleValue(const GUID* subgroup, const GUID* setting, std::uint32_t index,
                         Answer&& answer) {
    return FromCatalogue(subgroup, setting, [&](const simulated::CatalogueSetting& found) {
        if (found.ranged || index >= found.valueCount) {
            return status::FileNotFound;
        }
        return answer(simulated::ValuesOf(found)[index]);
    });
}

Status ReadPossibleText(std::u16string_view simulated::CatalogueValue::*field, const GUID* subgroup,
                        const GUID* setting, std::uint32_t index, std::uint8_t* buffer,
                        std::uint32_t* size) {
    return WithPossibleValue(subgroup, setting, index, [&](const simulated::CatalogueValue& value) {
        return size == nullptr ? status::InvalidParameter
                               : ReadText(std::u16string(value.*field), buffer, size);
    });
}

// Windows' default for plans of a personality, on AC (0) or DC (1).
Status ReadDefault(std::size_t side, const GUID* personality, const GUID* subgroup,
                   const GUID* setting, std::uint32_t* value) {
    return FromCatalogue(subgroup, setting, [&](const simulated::CatalogueSetting& found) {
        if (personality == nullptr || value == nullptr) {
            return status::InvalidParameter;
        }
        const auto index = simulated::PersonalityIndex(detail::FromPlatformRecord(*personality));
        if (!index) {
            return status::FileNotFound;
        }
        *value = found.defaults[*index][side];
        return status::Success;
    });
}

// NTSTATUS values that CallNtPowerInformation answers with, as unsigned statuses.
constexpr Status kStatusUnsuccessful = 0xC0000001;      // STATUS_UNSUCCESSFUL
constexpr Status kStatusInvalidParameter = 0xC000000D;  // STATUS_INVALID_PARAMETER

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

Status PowerEnumerate(RootKey, const GUID* SchemeGuid, const GUID* SubGroupOfPowerSettingsGuid,
                      std::uint32_t AccessFlags, std::uint32_t Index, std::uint8_t* Buffer,
                      std::uint32_t* BufferSize) {
    return Run(Operation::PowerEnumerate, [&](State& state) {
        if (BufferSize == nullptr) {
            return status::InvalidParameter;
        }
        // The identifier at `Index` of what AccessFlags names: plans; a plan's subgroups (those
        // of settings that belong to none are not one); a subgroup's settings.
        std::optional<Guid> found;
        if (AccessFlags == kAccessScheme) {
            if (Index < state.plans.size()) {
                found = state.plans[Index].id;
            }
        } else if (AccessFlags == kAccessSubgroup || AccessFlags == kAccessIndividualSetting) {
            if (SchemeGuid != nullptr && simulated::FindPlan(state, SchemeGuid) == nullptr) {
                return status::FileNotFound;
            }
            std::size_t count = 0;
            const simulated::CatalogueSubgroup* subgroups = simulated::CatalogueSubgroups(count);
            if (AccessFlags == kAccessSubgroup) {
                const Guid none = FromGUID(NO_SUBGROUP_GUID);
                std::uint32_t position = 0;
                for (std::size_t i = 0; i < count && !found; ++i) {
                    if (subgroups[i].id != none && position++ == Index) {
                        found = subgroups[i].id;
                    }
                }
            } else {
                const simulated::CatalogueSubgroup* group = simulated::FindCatalogueSubgroup(
                    SubGroupOfPowerSettingsGuid != nullptr ? SubGroupOfPowerSettingsGuid
                                                           : &NO_SUBGROUP_GUID);
                if (group == nullptr) {
                    return status::FileNotFound;
                }
                if (Index < group->settingCount) {
                    found = simulated::SettingsOf(*group)[Index].id;
                }
            }
        } else {
            return status::InvalidParameter;
        }
        if (!found) {
            return status::NoMoreItems;
        }
        // As Windows documents it: no buffer, or one too small, is ERROR_MORE_DATA with the
        // size needed written back.
        const bool fits = Buffer != nullptr && *BufferSize >= sizeof(GUID);
        *BufferSize = sizeof(GUID);
        if (!fits) {
            return status::MoreData;
        }
        const GUID record = detail::ToPlatformRecord(*found);
        std::memcpy(Buffer, &record, sizeof record);
        return status::Success;
    });
}

Status PowerReadFriendlyName(RootKey, const GUID* SchemeGuid,
                             const GUID* SubGroupOfPowerSettingsGuid, const GUID* PowerSettingGuid,
                             std::uint8_t* Buffer, std::uint32_t* BufferSize) {
    return ReadNamedText(&simulated::Plan::name, &simulated::CatalogueSubgroup::name,
                         &simulated::CatalogueSetting::name, Operation::PowerReadFriendlyName,
                         SchemeGuid, SubGroupOfPowerSettingsGuid, PowerSettingGuid, Buffer,
                         BufferSize);
}

Status PowerWriteFriendlyName(RootKey, const GUID* SchemeGuid,
                              const GUID* SubGroupOfPowerSettingsGuid, const GUID* PowerSettingGuid,
                              const std::uint8_t* Buffer, std::uint32_t BufferSize) {
    return WriteText(&simulated::Plan::name, Operation::PowerWriteFriendlyName, SchemeGuid,
                     SubGroupOfPowerSettingsGuid, PowerSettingGuid, Buffer, BufferSize);
}

Status PowerWriteDescription(RootKey, const GUID* SchemeGuid,
                             const GUID* SubGroupOfPowerSettingsGuid, const GUID* PowerSettingGuid,
                             const std::uint8_t* Buffer, std::uint32_t BufferSize) {
    return WriteText(&simulated::Plan::description, Operation::PowerWriteDescription, SchemeGuid,
                     SubGroupOfPowerSettingsGuid, PowerSettingGuid, Buffer, BufferSize);
}

Status PowerReadACValueIndex(RootKey, const GUID* SchemeGuid,
                             const GUID* SubGroupOfPowerSettingsGuid, const GUID* PowerSettingGuid,
                             std::uint32_t* AcValueIndex) {
    return ReadValue(&simulated::ValueSlots::ac, Operation::PowerReadACValueIndex, SchemeGuid,
                     SubGroupOfPowerSettingsGuid, PowerSettingGuid, AcValueIndex);
}

Status PowerReadDCValueIndex(RootKey, const GUID* SchemeGuid,
                             const GUID* SubGroupOfPowerSettingsGuid, const GUID* PowerSettingGuid,
                             std::uint32_t* DcValueIndex) {
    return ReadValue(&simulated::ValueSlots::dc, Operation::PowerReadDCValueIndex, SchemeGuid,
                     SubGroupOfPowerSettingsGuid, PowerSettingGuid, DcValueIndex);
}

Status PowerWriteACValueIndex(RootKey, const GUID* SchemeGuid,
                              const GUID* SubGroupOfPowerSettingsGuid, const GUID* PowerSettingGuid,
                              std::uint32_t AcValueIndex) {
    return WriteValue(&simulated::ValueSlots::ac, Operation::PowerWriteACValueIndex, SchemeGuid,
                      SubGroupOfPowerSettingsGuid, PowerSettingGuid, AcValueIndex);
}

Status PowerWriteDCValueIndex(RootKey, const GUID* SchemeGuid,
                              const GUID* SubGroupOfPowerSettingsGuid, const GUID* PowerSettingGuid,
                              std::uint32_t DcValueIndex) {
    return WriteValue(&simulated::ValueSlots::dc, Operation::PowerWriteDCValueIndex, SchemeGuid,
                      SubGroupOfPowerSettingsGuid, PowerSettingGuid, DcValueIndex);
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

Status PowerReadDescription(RootKey, const GUID* SchemeGuid,
                            const GUID* SubGroupOfPowerSettingsGuid, const GUID* PowerSettingGuid,
                            std::uint8_t* Buffer, std::uint32_t* BufferSize) {
    return ReadNamedText(&simulated::Plan::description, &simulated::CatalogueSubgroup::description,
                         &simulated::CatalogueSetting::description, Operation::PowerReadDescription,
                         SchemeGuid, SubGroupOfPowerSettingsGuid, PowerSettingGuid, Buffer,
                         BufferSize);
}

std::vector<std::string_view> MissingSettingCalls() { return {}; }

std::uint32_t PowerReadSettingAttributes(const GUID* SubGroupGuid, const GUID* PowerSettingGuid) {
    // The setting's own, found in any subgroup when none is named; a subgroup has none.
    const simulated::CatalogueSubgroup* owner = SubGroupGuid != nullptr
                                                    ? simulated::FindCatalogueSubgroup(SubGroupGuid)
                                                    : simulated::SubgroupOf(PowerSettingGuid);
    if (owner == nullptr || PowerSettingGuid == nullptr) {
        return 0;
    }
    const GUID group = detail::ToPlatformRecord(owner->id);
    if (simulated::FindCatalogueSetting(&group, PowerSettingGuid) == nullptr) {
        return 0;
    }
    return simulated::TheMachine().Locked([&](const State& state) {
        return simulated::AttributesOf(state, owner->id,
                                       detail::FromPlatformRecord(*PowerSettingGuid));
    });
}

Status PowerWriteSettingAttributes(const GUID* SubGroupGuid, const GUID* PowerSettingGuid,
                                   std::uint32_t Attributes) {
    return FromCatalogue(SubGroupGuid, PowerSettingGuid, [&](const simulated::CatalogueSetting&) {
        return simulated::TheMachine().Locked([&](State& state) {
            const Guid subgroup = detail::FromPlatformRecord(*SubGroupGuid);
            const Guid setting = detail::FromPlatformRecord(*PowerSettingGuid);
            const auto written =
                std::find_if(state.attributes.begin(), state.attributes.end(),
                             [&](const Simulation::SettingAttributes& entry) {
                                 return entry.subgroup == subgroup && entry.setting == setting;
                             });
            if (written != state.attributes.end()) {
                written->attributes = Attributes;
            } else {
                state.attributes.push_back({subgroup, setting, Attributes});
            }
            return status::Success;
        });
    });
}

bool PowerIsSettingRangeDefined(const GUID* SubKeyGuid, const GUID* SettingGuid) {
    const simulated::CatalogueSetting* found =
        SubKeyGuid != nullptr ? simulated::FindCatalogueSetting(SubKeyGuid, SettingGuid) : nullptr;
    return found != nullptr && found->ranged;
}

Status PowerReadValueMin(RootKey, const GUID* SubGroupOfPowerSettingsGuid,
                         const GUID* PowerSettingGuid, std::uint32_t* ValueMinimum) {
    return ReadLimit(&simulated::CatalogueSetting::min, SubGroupOfPowerSettingsGuid,
                     PowerSettingGuid, ValueMinimum);
}

Status PowerReadValueMax(RootKey, const GUID* SubGroupOfPowerSettingsGuid,
                         const GUID* PowerSettingGuid, std::uint32_t* ValueMaximum) {
    return ReadLimit(&simulated::CatalogueSetting::max, SubGroupOfPowerSettingsGuid,
                     PowerSettingGuid, ValueMaximum);
}

Status PowerReadValueIncrement(RootKey, const GUID* SubGroupOfPowerSettingsGuid,
                               const GUID* PowerSettingGuid, std::uint32_t* ValueIncrement) {
    return ReadLimit(&simulated::CatalogueSetting::increment, SubGroupOfPowerSettingsGuid,
                     PowerSettingGuid, ValueIncrement);
}

Status PowerReadValueUnitsSpecifier(RootKey, const GUID* SubGroupOfPowerSettingsGuid,
                                    const GUID* PowerSettingGuid, std::uint8_t* Buffer,
                                    std::uint32_t* BufferSize) {
    return FromCatalogue(SubGroupOfPowerSettingsGuid, PowerSettingGuid,
                         [&](const simulated::CatalogueSetting& found) {
                             if (BufferSize == nullptr) {
                                 return status::InvalidParameter;
                             }
                             return found.ranged
                                        ? ReadText(std::u16string(found.units), Buffer, BufferSize)
                                        : status::FileNotFound;
                         });
}

Status PowerReadPossibleValue(RootKey, const GUID* SubGroupOfPowerSettingsGuid,
                              const GUID* PowerSettingGuid, std::uint32_t* Type,
                              std::uint32_t PossibleSettingIndex, std::uint8_t* Buffer,
                              std::uint32_t* BufferSize) {
    constexpr std::uint32_t kRegBinary = 3;  // REG_BINARY: an identifier's 16 bytes
    constexpr std::uint32_t kRegDword = 4;   // REG_DWORD: the index
    return WithPossibleValue(SubGroupOfPowerSettingsGuid, PowerSettingGuid, PossibleSettingIndex,
                             [&](const simulated::CatalogueValue& value) {
                                 if (BufferSize == nullptr) {
                                     return status::InvalidParameter;
                                 }
                                 const GUID record = detail::ToPlatformRecord(value.data);
                                 const void* data = value.dataIsIdentifier
                                                        ? static_cast<const void*>(&record)
                                                        : static_cast<const void*>(&value.index);
                                 const std::uint32_t needed =
                                     value.dataIsIdentifier ? sizeof record : sizeof value.index;
                                 if (Type != nullptr) {
                                     *Type = value.dataIsIdentifier ? kRegBinary : kRegDword;
                                 }
                                 const bool fits = Buffer != nullptr && *BufferSize >= needed;
                                 *BufferSize = needed;
                                 if (Buffer == nullptr) {
                                     return status::Success;
                                 }
                                 if (!fits) {
                                     return status::MoreData;
                                 }
                                 std::memcpy(Buffer, data, needed);
                                 return status::Success;
                             });
}

Status PowerReadPossibleFriendlyName(RootKey, const GUID* SubGroupOfPowerSettingsGuid,
                                     const GUID* PowerSettingGuid,
                                     std::uint32_t PossibleSettingIndex, std::uint8_t* Buffer,
                                     std::uint32_t* BufferSize) {
    return ReadPossibleText(&simulated::CatalogueValue::name, SubGroupOfPowerSettingsGuid,
                            PowerSettingGuid, PossibleSettingIndex, Buffer, BufferSize);
}

Status PowerReadPossibleDescription(RootKey, const GUID* SubGroupOfPowerSettingsGuid,
                                    const GUID* PowerSettingGuid,
                                    std::uint32_t PossibleSettingIndex, std::uint8_t* Buffer,
                                    std::uint32_t* BufferSize) {
    return ReadPossibleText(&simulated::CatalogueValue::description, SubGroupOfPowerSettingsGuid,
                            PowerSettingGuid, PossibleSettingIndex, Buffer, BufferSize);
}

Status PowerReadACDefaultIndex(RootKey, const GUID* SchemePersonalityGuid,
                               const GUID* SubGroupOfPowerSettingsGuid,
                               const GUID* PowerSettingGuid, std::uint32_t* AcDefaultIndex) {
    return ReadDefault(0, SchemePersonalityGuid, SubGroupOfPowerSettingsGuid, PowerSettingGuid,
                       AcDefaultIndex);
}

Status PowerReadDCDefaultIndex(RootKey, const GUID* SchemePersonalityGuid,
                               const GUID* SubGroupOfPowerSettingsGuid,
                               const GUID* PowerSettingGuid, std::uint32_t* DcDefaultIndex) {
    return ReadDefault(1, SchemePersonalityGuid, SubGroupOfPowerSettingsGuid, PowerSettingGuid,
                       DcDefaultIndex);
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

// The template with this identifier, or none.
std::optional<simulated::Plan> TemplateOf(const Guid& id) {
    const std::vector<simulated::Plan> templates = simulated::TemplatePlans();
    const auto found = std::find_if(templates.begin(), templates.end(),
                                    [&](const simulated::Plan& plan) { return plan.id == id; });
    return found != templates.end() ? std::optional(*found) : std::nullopt;
}

// A fresh identifier of version 4, as Windows picks one for a copy.
Guid NewPlanId() {
    static std::mt19937_64 generator{std::random_device{}()};
    const std::uint64_t high = generator();
    const std::uint64_t low = generator();
    Guid id;
    id.Data1 = static_cast<std::uint32_t>(high >> 32);
    id.Data2 = static_cast<std::uint16_t>(high >> 16);
    id.Data3 = static_cast<std::uint16_t>((high & 0x0FFF) | 0x4000);  // version 4
    for (std::size_t i = 0; i < id.Data4.size(); ++i) {
        id.Data4[i] = static_cast<std::uint8_t>(low >> (8 * i));
    }
    id.Data4[0] = static_cast<std::uint8_t>((id.Data4[0] & 0x3F) | 0x80);  // the variant
    return id;
}

}  // namespace

Status PowerDuplicateScheme(RootKey, const GUID* SourceSchemeGuid, GUID** DestinationSchemeGuid) {
    if (SourceSchemeGuid == nullptr || DestinationSchemeGuid == nullptr) {
        return status::InvalidParameter;
    }
    // The block for a new identifier is taken before the lock, for LocalAlloc takes it too;
    // it is released again on every path but success, an injected exception's included.
    const bool picks = *DestinationSchemeGuid == nullptr;
    const auto release = [](void* block) { LocalFree(block); };
    std::unique_ptr<void, decltype(release)> block(
        picks ? LocalAlloc(kZeroFilledFixed, sizeof(GUID)) : nullptr, release);
    if (picks && block == nullptr) {
        return status::NotEnoughMemory;
    }
    Guid made;
    const Status copied = Run(Operation::PowerDuplicateScheme, [&](State& state) {
        const Guid source = detail::FromPlatformRecord(*SourceSchemeGuid);
        const simulated::Plan* listed = simulated::FindPlan(state, source);
        std::optional<simulated::Plan> copy = listed ? std::optional(*listed) : TemplateOf(source);
        if (!copy) {
            return status::FileNotFound;
        }
        do {
            made = picks ? NewPlanId() : detail::FromPlatformRecord(**DestinationSchemeGuid);
        } while (picks && simulated::FindPlan(state, made) != nullptr);
        if (simulated::FindPlan(state, made) != nullptr) {
            return status::AlreadyExists;
        }
        copy->id = made;
        state.plans.push_back(std::move(*copy));
        return status::Success;
    });
    if (picks && copied == status::Success) {
        const GUID record = detail::ToPlatformRecord(made);
        std::memcpy(block.get(), &record, sizeof record);
        *DestinationSchemeGuid = static_cast<GUID*>(block.release());
    }
    return copied;
}

Status PowerDeleteScheme(RootKey, const GUID* SchemeGuid) {
    return Run(Operation::PowerDeleteScheme, [&](State& state) {
        const simulated::Plan* plan = simulated::FindPlan(state, SchemeGuid);
        if (plan == nullptr) {
            return SchemeGuid == nullptr ? status::InvalidParameter : status::FileNotFound;
        }
        if (state.activePlan == plan->id) {
            state.activePlan.reset();
        }
        state.plans.erase(state.plans.begin() + (plan - state.plans.data()));
        return status::Success;
    });
}

Status PowerRestoreDefaultPowerSchemes() {
    return Run(Operation::PowerRestoreDefaultPowerSchemes, [](State& state) {
        // The records, the power state and the settings' attributes stay as they are.
        state.plans = simulated::SeededPlans(state.power.modernStandby);
        if (!state.activePlan || simulated::FindPlan(state, *state.activePlan) == nullptr) {
            state.activePlan = state.plans.front().id;  // Balanced
        }
        return status::Success;
    });
}

Status PowerCanRestoreIndividualDefaultPowerScheme(const GUID* SchemeGuid) {
    return simulated::TheMachine().Locked([&](State& state) {
        const simulated::Plan* plan = simulated::FindPlan(state, SchemeGuid);
        if (plan == nullptr) {
            return SchemeGuid == nullptr ? status::InvalidParameter : status::FileNotFound;
        }
        return TemplateOf(plan->id) ? status::Success : status::NotSupported;
    });
}

Status PowerRestoreIndividualDefaultPowerScheme(const GUID* SchemeGuid) {
    return Run(Operation::PowerRestoreDefaultPowerSchemes, [&](State& state) {
        simulated::Plan* plan = simulated::FindPlan(state, SchemeGuid);
        if (plan == nullptr) {
            return SchemeGuid == nullptr ? status::InvalidParameter : status::FileNotFound;
        }
        std::optional<simulated::Plan> defaults = TemplateOf(plan->id);
        if (!defaults) {
            return status::NotSupported;
        }
        *plan = std::move(*defaults);
        return status::Success;
    });
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
    return simulated::TheMachine().Unregister(handle) ? status::Success : status::InvalidParameter;
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

RegistryAnswer RegReadCurrentUserValue(std::u16string_view keyPath, std::u16string_view valueName) {
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
