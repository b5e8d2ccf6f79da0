// The operating-system operations that the library's logic needs, and nothing else.
//
// Names and argument order are the platform's own. Exactly one binding defines them:
// platform/windows forwards to powrprof, kernel32 and advapi32; platform/simulated answers
// from an in-memory machine; the tests link a recording fake instead. The logic never
// knows which one stands behind these declarations.
//
// Types are fixed-width stand-ins for the platform's: DWORD is std::uint32_t, a root power
// key is an opaque pointer that the library always passes as nullptr, and identifiers go
// by address as Calvoro::GUID records (the platform's own GUID on Windows).
#pragma once

#include <calvoro/guid.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Calvoro::platform {

/// A platform status: 0 is success, anything else a Windows error code.
using Status = std::uint32_t;
/// The platform's root power key (HKEY). The library always passes none.
using RootKey = void*;

/// Windows' statuses that the library and the simulated platform speak of by name. (The
/// names differ from Windows' ERROR_* because <windows.h> defines those as macros.)
namespace status {
inline constexpr Status Success = 0;               // ERROR_SUCCESS
inline constexpr Status FileNotFound = 2;          // ERROR_FILE_NOT_FOUND
inline constexpr Status AccessDenied = 5;          // ERROR_ACCESS_DENIED
inline constexpr Status NotEnoughMemory = 8;       // ERROR_NOT_ENOUGH_MEMORY
inline constexpr Status InvalidParameter = 87;     // ERROR_INVALID_PARAMETER
inline constexpr Status CallNotImplemented = 120;  // ERROR_CALL_NOT_IMPLEMENTED
inline constexpr Status MoreData = 234;            // ERROR_MORE_DATA
inline constexpr Status NoMoreItems = 259;         // ERROR_NO_MORE_ITEMS
inline constexpr Status NotSupported = 50;         // ERROR_NOT_SUPPORTED
inline constexpr Status ProcNotFound = 127;        // ERROR_PROC_NOT_FOUND: no such export
inline constexpr Status AlreadyExists = 183;       // ERROR_ALREADY_EXISTS
inline constexpr Status DisabledByPolicy = 1260;   // ERROR_ACCESS_DISABLED_BY_POLICY
}  // namespace status

/// PowerEnumerate's access flag for enumerating plans (ACCESS_SCHEME).
inline constexpr std::uint32_t kAccessScheme = 16;

// ---- Power plans (powrprof) ----

Status PowerEnumerate(RootKey RootPowerKey, const GUID* SchemeGuid,
                      const GUID* SubGroupOfPowerSettingsGuid, std::uint32_t AccessFlags,
                      std::uint32_t Index, std::uint8_t* Buffer, std::uint32_t* BufferSize);

Status PowerReadFriendlyName(RootKey RootPowerKey, const GUID* SchemeGuid,
                             const GUID* SubGroupOfPowerSettingsGuid, const GUID* PowerSettingGuid,
                             std::uint8_t* Buffer, std::uint32_t* BufferSize);

Status PowerWriteFriendlyName(RootKey RootPowerKey, const GUID* SchemeGuid,
                              const GUID* SubGroupOfPowerSettingsGuid, const GUID* PowerSettingGuid,
                              const std::uint8_t* Buffer, std::uint32_t BufferSize);

Status PowerWriteDescription(RootKey RootPowerKey, const GUID* SchemeGuid,
                             const GUID* SubGroupOfPowerSettingsGuid, const GUID* PowerSettingGuid,
                             const std::uint8_t* Buffer, std::uint32_t BufferSize);

Status PowerReadACValueIndex(RootKey RootPowerKey, const GUID* SchemeGuid,
                             const GUID* SubGroupOfPowerSettingsGuid, const GUID* PowerSettingGuid,
                             std::uint32_t* AcValueIndex);

Status PowerReadDCValueIndex(RootKey RootPowerKey, const GUID* SchemeGuid,
                             const GUID* SubGroupOfPowerSettingsGuid, const GUID* PowerSettingGuid,
                             std::uint32_t* DcValueIndex);

Status PowerWriteACValueIndex(RootKey RootPowerKey, const GUID* SchemeGuid,
                              const GUID* SubGroupOfPowerSettingsGuid, const GUID* PowerSettingGuid,
                              std::uint32_t AcValueIndex);

