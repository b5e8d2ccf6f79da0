// PowerClass for C: each function checks its pointers, calls the class's one operation and
// hands back its result; exceptions become statuses.
#include <calvoro/calvoro_c.h>
#include <calvoro/power_class.h>
#include <calvoro/version.h>

#include "translate.h"

using Calvoro::PowerClass;

static_assert(CALVORO_MAX_TIMER_MINUTES == Calvoro::MaxTimerMinutes);
using namespace Calvoro::c_api;

namespace {

using Getter = std::uint32_t (PowerClass::*)(const Calvoro::Guid&, bool) const;
using Setter = bool (PowerClass::*)(const Calvoro::Guid&, bool, std::uint32_t) const;

// The operation is a template argument, so that each C function calls it directly.
template <Getter get>
calvoro_status GetTimer(const char* function, const calvoro_guid* plan, std::int32_t onAC,
                        std::uint32_t* minutes) noexcept {
    return Call(function, {plan, minutes},
                [&] { *minutes = (PowerClass().*get)(FromC(*plan), onAC != 0); });
}

template <Setter set>
calvoro_status SetTimer(const char* function, const calvoro_guid* plan, std::int32_t onAC,
                        std::uint32_t minutes, std::int32_t* stored) noexcept {
    return Call(function, {plan, stored},
                [&] { *stored = (PowerClass().*set)(FromC(*plan), onAC != 0, minutes) ? 1 : 0; });
}

}  // namespace

extern "C" {

const char* calvoro_Version(void) { return CALVORO_VERSION_STRING; }

uint32_t calvoro_VersionNumber(void) { return CALVORO_VERSION_NUMBER; }

const char* calvoro_StatusName(calvoro_status status) {
    switch (status) {
    case CALVORO_OK: return "CALVORO_OK";
    case CALVORO_E_NULL_POINTER: return "CALVORO_E_NULL_POINTER";
    case CALVORO_E_BUFFER_TOO_SMALL: return "CALVORO_E_BUFFER_TOO_SMALL";
    case CALVORO_E_GUID_PARSE: return "CALVORO_E_GUID_PARSE";
    case CALVORO_E_REGISTRY_ACCESS: return "CALVORO_E_REGISTRY_ACCESS";
    case CALVORO_E_PLATFORM: return "CALVORO_E_PLATFORM";
    case CALVORO_E_INVALID_ARGUMENT: return "CALVORO_E_INVALID_ARGUMENT";
    case CALVORO_E_OUT_OF_MEMORY: return "CALVORO_E_OUT_OF_MEMORY";
    case CALVORO_E_DOCUMENT: return "CALVORO_E_DOCUMENT";
    default: return "unknown status";
    }
}

const char* calvoro_LastErrorMessage(void) { return LastErrorMessage(); }

calvoro_status calvoro_NoPowerSchemeGuid(calvoro_guid* result) {
    return Call(__func__, {result}, [&] { *result = ToC(Calvoro::NoPowerSchemeGuid); });
}

calvoro_status calvoro_ToGUID(const calvoro_guid* guid, calvoro_guid* result) {
    return Call(__func__, {guid, result}, [&] { *result = ToC(PowerClass().ToGUID(FromC(*guid))); });
}

calvoro_status calvoro_EnumPowerSchemeGuid(uint32_t index, calvoro_guid* result) {
    return Call(__func__, {result},
                [&] { *result = ToC(PowerClass().EnumPowerSchemeGuid(index)); });
}

calvoro_status calvoro_ReadPowerSchemeName(const calvoro_guid* plan, uint16_t* name,
                                           uint32_t nameCapacity, uint32_t* nameLength,
                                           int32_t* present) {
    const char* const function = __func__;
    return Call(function, {plan, nameLength, present}, [&] {
        // Each call reads the name afresh, so a name that grew since the size query is
        // reported at its new length, never cut.
        const auto read = PowerClass().ReadPowerSchemeName(FromC(*plan));
        *present = read ? 1 : 0;
        *nameLength = 0;
        return read ? TextToC(*read, name, nameCapacity, nameLength, function) : CALVORO_OK;
    });
}

calvoro_status calvoro_WritePowerSchemeNameDescription(const calvoro_guid* plan,
                                                       const uint16_t* name, uint32_t nameLength,
                                                       const uint16_t* description,
                                                       uint32_t descriptionLength,
                                                       int32_t* stored) {
    return Call(__func__,
                {plan, Input(name, nameLength), Input(description, descriptionLength), stored},
                [&] {
                    *stored = PowerClass().WritePowerSchemeNameDescription(
                        FromC(*plan), TextFromC(name, nameLength),
                        TextFromC(description, descriptionLength));
                });
}

calvoro_status calvoro_GetDefaultPlaneGUID(int32_t onAC, calvoro_guid* result) {
    return Call(__func__, {result},
                [&] { *result = ToC(PowerClass().GetDefaultPlaneGUID(onAC != 0)); });
}

calvoro_status calvoro_GetSleepTimer(const calvoro_guid* plan, int32_t onAC,
                                     uint32_t* minutes) {
    return GetTimer<&PowerClass::GetSleepTimer>(__func__, plan, onAC, minutes);
}

calvoro_status calvoro_GetHibernationTimer(const calvoro_guid* plan, int32_t onAC,
                                           uint32_t* minutes) {
    return GetTimer<&PowerClass::GetHibernationTimer>(__func__, plan, onAC, minutes);
}

calvoro_status calvoro_GetDisplayTimer(const calvoro_guid* plan, int32_t onAC,
                                       uint32_t* minutes) {
    return GetTimer<&PowerClass::GetDisplayTimer>(__func__, plan, onAC, minutes);
}

calvoro_status calvoro_SetSleepTimer(const calvoro_guid* plan, int32_t onAC,
                                     uint32_t minutes, int32_t* stored) {
    return SetTimer<&PowerClass::SetSleepTimer>(__func__, plan, onAC, minutes, stored);
}

calvoro_status calvoro_SetHibernationTimer(const calvoro_guid* plan, int32_t onAC,
                                           uint32_t minutes, int32_t* stored) {
    return SetTimer<&PowerClass::SetHibernationTimer>(__func__, plan, onAC, minutes, stored);
}

calvoro_status calvoro_SetDisplayTimer(const calvoro_guid* plan, int32_t onAC,
                                       uint32_t minutes, int32_t* stored) {
    return SetTimer<&PowerClass::SetDisplayTimer>(__func__, plan, onAC, minutes, stored);
}

}  // extern "C"
