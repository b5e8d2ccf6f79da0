/* Calvoro's C interface: PowerClass and the library's own operations beside it, for C and
 * for every language that calls C.
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
/** calvoro_ReadDocument: the document cannot be imported; the message names the place, and
 *  nothing was changed. */
#define CALVORO_E_DOCUMENT 8

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
                                                       uint32_t nameCapacity, uint32_t* nameLength,
                                                       int32_t* present);

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
CALVORO_API calvoro_status calvoro_GetHibernationTimer(const calvoro_guid* plan, int32_t onAC,
                                                       uint32_t* minutes);
CALVORO_API calvoro_status calvoro_GetDisplayTimer(const calvoro_guid* plan, int32_t onAC,
                                                   uint32_t* minutes);

/** The most minutes a timeout can hold: their seconds must fit 32 bits. */
#define CALVORO_MAX_TIMER_MINUTES 71582788u

/** The timeout setters: *stored is 1 when the platform stored the minutes, otherwise 0
 *  (also, without a platform call, above CALVORO_MAX_TIMER_MINUTES). */
CALVORO_API calvoro_status calvoro_SetSleepTimer(const calvoro_guid* plan, int32_t onAC,
                                                 uint32_t minutes, int32_t* stored);
CALVORO_API calvoro_status calvoro_SetHibernationTimer(const calvoro_guid* plan, int32_t onAC,
                                                       uint32_t minutes, int32_t* stored);
CALVORO_API calvoro_status calvoro_SetDisplayTimer(const calvoro_guid* plan, int32_t onAC,
                                                   uint32_t minutes, int32_t* stored);

/* ---- The library's own operations beside PowerClass (<calvoro/power_plans.h>) ---- */

/** The plan the platform applies now; *found is 0 when it cannot tell. */
CALVORO_API calvoro_status calvoro_GetActivePlan(calvoro_guid* plan, int32_t* found);

/* How calvoro_ActivatePlan went. */
#define CALVORO_REFUSED 0          /* the platform refused */
#define CALVORO_APPLIED 1          /* the plan is the active one */
#define CALVORO_PINNED_BY_POLICY 2 /* Group Policy sets the active plan; nothing was tried */

/** Applies a plan, unless policy sets the active plan; *outcome is one of the above. */
CALVORO_API calvoro_status calvoro_ActivatePlan(const calvoro_guid* plan, int32_t* outcome);

/** *pinned is 1 when Group Policy sets the active plan, else 0. */
CALVORO_API calvoro_status calvoro_ActivePlanPinnedByPolicy(int32_t* pinned);

/* Power sources (calvoro_power_source.source). */
#define CALVORO_SOURCE_AC 0
#define CALVORO_SOURCE_DC 1
#define CALVORO_SOURCE_SHORT_TERM 2 /* a UPS's batteries */
#define CALVORO_SOURCE_UNKNOWN 3

/** What the machine runs on. */
typedef struct calvoro_power_source {
    int32_t source;         /* CALVORO_SOURCE_... */
    int32_t batteryPresent; /* 1 or 0 */
    int32_t modernStandby;  /* 1 on a Modern Standby machine (AoAc), else 0 */
} calvoro_power_source;

/** The machine's power source now; CALVORO_SOURCE_UNKNOWN when the platform cannot tell. */
CALVORO_API calvoro_status calvoro_ReadPowerSource(calvoro_power_source* state);

/* Windows 11's power modes (calvoro_power_mode.mode); CALVORO_MODE_OTHER for an identifier
 * that is none of them. */
#define CALVORO_MODE_BEST_POWER_EFFICIENCY 0
#define CALVORO_MODE_BALANCED 1
#define CALVORO_MODE_BEST_PERFORMANCE 2
#define CALVORO_MODE_OTHER (-1)

/* What a power-mode call made of it. */
#define CALVORO_MODE_DONE 0
#define CALVORO_MODE_UNSUPPORTED 1    /* the platform has no power modes */
#define CALVORO_MODE_NOT_APPLICABLE 2 /* not for the active plan, Windows says */
#define CALVORO_MODE_FAILED 3         /* another platform status */

/** The user's power mode for a source. */
typedef struct calvoro_power_mode {
    int32_t outcome; /* CALVORO_MODE_DONE ... */
    int32_t mode;    /* CALVORO_MODE_BEST_POWER_EFFICIENCY ..., when done */
    calvoro_guid guid;
    uint32_t status; /* the platform's status */
} calvoro_power_mode;

