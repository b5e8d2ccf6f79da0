// The boundary on Windows: each operation forwards to powrprof, kernel32 or advapi32 and
// only adapts types (DWORD is unsigned long there, a 32-bit type the logic calls uint32_t).
#include "platform/platform.h"
#include "platform/conversions.h"
#include "platform/registry_text.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <powrprof.h>

#include "platform/windows/device_notify.h"

#include <atomic>
#include <cstddef>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace Calvoro::platform {
namespace {

HKEY AsKey(RootKey root) { return static_cast<HKEY>(root); }

// The power API's buffers are non-const UCHAR* even where it only reads them.
UCHAR* AsBuffer(const std::uint8_t* buffer) { return const_cast<UCHAR*>(buffer); }

// Calls `call` with a DWORD standing in for an optional in/out uint32_t.
template <typename Call>
Status WithDword(std::uint32_t* value, Call call) {
    if (value == nullptr) {
        return call(nullptr);
    }
    DWORD dword = *value;
    const Status result = call(&dword);
    *value = static_cast<std::uint32_t>(dword);
    return result;
}

// An open registry key, closed when the owner goes.
class RegistryKeyHandle {
public:
    explicit RegistryKeyHandle(HKEY key) : key_(key) {}
    ~RegistryKeyHandle() { ::RegCloseKey(key_); }
    RegistryKeyHandle(const RegistryKeyHandle&) = delete;
    RegistryKeyHandle& operator=(const RegistryKeyHandle&) = delete;
    HKEY get() const { return key_; }

private:
    HKEY key_;
};

// An export of the loaded powrprof.dll that only newer Windows has, or none: resolved at run
// time, so that the library loads on every Windows (and under Wine, which lacks them).
template <typename Function>
Function PowrprofExport(const char* name) {
    const HMODULE module = ::GetModuleHandleW(L"powrprof.dll");
    const FARPROC address = module != nullptr ? ::GetProcAddress(module, name) : nullptr;
    Function function = nullptr;
    static_assert(sizeof function == sizeof address);
    std::memcpy(&function, &address, sizeof function);
    return function;
}

// Windows 8 named three of the spare bytes after FastSystemS4: Hiberboot, WakeAlarmPresent
// and AoAc (Modern Standby). MinGW's header still calls them spare2[3].
template <typename Capabilities>
auto AoAcOf(const Capabilities& capabilities) -> decltype(capabilities.AoAc) {
    return capabilities.AoAc;
}
template <typename Capabilities, typename... Older>
BOOLEAN AoAcOf(const Capabilities& capabilities, Older...) {
    static_assert(offsetof(Capabilities, spare2) == offsetof(Capabilities, FastSystemS4) + 1);
    return capabilities.spare2[2];
}

using GetPowerMode = DWORD(WINAPI*)(GUID*);
using SetPowerMode = DWORD(WINAPI*)(const GUID*);
using AccessCheck = DWORD(WINAPI*)(POWER_DATA_ACCESSOR, const GUID*, REGSAM);

template <typename Function, typename... Arguments>
Status CallExport(Function function, Arguments... arguments) {
    return function != nullptr ? static_cast<Status>(function(arguments...)) : status::ProcNotFound;
}

std::wstring Wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

std::uint64_t NumberData(const std::vector<BYTE>& data, DWORD size, DWORD type) {
    const DWORD used = size < 8 ? size : 8;
    std::uint64_t number = 0;
    for (DWORD i = 0; i < used; ++i) {
        const DWORD shift = type == REG_DWORD_BIG_ENDIAN ? 8 * (used - 1 - i) : 8 * i;
        number |= static_cast<std::uint64_t>(data[i]) << shift;
    }
    return number;
}

}  // namespace

Status PowerEnumerate(RootKey RootPowerKey, const GUID* SchemeGuid,
                      const GUID* SubGroupOfPowerSettingsGuid, std::uint32_t AccessFlags,
                      std::uint32_t Index, std::uint8_t* Buffer, std::uint32_t* BufferSize) {
    return WithDword(BufferSize, [&](DWORD* size) {
        return ::PowerEnumerate(AsKey(RootPowerKey), SchemeGuid, SubGroupOfPowerSettingsGuid,
                                static_cast<POWER_DATA_ACCESSOR>(AccessFlags), Index, Buffer, size);
    });
}

