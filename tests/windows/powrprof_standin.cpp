// A stand-in for Windows' powrprof.dll: the simulated machine behind the eight power-plan
// operations, exported under their Windows names and signatures. Loaded in place of Wine's
// own (WINEDLLOVERRIDES=powrprof=n), it lets the Windows build's real binding run its
// success paths. The simulated machine's control functions are exported too, so that tests
// can set the machine up and inject faults.
#include "platform/platform.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace p = Calvoro::platform;

// <powrprof.h> declares these as imports; this DLL defines them, so it declares its own.
#define STANDIN_EXPORT extern "C" __declspec(dllexport) DWORD WINAPI

namespace {

// Runs `call` with a uint32_t standing in for an optional in/out DWORD.
template <typename Call>
DWORD WithUint32(DWORD* value, Call call) {
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
                              const GUID* SubGroupOfPowerSettingsGuid, int AccessFlags,
                              ULONG Index, UCHAR* Buffer, DWORD* BufferSize) {
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
    return p::PowerWriteFriendlyName(RootPowerKey, SchemeGuid, SubGroupOfPowerSettingsGuid,
                                     PowerSettingGuid, Buffer, BufferSize);
}

STANDIN_EXPORT PowerWriteDescription(HKEY RootPowerKey, const GUID* SchemeGuid,
                                     const GUID* SubGroupOfPowerSettingsGuid,
                                     const GUID* PowerSettingGuid, UCHAR* Buffer,
                                     DWORD BufferSize) {
    return p::PowerWriteDescription(RootPowerKey, SchemeGuid, SubGroupOfPowerSettingsGuid,
                                    PowerSettingGuid, Buffer, BufferSize);
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
    return p::PowerWriteACValueIndex(RootPowerKey, SchemeGuid, SubGroupOfPowerSettingsGuid,
                                     PowerSettingGuid, AcValueIndex);
}

STANDIN_EXPORT PowerWriteDCValueIndex(HKEY RootPowerKey, const GUID* SchemeGuid,
                                      const GUID* SubGroupOfPowerSettingsGuid,
                                      const GUID* PowerSettingGuid, DWORD DcValueIndex) {
    return p::PowerWriteDCValueIndex(RootPowerKey, SchemeGuid, SubGroupOfPowerSettingsGuid,
                                     PowerSettingGuid, DcValueIndex);
}