Status PowerWriteDCValueIndex(RootKey RootPowerKey, const GUID* SchemeGuid,
                              const GUID* SubGroupOfPowerSettingsGuid, const GUID* PowerSettingGuid,
                              std::uint32_t DcValueIndex);

// ---- Beyond the class: the active plan and a plan's description (powrprof) ----
//
// The class never calls these; the library's own operations beside it do.

/// The active plan's record, in a block that the caller releases with LocalFree.
Status PowerGetActiveScheme(RootKey UserRootPowerKey, GUID** ActivePolicyGuid);

/// Applies the plan.
Status PowerSetActiveScheme(RootKey UserRootPowerKey, const GUID* SchemeGuid);

/// As PowerReadFriendlyName, for the plan's description.
Status PowerReadDescription(RootKey RootPowerKey, const GUID* SchemeGuid,
                            const GUID* SubGroupOfPowerSettingsGuid, const GUID* PowerSettingGuid,
                            std::uint8_t* Buffer, std::uint32_t* BufferSize);

// ---- The power source, the power modes and policy (powrprof) ----

/// The fields of SYSTEM_BATTERY_STATE that the library reads.
struct SystemBatteryState {
    bool AcOnLine = false;
    bool BatteryPresent = false;
};

/// The fields of SYSTEM_POWER_CAPABILITIES that the library reads.
struct SystemPowerCapabilities {
    bool AoAc = false;  ///< Modern Standby
    bool SystemBatteriesPresent = false;
    bool BatteriesAreShortTerm = false;  ///< the batteries are a UPS's
};

/// CallNtPowerInformation(SystemBatteryState) and (SystemPowerCapabilities): an NTSTATUS,
/// 0 on success.
std::int32_t CallNtPowerInformation(SystemBatteryState* OutputBuffer);
std::int32_t CallNtPowerInformation(SystemPowerCapabilities* OutputBuffer);

/// The user's power mode for mains power or battery (Windows 11; ProcNotFound elsewhere).
Status PowerGetUserConfiguredACPowerMode(GUID* PowerModeGuid);
Status PowerGetUserConfiguredDCPowerMode(GUID* PowerModeGuid);
Status PowerSetUserConfiguredACPowerMode(const GUID* PowerModeGuid);
Status PowerSetUserConfiguredDCPowerMode(const GUID* PowerModeGuid);

/// PowerSettingAccessCheckEx's accessor for the active plan (ACCESS_ACTIVE_SCHEME), and the
/// access asked for (KEY_WRITE).
inline constexpr std::uint32_t kAccessActiveScheme = 19;
inline constexpr std::uint32_t kKeyWrite = 0x20006;

/// Whether the user may change what `AccessFlags` names: DisabledByPolicy when Group Policy
/// sets it (Windows 8+; ProcNotFound elsewhere).
Status PowerSettingAccessCheckEx(std::uint32_t AccessFlags, const GUID* PowerGuid,
                                 std::uint32_t AccessType);

// ---- Making, removing and restoring plans (powrprof) ----
//
// The Windows binding resolves these at run time: Wine's powrprof lacks them (ProcNotFound).

/// PowerSettingAccessCheckEx's accessor for creating plans (ACCESS_CREATE_SCHEME).
inline constexpr std::uint32_t kAccessCreateScheme = 20;

/// Copies the plan (a listed plan or one of Windows' hidden templates) with every setting,
/// its name and description. When `*DestinationSchemeGuid` is null, the platform picks the
/// new identifier and hands it out in a block that the caller releases with LocalFree;
/// otherwise the copy takes the identifier given there (AlreadyExists when it is installed).
Status PowerDuplicateScheme(RootKey RootPowerKey, const GUID* SourceSchemeGuid,
                            GUID** DestinationSchemeGuid);

/// Removes the plan.
Status PowerDeleteScheme(RootKey RootPowerKey, const GUID* SchemeGuid);

/// Removes every plan but Windows' standard ones and gives those their default settings.
Status PowerRestoreDefaultPowerSchemes();

/// Success when the plan is one of Windows' own, whose defaults can be restored.
Status PowerCanRestoreIndividualDefaultPowerScheme(const GUID* SchemeGuid);
/// Gives one of Windows' own plans its default settings, name and description again.
Status PowerRestoreIndividualDefaultPowerScheme(const GUID* SchemeGuid);