/** The power mode for mains power (nonzero onAC) or battery. */
CALVORO_API calvoro_status calvoro_GetPowerMode(int32_t onAC, calvoro_power_mode* reading);

/** Sets the power mode for mains power (nonzero onAC) or battery; *outcome as above. */
CALVORO_API calvoro_status calvoro_SetPowerMode(int32_t onAC, int32_t mode, int32_t* outcome);

/** A plan's description into the caller's buffer, as calvoro_ReadPowerSchemeName reads a
 *  name: *present is 0 when the plan has no readable description. */
CALVORO_API calvoro_status calvoro_ReadPlanDescription(const calvoro_guid* plan,
                                                       uint16_t* description,
                                                       uint32_t descriptionCapacity,
                                                       uint32_t* descriptionLength,
                                                       int32_t* present);

/* What calvoro_FindPlan made of a text (calvoro_plan_lookup.outcome). */
#define CALVORO_PLAN_FOUND 0   /* one plan: the one candidate */
#define CALVORO_PLAN_NONE 1    /* no plan: the candidates are every installed plan */
#define CALVORO_PLAN_SEVERAL 2 /* a name that several plans have: the candidates are they */

/* How the text was read (calvoro_plan_lookup.reading). */
#define CALVORO_READ_IDENTIFIER 0
#define CALVORO_READ_ALIAS 1
#define CALVORO_READ_NAME 2

/** The outcome of calvoro_FindPlan. `identified` is 1 when `identifier` holds the plan an
 *  identifier or alias stands for (0 for a name, or SCHEME_CURRENT when the platform cannot
 *  tell the active plan). */
typedef struct calvoro_plan_lookup {
    int32_t outcome;
    int32_t reading;
    int32_t identified;
    calvoro_guid identifier;
} calvoro_plan_lookup;

/** The installed plan that a text names: an identifier, an alias (SCHEME_BALANCED,
 *  SCHEME_MIN, SCHEME_MAX, SCHEME_CURRENT) or a name, the exact name when one plan has it,
 *  else the one name that is the same ignoring letter case. The candidates go into the
 *  caller's array: with `candidates` null and `capacity` 0 only *count is set; when the
 *  array is too small, nothing is written to it, *count holds the number needed and the
 *  status is CALVORO_E_BUFFER_TOO_SMALL. Read the candidates' names with
 *  calvoro_ReadPowerSchemeName. */
CALVORO_API calvoro_status calvoro_FindPlan(const uint16_t* text, uint32_t textLength,
                                            calvoro_plan_lookup* lookup, calvoro_guid* candidates,
                                            uint32_t capacity, uint32_t* count);

/** 1 when the two texts are the same ignoring letter case, as calvoro_FindPlan compares
 *  names; else 0. */
CALVORO_API calvoro_status calvoro_SameIgnoringCase(const uint16_t* a, uint32_t aLength,
                                                    const uint16_t* b, uint32_t bLength,
                                                    int32_t* same);

/** Records a plan as the default for a power source (nonzero onAC: "AC", else "DC"), which
 *  calvoro_GetDefaultPlaneGUID then reads. CALVORO_E_REGISTRY_ACCESS when refused. */
CALVORO_API calvoro_status calvoro_SetDefaultPlan(int32_t onAC, const calvoro_guid* plan);

/** Removes the record for a power source; *cleared is 0 when none was recorded.
 *  CALVORO_E_REGISTRY_ACCESS when refused. */
CALVORO_API calvoro_status calvoro_ClearDefaultPlan(int32_t onAC, int32_t* cleared);

/* ---- A plan's whole life: templates, duplicate, delete, restore ---- */

/** One of Windows' published plan templates (calvoro_PlanTemplates). */
typedef struct calvoro_plan_template {
    calvoro_guid id;
    int32_t standard; /* 1: Windows lists it here, and restoring the defaults brings it back */
} calvoro_plan_template;

/** Windows' templates (Balanced, High performance, Power saver, Ultimate Performance) into
 *  the caller's array, as calvoro_FindPlan writes its candidates. */
CALVORO_API calvoro_status calvoro_PlanTemplates(calvoro_plan_template* templates,
                                                 uint32_t capacity, uint32_t* count);

/** The English name of the template at `index` (CALVORO_E_INVALID_ARGUMENT past the last),
 *  as calvoro_SettingText writes a text. */
CALVORO_API calvoro_status calvoro_PlanTemplateName(uint32_t index, uint16_t* name,
                                                    uint32_t capacity, uint32_t* length);

