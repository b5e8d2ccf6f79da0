/* The simulated platform's controls for C: the whole of <calvoro/simulation.h>, so that an
 * application in any language can put the machine into a known state and test itself.
 *
 * Only builds on the simulated platform export these functions; a Windows build of the
 * library has none of them. Conventions as in <calvoro/calvoro_c.h>: each returns a
 * calvoro_status; texts are UTF-16 code units with a length; a text read into the caller's
 * buffer needs room for its NUL, and CALVORO_E_BUFFER_TOO_SMALL reports the length needed;
 * an empty input text or byte array may be a null pointer with length 0.
 * Key paths and value names compare without regard to ASCII letter case, as on Windows. */
#ifndef CALVORO_SIMULATION_C_H
#define CALVORO_SIMULATION_C_H

#include <calvoro/calvoro_c.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The platform operations whose answers can be forced (calvoro_sim_Inject...). */
#define CALVORO_SIM_POWER_ENUMERATE 0
#define CALVORO_SIM_POWER_READ_FRIENDLY_NAME 1
#define CALVORO_SIM_POWER_WRITE_FRIENDLY_NAME 2
#define CALVORO_SIM_POWER_WRITE_DESCRIPTION 3
#define CALVORO_SIM_POWER_READ_AC_VALUE_INDEX 4
#define CALVORO_SIM_POWER_READ_DC_VALUE_INDEX 5
#define CALVORO_SIM_POWER_WRITE_AC_VALUE_INDEX 6
#define CALVORO_SIM_POWER_WRITE_DC_VALUE_INDEX 7
#define CALVORO_SIM_LOCAL_ALLOC 8 /* any injected status makes the allocation fail */
#define CALVORO_SIM_POWER_GET_ACTIVE_SCHEME 9
#define CALVORO_SIM_POWER_SET_ACTIVE_SCHEME 10
#define CALVORO_SIM_POWER_READ_DESCRIPTION 11
#define CALVORO_SIM_CALL_NT_POWER_INFORMATION 12 /* its status is an NTSTATUS */
#define CALVORO_SIM_POWER_GET_USER_CONFIGURED_POWER_MODE 13 /* AC and DC; 127: no modes */
#define CALVORO_SIM_POWER_SET_USER_CONFIGURED_POWER_MODE 14 /* AC and DC */
#define CALVORO_SIM_POWER_SETTING_ACCESS_CHECK_EX 15 /* 1260: policy sets the plan */
#define CALVORO_SIM_POWER_DUPLICATE_SCHEME 16
#define CALVORO_SIM_POWER_DELETE_SCHEME 17
#define CALVORO_SIM_POWER_RESTORE_DEFAULT_POWER_SCHEMES 18 /* all and one; 5: no administrator */

/* The timeouts, for calvoro_sim_ReadSeconds and calvoro_sim_WriteSeconds. */
#define CALVORO_SIM_SLEEP 0
#define CALVORO_SIM_HIBERNATE 1
#define CALVORO_SIM_DISPLAY 2

/* How often an injected fault fires. */
#define CALVORO_SIM_ONCE 0   /* on one call of the operation only */
#define CALVORO_SIM_ALWAYS 1 /* on every call from then on, until calvoro_sim_ClearFaults */

/* The kinds of registry value. */
#define CALVORO_SIM_REG_STRING 0 /* REG_SZ */
#define CALVORO_SIM_REG_NUMBER 1 /* REG_DWORD */
#define CALVORO_SIM_REG_BINARY 2 /* REG_BINARY */

/** A plan's stored seconds, for mains power and battery. */
typedef struct calvoro_sim_seconds {
    uint32_t ac;
    uint32_t dc;
} calvoro_sim_seconds;

/** A plan's identifier and timeouts; its name and description travel beside it. */
typedef struct calvoro_sim_plan {
    calvoro_guid id;
    calvoro_sim_seconds sleep;
    calvoro_sim_seconds hibernate;
    calvoro_sim_seconds display;
} calvoro_sim_plan;