Status PowerReadFriendlyName(RootKey RootPowerKey, const GUID* SchemeGuid,
                             const GUID* SubGroupOfPowerSettingsGuid, const GUID* PowerSettingGuid,
                             std::uint8_t* Buffer, std::uint32_t* BufferSize) {
    return WithDword(BufferSize, [&](DWORD* size) {
        return ::PowerReadFriendlyName(AsKey(RootPowerKey), SchemeGuid, SubGroupOfPowerSettingsGuid,
                                       PowerSettingGuid, Buffer, size);
    });
}

Status PowerWriteFriendlyName(RootKey RootPowerKey, const GUID* SchemeGuid,
                              const GUID* SubGroupOfPowerSettingsGuid, const GUID* PowerSettingGuid,
                              const std::uint8_t* Buffer, std::uint32_t BufferSize) {
    return ::PowerWriteFriendlyName(AsKey(RootPowerKey), SchemeGuid, SubGroupOfPowerSettingsGuid,
                                    PowerSettingGuid, AsBuffer(Buffer), BufferSize);
}

Status PowerWriteDescription(RootKey RootPowerKey, const GUID* SchemeGuid,
                             const GUID* SubGroupOfPowerSettingsGuid, const GUID* PowerSettingGuid,
                             const std::uint8_t* Buffer, std::uint32_t BufferSize) {
    return ::PowerWriteDescription(AsKey(RootPowerKey), SchemeGuid, SubGroupOfPowerSettingsGuid,
                                   PowerSettingGuid, AsBuffer(Buffer), BufferSize);
}

Status PowerReadACValueIndex(RootKey RootPowerKey, const GUID* SchemeGuid,
                             const GUID* SubGroupOfPowerSettingsGuid, const GUID* PowerSettingGuid,
                             std::uint32_t* AcValueIndex) {
    return WithDword(AcValueIndex, [&](DWORD* value) {
        return ::PowerReadACValueIndex(AsKey(RootPowerKey), SchemeGuid, SubGroupOfPowerSettingsGuid,
                                       PowerSettingGuid, value);
    });
}

Status PowerReadDCValueIndex(RootKey RootPowerKey, const GUID* SchemeGuid,
                             const GUID* SubGroupOfPowerSettingsGuid, const GUID* PowerSettingGuid,
                             std::uint32_t* DcValueIndex) {
    return WithDword(DcValueIndex, [&](DWORD* value) {
        return ::PowerReadDCValueIndex(AsKey(RootPowerKey), SchemeGuid, SubGroupOfPowerSettingsGuid,
                                       PowerSettingGuid, value);
    });
}

Status PowerWriteACValueIndex(RootKey RootPowerKey, const GUID* SchemeGuid,
                              const GUID* SubGroupOfPowerSettingsGuid, const GUID* PowerSettingGuid,
                              std::uint32_t AcValueIndex) {
    return ::PowerWriteACValueIndex(AsKey(RootPowerKey), SchemeGuid, SubGroupOfPowerSettingsGuid,
                                    PowerSettingGuid, AcValueIndex);
}

Status PowerWriteDCValueIndex(RootKey RootPowerKey, const GUID* SchemeGuid,
                              const GUID* SubGroupOfPowerSettingsGuid, const GUID* PowerSettingGuid,
                              std::uint32_t DcValueIndex) {
    return ::PowerWriteDCValueIndex(AsKey(RootPowerKey), SchemeGuid, SubGroupOfPowerSettingsGuid,
                                    PowerSettingGuid, DcValueIndex);
}

Status PowerGetActiveScheme(RootKey UserRootPowerKey, GUID** ActivePolicyGuid) {
    return ::PowerGetActiveScheme(AsKey(UserRootPowerKey), ActivePolicyGuid);
}

Status PowerSetActiveScheme(RootKey UserRootPowerKey, const GUID* SchemeGuid) {
    return ::PowerSetActiveScheme(AsKey(UserRootPowerKey), SchemeGuid);
}

Status PowerReadDescription(RootKey RootPowerKey, const GUID* SchemeGuid,
                            const GUID* SubGroupOfPowerSettingsGuid, const GUID* PowerSettingGuid,
                            std::uint8_t* Buffer, std::uint32_t* BufferSize) {
    return WithDword(BufferSize, [&](DWORD* size) {
        return ::PowerReadDescription(AsKey(RootPowerKey), SchemeGuid, SubGroupOfPowerSettingsGuid,
                                      PowerSettingGuid, Buffer, size);
    });
}

