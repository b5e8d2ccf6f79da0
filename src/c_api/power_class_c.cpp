// PowerClass for C: each function checks its pointers, calls the one operation and hands
// back its result; exceptions become statuses.
#include <calvoro/calvoro_c.h>
#include <calvoro/power_class.h>
#include <calvoro/version.h>

#include "power_class/enumeration.h"
#include "power_class/timeouts.h"
#include "translate.h"

using Calvoro::PowerClass;

static_assert(CALVORO_MAX_TIMER_MINUTES == Calvoro::MaxTimerMinutes);
using namespace Calvoro::c_api;

namespace {

// The operations themselves are inline (timeouts.h) and template arguments here, so that
// the C function adds no call of its own.
template <std::uint32_t (*Get)(const Calvoro::Guid&, bool)>
calvoro_status GetTimer(const char* function, const calvoro_guid* SchemeGuid, std::int32_t bOnAC,
                        std::uint32_t* minutes) noexcept {
    if (!AllSet(SchemeGuid, minutes)) {
        return NullPointer(function);
    }
    return Guarded([&] {
        *minutes = Get(FromC(*SchemeGuid), bOnAC != 0);
        return CALVORO_OK;
    });
}

template <bool (*Set)(const Calvoro::Guid&, bool, std::uint32_t)>
calvoro_status SetTimer(const char* function, const calvoro_guid* SchemeGuid, std::int32_t bOnAC,
                        std::uint32_t timer, std::int32_t* stored) noexcept {
    if (!AllSet(SchemeGuid, stored)) {
        return NullPointer(function);
    }
    return Guarded([&] {
        *stored = Set(FromC(*SchemeGuid), bOnAC != 0, timer) ? 1 : 0;
        return CALVORO_OK;
    });
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
    default: return "unknown status";
    }
}

const char* calvoro_LastErrorMessage(void) { return LastErrorMessage(); }

calvoro_status calvoro_NoPowerSchemeGuid(calvoro_guid* result) {
    if (result == nullptr) {
        return NullPointer(__func__);
    }
    *result = ToC(Calvoro::NoPowerSchemeGuid);
    return CALVORO_OK;
}

calvoro_status calvoro_ToGUID(const calvoro_guid* guid, calvoro_guid* result) {
    if (!AllSet(guid, result)) {
        return NullPointer(__func__);
    }
    *result = ToC(PowerClass().ToGUID(FromC(*guid)));
    return CALVORO_OK;
}

calvoro_status calvoro_EnumPowerSchemeGuid(uint32_t PowerSchemeIndex, calvoro_guid* result) {
    if (result == nullptr) {
        return NullPointer(__func__);
    }
    return Guarded([&] {
        *result = ToC(Calvoro::detail::EnumPowerSchemeGuid(PowerSchemeIndex));
        return CALVORO_OK;
    });
}

calvoro_status calvoro_ReadPowerSchemeName(const calvoro_guid* PowerSchemeGuid, uint16_t* buffer,
                                           uint32_t capacity, uint32_t* length, int32_t* present) {
    const char* const function = __func__;
    if (!AllSet(PowerSchemeGuid, length, present)) {
        return NullPointer(function);
    }
    return Guarded([&] {
        // Each call reads the name afresh, so a name that grew since the size query is
        // reported at its new length, never cut.
        const auto name = PowerClass().ReadPowerSchemeName(FromC(*PowerSchemeGuid));
        *present = name ? 1 : 0;
        if (!name) {
            *length = 0;
            return CALVORO_OK;
        }
        return TextToC(*name, buffer, capacity, length, function);
    });
}

calvoro_status calvoro_WritePowerSchemeNameDescription(const calvoro_guid* PowerSchemeGuid,
                                                       const uint16_t* SchemeName,
                                                       uint32_t SchemeNameLength,
                                                       const uint16_t* SchemeDescription,
                                                       uint32_t SchemeDescriptionLength,
                                                       int32_t* result) {
    if (!AllSet(PowerSchemeGuid, SchemeName, SchemeDescription, result)) {
        return NullPointer(__func__);
    }
    return Guarded([&] {
        *result = PowerClass().WritePowerSchemeNameDescription(
            FromC(*PowerSchemeGuid), TextFromC(SchemeName, SchemeNameLength),
            TextFromC(SchemeDescription, SchemeDescriptionLength));
        return CALVORO_OK;
    });
}

calvoro_status calvoro_GetDefaultPlaneGUID(int32_t b_OnAC, calvoro_guid* result) {
    if (result == nullptr) {
        return NullPointer(__func__);
    }
    return Guarded([&] {
        *result = ToC(PowerClass().GetDefaultPlaneGUID(b_OnAC != 0));
        return CALVORO_OK;
    });
}

calvoro_status calvoro_GetSleepTimer(const calvoro_guid* SchemeGuid, int32_t bOnAC,
                                     uint32_t* minutes) {
    return GetTimer<Calvoro::detail::GetSleepTimer>(__func__, SchemeGuid, bOnAC, minutes);
}

calvoro_status calvoro_GetHibernationTimer(const calvoro_guid* SchemeGuid, int32_t bOnAC,
                                           uint32_t* minutes) {
    return GetTimer<Calvoro::detail::GetHibernationTimer>(__func__, SchemeGuid, bOnAC, minutes);
}

calvoro_status calvoro_GetDisplayTimer(const calvoro_guid* SchemeGuid, int32_t bOnAC,
                                       uint32_t* minutes) {
    return GetTimer<Calvoro::detail::GetDisplayTimer>(__func__, SchemeGuid, bOnAC, minutes);
}

calvoro_status calvoro_SetSleepTimer(const calvoro_guid* SchemeGuid, int32_t bOnAC,
                                     uint32_t timer, int32_t* stored) {
    return SetTimer<Calvoro::detail::SetSleepTimer>(__func__, SchemeGuid, bOnAC, timer, stored);
}

calvoro_status calvoro_SetHibernationTimer(const calvoro_guid* SchemeGuid, int32_t bOnAC,
                                           uint32_t timer, int32_t* stored) {
    return SetTimer<Calvoro::detail::SetHibernationTimer>(__func__, SchemeGuid, bOnAC, timer, stored);
}

calvoro_status calvoro_SetDisplayTimer(const calvoro_guid* SchemeGuid, int32_t bOnAC,
                                       uint32_t timer, int32_t* stored) {
    return SetTimer<Calvoro::detail::SetDisplayTimer>(__func__, SchemeGuid, bOnAC, timer, stored);
}

}  // extern "C"