/** What calvoro_sim_GetRegistryValue found. */
typedef struct calvoro_sim_registry_value {
    int32_t found;       /* 0 when the key or the value does not exist */
    int32_t kind;        /* CALVORO_SIM_REG_... */
    uint32_t number;     /* a number value */
    uint32_t textLength; /* a string value's length in code units, without a NUL */
    uint32_t byteCount;  /* a binary value's size in bytes */
} calvoro_sim_registry_value;

/** The machine's stored state, taken by calvoro_sim_Snapshot; opaque. */
typedef struct calvoro_sim_state calvoro_sim_state;

/** Back to the seeded machine: Balanced, High performance and Power saver, no faults. */
CALVORO_API calvoro_status calvoro_sim_Reset(void);

/** Appends a plan; *added is 0, changing nothing, when a plan with its id exists. */
CALVORO_API calvoro_status calvoro_sim_AddPlan(const calvoro_sim_plan* plan,
                                               const uint16_t* name, uint32_t nameLength,
                                               const uint16_t* description,
                                               uint32_t descriptionLength, int32_t* added);

/** Removes a plan; *removed is 0 when there is no such plan. Removing the active plan leaves
 *  the machine with none. */
CALVORO_API calvoro_status calvoro_sim_RemovePlan(const calvoro_guid* plan, int32_t* removed);

/** The stored seconds of one timeout; *found is 0 when there is no such plan. */
CALVORO_API calvoro_status calvoro_sim_ReadSeconds(const calvoro_guid* plan, int32_t timeout,
                                                   int32_t onAC, uint32_t* seconds,
                                                   int32_t* found);

/** Stores seconds directly; *written is 0 when there is no such plan. */
CALVORO_API calvoro_status calvoro_sim_WriteSeconds(const calvoro_guid* plan, int32_t timeout,
                                                    int32_t onAC, uint32_t seconds,
                                                    int32_t* written);

/** The machine's power state: what it runs on, and its power modes. */
typedef struct calvoro_sim_power {
    int32_t source;         /* CALVORO_SOURCE_... of <calvoro/calvoro_c.h> */
    int32_t batteryPresent; /* 1 or 0 */
    int32_t modernStandby;  /* 1 or 0 */
    calvoro_guid acMode;    /* the power modes' identifiers */
    calvoro_guid dcMode;
} calvoro_sim_power;

/** The power state (on AC, a battery, no Modern Standby, balanced modes when seeded). */
CALVORO_API calvoro_status calvoro_sim_GetPower(calvoro_sim_power* power);
CALVORO_API calvoro_status calvoro_sim_SetPower(const calvoro_sim_power* power);

/** The machine wakes from sleep: its watchers are told of a resume. */
CALVORO_API calvoro_status calvoro_sim_Resume(void);

/** Makes the operation return `status` instead of doing its work, after `callsToSkip` calls. */
CALVORO_API calvoro_status calvoro_sim_InjectStatus(int32_t operation, uint32_t status,
                                                    int32_t repeat, uint32_t callsToSkip);

/** Makes the operation raise an exception with `message` (UTF-8, NUL-terminated). */
CALVORO_API calvoro_status calvoro_sim_InjectException(int32_t operation, const char* message,
                                                       int32_t repeat, uint32_t callsToSkip);

/** Removes every injected fault. */
CALVORO_API calvoro_status calvoro_sim_ClearFaults(void);

/** Blocks handed out by the allocation so far, and those not yet released. */
CALVORO_API calvoro_status calvoro_sim_Allocations(uint64_t* made, uint64_t* live);

/** Registry keys opened so far, and those not yet closed again. */
CALVORO_API calvoro_status calvoro_sim_RegistryKeys(uint64_t* opened, uint64_t* open);

/** Sets a string, number or binary value under HKEY_CURRENT_USER, creating its key. */
CALVORO_API calvoro_status calvoro_sim_SetRegistryString(const uint16_t* keyPath,
                                                         uint32_t keyPathLength,
                                                         const uint16_t* valueName,
                                                         uint32_t valueNameLength,
                                                         const uint16_t* text,
                                                         uint32_t textLength);