std::int32_t CallNtPowerInformation(SystemBatteryState* OutputBuffer) {
    SYSTEM_BATTERY_STATE state{};
    const LONG status =  // an NTSTATUS
        ::CallNtPowerInformation(::SystemBatteryState, nullptr, 0, &state, sizeof state);
    if (status == 0) {
        OutputBuffer->AcOnLine = state.AcOnLine != FALSE;
        OutputBuffer->BatteryPresent = state.BatteryPresent != FALSE;
    }
    return static_cast<std::int32_t>(status);
}

std::int32_t CallNtPowerInformation(SystemPowerCapabilities* OutputBuffer) {
    SYSTEM_POWER_CAPABILITIES capabilities{};
    const LONG status = ::CallNtPowerInformation(::SystemPowerCapabilities, nullptr, 0,
                                                 &capabilities, sizeof capabilities);
    if (status == 0) {
        OutputBuffer->AoAc = AoAcOf(capabilities) != FALSE;
        OutputBuffer->SystemBatteriesPresent = capabilities.SystemBatteriesPresent != FALSE;
        OutputBuffer->BatteriesAreShortTerm = capabilities.BatteriesAreShortTerm != FALSE;
    }
    return static_cast<std::int32_t>(status);
}

Status PowerGetUserConfiguredACPowerMode(GUID* PowerModeGuid) {
    static const auto call = PowrprofExport<GetPowerMode>("PowerGetUserConfiguredACPowerMode");
    return CallExport(call, PowerModeGuid);
}

Status PowerGetUserConfiguredDCPowerMode(GUID* PowerModeGuid) {
    static const auto call = PowrprofExport<GetPowerMode>("PowerGetUserConfiguredDCPowerMode");
    return CallExport(call, PowerModeGuid);
}

Status PowerSetUserConfiguredACPowerMode(const GUID* PowerModeGuid) {
    static const auto call = PowrprofExport<SetPowerMode>("PowerSetUserConfiguredACPowerMode");
    return CallExport(call, PowerModeGuid);
}

Status PowerSetUserConfiguredDCPowerMode(const GUID* PowerModeGuid) {
    static const auto call = PowrprofExport<SetPowerMode>("PowerSetUserConfiguredDCPowerMode");
    return CallExport(call, PowerModeGuid);
}

Status PowerSettingAccessCheckEx(std::uint32_t AccessFlags, const GUID* PowerGuid,
                                 std::uint32_t AccessType) {
    static const auto call = PowrprofExport<AccessCheck>("PowerSettingAccessCheckEx");
    return CallExport(call, static_cast<POWER_DATA_ACCESSOR>(AccessFlags), PowerGuid,
                      static_cast<REGSAM>(AccessType));
}

// ---- Making, removing and restoring plans: resolved at run time, as Wine lacks them ----

namespace {
using DuplicateScheme = DWORD(WINAPI*)(HKEY, const GUID*, GUID**);
using SchemeCall = DWORD(WINAPI*)(HKEY, const GUID*);
using RestoreAll = DWORD(WINAPI*)();
using RestoreOne = DWORD(WINAPI*)(const GUID*);
}  // namespace

Status PowerDuplicateScheme(RootKey RootPowerKey, const GUID* SourceSchemeGuid,
                            GUID** DestinationSchemeGuid) {
    static const auto call = PowrprofExport<DuplicateScheme>("PowerDuplicateScheme");
    return CallExport(call, AsKey(RootPowerKey), SourceSchemeGuid, DestinationSchemeGuid);
}

Status PowerDeleteScheme(RootKey RootPowerKey, const GUID* SchemeGuid) {
    static const auto call = PowrprofExport<SchemeCall>("PowerDeleteScheme");
    return CallExport(call, AsKey(RootPowerKey), SchemeGuid);
}

Status PowerRestoreDefaultPowerSchemes() {
    static const auto call = PowrprofExport<RestoreAll>("PowerRestoreDefaultPowerSchemes");
    return CallExport(call);
}

