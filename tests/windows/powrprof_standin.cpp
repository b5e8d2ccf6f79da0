// A stand-in for Windows' powrprof.dll: the simulated machine behind the eight power-plan
// operations, exported under their Windows names and signatures. Loaded in place of Wine's
// own (WINEDLLOVERRIDES=powrprof=n), it lets the Windows build's real binding run its
// success paths. The simulated machine's control functions are exported too, so that tests
// can set the machine up and inject faults.
//
// For runs of the program, four variables of the environment:
//   CALVORO_STANDIN_STATE   a state file (as the simulated program keeps it): loaded on the
//                           first call, saved after every write, so that runs follow on;
//                           while a notification is registered, read four times a second,
//                           so that a source or resume count changed from outside calls back
//   CALVORO_STANDIN_ACTIVE  "unknown" makes PowerGetActiveScheme fail with 120 as Wine's own
//                           does; otherwise the machine's active plan answers
//   CALVORO_STANDIN_LOG     a file that gets a line for each PowerSetActiveScheme
//   CALVORO_STANDIN_POLICY  "pinned" makes PowerSettingAccessCheckEx say that Group Policy sets
//                           the active plan; "no-new-plans" that it forbids creating plans
#include <calvoro/simulation.h>

#include "platform/platform.h"
#include "platform/windows/device_notify.h"
#include "state_json.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace p = Calvoro::platform;

// <powrprof.h> declares these as imports; this DLL defines them, so it declares its own.
#define STANDIN_EXPORT extern "C" __declspec(dllexport) DWORD WINAPI

