// The callback registrations of Windows 8, which MinGW's <powrprof.h> lacks, as Windows
// documents them: DEVICE_NOTIFY_CALLBACK_ROUTINE, DEVICE_NOTIFY_SUBSCRIBE_PARAMETERS and
// DEVICE_NOTIFY_CALLBACK. The Windows binding registers with them; the stand-in powrprof.dll
// receives them.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace Calvoro::platform::windows {

using DeviceNotifyCallbackRoutine = ULONG(CALLBACK*)(PVOID Context, ULONG Type, PVOID Setting);

struct DeviceNotifySubscribeParameters {
    // cppcheck-suppress unusedStructMember ; Windows reads it
    DeviceNotifyCallbackRoutine Callback;
    PVOID Context;
};

/// The registrations' flag for a callback rather than a window or service handle.
inline constexpr DWORD kDeviceNotifyCallback = 2;

}  // namespace Calvoro::platform::windows