Status PowerCanRestoreIndividualDefaultPowerScheme(const GUID* SchemeGuid) {
    static const auto call =
        PowrprofExport<RestoreOne>("PowerCanRestoreIndividualDefaultPowerScheme");
    return CallExport(call, SchemeGuid);
}

Status PowerRestoreIndividualDefaultPowerScheme(const GUID* SchemeGuid) {
    static const auto call = PowrprofExport<RestoreOne>("PowerRestoreIndividualDefaultPowerScheme");
    return CallExport(call, SchemeGuid);
}

// ---- Every setting of a plan: resolved at run time, as Wine's powrprof lacks them ----

namespace {

// The settings model's calls; those of the class are among them, for Wine lacks those too.
constexpr const char* kSettingCalls[] = {
    "PowerReadACValueIndex",       "PowerReadDCValueIndex",         "PowerWriteACValueIndex",
    "PowerWriteDCValueIndex",      "PowerReadDescription",          "PowerReadSettingAttributes",
    "PowerWriteSettingAttributes", "PowerIsSettingRangeDefined",    "PowerReadValueMin",
    "PowerReadValueMax",           "PowerReadValueIncrement",       "PowerReadValueUnitsSpecifier",
    "PowerReadPossibleValue",      "PowerReadPossibleFriendlyName", "PowerReadPossibleDescription",
    "PowerReadACDefaultIndex",     "PowerReadDCDefaultIndex"};

using ReadAttributes = DWORD(WINAPI*)(const GUID*, const GUID*);
using WriteAttributes = DWORD(WINAPI*)(const GUID*, const GUID*, DWORD);
using RangeDefined = BOOLEAN(WINAPI*)(const GUID*, const GUID*);
using ReadLimit = DWORD(WINAPI*)(HKEY, const GUID*, const GUID*, LPDWORD);
using ReadUnits = DWORD(WINAPI*)(HKEY, const GUID*, const GUID*, UCHAR*, LPDWORD);
using ReadPossible = DWORD(WINAPI*)(HKEY, const GUID*, const GUID*, PULONG, ULONG, PUCHAR, LPDWORD);
using ReadPossibleText = DWORD(WINAPI*)(HKEY, const GUID*, const GUID*, ULONG, PUCHAR, LPDWORD);
using ReadDefault = DWORD(WINAPI*)(HKEY, const GUID*, const GUID*, const GUID*, LPDWORD);

// A limit of a range, or a default: `call` with a DWORD standing in for the uint32_t.
template <typename Function, typename... Arguments>
Status ReadDword(Function call, std::uint32_t* value, Arguments... arguments) {
    if (call == nullptr) {
        return status::ProcNotFound;
    }
    return WithDword(value, [&](DWORD* dword) { return call(arguments..., dword); });
}

}  // namespace

std::vector<std::string_view> MissingSettingCalls() {
    static const std::vector<std::string_view> missing = [] {
        std::vector<std::string_view> names;
        for (const char* name : kSettingCalls) {
            if (PowrprofExport<FARPROC>(name) == nullptr) {
                names.emplace_back(name);
            }
        }
        return names;
    }();
    return missing;
}

std::uint32_t PowerReadSettingAttributes(const GUID* SubGroupGuid, const GUID* PowerSettingGuid) {
    static const auto call = PowrprofExport<ReadAttributes>("PowerReadSettingAttributes");
    return call != nullptr ? static_cast<std::uint32_t>(call(SubGroupGuid, PowerSettingGuid)) : 0;
}

Status PowerWriteSettingAttributes(const GUID* SubGroupGuid, const GUID* PowerSettingGuid,
                                   std::uint32_t Attributes) {
    static const auto call = PowrprofExport<WriteAttributes>("PowerWriteSettingAttributes");
    return CallExport(call, SubGroupGuid, PowerSettingGuid, static_cast<DWORD>(Attributes));
}

bool PowerIsSettingRangeDefined(const GUID* SubKeyGuid, const GUID* SettingGuid) {
    static const auto call = PowrprofExport<RangeDefined>("PowerIsSettingRangeDefined");
    return call != nullptr && call(SubKeyGuid, SettingGuid) != FALSE;
}