/** As calvoro_FindPlan; where no installed plan matches, a template by identifier or name
 *  is the one candidate, and *isTemplate is 1. */
CALVORO_API calvoro_status calvoro_FindPlanOrTemplate(const uint16_t* text, uint32_t textLength,
                                                      calvoro_plan_lookup* lookup,
                                                      calvoro_guid* candidates,
                                                      uint32_t capacity, uint32_t* count,
                                                      int32_t* isTemplate);

/* How making, removing or restoring a plan went (calvoro_plan_result.outcome). */
#define CALVORO_PLAN_DONE 0
#define CALVORO_PLAN_NOT_FOUND 1
#define CALVORO_PLAN_ALREADY_EXISTS 2       /* the new identifier is installed; nothing made */
#define CALVORO_PLAN_IS_ACTIVE 3            /* not deleted: apply another plan first */
#define CALVORO_PLAN_NOT_STANDARD 4         /* a custom plan has no Windows defaults */
#define CALVORO_PLAN_FORBIDDEN_BY_POLICY 5  /* Group Policy forbids creating plans */
#define CALVORO_PLAN_NEEDS_ADMINISTRATOR 6  /* the platform refused access */
#define CALVORO_PLAN_UNSUPPORTED 7          /* the platform lacks the call */
#define CALVORO_PLAN_FAILED 8               /* another status: `status` says which */

/* The default records that still name a deleted plan (calvoro_plan_result.records). */
#define CALVORO_RECORD_AC 1
#define CALVORO_RECORD_DC 2

/** What a plan operation did. */
typedef struct calvoro_plan_result {
    int32_t outcome;   /* CALVORO_PLAN_DONE ... */
    calvoro_guid plan; /* the plan made, removed or restored */
    uint32_t status;   /* the platform's status, for CALVORO_PLAN_FAILED */
    int32_t records;   /* calvoro_DeletePlan: CALVORO_RECORD_AC | CALVORO_RECORD_DC */
} calvoro_plan_result;

/** Copies an installed plan or a template with every setting. `newId` NULL lets Windows
 *  pick the identifier; `name` NULL keeps the source's name, else the copy is named (with
 *  `description`, or the source's when it is NULL) in the same operation. */
CALVORO_API calvoro_status calvoro_DuplicatePlan(const calvoro_guid* source,
                                                 const calvoro_guid* newId, const uint16_t* name,
                                                 uint32_t nameLength, const uint16_t* description,
                                                 uint32_t descriptionLength,
                                                 calvoro_plan_result* result);

/** Removes a plan; the active plan is refused (CALVORO_PLAN_IS_ACTIVE). */
CALVORO_API calvoro_status calvoro_DeletePlan(const calvoro_guid* plan,
                                              calvoro_plan_result* result);

/** Removes every custom plan and gives Windows' plans their defaults. */
CALVORO_API calvoro_status calvoro_RestoreDefaultPlans(calvoro_plan_result* result);

/** Gives one of Windows' plans its defaults again; with `checkOnly` nonzero, answers as it
 *  would and changes nothing. */
CALVORO_API calvoro_status calvoro_RestorePlanDefaults(const calvoro_guid* plan,
                                                       int32_t checkOnly,
                                                       calvoro_plan_result* result);

/* ---- Every setting of a plan (<calvoro/power_settings.h>) ----
 *
 * A setting is named by its subgroup's identifier and its own. Its description (names,
 * hidden or not, range or possible values, defaults) comes in a list of described settings
 * that the caller owns: read it with the accessors below, free it with calvoro_FreeSettings. */

/* How a settings call went (calvoro_setting_result.outcome). */
#define CALVORO_SETTING_DONE 0
#define CALVORO_SETTING_NOT_FOUND 1        /* no such plan, subgroup or setting */
#define CALVORO_SETTING_AMBIGUOUS 2        /* a name that several settings have */
#define CALVORO_SETTING_OUT_OF_RANGE 3     /* a value the setting does not take; nothing written */
#define CALVORO_SETTING_REFUSED 4          /* the platform refused: `status` says how */
#define CALVORO_SETTING_PINNED_BY_POLICY 5 /* Group Policy sets the value; nothing was tried */
#define CALVORO_SETTING_UNSUPPORTED 6      /* the platform lacks the calls; nothing was tried */

/* calvoro_setting_result.reapplied when the plan changed is not the active one, or when the
 * platform cannot tell the active plan (the change takes effect when the plan is next applied). */
#define CALVORO_NOT_REAPPLIED (-1)
#define CALVORO_ACTIVE_PLAN_UNKNOWN (-2)