// ---- Notifications (powrprof, Windows 8+; ProcNotFound elsewhere) ----
//
// Always with DEVICE_NOTIFY_CALLBACK: the platform calls `Callback` on a thread of its own
// with the broadcast's type, and says nothing of the setting's new value (the library reads
// it itself). The callback only records that something happened and returns at once.

/// The broadcasts that the watcher acts on (PBT_*).
inline constexpr std::uint32_t kPbtApmResumeAutomatic = 0x12;
inline constexpr std::uint32_t kPbtPowerSettingChange = 0x8013;

/// Who is told, and with what (DEVICE_NOTIFY_SUBSCRIBE_PARAMETERS).
struct NotifyRecipient {
    void (*Callback)(void* Context, std::uint32_t Type);
    void* Context;
};
using NotifyHandle = void*;  ///< HPOWERNOTIFY

/// Tells `Recipient` of every change of the setting (GUID_ACDC_POWER_SOURCE,
/// GUID_ACTIVE_POWERSCHEME) until unregistered. As on Windows, a callback may still come
/// after unregistering returned (Windows does not say that it waits for one in flight): the
/// recipient guards against that itself (the watcher's set of live watchers). `Recipient` is
/// copied; it need not outlive the call.
Status PowerSettingRegisterNotification(const GUID* SettingGuid, const NotifyRecipient* Recipient,
                                        NotifyHandle* RegistrationHandle);
Status PowerSettingUnregisterNotification(NotifyHandle RegistrationHandle);

/// Tells `Recipient` of suspend and resume until unregistered.
Status PowerRegisterSuspendResumeNotification(const NotifyRecipient* Recipient,
                                              NotifyHandle* RegistrationHandle);
Status PowerUnregisterSuspendResumeNotification(NotifyHandle RegistrationHandle);

// ---- Every setting of a plan, as the platform describes it (powrprof) ----
//
// The Windows binding resolves these at run time: Wine's powrprof lacks some of them.

/// PowerEnumerate's access flags for a plan's subgroups and for a subgroup's settings.
inline constexpr std::uint32_t kAccessSubgroup = 17;           // ACCESS_SUBGROUP
inline constexpr std::uint32_t kAccessIndividualSetting = 18;  // ACCESS_INDIVIDUAL_SETTING
/// PowerSettingAccessCheckEx's accessors for a setting's value on AC and on DC.
inline constexpr std::uint32_t kAccessAcPowerSettingIndex = 0;  // ACCESS_AC_POWER_SETTING_INDEX
inline constexpr std::uint32_t kAccessDcPowerSettingIndex = 1;  // ACCESS_DC_POWER_SETTING_INDEX
/// PowerReadSettingAttributes' bits.
inline constexpr std::uint32_t kAttributeHide = 1;      // ATTRIBUTE_HIDE
inline constexpr std::uint32_t kAttributeShowAoac = 2;  // ATTRIBUTE_SHOW_AOAC

/// The calls of this section that the platform lacks, by name; none where it has them all.
/// (Wine's powrprof exports some of them as stubs that raise: those count as lacking.)
std::vector<std::string_view> MissingSettingCalls();

/// The setting's attributes (ATTRIBUTE_HIDE, ATTRIBUTE_SHOW_AOAC): the answer is the bits
/// themselves, not a status.
std::uint32_t PowerReadSettingAttributes(const GUID* SubGroupGuid, const GUID* PowerSettingGuid);
Status PowerWriteSettingAttributes(const GUID* SubGroupGuid, const GUID* PowerSettingGuid,
                                   std::uint32_t Attributes);

/// True when the setting has a range (min, max, increment, units), false when it has a list
/// of possible values.
bool PowerIsSettingRangeDefined(const GUID* SubKeyGuid, const GUID* SettingGuid);

Status PowerReadValueMin(RootKey RootPowerKey, const GUID* SubGroupOfPowerSettingsGuid,
                         const GUID* PowerSettingGuid, std::uint32_t* ValueMinimum);
Status PowerReadValueMax(RootKey RootPowerKey, const GUID* SubGroupOfPowerSettingsGuid,
                         const GUID* PowerSettingGuid, std::uint32_t* ValueMaximum);