Status PowerReadValueMin(RootKey RootPowerKey, const GUID* SubGroupOfPowerSettingsGuid,
                         const GUID* PowerSettingGuid, std::uint32_t* ValueMinimum) {
    static const auto call = PowrprofExport<ReadLimit>("PowerReadValueMin");
    return ReadDword(call, ValueMinimum, AsKey(RootPowerKey), SubGroupOfPowerSettingsGuid,
                     PowerSettingGuid);
}

Status PowerReadValueMax(RootKey RootPowerKey, const GUID* SubGroupOfPowerSettingsGuid,
                         const GUID* PowerSettingGuid, std::uint32_t* ValueMaximum) {
    static const auto call = PowrprofExport<ReadLimit>("PowerReadValueMax");
    return ReadDword(call, ValueMaximum, AsKey(RootPowerKey), SubGroupOfPowerSettingsGuid,
                     PowerSettingGuid);
}

Status PowerReadValueIncrement(RootKey RootPowerKey, const GUID* SubGroupOfPowerSettingsGuid,
                               const GUID* PowerSettingGuid, std::uint32_t* ValueIncrement) {
    static const auto call = PowrprofExport<ReadLimit>("PowerReadValueIncrement");
    return ReadDword(call, ValueIncrement, AsKey(RootPowerKey), SubGroupOfPowerSettingsGuid,
                     PowerSettingGuid);
}

Status PowerReadValueUnitsSpecifier(RootKey RootPowerKey, const GUID* SubGroupOfPowerSettingsGuid,
                                    const GUID* PowerSettingGuid, std::uint8_t* Buffer,
                                    std::uint32_t* BufferSize) {
    static const auto call = PowrprofExport<ReadUnits>("PowerReadValueUnitsSpecifier");
    return ReadDword(call, BufferSize, AsKey(RootPowerKey), SubGroupOfPowerSettingsGuid,
                     PowerSettingGuid, Buffer);
}

Status PowerReadPossibleValue(RootKey RootPowerKey, const GUID* SubGroupOfPowerSettingsGuid,
                              const GUID* PowerSettingGuid, std::uint32_t* Type,
                              std::uint32_t PossibleSettingIndex, std::uint8_t* Buffer,
                              std::uint32_t* BufferSize) {
    static const auto call = PowrprofExport<ReadPossible>("PowerReadPossibleValue");
    ULONG type = 0;
    const Status answer = ReadDword(
        call, BufferSize, AsKey(RootPowerKey), SubGroupOfPowerSettingsGuid, PowerSettingGuid,
        Type != nullptr ? &type : nullptr, static_cast<ULONG>(PossibleSettingIndex), Buffer);
    if (Type != nullptr) {
        *Type = static_cast<std::uint32_t>(type);
    }
    return answer;
}

Status PowerReadPossibleFriendlyName(RootKey RootPowerKey, const GUID* SubGroupOfPowerSettingsGuid,
                                     const GUID* PowerSettingGuid,
                                     std::uint32_t PossibleSettingIndex, std::uint8_t* Buffer,
                                     std::uint32_t* BufferSize) {
    static const auto call = PowrprofExport<ReadPossibleText>("PowerReadPossibleFriendlyName");
    return ReadDword(call, BufferSize, AsKey(RootPowerKey), SubGroupOfPowerSettingsGuid,
                     PowerSettingGuid, static_cast<ULONG>(PossibleSettingIndex), Buffer);
}

Status PowerReadPossibleDescription(RootKey RootPowerKey, const GUID* SubGroupOfPowerSettingsGuid,
                                    const GUID* PowerSettingGuid,
                                    std::uint32_t PossibleSettingIndex, std::uint8_t* Buffer,
                                    std::uint32_t* BufferSize) {
    static const auto call = PowrprofExport<ReadPossibleText>("PowerReadPossibleDescription");
    return ReadDword(call, BufferSize, AsKey(RootPowerKey), SubGroupOfPowerSettingsGuid,
                     PowerSettingGuid, static_cast<ULONG>(PossibleSettingIndex), Buffer);
}

Status PowerReadACDefaultIndex(RootKey RootPowerKey, const GUID* SchemePersonalityGuid,
                               const GUID* SubGroupOfPowerSettingsGuid,
                               const GUID* PowerSettingGuid, std::uint32_t* AcDefaultIndex) {
    static const auto call = PowrprofExport<ReadDefault>("PowerReadACDefaultIndex");
    return ReadDword(call, AcDefaultIndex, AsKey(RootPowerKey), SchemePersonalityGuid,
                     SubGroupOfPowerSettingsGuid, PowerSettingGuid);
}