/** How a settings call went. */
typedef struct calvoro_setting_result {
    int32_t outcome;   /* CALVORO_SETTING_... */
    uint32_t status;   /* the platform's status, when refused */
    int32_t reapplied; /* a write to the active plan: how applying it again went (CALVORO_APPLIED,
                          CALVORO_REFUSED, CALVORO_PINNED_BY_POLICY); else CALVORO_NOT_REAPPLIED
                          or CALVORO_ACTIVE_PLAN_UNKNOWN */
} calvoro_setting_result;

/** Where a setting is. */
typedef struct calvoro_setting_id {
    calvoro_guid subgroup;
    calvoro_guid setting;
} calvoro_setting_id;

/** A list of described settings. */
typedef struct calvoro_settings calvoro_settings;

/** What a described setting is, but its texts and possible values. */
typedef struct calvoro_setting_info {
    calvoro_setting_id id;
    int32_t hidden; /* 1 when hidden from Windows' own settings */
    int32_t ranged; /* 1: it takes min to max in steps of increment; 0: its possible values */
    uint32_t min;
    uint32_t max;
    uint32_t increment;
    uint32_t valueCount;  /* its possible values */
    int32_t hasAcDefault; /* 1 when acDefault holds Windows' default for the plan's kind */
    uint32_t acDefault;
    int32_t hasDcDefault;
    uint32_t dcDefault;
} calvoro_setting_info;

/* The texts of a described setting (calvoro_SettingText), each "" when it has none; a
 * possible value has the first two (calvoro_PossibleValue). */
#define CALVORO_TEXT_NAME 0
#define CALVORO_TEXT_DESCRIPTION 1
#define CALVORO_TEXT_ALIAS 2   /* powercfg's, as PROCTHROTTLEMAX */
#define CALVORO_TEXT_UNITS 3   /* a range's, as "%" */
#define CALVORO_TEXT_ALLOWED 4 /* what it takes, for a person: "0 to 100 %" */
#define CALVORO_TEXT_SUBGROUP_NAME 5
#define CALVORO_TEXT_SUBGROUP_DESCRIPTION 6
#define CALVORO_TEXT_SUBGROUP_ALIAS 7

/** *supported is 0 where the platform lacks the calls (Wine's powrprof), else 1. */
CALVORO_API calvoro_status calvoro_PowerSettingsSupported(int32_t* supported);

/** Every setting of the plan, hidden ones included, into *list (empty unless DONE). */
CALVORO_API calvoro_status calvoro_ListSettings(const calvoro_guid* plan,
                                                calvoro_setting_result* result,
                                                calvoro_settings** list);

/** The plan's setting that a text names: its identifier, its alias in any letter case, or its
 *  name (exact, else the one that is the same ignoring letter case). *list holds the setting
 *  when DONE, the candidates when AMBIGUOUS, and nothing else. */
CALVORO_API calvoro_status calvoro_FindSetting(const calvoro_guid* plan, const uint16_t* text,
                                               uint32_t textLength, calvoro_setting_result* result,
                                               calvoro_settings** list);

/** Frees a list; NULL does nothing. */
CALVORO_API calvoro_status calvoro_FreeSettings(calvoro_settings* list);

/** How many settings a list holds. */
CALVORO_API calvoro_status calvoro_SettingCount(const calvoro_settings* list, uint32_t* count);

/** The setting at `position` of the list (CALVORO_E_INVALID_ARGUMENT past its end). */
CALVORO_API calvoro_status calvoro_SettingInfo(const calvoro_settings* list, uint32_t position,
                                               calvoro_setting_info* info);

/** One text (CALVORO_TEXT_...) of the setting at `position`, into the caller's buffer as
 *  calvoro_ReadPowerSchemeName writes a name (a size query with `text` null). */
CALVORO_API calvoro_status calvoro_SettingText(const calvoro_settings* list, uint32_t position,
                                               int32_t which, uint16_t* text, uint32_t capacity,
                                               uint32_t* length);

/** The possible value at `valuePosition` of the setting at `position`: its index (what a plan
 *  stores) and its name or description (`which`), as calvoro_SettingText writes a text. */
CALVORO_API calvoro_status calvoro_PossibleValue(const calvoro_settings* list, uint32_t position,
                                                 uint32_t valuePosition, int32_t which,
                                                 uint32_t* index, uint16_t* text, uint32_t capacity,
                                                 uint32_t* length);