CALVORO_API calvoro_status calvoro_sim_SetRegistryNumber(const uint16_t* keyPath,
                                                         uint32_t keyPathLength,
                                                         const uint16_t* valueName,
                                                         uint32_t valueNameLength,
                                                         uint32_t number);
CALVORO_API calvoro_status calvoro_sim_SetRegistryBinary(const uint16_t* keyPath,
                                                         uint32_t keyPathLength,
                                                         const uint16_t* valueName,
                                                         uint32_t valueNameLength,
                                                         const uint8_t* bytes,
                                                         uint32_t byteCount);

/** Reads a value: `value` says what was found; a string's text goes into `text` and a binary
 *  value's bytes into `bytes` (either may be null with capacity 0 to ask for the size). */
CALVORO_API calvoro_status calvoro_sim_GetRegistryValue(const uint16_t* keyPath,
                                                        uint32_t keyPathLength,
                                                        const uint16_t* valueName,
                                                        uint32_t valueNameLength,
                                                        calvoro_sim_registry_value* value,
                                                        uint16_t* text, uint32_t textCapacity,
                                                        uint8_t* bytes, uint32_t byteCapacity);

/** Deletes one value, or a key with its values; *deleted is 0 when there was none. */
CALVORO_API calvoro_status calvoro_sim_DeleteRegistryValue(const uint16_t* keyPath,
                                                           uint32_t keyPathLength,
                                                           const uint16_t* valueName,
                                                           uint32_t valueNameLength,
                                                           int32_t* deleted);
CALVORO_API calvoro_status calvoro_sim_DeleteRegistryKey(const uint16_t* keyPath,
                                                         uint32_t keyPathLength,
                                                         int32_t* deleted);

/** Makes opening the key, or reading one of its values, fail with access denied. */
CALVORO_API calvoro_status calvoro_sim_RefuseKeyAccess(const uint16_t* keyPath,
                                                       uint32_t keyPathLength);
CALVORO_API calvoro_status calvoro_sim_RefuseValueAccess(const uint16_t* keyPath,
                                                         uint32_t keyPathLength,
                                                         const uint16_t* valueName,
                                                         uint32_t valueNameLength);

/** Takes the machine's stored state (plans, active plan and registry) at one moment; release
 *  it with calvoro_sim_FreeState. Its plans are listed with the two functions below. */
CALVORO_API calvoro_status calvoro_sim_Snapshot(calvoro_sim_state** state);

/** The number of plans in a taken state. */
CALVORO_API calvoro_status calvoro_sim_PlanCount(const calvoro_sim_state* state, uint32_t* count);

/** The plan at `index` of a taken state, in the platform's order: *found is 0 past the last
 *  one. Its name and description go into the two buffers (either may be null with capacity 0
 *  to ask for the lengths only); CALVORO_E_BUFFER_TOO_SMALL when either does not fit. The
 *  state does not change, so lengths asked for first always fit then. */
CALVORO_API calvoro_status calvoro_sim_PlanAt(const calvoro_sim_state* state, uint32_t index,
                                              calvoro_sim_plan* plan, uint16_t* name,
                                              uint32_t nameCapacity, uint32_t* nameLength,
                                              uint16_t* description,
                                              uint32_t descriptionCapacity,
                                              uint32_t* descriptionLength, int32_t* found);

/** Puts a taken state back, as Calvoro::Simulation::Restore does: the plans, the active plan,
 * the registry, the power state, the resume count and the settings' attributes; watchers are
 * told of a changed source, active plan or resume count. Refused access is lifted, faults
 * stay. CALVORO_E_INVALID_ARGUMENT, changing nothing, for a state that does not hold together
 * (two plans with one identifier, an active plan that is not among them). */
CALVORO_API calvoro_status calvoro_sim_Restore(const calvoro_sim_state* state);

/** Releases a taken state; null is allowed. */
CALVORO_API void calvoro_sim_FreeState(calvoro_sim_state* state);

#ifdef __cplusplus
}
#endif

#endif /* CALVORO_SIMULATION_C_H */