Status PowerReadDCDefaultIndex(RootKey RootPowerKey, const GUID* SchemePersonalityGuid,
                               const GUID* SubGroupOfPowerSettingsGuid,
                               const GUID* PowerSettingGuid, std::uint32_t* DcDefaultIndex) {
    static const auto call = PowrprofExport<ReadDefault>("PowerReadDCDefaultIndex");
    return ReadDword(call, DcDefaultIndex, AsKey(RootPowerKey), SchemePersonalityGuid,
                     SubGroupOfPowerSettingsGuid, PowerSettingGuid);
}

namespace {

using windows::DeviceNotifySubscribeParameters;
using windows::kDeviceNotifyCallback;
using RegisterSetting = DWORD(WINAPI*)(LPCGUID, DWORD, HANDLE, PHPOWERNOTIFY);
using RegisterSuspendResume = DWORD(WINAPI*)(DWORD, HANDLE, PHPOWERNOTIFY);
using UnregisterNotification = DWORD(WINAPI*)(HPOWERNOTIFY);

// One registration: Windows calls Forward (__stdcall) with it, which calls the recipient.
// Windows does not say that unregistering waits for a callback in flight, so a record is
// never freed: a late callback finds it intact. Once unregistered it forwards nothing new;
// one that was already past the check reaches the recipient, whose own guard (the
// watcher's set of live watchers) turns it away.
struct Subscription {
    DeviceNotifySubscribeParameters parameters{};
    NotifyRecipient recipient{};
    HPOWERNOTIFY handle = nullptr;
    std::atomic<bool> registered{false};

    static ULONG CALLBACK Forward(PVOID context, ULONG type, PVOID) {
        const auto* subscription = static_cast<const Subscription*>(context);
        if (subscription->registered.load()) {
            subscription->recipient.Callback(subscription->recipient.Context,
                                             static_cast<std::uint32_t>(type));
        }
        return ERROR_SUCCESS;
    }
};

// Registers a new record with `call`, which gets the subscribe parameters and the handle.
template <typename Call>
Status Subscribe(const NotifyRecipient* recipient, NotifyHandle* handle, Call call) {
    if (recipient == nullptr || recipient->Callback == nullptr || handle == nullptr) {
        return status::InvalidParameter;
    }
    static std::mutex mutex;
    static std::vector<std::unique_ptr<Subscription>> subscriptions;
    std::lock_guard<std::mutex> lock(mutex);
    auto subscription = std::make_unique<Subscription>();
    subscription->parameters = {&Subscription::Forward, subscription.get()};
    subscription->recipient = *recipient;
    subscription->registered = true;
    const Status result = call(&subscription->parameters, &subscription->handle);
    if (result != status::Success) {
        return result;  // never registered: nothing can call it
    }
    *handle = subscription.get();
    subscriptions.push_back(std::move(subscription));
    return status::Success;
}

Status Unsubscribe(NotifyHandle handle, UnregisterNotification unregister) {
    auto* subscription = static_cast<Subscription*>(handle);
    if (subscription == nullptr) {
        return status::InvalidParameter;
    }
    subscription->registered = false;
    return CallExport(unregister, subscription->handle);
}

}  // namespace

Status PowerSettingRegisterNotification(const GUID* SettingGuid, const NotifyRecipient* Recipient,
                                        NotifyHandle* RegistrationHandle) {
    static const auto call = PowrprofExport<RegisterSetting>("PowerSettingRegisterNotification");
    return Subscribe(Recipient, RegistrationHandle, [&](PVOID parameters, HPOWERNOTIFY* handle) {
        return CallExport(call, SettingGuid, kDeviceNotifyCallback, parameters, handle);
    });
}

Status PowerSettingUnregisterNotification(NotifyHandle RegistrationHandle) {
    static const auto call =
        PowrprofExport<UnregisterNotification>("PowerSettingUnregisterNotification");
    return Unsubscribe(RegistrationHandle, call);
}