Status PowerReadValueIncrement(RootKey RootPowerKey, const GUID* SubGroupOfPowerSettingsGuid,
                               const GUID* PowerSettingGuid, std::uint32_t* ValueIncrement);
/// The range's units as UTF-16 text with its NUL; sized like PowerReadFriendlyName.
Status PowerReadValueUnitsSpecifier(RootKey RootPowerKey, const GUID* SubGroupOfPowerSettingsGuid,
                                    const GUID* PowerSettingGuid, std::uint8_t* Buffer,
                                    std::uint32_t* BufferSize);

/// The data of the possible value at `PossibleSettingIndex`; a status other than success
/// past the last one.
Status PowerReadPossibleValue(RootKey RootPowerKey, const GUID* SubGroupOfPowerSettingsGuid,
                              const GUID* PowerSettingGuid, std::uint32_t* Type,
                              std::uint32_t PossibleSettingIndex, std::uint8_t* Buffer,
                              std::uint32_t* BufferSize);
Status PowerReadPossibleFriendlyName(RootKey RootPowerKey, const GUID* SubGroupOfPowerSettingsGuid,
                                     const GUID* PowerSettingGuid,
                                     std::uint32_t PossibleSettingIndex, std::uint8_t* Buffer,
                                     std::uint32_t* BufferSize);
Status PowerReadPossibleDescription(RootKey RootPowerKey, const GUID* SubGroupOfPowerSettingsGuid,
                                    const GUID* PowerSettingGuid,
                                    std::uint32_t PossibleSettingIndex, std::uint8_t* Buffer,
                                    std::uint32_t* BufferSize);

/// Windows' default of the setting for plans of a personality (one of the standard plans'
/// identifiers), on AC and on DC.
Status PowerReadACDefaultIndex(RootKey RootPowerKey, const GUID* SchemePersonalityGuid,
                               const GUID* SubGroupOfPowerSettingsGuid,
                               const GUID* PowerSettingGuid, std::uint32_t* AcDefaultIndex);
Status PowerReadDCDefaultIndex(RootKey RootPowerKey, const GUID* SchemePersonalityGuid,
                               const GUID* SubGroupOfPowerSettingsGuid,
                               const GUID* PowerSettingGuid, std::uint32_t* DcDefaultIndex);

// ---- Zero-filled memory (kernel32) ----

/// LocalAlloc's flags for a fixed, zero-initialised block (LPTR: LMEM_FIXED | LMEM_ZEROINIT).
inline constexpr std::uint32_t kZeroFilledFixed = 0x40;

/// A block of `uBytes` bytes, or nullptr when it cannot be had.
void* LocalAlloc(std::uint32_t uFlags, std::size_t uBytes);
/// Releases a block from LocalAlloc; nullptr is allowed. Returns nullptr on success.
void* LocalFree(void* hMem);

// ---- The current user's registry (advapi32), read ----

/// What the registry said about one value under one key of the current user's hive.
struct RegistryAnswer {
    enum class Kind {
        NoKey,        ///< the key does not exist or cannot be opened (other than refused)
        NoValue,      ///< the key exists, the value does not
        String,       ///< a string value; `text` holds it up to its first NUL
        OtherKind,    ///< a value of another kind; `text` renders it (registry_text.h)
        AccessDenied  ///< opening the key or reading the value was refused
    };
    Kind kind = Kind::NoKey;
    std::u16string text;
};

/// Opens `keyPath` read-only under HKEY_CURRENT_USER, reads `valueName`, and closes the key
/// again on every path.
RegistryAnswer RegReadCurrentUserValue(std::u16string_view keyPath, std::u16string_view valueName);

// ---- The current user's registry, written (advapi32): the default-plan record only ----

/// Creates `keyPath` under HKEY_CURRENT_USER when it is missing and stores `text` as the
/// string value `valueName` (REG_SZ, with its NUL). AccessDenied when refused.
Status RegSetCurrentUserString(std::u16string_view keyPath, std::u16string_view valueName,
                               std::u16string_view text);

/// Removes the value `valueName` of `keyPath`, and nothing else. FileNotFound when there is
/// no such key or value, AccessDenied when refused.
Status RegDeleteCurrentUserValue(std::u16string_view keyPath, std::u16string_view valueName);

}  // namespace Calvoro::platform