/** The value that a text stands for in the setting at `position`: a whole number, or a
 *  possible value's name in any letter case; *found is 0 for anything else. */
CALVORO_API calvoro_status calvoro_SettingValueFromText(const calvoro_settings* list,
                                                        uint32_t position, const uint16_t* text,
                                                        uint32_t textLength, int32_t* found,
                                                        uint32_t* value);

/** The plan's values of a setting for AC and DC, in the setting's own unit. */
CALVORO_API calvoro_status calvoro_ReadSetting(const calvoro_guid* plan,
                                               const calvoro_setting_id* setting,
                                               calvoro_setting_result* result, uint32_t* ac,
                                               uint32_t* dc);

/** Writes the plan's value of a setting for mains power (nonzero onAC) or battery, after
 *  checking it against the setting's description and Group Policy; a change to the active
 *  plan applies it again. */
CALVORO_API calvoro_status calvoro_WriteSetting(const calvoro_guid* plan,
                                                const calvoro_setting_id* setting, int32_t onAC,
                                                uint32_t value, calvoro_setting_result* result);

/** Hides a setting from Windows' own settings (nonzero hidden), or shows it, for the whole
 *  machine; Windows may refuse it to a user who is not an administrator (REFUSED). */
CALVORO_API calvoro_status calvoro_SetSettingHidden(const calvoro_setting_id* setting,
                                                    int32_t hidden, calvoro_setting_result* result);

/* ---- The export and import document (<calvoro/plan_document.h>) ----
 *
 * One JSON text (UTF-8) with plans, their names and descriptions and every setting; the
 * library writes it and reads it for every face. Reading checks the whole document and says
 * what it asks of this machine: a list of changes that the caller applies one by one (and
 * frees with calvoro_FreeDocument). */

/** The installed plans of `plans` (`count` of them; every installed plan when 0) as a
 *  document, into the caller's buffer of bytes as calvoro_ReadPowerSchemeName writes a name
 *  (a size query with `document` null; a NUL after the text). CALVORO_E_INVALID_ARGUMENT for
 *  a plan that is not installed. */
CALVORO_API calvoro_status calvoro_ExportPlans(const calvoro_guid* plans, uint32_t count,
                                               char* document, uint32_t capacity,
                                               uint32_t* length);

/** What a document asks of this machine. */
typedef struct calvoro_document calvoro_document;

/* How calvoro_ReadDocument reads (`options`, or-ed). */
#define CALVORO_DOCUMENT_SKIP_UNKNOWN 1 /* a setting this machine lacks is a SKIPPED change */
#define CALVORO_DOCUMENT_CREATE 2       /* a plan not installed is a CREATE change, first */

/** Reads `length` bytes of a document and checks all of it: CALVORO_E_DOCUMENT, with the
 *  place in the message, for one that cannot be imported. Reads only. */
CALVORO_API calvoro_status calvoro_ReadDocument(const char* document, uint32_t length,
                                                int32_t options, calvoro_document** read);

/** Frees what calvoro_ReadDocument handed out; NULL does nothing. */
CALVORO_API calvoro_status calvoro_FreeDocument(calvoro_document* read);

/* What a change of a document is (calvoro_document_change.kind). */
#define CALVORO_CHANGE_SETTING 0 /* a setting's value for AC or DC */
#define CALVORO_CHANGE_NAME 1    /* the plan's name with its description */
#define CALVORO_CHANGE_SKIPPED 2 /* a setting this machine does not have */
#define CALVORO_CHANGE_CREATE 3  /* a plan made as a copy of `source`, named as the texts say */

/** One change of a document. */
typedef struct calvoro_document_change {
    int32_t kind; /* CALVORO_CHANGE_... */
    calvoro_guid plan;
    calvoro_guid subgroup; /* a setting's, and a skipped one's */
    calvoro_guid setting;
    int32_t onAC;   /* 1 for a setting's AC value, 0 for DC */
    uint32_t value; /* what is written, in the setting's unit */
    uint32_t from;  /* the value now and then, as the document speaks (minutes for a timeout */
    uint32_t to;    /*   of a version 1 document) */
    calvoro_guid source; /* a CREATE change's plan copied */
} calvoro_document_change;