Status PowerRegisterSuspendResumeNotification(const NotifyRecipient* Recipient,
                                              NotifyHandle* RegistrationHandle) {
    static const auto call =
        PowrprofExport<RegisterSuspendResume>("PowerRegisterSuspendResumeNotification");
    return Subscribe(Recipient, RegistrationHandle, [&](PVOID parameters, HPOWERNOTIFY* handle) {
        return CallExport(call, kDeviceNotifyCallback, parameters, handle);
    });
}

Status PowerUnregisterSuspendResumeNotification(NotifyHandle RegistrationHandle) {
    static const auto call =
        PowrprofExport<UnregisterNotification>("PowerUnregisterSuspendResumeNotification");
    return Unsubscribe(RegistrationHandle, call);
}

void* LocalAlloc(std::uint32_t uFlags, std::size_t uBytes) { return ::LocalAlloc(uFlags, uBytes); }

void* LocalFree(void* hMem) { return ::LocalFree(hMem); }

RegistryAnswer RegReadCurrentUserValue(std::u16string_view keyPath, std::u16string_view valueName) {
    using Kind = RegistryAnswer::Kind;
    HKEY opened = nullptr;
    const LSTATUS openStatus =
        ::RegOpenKeyExW(HKEY_CURRENT_USER, Wide(keyPath).c_str(), 0, KEY_READ, &opened);
    if (openStatus == ERROR_ACCESS_DENIED) {
        return {Kind::AccessDenied, {}};
    }
    if (openStatus != ERROR_SUCCESS) {
        return {Kind::NoKey, {}};
    }
    const RegistryKeyHandle key(opened);
    const std::wstring name = Wide(valueName);

    // Ask for the size, then read; the value may grow in between, so ask again if it did.
    DWORD type = REG_NONE;
    DWORD size = 0;
    std::vector<BYTE> data;
    LSTATUS readStatus =
        ::RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, nullptr, &size);
    for (int attempt = 0; readStatus == ERROR_SUCCESS || readStatus == ERROR_MORE_DATA; ++attempt) {
        data.assign(size + sizeof(wchar_t), 0);  // room for a NUL the data may lack
        readStatus =
            ::RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, data.data(), &size);
        if (readStatus != ERROR_MORE_DATA || attempt == 3) {
            break;
        }
    }
    if (readStatus == ERROR_ACCESS_DENIED) {
        return {Kind::AccessDenied, {}};
    }
    if (readStatus != ERROR_SUCCESS) {
        return {Kind::NoValue, {}};  // not found, or no value that could be read
    }

    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
        // The data may lack a terminating NUL or hold several.
        return {Kind::String, detail::TextUpToNul(data.data(), size)};
    case REG_DWORD:
    case REG_DWORD_BIG_ENDIAN:
    case REG_QWORD:
        return {Kind::OtherKind, NumberText(NumberData(data, size, type))};
    case REG_MULTI_SZ:
        return {Kind::OtherKind, OpaqueValueText(u"multi-string", size)};
    default:
        return {Kind::OtherKind, OpaqueValueText(u"binary", size)};
    }
}

Status RegSetCurrentUserString(std::u16string_view keyPath, std::u16string_view valueName,
                               std::u16string_view text) {
    HKEY created = nullptr;
    const LSTATUS createStatus =
        ::RegCreateKeyExW(HKEY_CURRENT_USER, Wide(keyPath).c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                          nullptr, &created, nullptr);
    if (createStatus != ERROR_SUCCESS) {
        return static_cast<Status>(createStatus);
    }
    const RegistryKeyHandle key(created);
    const std::wstring data = Wide(text);
    const auto bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
    return static_cast<Status>(::RegSetValueExW(key.get(), Wide(valueName).c_str(), 0, REG_SZ,
                                                reinterpret_cast<const BYTE*>(data.c_str()),
                                                bytes));
}

Status RegDeleteCurrentUserValue(std::u16string_view keyPath, std::u16string_view valueName) {
    HKEY opened = nullptr;
    const LSTATUS openStatus =
        ::RegOpenKeyExW(HKEY_CURRENT_USER, Wide(keyPath).c_str(), 0, KEY_SET_VALUE, &opened);
    if (openStatus != ERROR_SUCCESS) {
        return static_cast<Status>(openStatus);
    }
    const RegistryKeyHandle key(opened);
    return static_cast<Status>(::RegDeleteValueW(key.get(), Wide(valueName).c_str()));
}

}  // namespace Calvoro::platform