namespace {

namespace Sim = Calvoro::Simulation;

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// The state file's text as last loaded or saved, so that the follower loads only changes.
std::mutex fileMutex;
std::string fileText;

// The state file, written after a successful write.
DWORD Saved(DWORD status) {
    const std::string path = Variable("CALVORO_STANDIN_STATE");
    if (status == 0 && !path.empty()) {
        std::lock_guard<std::mutex> lock(fileMutex);
        fileText = calvoro_cli::StateToJson(Sim::Snapshot()).dump(2);
        std::ofstream(path, std::ios::binary | std::ios::trunc) << fileText;
    }
    return status;
}

// Loads the state file when another process changed it: the machine then calls back.
void FollowState() {
    // Read under the lock that Saved holds: a text read before a save and loaded after it
    // would put the machine back.
    std::lock_guard<std::mutex> lock(fileMutex);
    std::ifstream in(Variable("CALVORO_STANDIN_STATE"), std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    if (!in || text.empty() || text == fileText) {
        return;
    }
    try {
        Sim::Restore(calvoro_cli::StateFromJson(nlohmann::json::parse(text)));
        fileText = text;
    } catch (const std::exception&) {  // half written: read again next time
    }
}

// The state file, read once before the first call.
void LoadState() {
    static std::once_flag loaded;
    std::call_once(loaded, FollowState);
}

// Reads the state file four times a second while any notification is registered.
class Follower {
public:
    void Registered() {
        std::lock_guard<std::mutex> lock(mutex_);
        if (registrations_++ == 0) {
            stop_ = false;
            thread_ = std::thread([this] { Run(); });
        }
    }
    void Unregistered() {
        std::unique_lock<std::mutex> lock(mutex_);
        if (registrations_ == 0 || --registrations_ != 0) {
            return;
        }
        stop_ = true;
        changed_.notify_all();
        std::thread stopping = std::move(thread_);
        lock.unlock();
        stopping.join();
    }

private:
    void Run() {
        std::unique_lock<std::mutex> lock(mutex_);
        while (!changed_.wait_for(lock, std::chrono::milliseconds(250), [this] { return stop_; })) {
            lock.unlock();
            FollowState();
            lock.lock();
        }
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::thread thread_;
    int registrations_ = 0;
    bool stop_ = false;
};

// Never destroyed: a program that exits registered must not join the thread at unload.
Follower& TheFollower() {
    static auto* follower = new Follower;
    return *follower;
}

// A registration's record, freed when it is unregistered (the machine's unregistration waits
// for a callback in flight).
using Calvoro::platform::windows::DeviceNotifySubscribeParameters;
using Calvoro::platform::windows::kDeviceNotifyCallback;

struct Registration {
    DeviceNotifySubscribeParameters parameters;
    p::NotifyHandle handle = nullptr;
    static void Forward(void* context, std::uint32_t type) {
        const auto* registration = static_cast<const Registration*>(context);
        registration->parameters.Callback(registration->parameters.Context, type, nullptr);
    }
};

// Registers with `call` (the machine's registration for the recipient and the handle).
template <typename Call>
DWORD Register(DWORD flags, HANDLE recipient, HPOWERNOTIFY* handle, Call call) {
    LoadState();
    if (flags != kDeviceNotifyCallback || recipient == nullptr || handle == nullptr) {
        return ERROR_INVALID_PARAMETER;  // the stand-in has no windows to post to
    }
    auto registration = std::make_unique<Registration>();
    registration->parameters = *static_cast<const DeviceNotifySubscribeParameters*>(recipient);
    const p::NotifyRecipient forwarded{&Registration::Forward, registration.get()};
    const DWORD status = call(&forwarded, &registration->handle);
    if (status == ERROR_SUCCESS) {
        TheFollower().Registered();
        *handle = registration.release();
    }
    return status;
}

template <typename Call>
DWORD Unregister(HPOWERNOTIFY handle, Call call) {
    const std::unique_ptr<Registration> registration(static_cast<Registration*>(handle));
    if (registration == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    const DWORD status = call(registration->handle);
    TheFollower().Unregistered();
    return status;
}

// Runs `call` with a uint32_t standing in for an optional in/out DWORD.
template <typename Call>
DWORD WithUint32(DWORD* value, Call call) {
    LoadState();
    if (value == nullptr) {
        return call(nullptr);
    }
    std::uint32_t narrow = *value;
    const DWORD status = call(&narrow);
    *value = narrow;
    return status;
}

}  // namespace

STANDIN_EXPORT PowerEnumerate(HKEY RootPowerKey, const GUID* SchemeGuid,
                              const GUID* SubGroupOfPowerSettingsGuid, int AccessFlags, ULONG Index,
                              UCHAR* Buffer, DWORD* BufferSize) {
    return WithUint32(BufferSize, [&](std::uint32_t* size) {
        return p::PowerEnumerate(RootPowerKey, SchemeGuid, SubGroupOfPowerSettingsGuid,
                                 static_cast<std::uint32_t>(AccessFlags), Index, Buffer, size);
    });
}

STANDIN_EXPORT PowerReadFriendlyName(HKEY RootPowerKey, const GUID* SchemeGuid,
                                     const GUID* SubGroupOfPowerSettingsGuid,
                                     const GUID* PowerSettingGuid, UCHAR* Buffer,
                                     DWORD* BufferSize) {
    return WithUint32(BufferSize, [&](std::uint32_t* size) {
        return p::PowerReadFriendlyName(RootPowerKey, SchemeGuid, SubGroupOfPowerSettingsGuid,
                                        PowerSettingGuid, Buffer, size);
    });
}

STANDIN_EXPORT PowerWriteFriendlyName(HKEY RootPowerKey, const GUID* SchemeGuid,
                                      const GUID* SubGroupOfPowerSettingsGuid,
                                      const GUID* PowerSettingGuid, UCHAR* Buffer,
                                      DWORD BufferSize) {
    LoadState();
    return Saved(p::PowerWriteFriendlyName(RootPowerKey, SchemeGuid, SubGroupOfPowerSettingsGuid,
                                           PowerSettingGuid, Buffer, BufferSize));
}

STANDIN_EXPORT PowerWriteDescription(HKEY RootPowerKey, const GUID* SchemeGuid,
                                     const GUID* SubGroupOfPowerSettingsGuid,
                                     const GUID* PowerSettingGuid, UCHAR* Buffer,
                                     DWORD BufferSize) {
    LoadState();
    return Saved(p::PowerWriteDescription(RootPowerKey, SchemeGuid, SubGroupOfPowerSettingsGuid,
                                          PowerSettingGuid, Buffer, BufferSize));
}

STANDIN_EXPORT PowerReadACValueIndex(HKEY RootPowerKey, const GUID* SchemeGuid,
                                     const GUID* SubGroupOfPowerSettingsGuid,
                                     const GUID* PowerSettingGuid, DWORD* AcValueIndex) {
    return WithUint32(AcValueIndex, [&](std::uint32_t* value) {
        return p::PowerReadACValueIndex(RootPowerKey, SchemeGuid, SubGroupOfPowerSettingsGuid,
                                        PowerSettingGuid, value);
    });
}

STANDIN_EXPORT PowerReadDCValueIndex(HKEY RootPowerKey, const GUID* SchemeGuid,
                                     const GUID* SubGroupOfPowerSettingsGuid,
                                     const GUID* PowerSettingGuid, DWORD* DcValueIndex) {
    return WithUint32(DcValueIndex, [&](std::uint32_t* value) {
        return p::PowerReadDCValueIndex(RootPowerKey, SchemeGuid, SubGroupOfPowerSettingsGuid,
                                        PowerSettingGuid, value);
    });
}

STANDIN_EXPORT PowerWriteACValueIndex(HKEY RootPowerKey, const GUID* SchemeGuid,
                                      const GUID* SubGroupOfPowerSettingsGuid,
                                      const GUID* PowerSettingGuid, DWORD AcValueIndex) {
    LoadState();
    return Saved(p::PowerWriteACValueIndex(RootPowerKey, SchemeGuid, SubGroupOfPowerSettingsGuid,
                                           PowerSettingGuid, AcValueIndex));
}

STANDIN_EXPORT PowerWriteDCValueIndex(HKEY RootPowerKey, const GUID* SchemeGuid,
                                      const GUID* SubGroupOfPowerSettingsGuid,
                                      const GUID* PowerSettingGuid, DWORD DcValueIndex) {
    LoadState();
    return Saved(p::PowerWriteDCValueIndex(RootPowerKey, SchemeGuid, SubGroupOfPowerSettingsGuid,
                                           PowerSettingGuid, DcValueIndex));
}

// The active plan, applying a plan (which also leaves a line in the log) and a plan's
// description: the library's own operations beside the class.
STANDIN_EXPORT PowerGetActiveScheme(HKEY UserRootPowerKey, GUID** ActivePolicyGuid) {
    LoadState();
    if (Variable("CALVORO_STANDIN_ACTIVE") == "unknown") {
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
    GUID* simulated = nullptr;
    const DWORD status = p::PowerGetActiveScheme(UserRootPowerKey, &simulated);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    // The caller releases the record with Windows' LocalFree: it gets one of Windows' blocks.
    auto* record = static_cast<GUID*>(::LocalAlloc(LPTR, sizeof(GUID)));
    if (record != nullptr) {
        *record = *simulated;
    }
    (void)p::LocalFree(simulated);
    if (record == nullptr) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    *ActivePolicyGuid = record;
    return ERROR_SUCCESS;
}

STANDIN_EXPORT PowerSetActiveScheme(HKEY UserRootPowerKey, const GUID* SchemeGuid) {
    LoadState();
    if (SchemeGuid != nullptr) {
        std::ofstream(Variable("CALVORO_STANDIN_LOG"), std::ios::app)
            << "PowerSetActiveScheme " << Calvoro::FromGUID(*SchemeGuid) << '\n';
    }
    return Saved(p::PowerSetActiveScheme(UserRootPowerKey, SchemeGuid));
}

STANDIN_EXPORT PowerDuplicateScheme(HKEY RootPowerKey, const GUID* SourceSchemeGuid,
                                    GUID** DestinationSchemeGuid) {
    LoadState();
    if (DestinationSchemeGuid == nullptr || *DestinationSchemeGuid != nullptr) {
        return Saved(
            p::PowerDuplicateScheme(RootPowerKey, SourceSchemeGuid, DestinationSchemeGuid));
    }
    // As PowerGetActiveScheme: a new identifier goes out in one of Windows' blocks.
    auto* record = static_cast<GUID*>(::LocalAlloc(LPTR, sizeof(GUID)));
    if (record == nullptr) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    GUID* simulated = nullptr;
    const DWORD status = Saved(p::PowerDuplicateScheme(RootPowerKey, SourceSchemeGuid, &simulated));
    if (status != ERROR_SUCCESS) {
        ::LocalFree(record);
        return status;
    }
    *record = *simulated;
    (void)p::LocalFree(simulated);
    *DestinationSchemeGuid = record;
    return ERROR_SUCCESS;
}

STANDIN_EXPORT PowerDeleteScheme(HKEY RootPowerKey, const GUID* SchemeGuid) {
    LoadState();
    return Saved(p::PowerDeleteScheme(RootPowerKey, SchemeGuid));
}

STANDIN_EXPORT PowerRestoreDefaultPowerSchemes() {
    LoadState();
    return Saved(p::PowerRestoreDefaultPowerSchemes());
}

STANDIN_EXPORT PowerCanRestoreIndividualDefaultPowerScheme(const GUID* SchemeGuid) {
    LoadState();
    return p::PowerCanRestoreIndividualDefaultPowerScheme(SchemeGuid);
}

STANDIN_EXPORT PowerRestoreIndividualDefaultPowerScheme(const GUID* SchemeGuid) {
    LoadState();
    return Saved(p::PowerRestoreIndividualDefaultPowerScheme(SchemeGuid));
}

STANDIN_EXPORT PowerReadDescription(HKEY RootPowerKey, const GUID* SchemeGuid,
                                    const GUID* SubGroupOfPowerSettingsGuid,
                                    const GUID* PowerSettingGuid, UCHAR* Buffer,
                                    DWORD* BufferSize) {
    return WithUint32(BufferSize, [&](std::uint32_t* size) {
        return p::PowerReadDescription(RootPowerKey, SchemeGuid, SubGroupOfPowerSettingsGuid,
                                       PowerSettingGuid, Buffer, size);
    });
}

// Every setting of a plan, answered from the machine's catalogue; the attributes written
// are kept in the state file.
STANDIN_EXPORT PowerReadSettingAttributes(const GUID* SubGroupGuid, const GUID* PowerSettingGuid) {
    LoadState();
    return p::PowerReadSettingAttributes(SubGroupGuid, PowerSettingGuid);
}

STANDIN_EXPORT PowerWriteSettingAttributes(const GUID* SubGroupGuid, const GUID* PowerSettingGuid,
                                           DWORD Attributes) {
    LoadState();
    return Saved(p::PowerWriteSettingAttributes(SubGroupGuid, PowerSettingGuid, Attributes));
}

extern "C" __declspec(dllexport) BOOLEAN WINAPI
    PowerIsSettingRangeDefined(const GUID* SubKeyGuid, const GUID* SettingGuid) {
    return p::PowerIsSettingRangeDefined(SubKeyGuid, SettingGuid) ? TRUE : FALSE;
}

STANDIN_EXPORT PowerReadValueMin(HKEY RootPowerKey, const GUID* SubGroupOfPowerSettingsGuid,
                                 const GUID* PowerSettingGuid, DWORD* ValueMinimum) {
    return WithUint32(ValueMinimum, [&](std::uint32_t* value) {
        return p::PowerReadValueMin(RootPowerKey, SubGroupOfPowerSettingsGuid, PowerSettingGuid,
                                    value);
    });
}

STANDIN_EXPORT PowerReadValueMax(HKEY RootPowerKey, const GUID* SubGroupOfPowerSettingsGuid,
                                 const GUID* PowerSettingGuid, DWORD* ValueMaximum) {
    return WithUint32(ValueMaximum, [&](std::uint32_t* value) {
        return p::PowerReadValueMax(RootPowerKey, SubGroupOfPowerSettingsGuid, PowerSettingGuid,
                                    value);
    });
}

STANDIN_EXPORT PowerReadValueIncrement(HKEY RootPowerKey, const GUID* SubGroupOfPowerSettingsGuid,
                                       const GUID* PowerSettingGuid, DWORD* ValueIncrement) {
    return WithUint32(ValueIncrement, [&](std::uint32_t* value) {
        return p::PowerReadValueIncrement(RootPowerKey, SubGroupOfPowerSettingsGuid,
                                          PowerSettingGuid, value);
    });
}

STANDIN_EXPORT PowerReadValueUnitsSpecifier(HKEY RootPowerKey,
                                            const GUID* SubGroupOfPowerSettingsGuid,
                                            const GUID* PowerSettingGuid, UCHAR* Buffer,
                                            DWORD* BufferSize) {
    return WithUint32(BufferSize, [&](std::uint32_t* size) {
        return p::PowerReadValueUnitsSpecifier(RootPowerKey, SubGroupOfPowerSettingsGuid,
                                               PowerSettingGuid, Buffer, size);
    });
}

STANDIN_EXPORT PowerReadPossibleValue(HKEY RootPowerKey, const GUID* SubGroupOfPowerSettingsGuid,
                                      const GUID* PowerSettingGuid, ULONG* Type,
                                      ULONG PossibleSettingIndex, UCHAR* Buffer,
                                      DWORD* BufferSize) {
    std::uint32_t type = 0;
    const DWORD status = WithUint32(BufferSize, [&](std::uint32_t* size) {
        return p::PowerReadPossibleValue(RootPowerKey, SubGroupOfPowerSettingsGuid,
                                         PowerSettingGuid, Type != nullptr ? &type : nullptr,
                                         PossibleSettingIndex, Buffer, size);
    });
    if (Type != nullptr) {
        *Type = type;
    }
    return status;
}

STANDIN_EXPORT PowerReadPossibleFriendlyName(HKEY RootPowerKey,
                                             const GUID* SubGroupOfPowerSettingsGuid,
                                             const GUID* PowerSettingGuid,
                                             ULONG PossibleSettingIndex, UCHAR* Buffer,
                                             DWORD* BufferSize) {
    return WithUint32(BufferSize, [&](std::uint32_t* size) {
        return p::PowerReadPossibleFriendlyName(RootPowerKey, SubGroupOfPowerSettingsGuid,
                                                PowerSettingGuid, PossibleSettingIndex, Buffer,
                                                size);
    });
}

STANDIN_EXPORT PowerReadPossibleDescription(HKEY RootPowerKey,
                                            const GUID* SubGroupOfPowerSettingsGuid,
                                            const GUID* PowerSettingGuid,
                                            ULONG PossibleSettingIndex, UCHAR* Buffer,
                                            DWORD* BufferSize) {
    return WithUint32(BufferSize, [&](std::uint32_t* size) {
        return p::PowerReadPossibleDescription(RootPowerKey, SubGroupOfPowerSettingsGuid,
                                               PowerSettingGuid, PossibleSettingIndex, Buffer,
                                               size);
    });
}

STANDIN_EXPORT PowerReadACDefaultIndex(HKEY RootPowerKey, const GUID* SchemePersonalityGuid,
                                       const GUID* SubGroupOfPowerSettingsGuid,
                                       const GUID* PowerSettingGuid, DWORD* AcDefaultIndex) {
    return WithUint32(AcDefaultIndex, [&](std::uint32_t* value) {
        return p::PowerReadACDefaultIndex(RootPowerKey, SchemePersonalityGuid,
                                          SubGroupOfPowerSettingsGuid, PowerSettingGuid, value);
    });
}

STANDIN_EXPORT PowerReadDCDefaultIndex(HKEY RootPowerKey, const GUID* SchemePersonalityGuid,
                                       const GUID* SubGroupOfPowerSettingsGuid,
                                       const GUID* PowerSettingGuid, DWORD* DcDefaultIndex) {
    return WithUint32(DcDefaultIndex, [&](std::uint32_t* value) {
        return p::PowerReadDCDefaultIndex(RootPowerKey, SchemePersonalityGuid,
                                          SubGroupOfPowerSettingsGuid, PowerSettingGuid, value);
    });
}

// The power source, the power modes and policy, from the machine.
extern "C" __declspec(dllexport) LONG WINAPI
    CallNtPowerInformation(POWER_INFORMATION_LEVEL InformationLevel, PVOID, ULONG,
                           PVOID OutputBuffer, ULONG OutputBufferLength) {
    LoadState();
    constexpr LONG kBufferTooSmall = static_cast<LONG>(0xC0000023);  // STATUS_BUFFER_TOO_SMALL
    constexpr LONG kNotImplemented = static_cast<LONG>(0xC0000002);  // STATUS_NOT_IMPLEMENTED
    if (InformationLevel == SystemBatteryState) {
        if (OutputBuffer == nullptr || OutputBufferLength < sizeof(SYSTEM_BATTERY_STATE)) {
            return kBufferTooSmall;
        }
        p::SystemBatteryState read;
        const std::int32_t status = p::CallNtPowerInformation(&read);
        SYSTEM_BATTERY_STATE state{};
        state.AcOnLine = read.AcOnLine;
        state.BatteryPresent = read.BatteryPresent;
        std::memcpy(OutputBuffer, &state, sizeof state);
        return status;
    }
    if (InformationLevel == SystemPowerCapabilities) {
        if (OutputBuffer == nullptr || OutputBufferLength < sizeof(SYSTEM_POWER_CAPABILITIES)) {
            return kBufferTooSmall;
        }
        p::SystemPowerCapabilities read;
        const std::int32_t status = p::CallNtPowerInformation(&read);
        SYSTEM_POWER_CAPABILITIES capabilities{};
        capabilities.spare2[2] = read.AoAc;  // AoAc, which MinGW's header names a spare byte
        capabilities.SystemBatteriesPresent = read.SystemBatteriesPresent;
        capabilities.BatteriesAreShortTerm = read.BatteriesAreShortTerm;
        std::memcpy(OutputBuffer, &capabilities, sizeof capabilities);
        return status;
    }
    return kNotImplemented;
}

STANDIN_EXPORT PowerGetUserConfiguredACPowerMode(GUID* PowerModeGuid) {
    LoadState();
    return p::PowerGetUserConfiguredACPowerMode(PowerModeGuid);
}

STANDIN_EXPORT PowerGetUserConfiguredDCPowerMode(GUID* PowerModeGuid) {
    LoadState();
    return p::PowerGetUserConfiguredDCPowerMode(PowerModeGuid);
}

STANDIN_EXPORT PowerSetUserConfiguredACPowerMode(const GUID* PowerModeGuid) {
    LoadState();
    return Saved(p::PowerSetUserConfiguredACPowerMode(PowerModeGuid));
}

STANDIN_EXPORT PowerSetUserConfiguredDCPowerMode(const GUID* PowerModeGuid) {
    LoadState();
    return Saved(p::PowerSetUserConfiguredDCPowerMode(PowerModeGuid));
}

STANDIN_EXPORT PowerSettingAccessCheckEx(int AccessFlags, const GUID* PowerGuid,
                                         REGSAM AccessType) {
    LoadState();
    const std::string policy = Variable("CALVORO_STANDIN_POLICY");
    const auto accessor = static_cast<std::uint32_t>(AccessFlags);
    if ((policy == "pinned" && accessor == p::kAccessActiveScheme) ||
        (policy == "no-new-plans" && accessor == p::kAccessCreateScheme)) {
        return ERROR_ACCESS_DISABLED_BY_POLICY;
    }
    return p::PowerSettingAccessCheckEx(static_cast<std::uint32_t>(AccessFlags), PowerGuid,
                                        static_cast<std::uint32_t>(AccessType));
}

// The watcher's registrations: the machine calls back on a change of its source or active
// plan and on a resume, including those loaded from the state file.
STANDIN_EXPORT PowerSettingRegisterNotification(LPCGUID SettingGuid, DWORD Flags, HANDLE Recipient,
                                                HPOWERNOTIFY* RegistrationHandle) {
    return Register(Flags, Recipient, RegistrationHandle,
                    [&](const p::NotifyRecipient* forwarded, p::NotifyHandle* handle) {
                        return p::PowerSettingRegisterNotification(SettingGuid, forwarded, handle);
                    });
}

STANDIN_EXPORT PowerSettingUnregisterNotification(HPOWERNOTIFY RegistrationHandle) {
    return Unregister(RegistrationHandle, p::PowerSettingUnregisterNotification);
}

STANDIN_EXPORT PowerRegisterSuspendResumeNotification(DWORD Flags, HANDLE Recipient,
                                                      HPOWERNOTIFY* RegistrationHandle) {
    return Register(Flags, Recipient, RegistrationHandle,
                    [](const p::NotifyRecipient* forwarded, p::NotifyHandle* handle) {
                        return p::PowerRegisterSuspendResumeNotification(forwarded, handle);
                    });
}

STANDIN_EXPORT PowerUnregisterSuspendResumeNotification(HPOWERNOTIFY RegistrationHandle) {
    return Unregister(RegistrationHandle, p::PowerUnregisterSuspendResumeNotification);
}
