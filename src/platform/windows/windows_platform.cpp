// The boundary on Windows: each operation forwards to powrprof, kernel32 or advapi32 and
// only adapts types (DWORD is unsigned long there, a 32-bit type the logic calls uint32_t).
#include "platform/platform.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <powrprof.h>

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

}  // namespace

Status PowerEnumerate(RootKey RootPowerKey, const GUID* SchemeGuid,
                      const GUID* SubGroupOfPowerSettingsGuid, std::uint32_t AccessFlags,
                      std::uint32_t Index, std::uint8_t* Buffer, std::uint32_t* BufferSize) {
    return WithDword(BufferSize, [&](DWORD* size) {
        return ::PowerEnumerate(AsKey(RootPowerKey), SchemeGuid, SubGroupOfPowerSettingsGuid,
                                static_cast<POWER_DATA_ACCESSOR>(AccessFlags), Index, Buffer,
                                size);
    });
}

Status PowerReadFriendlyName(RootKey RootPowerKey, const GUID* SchemeGuid,
                             const GUID* SubGroupOfPowerSettingsGuid,
                             const GUID* PowerSettingGuid, std::uint8_t* Buffer,
                             std::uint32_t* BufferSize) {
    return WithDword(BufferSize, [&](DWORD* size) {
        return ::PowerReadFriendlyName(AsKey(RootPowerKey), SchemeGuid,
                                       SubGroupOfPowerSettingsGuid, PowerSettingGuid, Buffer,
                                       size);
    });
}

Status PowerWriteFriendlyName(RootKey RootPowerKey, const GUID* SchemeGuid,
                              const GUID* SubGroupOfPowerSettingsGuid,
                              const GUID* PowerSettingGuid, const std::uint8_t* Buffer,
                              std::uint32_t BufferSize) {
    return ::PowerWriteFriendlyName(AsKey(RootPowerKey), SchemeGuid,
                                    SubGroupOfPowerSettingsGuid, PowerSettingGuid,
                                    AsBuffer(Buffer), BufferSize);
}

Status PowerWriteDescription(RootKey RootPowerKey, const GUID* SchemeGuid,
                             const GUID* SubGroupOfPowerSettingsGuid,
                             const GUID* PowerSettingGuid, const std::uint8_t* Buffer,
                             std::uint32_t BufferSize) {
    return ::PowerWriteDescription(AsKey(RootPowerKey), SchemeGuid, SubGroupOfPowerSettingsGuid,
                                   PowerSettingGuid, AsBuffer(Buffer), BufferSize);
}

Status PowerReadACValueIndex(RootKey RootPowerKey, const GUID* SchemeGuid,
                             const GUID* SubGroupOfPowerSettingsGuid,
                             const GUID* PowerSettingGuid, std::uint32_t* AcValueIndex) {
    return WithDword(AcValueIndex, [&](DWORD* value) {
        return ::PowerReadACValueIndex(AsKey(RootPowerKey), SchemeGuid,
                                       SubGroupOfPowerSettingsGuid, PowerSettingGuid, value);
    });
}

Status PowerReadDCValueIndex(RootKey RootPowerKey, const GUID* SchemeGuid,
                             const GUID* SubGroupOfPowerSettingsGuid,
                             const GUID* PowerSettingGuid, std::uint32_t* DcValueIndex) {
    return WithDword(DcValueIndex, [&](DWORD* value) {
        return ::PowerReadDCValueIndex(AsKey(RootPowerKey), SchemeGuid,
                                       SubGroupOfPowerSettingsGuid, PowerSettingGuid, value);
    });
}

Status PowerWriteACValueIndex(RootKey RootPowerKey, const GUID* SchemeGuid,
                              const GUID* SubGroupOfPowerSettingsGuid,
                              const GUID* PowerSettingGuid, std::uint32_t AcValueIndex) {
    return ::PowerWriteACValueIndex(AsKey(RootPowerKey), SchemeGuid, SubGroupOfPowerSettingsGuid,
                                    PowerSettingGuid, AcValueIndex);
}

Status PowerWriteDCValueIndex(RootKey RootPowerKey, const GUID* SchemeGuid,
                              const GUID* SubGroupOfPowerSettingsGuid,
                              const GUID* PowerSettingGuid, std::uint32_t DcValueIndex) {
    return ::PowerWriteDCValueIndex(AsKey(RootPowerKey), SchemeGuid, SubGroupOfPowerSettingsGuid,
                                    PowerSettingGuid, DcValueIndex);
}

void* LocalAlloc(std::uint32_t uFlags, std::size_t uBytes) {
    return ::LocalAlloc(uFlags, uBytes);
}

void* LocalFree(void* hMem) { return ::LocalFree(hMem); }

}  // namespace Calvoro::platform