/* The texts of a change (calvoro_DocumentText). */
#define CALVORO_CHANGE_TEXT_KEY 0 /* "PROCTHROTTLEMAX.dc", "sleep.ac", "name"; a skipped one's place */
#define CALVORO_CHANGE_TEXT_LABEL 1     /* "Maximum processor state (PROCTHROTTLEMAX) on DC" */
#define CALVORO_CHANGE_TEXT_FROM 2      /* "100 %", "15 min", a name in quotes */
#define CALVORO_CHANGE_TEXT_TO 3
#define CALVORO_CHANGE_TEXT_PLAN_NAME 4 /* the plan's name now ("" when it has none) */
#define CALVORO_CHANGE_TEXT_NAME 5      /* a name change's new name... */
#define CALVORO_CHANGE_TEXT_DESCRIPTION 6 /* ...and description */

/** How many changes a read document holds, in the document's order. */
CALVORO_API calvoro_status calvoro_DocumentCount(const calvoro_document* read, uint32_t* count);

/** The change at `position` (CALVORO_E_INVALID_ARGUMENT past the end). */
CALVORO_API calvoro_status calvoro_DocumentChange(const calvoro_document* read,
                                                  uint32_t position,
                                                  calvoro_document_change* change);

/** One text (CALVORO_CHANGE_TEXT_...) of the change at `position`, as calvoro_SettingText
 *  writes a text. */
CALVORO_API calvoro_status calvoro_DocumentText(const calvoro_document* read, uint32_t position,
                                                int32_t which, uint16_t* text,
                                                uint32_t capacity, uint32_t* length);

/** Applies the change at `position`: a setting as calvoro_WriteSetting does (and the active
 *  plan again), a name with its description, a creation as calvoro_DuplicatePlan (PINNED_BY_
 *  POLICY when policy forbids new plans); a skipped one is NOT_FOUND, writing nothing. */
CALVORO_API calvoro_status calvoro_ApplyDocumentChange(const calvoro_document* read,
                                                       uint32_t position,
                                                       calvoro_setting_result* result);

/* ---- The watcher (<calvoro/watcher.h>) ---- */

/* What the watcher did (calvoro_watch_decision.action). */
#define CALVORO_WATCH_APPLIED 0
#define CALVORO_WATCH_ALREADY_ACTIVE 1
#define CALVORO_WATCH_KEPT_MANUAL 2 /* the person's plan stays until the source changes */
#define CALVORO_WATCH_NONE_RECORDED 3
#define CALVORO_WATCH_NOT_INSTALLED 4
#define CALVORO_WATCH_REFUSED 5
#define CALVORO_WATCH_POLICY 6
#define CALVORO_WATCH_STOPPED 7 /* the last decision */
#define CALVORO_WATCH_RECORD_REFUSED 8 /* the registry refused access to the record */

/* What made it decide (calvoro_watch_decision.trigger). */
#define CALVORO_TRIGGER_START 0
#define CALVORO_TRIGGER_SOURCE_CHANGE 1
#define CALVORO_TRIGGER_RESUME 2
#define CALVORO_TRIGGER_PLAN_CHANGE 3
#define CALVORO_TRIGGER_STOP 4

/** One decision of the watcher. */
typedef struct calvoro_watch_decision {
    int64_t time;    /* milliseconds since 1970-01-01 00:00 UTC */
    int32_t trigger; /* CALVORO_TRIGGER_... */
    int32_t source;  /* CALVORO_SOURCE_..., as read */
    int32_t hasPlan; /* 1 when `plan` holds a plan */
    calvoro_guid plan;
    int32_t action; /* CALVORO_WATCH_... */
} calvoro_watch_decision;

/** Called on the watcher's own thread with each decision, one at a time; the decision is
 *  valid during the call only. It must not call calvoro_StopWatcher. */
typedef void (*calvoro_watch_callback)(const calvoro_watch_decision* decision, void* context);

typedef struct calvoro_watcher calvoro_watcher;

/** The watcher's start decision, made once: applies the plan recorded for the current
 *  source when it is installed and not already active. */
CALVORO_API calvoro_status calvoro_ApplyRecordedPlan(calvoro_watch_decision* decision);

/** Starts a watcher; *watcher is its handle, for calvoro_StopWatcher. */
CALVORO_API calvoro_status calvoro_StartWatcher(uint32_t debounceMilliseconds,
                                                calvoro_watch_callback callback, void* context,
                                                calvoro_watcher** watcher);

/** Stops the watcher, after its last (stopped) decision, and frees it; NULL does nothing.
 *  From inside the callback: CALVORO_E_INVALID_ARGUMENT, and the watcher runs on. */
CALVORO_API calvoro_status calvoro_StopWatcher(calvoro_watcher* watcher);

#ifdef __cplusplus
}
#endif

#endif /* CALVORO_CALVORO_C_H */
