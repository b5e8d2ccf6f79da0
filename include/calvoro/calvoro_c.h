/* Calvoro's C interface: PowerClass for C and for every language that calls C.
 *
 * Each function returns a calvoro_status. CALVORO_OK means the call ran, and its results are
 * in the out parameters exactly as PowerClass gives them: a failure of the platform is still
 * a result (0 minutes, a setter's 0, NoPowerSchemeGuid, an absent name). Any other status
 * stands for what C++ expresses as an exception, or for bad arguments; the out parameters
 * are then unspecified, and calvoro_LastErrorMessage() says what happened. No C++ exception
 * ever leaves these functions.
 *
 * Identifiers are calvoro_guid structs with the same 16-byte image as Windows' GUID. Texts
 * are UTF-16 code units (uint16_t), passed with a length, so that every name round-trips
 * exactly, lone surrogates and all; an empty input text may be a null pointer with length 0.
 * Flags are int32_t: nonzero selects mains power (AC). Parameters keep one name for one
 * meaning: `plan` a plan's identifier, `onAC` the power source, `minutes` a timeout.
 * Every function may be called from any thread. */
#ifndef CALVORO_CALVORO_C_H
#define CALVORO_CALVORO_C_H

#include <calvoro/export.h>

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/** A plan identifier: Data1, Data2 and Data3 little-endian in memory, then the Data4 bytes. */
typedef struct calvoro_guid {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
} calvoro_guid;

typedef int32_t calvoro_status;

/** The call ran; its results are in the out parameters. */
#define CALVORO_OK 0
/** A pointer that the function requires was null. */
#define CALVORO_E_NULL_POINTER 1
/** The caller's buffer cannot hold the text; the length out parameter holds what it needs. */
#define CALVORO_E_BUFFER_TOO_SMALL 2
/** GetDefaultPlaneGUID: the registry value does not hold GUID text. */
#define CALVORO_E_GUID_PARSE 3
/** GetDefaultPlaneGUID: the registry refused access to the key or the value. */
#define CALVORO_E_REGISTRY_ACCESS 4
/** The platform raised an exception instead of returning a status. */
#define CALVORO_E_PLATFORM 5
/** An argument is out of its range (an unknown enumeration value, a text too long). */
#define CALVORO_E_INVALID_ARGUMENT 6
/** Memory for a result could not be had. */
#define CALVORO_E_OUT_OF_MEMORY 7

/** The library's version, "MAJOR.MINOR.PATCH"; a static string. */
CALVORO_API const char* calvoro_Version(void);

/** The library's version as one number, MAJOR * 1000000 + MINOR * 1000 + PATCH: what
 *  CALVORO_VERSION_NUMBER in <calvoro/version.h> was when the library was built. A caller
 *  that loads the library at run time refuses one whose major version is not its own. */
CALVORO_API uint32_t calvoro_VersionNumber(void);

/** The name of a status, as its constant is spelled here ("CALVORO_E_GUID_PARSE"); a static
 *  string, "unknown status" for a value that is none of them. */
CALVORO_API const char* calvoro_StatusName(calvoro_status status);

/** The message of the last call on this thread that did not return CALVORO_OK, as UTF-8;
 *  "" when there was none. Valid until the next failing call on this thread. */
CALVORO_API const char* calvoro_LastErrorMessage(void);

/** The identifier that stands for no plan (4515AD82-4C32-4F78-82C4-B20B62430B0A). */
CALVORO_API calvoro_status calvoro_NoPowerSchemeGuid(calvoro_guid* result);

/** PowerClass::ToGUID: the platform record with the same 16 bytes. */
CALVORO_API calvoro_status calvoro_ToGUID(const calvoro_guid* guid, calvoro_guid* result);

/** PowerClass::EnumPowerSchemeGuid: the plan at the index, or NoPowerSchemeGuid. */
CALVORO_API calvoro_status calvoro_EnumPowerSchemeGuid(uint32_t index, calvoro_guid* result);

/** PowerClass::ReadPowerSchemeName into the caller's buffer.
 *
 *  *present is 1 when the plan has a readable name, 0 when the name is absent. *nameLength
 *  is the name's length in code units, without a NUL. With `name` null (and `nameCapacity`
 *  0) this is a size query. Otherwise the name and a NUL are written when `nameCapacity` is
 *  at least *nameLength + 1; when it is not, nothing is written, the status is
 *  CALVORO_E_BUFFER_TOO_SMALL and *nameLength holds the length of the name as it is now, so
 *  a name that grew since the size query is never cut. */
CALVORO_API calvoro_status calvoro_ReadPowerSchemeName(const calvoro_guid* plan, uint16_t* name,
                                                       uint32_t nameCapacity,
                                                       uint32_t* nameLength, int32_t* present);

/** PowerClass::WritePowerSchemeNameDescription. Each text is `...Length` code units, cut at
 *  its first NUL as the class cuts it (an empty text may be null with length 0). *stored is
 *  1 when both were stored, otherwise 0. */
CALVORO_API calvoro_status calvoro_WritePowerSchemeNameDescription(
    const calvoro_guid* plan, const uint16_t* name, uint32_t nameLength,
    const uint16_t* description, uint32_t descriptionLength, int32_t* stored);

/** PowerClass::GetDefaultPlaneGUID: CALVORO_E_GUID_PARSE and CALVORO_E_REGISTRY_ACCESS stand
 *  for its two errors. */
CALVORO_API calvoro_status calvoro_GetDefaultPlaneGUID(int32_t onAC, calvoro_guid* result);

/** The timeout getters: minutes, 0 when the platform cannot read them. */
CALVORO_API calvoro_status calvoro_GetSleepTimer(const calvoro_guid* plan, int32_t onAC,
                                                 uint32_t* minutes);
CALVORO_API calvoro_status calvoro_GetHibernationTimer(const calvoro_guid* plan,
                                                       int32_t onAC, uint32_t* minutes);
CALVORO_API calvoro_status calvoro_GetDisplayTimer(const calvoro_guid* plan, int32_t onAC,
                                                   uint32_t* minutes);

/** The most minutes a timeout can hold: their seconds must fit 32 bits. */
#define CALVORO_MAX_TIMER_MINUTES 71582788u

/** The timeout setters: *stored is 1 when the platform stored the minutes, otherwise 0
 *  (also, without a platform call, above CALVORO_MAX_TIMER_MINUTES). */
CALVORO_API calvoro_status calvoro_SetSleepTimer(const calvoro_guid* plan, int32_t onAC,
                                                 uint32_t minutes, int32_t* stored);
CALVORO_API calvoro_status calvoro_SetHibernationTimer(const calvoro_guid* plan,
                                                       int32_t onAC, uint32_t minutes,
                                                       int32_t* stored);
CALVORO_API calvoro_status calvoro_SetDisplayTimer(const calvoro_guid* plan, int32_t onAC,
                                                   uint32_t minutes, int32_t* stored);

#ifdef __cplusplus
}
#endif

#endif /* CALVORO_CALVORO_C_H */
