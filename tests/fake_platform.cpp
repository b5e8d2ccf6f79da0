#include "fake_platform.h"

#include <algorithm>
#include <cstdlib>

#include "platform/conversions.h"
#include "platform/platform.h"

namespace fake {

Platform& State() {
    static Platform platform;
    return platform;
}

void Reset() { State() = Platform{}; }

}  // namespace fake

namespace Calvoro::platform {
namespace {

std::optional<Guid> Id(const GUID* record) {
    if (record == nullptr) {
        return std::nullopt;
    }
    return detail::FromPlatformRecord(*record);
}

fake::Call& Record(const char* operation, RootKey root, const GUID* scheme, const GUID* subgroup,
                   const GUID* setting) {
    fake::Call call;
    call.operation = operation;
    call.root = root;
    call.scheme = Id(scheme);
    call.subgroup = Id(subgroup);
    call.setting = Id(setting);
    fake::State().calls.push_back(call);
    return fake::State().calls.back();
}

Status Answer(const std::string& operation) {
    const auto& overrides = fake::State().statusFor;
    const auto found = overrides.find(operation);
    return found != overrides.end() ? found->second : fake::State().status;
}

Status ReadValue(const char* operation, RootKey root, const GUID* scheme, const GUID* subgroup,
                 const GUID* setting, std::uint32_t* value) {
    Record(operation, root, scheme, subgroup, setting).outputGiven = value != nullptr;
    if (value != nullptr && fake::State().readValue) {
        *value = *fake::State().readValue;
    }
    return Answer(operation);
}

Status WriteValue(const char* operation, RootKey root, const GUID* scheme, const GUID* subgroup,
                  const GUID* setting, std::uint32_t value) {
    Record(operation, root, scheme, subgroup, setting).value = value;
    return Answer(operation);
}

Status WriteText(const char* operation, RootKey root, const GUID* scheme, const GUID* subgroup,
                 const GUID* setting, const std::uint8_t* buffer, std::uint32_t size) {
    fake::Call& call = Record(operation, root, scheme, subgroup, setting);
    call.value = size;
    call.outputGiven = buffer != nullptr;
    if (buffer != nullptr) {
        call.bytes.assign(buffer, buffer + size);
    }
    return Answer(operation);
}

}  // namespace

Status PowerEnumerate(RootKey root, const GUID* scheme, const GUID* subgroup,
                      std::uint32_t AccessFlags, std::uint32_t Index, std::uint8_t* Buffer,
                      std::uint32_t* BufferSize) {
    fake::Call& call = Record("PowerEnumerate", root, scheme, subgroup, nullptr);
    call.accessFlags = AccessFlags;
    call.index = Index;
    call.outputGiven = Buffer != nullptr;
    call.value = BufferSize != nullptr ? *BufferSize : 0;
    const auto& ends = fake::State().enumerationEnds;
    if (ends && Index >= *ends) {
        return status::NoMoreItems;
    }
    const auto& bytes = fake::State().enumerated;
    if (Buffer != nullptr && BufferSize != nullptr) {
        std::copy_n(bytes.begin(), std::min<std::size_t>(bytes.size(), *BufferSize), Buffer);
    }
    return Answer("PowerEnumerate");
}

Status PowerReadFriendlyName(RootKey root, const GUID* scheme, const GUID* subgroup,
                             const GUID* setting, std::uint8_t* Buffer, std::uint32_t* BufferSize) {
    fake::Call& call = Record("PowerReadFriendlyName", root, scheme, subgroup, setting);
    call.outputGiven = Buffer != nullptr;
    call.value = BufferSize != nullptr ? *BufferSize : 0;
    if (fake::State().readName) {
        return fake::State().readName(Buffer, BufferSize);
    }
    return Answer("PowerReadFriendlyName");
}

Status PowerWriteFriendlyName(RootKey root, const GUID* scheme, const GUID* subgroup,
                              const GUID* setting, const std::uint8_t* buffer, std::uint32_t size) {
    return WriteText("PowerWriteFriendlyName", root, scheme, subgroup, setting, buffer, size);
}

Status PowerWriteDescription(RootKey root, const GUID* scheme, const GUID* subgroup,
                             const GUID* setting, const std::uint8_t* buffer, std::uint32_t size) {
    return WriteText("PowerWriteDescription", root, scheme, subgroup, setting, buffer, size);
}

Status PowerReadACValueIndex(RootKey root, const GUID* scheme, const GUID* subgroup,
                             const GUID* setting, std::uint32_t* value) {
    return ReadValue("PowerReadACValueIndex", root, scheme, subgroup, setting, value);
}

Status PowerReadDCValueIndex(RootKey root, const GUID* scheme, const GUID* subgroup,
                             const GUID* setting, std::uint32_t* value) {
    return ReadValue("PowerReadDCValueIndex", root, scheme, subgroup, setting, value);
}

Status PowerWriteACValueIndex(RootKey root, const GUID* scheme, const GUID* subgroup,
                              const GUID* setting, std::uint32_t value) {
    return WriteValue("PowerWriteACValueIndex", root, scheme, subgroup, setting, value);
}

Status PowerWriteDCValueIndex(RootKey root, const GUID* scheme, const GUID* subgroup,
                              const GUID* setting, std::uint32_t value) {
    return WriteValue("PowerWriteDCValueIndex", root, scheme, subgroup, setting, value);
}

// The library's own operations beside the class: recorded, answered with the status only.
Status PowerGetActiveScheme(RootKey root, GUID** active) {
    Record("PowerGetActiveScheme", root, nullptr, nullptr, nullptr).outputGiven = active != nullptr;
    return Answer("PowerGetActiveScheme");
}

Status PowerSetActiveScheme(RootKey root, const GUID* scheme) {
    Record("PowerSetActiveScheme", root, scheme, nullptr, nullptr);
    return Answer("PowerSetActiveScheme");
}

Status PowerReadDescription(RootKey root, const GUID* scheme, const GUID* subgroup,
                            const GUID* setting, std::uint8_t* Buffer, std::uint32_t* BufferSize) {
    fake::Call& call = Record("PowerReadDescription", root, scheme, subgroup, setting);
    call.outputGiven = Buffer != nullptr;
    call.value = BufferSize != nullptr ? *BufferSize : 0;
    return Answer("PowerReadDescription");
}

std::int32_t CallNtPowerInformation(SystemBatteryState*) {
    Record("CallNtPowerInformation", nullptr, nullptr, nullptr, nullptr);
    return static_cast<std::int32_t>(Answer("CallNtPowerInformation"));
}

std::int32_t CallNtPowerInformation(SystemPowerCapabilities*) {
    Record("CallNtPowerInformation", nullptr, nullptr, nullptr, nullptr);
    return static_cast<std::int32_t>(Answer("CallNtPowerInformation"));
}

Status PowerGetUserConfiguredACPowerMode(GUID*) {
    Record("PowerGetUserConfiguredACPowerMode", nullptr, nullptr, nullptr, nullptr);
    return Answer("PowerGetUserConfiguredACPowerMode");
}

Status PowerGetUserConfiguredDCPowerMode(GUID*) {
    Record("PowerGetUserConfiguredDCPowerMode", nullptr, nullptr, nullptr, nullptr);
    return Answer("PowerGetUserConfiguredDCPowerMode");
}

Status PowerSetUserConfiguredACPowerMode(const GUID* mode) {
    Record("PowerSetUserConfiguredACPowerMode", nullptr, mode, nullptr, nullptr);
    return Answer("PowerSetUserConfiguredACPowerMode");
}

Status PowerSetUserConfiguredDCPowerMode(const GUID* mode) {
    Record("PowerSetUserConfiguredDCPowerMode", nullptr, mode, nullptr, nullptr);
    return Answer("PowerSetUserConfiguredDCPowerMode");
}

Status PowerSettingAccessCheckEx(std::uint32_t flags, const GUID* guid, std::uint32_t access) {
    fake::Call& call = Record("PowerSettingAccessCheckEx", nullptr, guid, nullptr, nullptr);
    call.accessFlags = flags;
    call.value = access;
    return Answer("PowerSettingAccessCheckEx");
}

// Plans are made, removed and restored in the simulated machine's tests; here only recorded.
Status PowerDuplicateScheme(RootKey, const GUID* source, GUID**) {
    Record("PowerDuplicateScheme", nullptr, source, nullptr, nullptr);
    return Answer("PowerDuplicateScheme");
}

Status PowerDeleteScheme(RootKey, const GUID* scheme) {
    Record("PowerDeleteScheme", nullptr, scheme, nullptr, nullptr);
    return Answer("PowerDeleteScheme");
}

Status PowerRestoreDefaultPowerSchemes() {
    Record("PowerRestoreDefaultPowerSchemes", nullptr, nullptr, nullptr, nullptr);
    return Answer("PowerRestoreDefaultPowerSchemes");
}

Status PowerCanRestoreIndividualDefaultPowerScheme(const GUID* scheme) {
    Record("PowerCanRestoreIndividualDefaultPowerScheme", nullptr, scheme, nullptr, nullptr);
    return Answer("PowerCanRestoreIndividualDefaultPowerScheme");
}

Status PowerRestoreIndividualDefaultPowerScheme(const GUID* scheme) {
    Record("PowerRestoreIndividualDefaultPowerScheme", nullptr, scheme, nullptr, nullptr);
    return Answer("PowerRestoreIndividualDefaultPowerScheme");
}

// The watcher's registrations are recorded only; the fake never notifies.
Status PowerSettingRegisterNotification(const GUID* setting, const NotifyRecipient*,
                                        NotifyHandle*) {
    Record("PowerSettingRegisterNotification", nullptr, setting, nullptr, nullptr);
    return Answer("PowerSettingRegisterNotification");
}

Status PowerSettingUnregisterNotification(NotifyHandle) {
    Record("PowerSettingUnregisterNotification", nullptr, nullptr, nullptr, nullptr);
    return Answer("PowerSettingUnregisterNotification");
}

Status PowerRegisterSuspendResumeNotification(const NotifyRecipient*, NotifyHandle*) {
    Record("PowerRegisterSuspendResumeNotification", nullptr, nullptr, nullptr, nullptr);
    return Answer("PowerRegisterSuspendResumeNotification");
}

Status PowerUnregisterSuspendResumeNotification(NotifyHandle) {
    Record("PowerUnregisterSuspendResumeNotification", nullptr, nullptr, nullptr, nullptr);
    return Answer("PowerUnregisterSuspendResumeNotification");
}

// The settings model's calls: recorded; values and texts answered as the value reads are.
std::vector<std::string_view> MissingSettingCalls() { return fake::State().missingCalls; }

std::uint32_t PowerReadSettingAttributes(const GUID* subgroup, const GUID* setting) {
    Record("PowerReadSettingAttributes", nullptr, nullptr, subgroup, setting);
    return fake::State().attributes;
}

Status PowerWriteSettingAttributes(const GUID* subgroup, const GUID* setting,
                                   std::uint32_t attributes) {
    Record("PowerWriteSettingAttributes", nullptr, nullptr, subgroup, setting).value = attributes;
    return Answer("PowerWriteSettingAttributes");
}

bool PowerIsSettingRangeDefined(const GUID* subgroup, const GUID* setting) {
    Record("PowerIsSettingRangeDefined", nullptr, nullptr, subgroup, setting);
    return fake::State().ranged;
}

Status PowerReadValueMin(RootKey root, const GUID* subgroup, const GUID* setting,
                         std::uint32_t* value) {
    return ReadValue("PowerReadValueMin", root, nullptr, subgroup, setting, value);
}

Status PowerReadValueMax(RootKey root, const GUID* subgroup, const GUID* setting,
                         std::uint32_t* value) {
    return ReadValue("PowerReadValueMax", root, nullptr, subgroup, setting, value);
}

Status PowerReadValueIncrement(RootKey root, const GUID* subgroup, const GUID* setting,
                               std::uint32_t* value) {
    return ReadValue("PowerReadValueIncrement", root, nullptr, subgroup, setting, value);
}

Status PowerReadValueUnitsSpecifier(RootKey root, const GUID* subgroup, const GUID* setting,
                                    std::uint8_t*, std::uint32_t*) {
    Record("PowerReadValueUnitsSpecifier", root, nullptr, subgroup, setting);
    return Answer("PowerReadValueUnitsSpecifier");
}

Status PowerReadPossibleValue(RootKey root, const GUID* subgroup, const GUID* setting,
                              std::uint32_t*, std::uint32_t index, std::uint8_t*, std::uint32_t*) {
    Record("PowerReadPossibleValue", root, nullptr, subgroup, setting).index = index;
    return index < fake::State().possibleValues ? Answer("PowerReadPossibleValue")
                                                : status::FileNotFound;
}

Status PowerReadPossibleFriendlyName(RootKey root, const GUID* subgroup, const GUID* setting,
                                     std::uint32_t index, std::uint8_t*, std::uint32_t*) {
    Record("PowerReadPossibleFriendlyName", root, nullptr, subgroup, setting).index = index;
    return Answer("PowerReadPossibleFriendlyName");
}

Status PowerReadPossibleDescription(RootKey root, const GUID* subgroup, const GUID* setting,
                                    std::uint32_t index, std::uint8_t*, std::uint32_t*) {
    Record("PowerReadPossibleDescription", root, nullptr, subgroup, setting).index = index;
    return Answer("PowerReadPossibleDescription");
}

Status PowerReadACDefaultIndex(RootKey root, const GUID* personality, const GUID* subgroup,
                               const GUID* setting, std::uint32_t* value) {
    return ReadValue("PowerReadACDefaultIndex", root, personality, subgroup, setting, value);
}

Status PowerReadDCDefaultIndex(RootKey root, const GUID* personality, const GUID* subgroup,
                               const GUID* setting, std::uint32_t* value) {
    return ReadValue("PowerReadDCDefaultIndex", root, personality, subgroup, setting, value);
}

Status RegSetCurrentUserString(std::u16string_view keyPath, std::u16string_view valueName,
                               std::u16string_view text) {
    fake::Call& call = Record("RegSetCurrentUserString", nullptr, nullptr, nullptr, nullptr);
    call.keyPath = keyPath;
    call.valueName = valueName;
    call.text = text;
    return Answer("RegSetCurrentUserString");
}

Status RegDeleteCurrentUserValue(std::u16string_view keyPath, std::u16string_view valueName) {
    fake::Call& call = Record("RegDeleteCurrentUserValue", nullptr, nullptr, nullptr, nullptr);
    call.keyPath = keyPath;
    call.valueName = valueName;
    return Answer("RegDeleteCurrentUserValue");
}

void* LocalAlloc(std::uint32_t flags, std::size_t bytes) {
    fake::State().allocations.push_back(bytes);
    fake::State().allocationFlags.push_back(flags);
    if (fake::State().failAllocation) {
        return nullptr;
    }
    ++fake::State().liveBlocks;
    return std::calloc(1, bytes);
}

void* LocalFree(void* block) {
    --fake::State().liveBlocks;
    std::free(block);
    return nullptr;
}

RegistryAnswer RegReadCurrentUserValue(std::u16string_view keyPath, std::u16string_view valueName) {
    fake::Call& call = Record("RegReadCurrentUserValue", nullptr, nullptr, nullptr, nullptr);
    call.keyPath = keyPath;
    call.valueName = valueName;
    return fake::State().registryAnswer;
}

}  // namespace Calvoro::platform
