/* The C interface driven from C99: each function once, with its error paths. Natively the
 * simulated platform stands behind it; under Wine the real Windows binding, with the
 * stand-in powrprof.dll (which exports the simulation's C controls) and Wine's registry. */
#ifndef _WIN32
#define _POSIX_C_SOURCE 199309L /* nanosleep */
#endif
#include <calvoro/calvoro_c.h>
#include <calvoro/simulation_c.h>
#include <calvoro/version.h>
#include <stdio.h>
#include <string.h>

#ifndef _WIN32
#include <time.h>
#endif

#ifdef _WIN32
#include <windows.h>
#endif

static int passed;
static int failed;

#define CHECK(condition)                                                   \
    do {                                                                   \
        if (condition) {                                                   \
            ++passed;                                                      \
        } else {                                                           \
            ++failed;                                                      \
            printf("%s:%d: failed: %s\n", __FILE__, __LINE__, #condition); \
        }                                                                  \
    } while (0)

/* The call failed with `status` and a message that names `word`. */
#define CHECK_FAILS(call, status, word)                          \
    do {                                                         \
        CHECK((call) == (status));                               \
        CHECK(strstr(calvoro_LastErrorMessage(), word) != NULL); \
    } while (0)

/* The simulation's controls: under Wine they live in the stand-in powrprof.dll, whose messages
 * calvoro.dll's calvoro_LastErrorMessage does not see. */
#ifdef _WIN32
#define CHECK_SIM_FAILS(call, status, word) CHECK((call) == (status))
#else
#define CHECK_SIM_FAILS CHECK_FAILS
#endif

static const calvoro_guid kBalanced = {
    0x381B4222, 0xF694, 0x41F0, {0x96, 0x85, 0xFF, 0x5B, 0xB2, 0x60, 0xDF, 0x2E}};
static const calvoro_guid kPowerSaver = {
    0xA1841308, 0x3541, 0x4FAB, {0xBC, 0x81, 0xF7, 0x15, 0x56, 0xF2, 0x0B, 0x4A}};
static const calvoro_guid kUnknown = {0x01234567, 0x89AB, 0xCDEF, {1, 2, 3, 4, 5, 6, 7, 8}};
static const calvoro_guid kNoPlan = {
    0x4515AD82, 0x4C32, 0x4F78, {0x82, 0xC4, 0xB2, 0x0B, 0x62, 0x43, 0x0B, 0x0A}};

static int Same(const calvoro_guid* a, const calvoro_guid* b) {
    return memcmp(a, b, sizeof *a) == 0;
}

/* ASCII text as UTF-16 code units; returns the length. */
static uint32_t Units(const char* ascii, uint16_t* out) {
    uint32_t n = 0;
    for (; ascii[n] != '\0'; ++n) {
        out[n] = (uint16_t)(unsigned char)ascii[n];
    }
    return n;
}

/* The name read back equals the `length` code units at `expected`. */
static int NameIs(const calvoro_guid* plan, const uint16_t* expected, uint32_t length) {
    uint16_t buffer[64];
    uint32_t read = 0;
    int32_t present = 0;
    return calvoro_ReadPowerSchemeName(plan, buffer, 64, &read, &present) == CALVORO_OK &&
           present == 1 && read == length && memcmp(buffer, expected, length * 2) == 0 &&
           buffer[length] == 0;
}

static uint16_t keyPath[64];
static uint32_t keyPathLength;

/* The "AC" value of the default-plan key: where GetDefaultPlaneGUID reads it. */
static void SetDefaultText(const char* text) {
#ifdef _WIN32
    HKEY key;
    wchar_t wide[64];
    int n = 0;
    for (; text[n] != '\0'; ++n) {
        wide[n] = (wchar_t)text[n];
    }
    wide[n] = 0;
    RegCreateKeyExW(HKEY_CURRENT_USER, (const wchar_t*)keyPath, 0, NULL, 0, KEY_WRITE, NULL, &key,
                    NULL);
    RegSetValueExW(key, L"AC", 0, REG_SZ, (const BYTE*)wide, (DWORD)((n + 1) * 2));
    RegCloseKey(key);
#else
    uint16_t ac[2];
    uint16_t units[64];
    const uint32_t length = Units(text, units);
    CHECK(calvoro_sim_SetRegistryString(keyPath, keyPathLength, ac, Units("AC", ac), units,
                                        length) == CALVORO_OK);
#endif
}

static void ClearDefaults(void) {
#ifdef _WIN32
    RegDeleteKeyW(HKEY_CURRENT_USER, (const wchar_t*)keyPath);
#else
    int32_t deleted = 0;
    CHECK(calvoro_sim_DeleteRegistryKey(keyPath, keyPathLength, &deleted) == CALVORO_OK);
#endif
}

static void IdentifiersAndVersion(void) {
    calvoro_guid guid;
    CHECK(strcmp(calvoro_Version(), CALVORO_EXPECTED_VERSION) == 0);
    CHECK(strcmp(CALVORO_VERSION_STRING, CALVORO_EXPECTED_VERSION) == 0);
    CHECK(calvoro_VersionNumber() == CALVORO_VERSION_NUMBER);
    CHECK(calvoro_VersionNumber() / 1000000 == CALVORO_VERSION_MAJOR);
    CHECK(strcmp(calvoro_StatusName(CALVORO_OK), "CALVORO_OK") == 0);
    CHECK(strcmp(calvoro_StatusName(CALVORO_E_GUID_PARSE), "CALVORO_E_GUID_PARSE") == 0);
    CHECK(strcmp(calvoro_StatusName(CALVORO_E_OUT_OF_MEMORY), "CALVORO_E_OUT_OF_MEMORY") == 0);
    CHECK(strcmp(calvoro_StatusName(CALVORO_E_DOCUMENT), "CALVORO_E_DOCUMENT") == 0);
    CHECK(strcmp(calvoro_StatusName(9), "unknown status") == 0);
    CHECK(calvoro_NoPowerSchemeGuid(&guid) == CALVORO_OK && Same(&guid, &kNoPlan));
    CHECK_FAILS(calvoro_NoPowerSchemeGuid(NULL), CALVORO_E_NULL_POINTER,
                "calvoro_NoPowerSchemeGuid");
    CHECK(calvoro_ToGUID(&kBalanced, &guid) == CALVORO_OK && Same(&guid, &kBalanced));
    CHECK(((const uint8_t*)&guid)[0] == 0x22 && ((const uint8_t*)&guid)[3] == 0x38);
    CHECK_FAILS(calvoro_ToGUID(NULL, &guid), CALVORO_E_NULL_POINTER, "calvoro_ToGUID");
}

static void Enumeration(void) {
    calvoro_guid guid;
    CHECK(calvoro_EnumPowerSchemeGuid(0, &guid) == CALVORO_OK && Same(&guid, &kBalanced));
    CHECK(calvoro_EnumPowerSchemeGuid(2, &guid) == CALVORO_OK && Same(&guid, &kPowerSaver));
    CHECK(calvoro_EnumPowerSchemeGuid(3, &guid) == CALVORO_OK && Same(&guid, &kNoPlan));
    CHECK_FAILS(calvoro_EnumPowerSchemeGuid(0, NULL), CALVORO_E_NULL_POINTER, "Enum");
}

static void Names(void) {
    /* "Énergie ☀", U+1F50B, a lone surrogate, and a text with a NUL in it. */
    static const uint16_t energie[] = {0xC9, 'n', 'e', 'r', 'g', 'i', 'e', ' ', 0x2600};
    static const uint16_t battery[] = {0xD83D, 0xDD0B};
    static const uint16_t lone[] = {'x', 0xDC00};
    static const uint16_t withNul[] = {'a', 'b', 0, 'c'};
    uint16_t buffer[16];
    uint32_t length = 99;
    int32_t present = 9;
    int32_t result = 9;

    CHECK(calvoro_ReadPowerSchemeName(&kBalanced, NULL, 0, &length, &present) == CALVORO_OK);
    CHECK(length == 8 && present == 1);
    CHECK_FAILS(calvoro_ReadPowerSchemeName(&kBalanced, buffer, 8, &length, &present),
                CALVORO_E_BUFFER_TOO_SMALL, "9 are needed");
    Units("Balanced", buffer);
    CHECK(NameIs(&kBalanced, buffer, 8));
    CHECK(calvoro_ReadPowerSchemeName(&kUnknown, buffer, 16, &length, &present) == CALVORO_OK);
    CHECK(present == 0 && length == 0);
    CHECK_FAILS(calvoro_ReadPowerSchemeName(&kBalanced, buffer, 16, NULL, &present),
                CALVORO_E_NULL_POINTER, "ReadPowerSchemeName");
    CHECK_FAILS(calvoro_ReadPowerSchemeName(&kBalanced, NULL, 16, &length, &present),
                CALVORO_E_NULL_POINTER, "ReadPowerSchemeName");

    CHECK(calvoro_WritePowerSchemeNameDescription(&kPowerSaver, energie, 9, battery, 2, &result) ==
              CALVORO_OK &&
          result == 1);
    CHECK(NameIs(&kPowerSaver, energie, 9));

    /* A name that grows after the size query is reported at its new length, not cut. */
    CHECK(calvoro_ReadPowerSchemeName(&kPowerSaver, NULL, 0, &length, &present) == CALVORO_OK);
    CHECK(calvoro_WritePowerSchemeNameDescription(&kPowerSaver, buffer,
                                                  Units("Power saver", buffer), buffer, 0,
                                                  &result) == CALVORO_OK &&
          result == 1);
    CHECK(calvoro_ReadPowerSchemeName(&kPowerSaver, buffer, length + 1, &length, &present) ==
              CALVORO_E_BUFFER_TOO_SMALL &&
          length == 11);
    CHECK(calvoro_WritePowerSchemeNameDescription(&kPowerSaver, battery, 2, energie, 0, &result) ==
              CALVORO_OK &&
          result == 1 && NameIs(&kPowerSaver, battery, 2));
    CHECK(calvoro_WritePowerSchemeNameDescription(&kPowerSaver, lone, 2, lone, 2, &result) ==
              CALVORO_OK &&
          NameIs(&kPowerSaver, lone, 2));
    CHECK(calvoro_WritePowerSchemeNameDescription(&kPowerSaver, withNul, 4, lone, 2, &result) ==
              CALVORO_OK &&
          NameIs(&kPowerSaver, withNul, 2));
    CHECK(calvoro_WritePowerSchemeNameDescription(&kUnknown, battery, 2, battery, 2, &result) ==
              CALVORO_OK &&
          result == 0);
    /* An empty text may be null; a longer one may not. */
    CHECK(calvoro_WritePowerSchemeNameDescription(&kPowerSaver, NULL, 0, NULL, 0, &result) ==
              CALVORO_OK &&
          result == 1 && NameIs(&kPowerSaver, battery, 0));
    CHECK_FAILS(calvoro_WritePowerSchemeNameDescription(&kPowerSaver, NULL, 1, battery, 2, &result),
                CALVORO_E_NULL_POINTER, "WritePowerSchemeNameDescription");
    CHECK_FAILS(calvoro_WritePowerSchemeNameDescription(&kPowerSaver, battery, 2, NULL, 1, &result),
                CALVORO_E_NULL_POINTER, "WritePowerSchemeNameDescription");
}

static void Timeouts(void) {
    typedef calvoro_status (*Getter)(const calvoro_guid*, int32_t, uint32_t*);
    typedef calvoro_status (*Setter)(const calvoro_guid*, int32_t, uint32_t, int32_t*);
    static const Getter getters[] = {calvoro_GetSleepTimer, calvoro_GetHibernationTimer,
                                     calvoro_GetDisplayTimer};
    static const Setter setters[] = {calvoro_SetSleepTimer, calvoro_SetHibernationTimer,
                                     calvoro_SetDisplayTimer};
    int i;
    for (i = 0; i < 3; ++i) {
        uint32_t minutes = 0;
        uint32_t other = 0;
        int32_t stored = 9;
        CHECK(setters[i](&kBalanced, 1, 71582788 - (uint32_t)i, &stored) == CALVORO_OK &&
              stored == 1);
        CHECK(setters[i](&kBalanced, 0, (uint32_t)i, &stored) == CALVORO_OK && stored == 1);
        CHECK(getters[i](&kBalanced, 1, &minutes) == CALVORO_OK &&
              minutes == 71582788 - (uint32_t)i);
        CHECK(getters[i](&kBalanced, 0, &other) == CALVORO_OK && other == (uint32_t)i);
        CHECK(setters[i](&kBalanced, 1, 71582789, &stored) == CALVORO_OK && stored == 0);
        CHECK(getters[i](&kUnknown, 1, &minutes) == CALVORO_OK && minutes == 0);
        CHECK(setters[i](&kUnknown, 1, 1, &stored) == CALVORO_OK && stored == 0);
        CHECK_FAILS(getters[i](&kBalanced, 1, NULL), CALVORO_E_NULL_POINTER, "Timer");
        CHECK_FAILS(setters[i](NULL, 1, 1, &stored), CALVORO_E_NULL_POINTER, "Timer");
    }
}

/* A C++ exception that the platform raises reaches C as CALVORO_E_PLATFORM. Not on 32-bit
 * Windows: there the stand-in powrprof.dll and calvoro.dll each carry their own static C++
 * runtime, and i686's DWARF unwinder cannot carry an exception from one into the other.
 * (Windows' own powrprof raises no C++ exceptions.) */
static void PlatformException(void) {
#if !defined(_WIN32) || defined(_WIN64)
    uint32_t minutes = 0;
    CHECK(calvoro_sim_InjectException(CALVORO_SIM_POWER_READ_AC_VALUE_INDEX, "boom \xE2\x98\x80",
                                      CALVORO_SIM_ONCE, 0) == CALVORO_OK);
    CHECK(calvoro_GetSleepTimer(&kBalanced, 1, &minutes) == CALVORO_E_PLATFORM);
    CHECK(strcmp(calvoro_LastErrorMessage(), "boom \xE2\x98\x80") == 0);
    CHECK(calvoro_GetSleepTimer(&kBalanced, 1, &minutes) == CALVORO_OK);
#endif
}

static void DefaultPlan(void) {
    calvoro_guid guid;
    ClearDefaults();
    CHECK(calvoro_GetDefaultPlaneGUID(1, &guid) == CALVORO_OK && Same(&guid, &kNoPlan));
    SetDefaultText("{a1841308-3541-4fab-bc81-f71556f20b4a}");
    CHECK(calvoro_GetDefaultPlaneGUID(1, &guid) == CALVORO_OK && Same(&guid, &kPowerSaver));
    CHECK(calvoro_GetDefaultPlaneGUID(0, &guid) == CALVORO_OK && Same(&guid, &kNoPlan));
    SetDefaultText("not a plan");
    CHECK_FAILS(calvoro_GetDefaultPlaneGUID(1, &guid), CALVORO_E_GUID_PARSE, "\"not a plan\"");
    CHECK_FAILS(calvoro_GetDefaultPlaneGUID(1, NULL), CALVORO_E_NULL_POINTER,
                "GetDefaultPlaneGUID");
#ifndef _WIN32 /* Wine does not enforce registry security */
    CHECK(calvoro_sim_RefuseKeyAccess(keyPath, keyPathLength) == CALVORO_OK);
    CHECK_FAILS(calvoro_GetDefaultPlaneGUID(0, &guid), CALVORO_E_REGISTRY_ACCESS, "access refused");
#endif
    ClearDefaults();
}

/* The simulation's own controls. Under Wine they act on the stand-in's machine. */
/* The library's own operations beside the class, through the same platform. */
static void BesideTheClass(void) {
    calvoro_guid plan;
    calvoro_guid candidates[4];
    calvoro_plan_lookup lookup;
    uint16_t text[64];
    uint16_t other[8];
    uint32_t length = 0;
    uint32_t count = 0;
    int32_t flag = 0;

    CHECK(calvoro_sim_Reset() == CALVORO_OK);
    CHECK(calvoro_GetActivePlan(&plan, &flag) == CALVORO_OK && flag == 1 &&
          Same(&plan, &kBalanced));
    CHECK(calvoro_ActivatePlan(&kPowerSaver, &flag) == CALVORO_OK && flag == 1);
    CHECK(calvoro_ActivatePlan(&kUnknown, &flag) == CALVORO_OK && flag == 0);
    CHECK(calvoro_GetActivePlan(&plan, &flag) == CALVORO_OK && Same(&plan, &kPowerSaver));
    CHECK_FAILS(calvoro_ActivatePlan(NULL, &flag), CALVORO_E_NULL_POINTER, "calvoro_ActivatePlan");

    /* The description: its length, then the text and its NUL; no room for the NUL is refused. */
    CHECK(calvoro_ReadPlanDescription(&kBalanced, NULL, 0, &length, &flag) == CALVORO_OK &&
          flag == 1 && length == 79);
    CHECK(calvoro_ReadPlanDescription(&kBalanced, text, 64, &length, &flag) ==
              CALVORO_E_BUFFER_TOO_SMALL &&
          length == 79);
    CHECK(calvoro_ReadPlanDescription(&kUnknown, text, 64, &length, &flag) == CALVORO_OK &&
          flag == 0 && length == 0);

    /* The lookup: a name in another letter case, an alias, an identifier not installed. */
    CHECK(calvoro_FindPlan(text, Units("power SAVER", text), &lookup, candidates, 4, &count) ==
              CALVORO_OK &&
          lookup.outcome == CALVORO_PLAN_FOUND && lookup.reading == CALVORO_READ_NAME &&
          lookup.identified == 0 && count == 1 && Same(&candidates[0], &kPowerSaver));
    CHECK(calvoro_FindPlan(text, Units("scheme_current", text), &lookup, candidates, 4, &count) ==
              CALVORO_OK &&
          lookup.reading == CALVORO_READ_ALIAS && lookup.identified == 1 &&
          Same(&lookup.identifier, &kPowerSaver));
    CHECK(calvoro_FindPlan(text, Units("{01234567-89ab-cdef-0102-030405060708}", text), &lookup,
                           NULL, 0, &count) == CALVORO_OK &&
          lookup.outcome == CALVORO_PLAN_NONE && lookup.reading == CALVORO_READ_IDENTIFIER &&
          Same(&lookup.identifier, &kUnknown) && count == 3);
    CHECK_FAILS(calvoro_FindPlan(text, Units("Turbo", text), &lookup, candidates, 2, &count),
                CALVORO_E_BUFFER_TOO_SMALL, "calvoro_FindPlan");
    CHECK(count == 3);
    CHECK(calvoro_SameIgnoringCase(text, Units("ab", text), other, Units("AB", other), &flag) ==
              CALVORO_OK &&
          flag == 1);

    /* A plan's life: a template copied under a given identifier and name, that identifier
     * refused a second time; the active plan kept; the copy deleted, with the record that
     * still names it said; the defaults restored. */
    {
        const calvoro_guid kCopy = {0x1234, 0, 0, {0}};
        calvoro_plan_result made;
        int32_t isTemplate = 0;
        CHECK(calvoro_FindPlanOrTemplate(text, Units("ultimate PERFORMANCE", text), &lookup,
                                         candidates, 4, &count, &isTemplate) == CALVORO_OK &&
              isTemplate == 1 && count == 1);
        CHECK(calvoro_DuplicatePlan(&candidates[0], &kCopy, text, Units("Game", text), NULL, 0,
                                    &made) == CALVORO_OK &&
              made.outcome == CALVORO_PLAN_DONE && Same(&made.plan, &kCopy));
        CHECK(calvoro_DuplicatePlan(&kBalanced, &kCopy, NULL, 0, NULL, 0, &made) == CALVORO_OK &&
              made.outcome == CALVORO_PLAN_ALREADY_EXISTS);
        CHECK(calvoro_RestorePlanDefaults(&kCopy, 1, &made) == CALVORO_OK &&
              made.outcome == CALVORO_PLAN_NOT_STANDARD);
        CHECK(calvoro_DeletePlan(&kPowerSaver, &made) == CALVORO_OK &&
              made.outcome == CALVORO_PLAN_IS_ACTIVE);
        CHECK(calvoro_SetDefaultPlan(0, &kCopy) == CALVORO_OK);
        CHECK(calvoro_DeletePlan(&kCopy, &made) == CALVORO_OK &&
              made.outcome == CALVORO_PLAN_DONE && made.records == CALVORO_RECORD_DC);
        CHECK(calvoro_PlanTemplates(NULL, 0, &count) == CALVORO_OK && count == 4);
        CHECK(calvoro_PlanTemplateName(3, text, 64, &length) == CALVORO_OK && length == 20);
        CHECK(calvoro_RestoreDefaultPlans(&made) == CALVORO_OK &&
              made.outcome == CALVORO_PLAN_DONE);
    }

    /* The record: written, read back by the class, and cleared one value at a time. */
    ClearDefaults();
    CHECK(calvoro_ClearDefaultPlan(1, &flag) == CALVORO_OK && flag == 0); /* no key at all */
    CHECK(calvoro_SetDefaultPlan(1, &kBalanced) == CALVORO_OK);
    CHECK(calvoro_SetDefaultPlan(0, &kPowerSaver) == CALVORO_OK);
    CHECK(calvoro_GetDefaultPlaneGUID(0, &plan) == CALVORO_OK && Same(&plan, &kPowerSaver));
    CHECK(calvoro_ClearDefaultPlan(0, &flag) == CALVORO_OK && flag == 1);
    CHECK(calvoro_ClearDefaultPlan(0, &flag) == CALVORO_OK && flag == 0);
    CHECK(calvoro_GetDefaultPlaneGUID(0, &plan) == CALVORO_OK && Same(&plan, &kNoPlan));
    CHECK(calvoro_GetDefaultPlaneGUID(1, &plan) == CALVORO_OK && Same(&plan, &kBalanced));
#ifndef _WIN32
    CHECK(calvoro_sim_RefuseKeyAccess(keyPath, keyPathLength) == CALVORO_OK);
    CHECK_FAILS(calvoro_SetDefaultPlan(1, &kBalanced), CALVORO_E_REGISTRY_ACCESS, "\"AC\"");
    CHECK_FAILS(calvoro_ClearDefaultPlan(1, &flag), CALVORO_E_REGISTRY_ACCESS, "\"AC\"");
#endif
    ClearDefaults();
    CHECK(calvoro_ActivatePlan(&kBalanced, &flag) == CALVORO_OK && flag == CALVORO_APPLIED);
    CHECK(calvoro_ActivePlanPinnedByPolicy(&flag) == CALVORO_OK && flag == 0);
}

/* Every setting of a plan: listed, found, described, read, written, shown and hidden. */
static void Settings(void) {
    static const calvoro_setting_id kThrottleMax = {
        {0x54533251, 0x82BE, 0x4824, {0x96, 0xC1, 0x47, 0xB6, 0x0B, 0x74, 0x0D, 0x00}},
        {0xBC5038F7, 0x23E0, 0x4960, {0x96, 0xDA, 0x33, 0xAB, 0xAF, 0x59, 0x35, 0xEC}}};
    calvoro_settings* list = NULL;
    calvoro_setting_result result;
    calvoro_setting_info info;
    uint16_t text[128];
    uint32_t length = 0;
    uint32_t count = 0;
    uint32_t ac = 0;
    uint32_t dc = 0;
    uint32_t index = 0;
    int32_t flag = 0;

    CHECK(calvoro_sim_Reset() == CALVORO_OK);
    CHECK(calvoro_PowerSettingsSupported(&flag) == CALVORO_OK && flag == 1);
    CHECK(calvoro_ListSettings(&kBalanced, &result, &list) == CALVORO_OK &&
          result.outcome == CALVORO_SETTING_DONE);
    CHECK(calvoro_SettingCount(list, &count) == CALVORO_OK && count > 60);
    CHECK_FAILS(calvoro_SettingInfo(list, count, &info), CALVORO_E_INVALID_ARGUMENT, "position");
    CHECK(calvoro_FreeSettings(list) == CALVORO_OK && calvoro_FreeSettings(NULL) == CALVORO_OK);

    /* Found by alias in any letter case; described; the boost mode's possible values. */
    CHECK(calvoro_FindSetting(&kBalanced, text, Units("procthrottlemax", text), &result, &list) ==
              CALVORO_OK &&
          result.outcome == CALVORO_SETTING_DONE);
    CHECK(calvoro_SettingInfo(list, 0, &info) == CALVORO_OK &&
          Same(&info.id.setting, &kThrottleMax.setting) && info.ranged == 1 && info.max == 100 &&
          info.hidden == 0 && info.hasAcDefault == 1 && info.acDefault == 100);
    CHECK(calvoro_SettingText(list, 0, CALVORO_TEXT_ALLOWED, text, 128, &length) == CALVORO_OK &&
          length == 10 && text[9] == '%');
    CHECK(calvoro_SettingText(list, 0, CALVORO_TEXT_SUBGROUP_ALIAS, NULL, 0, &length) ==
              CALVORO_OK &&
          length == 13);
    CHECK_FAILS(calvoro_SettingText(list, 0, 99, text, 128, &length), CALVORO_E_INVALID_ARGUMENT,
                "which");
    CHECK(calvoro_SettingValueFromText(list, 0, text, Units("80", text), &flag, &ac) ==
              CALVORO_OK &&
          flag == 1 && ac == 80);
    CHECK(calvoro_FreeSettings(list) == CALVORO_OK);
    CHECK(calvoro_FindSetting(&kBalanced, text, Units("PERFBOOSTMODE", text), &result, &list) ==
              CALVORO_OK &&
          calvoro_SettingInfo(list, 0, &info) == CALVORO_OK && info.hidden == 1 &&
          info.valueCount >= 5);
    CHECK(calvoro_PossibleValue(list, 0, 2, CALVORO_TEXT_NAME, &index, text, 128, &length) ==
              CALVORO_OK &&
          index == 2 && length == 10 && text[0] == 'A');
    CHECK_FAILS(calvoro_PossibleValue(list, 0, info.valueCount, CALVORO_TEXT_NAME, &index, text,
                                      128, &length),
                CALVORO_E_INVALID_ARGUMENT, "valuePosition");
    CHECK(calvoro_SettingValueFromText(list, 0, text, Units("efficient ENABLED", text), &flag,
                                       &ac) == CALVORO_OK &&
          flag == 1 && ac == 3);
    CHECK(calvoro_FreeSettings(list) == CALVORO_OK);
    CHECK(calvoro_FindSetting(&kBalanced, text, Units("no such thing", text), &result, &list) ==
              CALVORO_OK &&
          result.outcome == CALVORO_SETTING_NOT_FOUND &&
          calvoro_SettingCount(list, &count) == CALVORO_OK && count == 0);
    CHECK(calvoro_FreeSettings(list) == CALVORO_OK);

    /* Written for DC only, read back; the active plan applied again; a value out of range. */
    CHECK(calvoro_WriteSetting(&kBalanced, &kThrottleMax, 0, 80, &result) == CALVORO_OK &&
          result.outcome == CALVORO_SETTING_DONE && result.reapplied == CALVORO_APPLIED);
    CHECK(calvoro_ReadSetting(&kBalanced, &kThrottleMax, &result, &ac, &dc) == CALVORO_OK &&
          result.outcome == CALVORO_SETTING_DONE && ac == 100 && dc == 80);
    CHECK(calvoro_WriteSetting(&kPowerSaver, &kThrottleMax, 1, 50, &result) == CALVORO_OK &&
          result.reapplied == CALVORO_NOT_REAPPLIED);
    CHECK(calvoro_WriteSetting(&kBalanced, &kThrottleMax, 1, 101, &result) == CALVORO_OK &&
          result.outcome == CALVORO_SETTING_OUT_OF_RANGE);
    CHECK(calvoro_ReadSetting(&kUnknown, &kThrottleMax, &result, &ac, &dc) == CALVORO_OK &&
          result.outcome == CALVORO_SETTING_NOT_FOUND);
    CHECK_FAILS(calvoro_ReadSetting(&kBalanced, NULL, &result, &ac, &dc), CALVORO_E_NULL_POINTER,
                "calvoro_ReadSetting");

    /* Hidden, then shown again, for the whole machine. */
    CHECK(calvoro_SetSettingHidden(&kThrottleMax, 1, &result) == CALVORO_OK &&
          result.outcome == CALVORO_SETTING_DONE);
    CHECK(calvoro_FindSetting(&kPowerSaver, text, Units("PROCTHROTTLEMAX", text), &result, &list) ==
              CALVORO_OK &&
          calvoro_SettingInfo(list, 0, &info) == CALVORO_OK && info.hidden == 1);
    CHECK(calvoro_FreeSettings(list) == CALVORO_OK);
    CHECK(calvoro_SetSettingHidden(&kThrottleMax, 0, &result) == CALVORO_OK &&
          result.outcome == CALVORO_SETTING_DONE);

    /* With no active plan (it was removed), a change waits until a plan is next applied. */
    CHECK(calvoro_sim_RemovePlan(&kBalanced, &flag) == CALVORO_OK && flag == 1);
    CHECK(calvoro_WriteSetting(&kPowerSaver, &kThrottleMax, 1, 60, &result) == CALVORO_OK &&
          result.outcome == CALVORO_SETTING_DONE &&
          result.reapplied == CALVORO_ACTIVE_PLAN_UNKNOWN);
    CHECK(calvoro_sim_Reset() == CALVORO_OK);
}

/* The document: written, read back asking for nothing, changed, refused with its place. */
static void Document(void) {
    static const char kChange[] =
        "{\"format\": \"calvoro-plans\", \"version\": 2, \"plans\": [{\"id\": "
        "\"A1841308-3541-4FAB-BC81-F71556F20B4A\", \"settings\": [{\"subgroup\": "
        "\"54533251-82BE-4824-96C1-47B60B740D00\", \"id\": "
        "\"BC5038F7-23E0-4960-96DA-33ABAF5935EC\", \"dc\": 70}]}]}";
    char written[65536];
    uint16_t text[64];
    uint32_t length = 0;
    uint32_t count = 0;
    calvoro_document* read = NULL;
    calvoro_document_change change;
    calvoro_setting_result result;

    CHECK(calvoro_sim_Reset() == CALVORO_OK);
    CHECK(calvoro_ExportPlans(&kPowerSaver, 1, NULL, 0, &length) == CALVORO_OK && length > 1000);
    CHECK(calvoro_ExportPlans(&kPowerSaver, 1, written, sizeof written, &length) == CALVORO_OK &&
          strstr(written, "\"PERFBOOSTMODE\"") != NULL);
    CHECK_FAILS(calvoro_ExportPlans(&kUnknown, 1, written, sizeof written, &length),
                CALVORO_E_INVALID_ARGUMENT, "no installed plan");
    CHECK(calvoro_ReadDocument(written, length, 0, &read) == CALVORO_OK &&
          calvoro_DocumentCount(read, &count) == CALVORO_OK && count == 0);
    CHECK(calvoro_FreeDocument(read) == CALVORO_OK && calvoro_FreeDocument(NULL) == CALVORO_OK);

    CHECK(calvoro_ReadDocument(kChange, (uint32_t)strlen(kChange), 0, &read) == CALVORO_OK &&
          calvoro_DocumentCount(read, &count) == CALVORO_OK && count == 1);
    CHECK(calvoro_DocumentChange(read, 0, &change) == CALVORO_OK &&
          change.kind == CALVORO_CHANGE_SETTING && Same(&change.plan, &kPowerSaver) &&
          change.onAC == 0 && change.from == 100 && change.to == 70 && change.value == 70);
    CHECK(calvoro_DocumentText(read, 0, CALVORO_CHANGE_TEXT_KEY, text, 64, &length) ==
              CALVORO_OK && length == 18 && text[16] == 'd');
    CHECK_FAILS(calvoro_DocumentChange(read, 1, &change), CALVORO_E_INVALID_ARGUMENT, "position");
    CHECK(calvoro_ApplyDocumentChange(read, 0, &result) == CALVORO_OK &&
          result.outcome == CALVORO_SETTING_DONE && result.reapplied == CALVORO_NOT_REAPPLIED);
    CHECK(calvoro_FreeDocument(read) == CALVORO_OK);
    CHECK(calvoro_ReadDocument(kChange, (uint32_t)strlen(kChange), 0, &read) == CALVORO_OK &&
          calvoro_DocumentCount(read, &count) == CALVORO_OK && count == 0);
    CHECK(calvoro_FreeDocument(read) == CALVORO_OK);
    CHECK_FAILS(calvoro_ReadDocument(kChange, 20, 0, &read), CALVORO_E_DOCUMENT, "not valid JSON");
}

/* The power source, the power modes, and the active plan pinned by policy. */
static void SourceAndModes(void) {
    static const calvoro_guid kBestPerformance = {
        0xDED574B5, 0x45A0, 0x4F42, {0x87, 0x37, 0x46, 0x34, 0x5C, 0x09, 0xC2, 0x38}};
    calvoro_sim_power power;
    calvoro_power_source source;
    calvoro_power_mode mode;
    int32_t outcome = -1;

    CHECK(calvoro_sim_Reset() == CALVORO_OK);
    CHECK(calvoro_ReadPowerSource(&source) == CALVORO_OK && source.source == CALVORO_SOURCE_AC &&
          source.batteryPresent == 1 && source.modernStandby == 0);
    CHECK(calvoro_sim_GetPower(&power) == CALVORO_OK);
    power.source = CALVORO_SOURCE_SHORT_TERM;
    power.batteryPresent = 0;
    power.modernStandby = 1;
    CHECK(calvoro_sim_SetPower(&power) == CALVORO_OK);
    CHECK(calvoro_ReadPowerSource(&source) == CALVORO_OK &&
          source.source == CALVORO_SOURCE_SHORT_TERM && source.modernStandby == 1);
    power.source = CALVORO_SOURCE_UNKNOWN;
    CHECK(calvoro_sim_SetPower(&power) == CALVORO_OK);
    CHECK(calvoro_ReadPowerSource(&source) == CALVORO_OK &&
          source.source == CALVORO_SOURCE_UNKNOWN);
    power.source = 4;
    CHECK_SIM_FAILS(calvoro_sim_SetPower(&power), CALVORO_E_INVALID_ARGUMENT, "source");

    CHECK(calvoro_GetPowerMode(0, &mode) == CALVORO_OK && mode.outcome == CALVORO_MODE_DONE &&
          mode.mode == CALVORO_MODE_BALANCED);
    CHECK(calvoro_SetPowerMode(0, CALVORO_MODE_BEST_PERFORMANCE, &outcome) == CALVORO_OK &&
          outcome == CALVORO_MODE_DONE);
    CHECK(calvoro_GetPowerMode(0, &mode) == CALVORO_OK &&
          mode.mode == CALVORO_MODE_BEST_PERFORMANCE && Same(&mode.guid, &kBestPerformance));
    CHECK(calvoro_GetPowerMode(1, &mode) == CALVORO_OK && mode.mode == CALVORO_MODE_BALANCED);
    CHECK_FAILS(calvoro_SetPowerMode(1, 3, &outcome), CALVORO_E_INVALID_ARGUMENT, "mode");
    CHECK(calvoro_sim_InjectStatus(CALVORO_SIM_POWER_GET_USER_CONFIGURED_POWER_MODE, 127,
                                   CALVORO_SIM_ONCE, 0) == CALVORO_OK);
    CHECK(calvoro_GetPowerMode(1, &mode) == CALVORO_OK && mode.outcome == CALVORO_MODE_UNSUPPORTED);

    CHECK(calvoro_sim_InjectStatus(CALVORO_SIM_POWER_SETTING_ACCESS_CHECK_EX, 1260,
                                   CALVORO_SIM_ALWAYS, 0) == CALVORO_OK);
    CHECK(calvoro_ActivePlanPinnedByPolicy(&outcome) == CALVORO_OK && outcome == 1);
    CHECK(calvoro_ActivatePlan(&kPowerSaver, &outcome) == CALVORO_OK &&
          outcome == CALVORO_PINNED_BY_POLICY);
    CHECK(calvoro_sim_Reset() == CALVORO_OK);
}

static void Simulation(void) {
    static const uint16_t name[] = {'N', 0xD800};
    const calvoro_sim_plan added = {{7, 7, 7, {7}}, {60, 120}, {0, 0}, {300, 600}};
    calvoro_sim_plan plan;
    calvoro_sim_registry_value value;
    calvoro_sim_state* state = NULL;
    calvoro_sim_state* listed = NULL;
    uint16_t text[8];
    uint8_t bytes[2];
    uint32_t count = 0, nameLength = 0, descriptionLength = 0, seconds = 0;
    uint64_t made = 0, live = 9, opened = 0, open = 9;
    int32_t flag = 9;
    const uint32_t bin = Units("Bin", text);

    CHECK(calvoro_sim_Snapshot(&state) == CALVORO_OK && state != NULL);
    CHECK(calvoro_sim_AddPlan(&added, name, 2, name, 0, &flag) == CALVORO_OK && flag == 1);
    CHECK(calvoro_sim_AddPlan(&added, name, 2, name, 0, &flag) == CALVORO_OK && flag == 0);
    /* Plans are listed from one snapshot, which later changes leave as it was. */
    CHECK(calvoro_sim_Snapshot(&listed) == CALVORO_OK);
    CHECK(calvoro_sim_RemovePlan(&kPowerSaver, &flag) == CALVORO_OK && flag == 1);
    CHECK(calvoro_sim_PlanCount(listed, &count) == CALVORO_OK && count == 4);
    CHECK(calvoro_sim_PlanAt(listed, 3, &plan, NULL, 0, &nameLength, NULL, 0, &descriptionLength,
                             &flag) == CALVORO_OK &&
          flag == 1);
    CHECK(nameLength == 2 && descriptionLength == 0 && plan.display.dc == 600);
    CHECK_SIM_FAILS(calvoro_sim_PlanAt(listed, 3, &plan, text + 4, 2, &nameLength, text + 4, 1,
                                       &descriptionLength, &flag),
                    CALVORO_E_BUFFER_TOO_SMALL, "calvoro_sim_PlanAt");
    CHECK(calvoro_sim_PlanAt(listed, 4, &plan, NULL, 0, &nameLength, NULL, 0, &descriptionLength,
                             &flag) == CALVORO_OK &&
          flag == 0);
    CHECK_SIM_FAILS(calvoro_sim_PlanCount(NULL, &count), CALVORO_E_NULL_POINTER,
                    "calvoro_sim_PlanCount");
    calvoro_sim_FreeState(listed);
    CHECK(calvoro_sim_ReadSeconds(&added.id, CALVORO_SIM_SLEEP, 0, &seconds, &flag) == CALVORO_OK &&
          flag == 1 && seconds == 120);
    CHECK_SIM_FAILS(calvoro_sim_ReadSeconds(&added.id, 3, 0, &seconds, &flag),
                    CALVORO_E_INVALID_ARGUMENT, "timeout");
    CHECK(calvoro_sim_WriteSeconds(&added.id, CALVORO_SIM_DISPLAY, 1, 5, &flag) == CALVORO_OK &&
          flag == 1);
    CHECK(calvoro_GetActivePlan(&plan.id, &flag) == CALVORO_OK && flag == 1 &&
          Same(&plan.id, &kBalanced));
    CHECK(calvoro_ActivatePlan(&added.id, &flag) == CALVORO_OK && flag == 1);
    CHECK(calvoro_GetActivePlan(&plan.id, &flag) == CALVORO_OK && Same(&plan.id, &added.id));
    CHECK(calvoro_sim_RemovePlan(&added.id, &flag) == CALVORO_OK && flag == 1);
    CHECK(calvoro_GetActivePlan(&plan.id, &flag) == CALVORO_OK && flag == 0);
    CHECK(calvoro_ActivatePlan(&added.id, &flag) == CALVORO_OK && flag == 0);
    CHECK(calvoro_sim_RemovePlan(&added.id, &flag) == CALVORO_OK && flag == 0);
    CHECK(calvoro_sim_WriteSeconds(&added.id, CALVORO_SIM_DISPLAY, 1, 5, &flag) == CALVORO_OK &&
          flag == 0);

    CHECK(calvoro_sim_InjectStatus(CALVORO_SIM_POWER_ENUMERATE, 5, CALVORO_SIM_ALWAYS, 1) ==
          CALVORO_OK);
    CHECK_SIM_FAILS(calvoro_sim_InjectStatus(19, 5, CALVORO_SIM_ONCE, 0),
                    CALVORO_E_INVALID_ARGUMENT, "operation");
    CHECK_SIM_FAILS(calvoro_sim_InjectException(0, "x", 2, 0), CALVORO_E_INVALID_ARGUMENT,
                    "repeat");
    CHECK(calvoro_sim_ClearFaults() == CALVORO_OK);

    CHECK(calvoro_sim_SetRegistryNumber(text, bin, text, bin, 42) == CALVORO_OK);
    CHECK(calvoro_sim_GetRegistryValue(text, bin, text, bin, &value, NULL, 0, NULL, 0) ==
              CALVORO_OK &&
          value.found == 1 && value.kind == CALVORO_SIM_REG_NUMBER && value.number == 42);
    bytes[0] = 1;
    bytes[1] = 255;
    CHECK(calvoro_sim_SetRegistryBinary(text, bin, text, bin, bytes, 2) == CALVORO_OK);
    CHECK_SIM_FAILS(calvoro_sim_GetRegistryValue(text, bin, text, bin, &value, NULL, 0, bytes, 1),
                    CALVORO_E_BUFFER_TOO_SMALL, "bytes");
    bytes[0] = bytes[1] = 0;
    CHECK(calvoro_sim_GetRegistryValue(text, bin, text, bin, &value, NULL, 0, bytes, 2) ==
              CALVORO_OK &&
          value.byteCount == 2 && bytes[0] == 1 && bytes[1] == 255);
    CHECK(calvoro_sim_SetRegistryString(text, bin, text, bin, text, bin) == CALVORO_OK);
    CHECK(calvoro_sim_GetRegistryValue(text, bin, text, bin, &value, text + 4, 4, NULL, 0) ==
              CALVORO_OK &&
          value.kind == CALVORO_SIM_REG_STRING && value.textLength == 3 && text[4] == 'B' &&
          text[7] == 0);
    CHECK(calvoro_sim_RefuseValueAccess(text, bin, text, bin) == CALVORO_OK);
    CHECK(calvoro_sim_DeleteRegistryValue(text, bin, text, bin, &flag) == CALVORO_OK && flag == 1);
    CHECK(calvoro_sim_DeleteRegistryValue(text, bin, text, bin, &flag) == CALVORO_OK && flag == 0);
    CHECK(calvoro_sim_GetRegistryValue(text, bin, text, bin, &value, NULL, 0, NULL, 0) ==
              CALVORO_OK &&
          value.found == 0);
    CHECK_SIM_FAILS(calvoro_sim_SetRegistryNumber(NULL, 1, text, bin, 1), CALVORO_E_NULL_POINTER,
                    "calvoro_sim_SetRegistryNumber");

    CHECK(calvoro_sim_Restore(state) == CALVORO_OK);
    CHECK(calvoro_sim_PlanCount(state, &count) == CALVORO_OK && count == 3);
    calvoro_sim_FreeState(state);
    calvoro_sim_FreeState(NULL);
    CHECK(calvoro_sim_Allocations(&made, &live) == CALVORO_OK && live == 0);
    CHECK(calvoro_sim_RegistryKeys(&opened, &open) == CALVORO_OK && open == 0);
    CHECK(calvoro_sim_Reset() == CALVORO_OK);
}

/* The watcher: its decisions, as the callback is told them, and its stop. */
#define kMostDecisions 8
static calvoro_watch_decision decisions[kMostDecisions];
static volatile int decided;

static void Decided(const calvoro_watch_decision* decision, void* context) {
    (void)context;
    if (decided < kMostDecisions) {
        decisions[decided] = *decision;
    }
    decided = decided + 1;
}

static void Pause(void) {
#ifdef _WIN32
    Sleep(10);
#else
    const struct timespec pause = {0, 10000000};
    nanosleep(&pause, NULL);
#endif
}

/* Waits, up to a generous bound, until the callback was told `count` decisions. */
static void AwaitDecisions(int count) {
    int round;
    for (round = 0; round < 1000 && decided < count; ++round) {
        Pause();
    }
}

static void Watcher(void) {
    calvoro_watcher* watcher = NULL;
    calvoro_watch_decision once;
    calvoro_sim_power power;
    static const int32_t expected[][3] = {
        {CALVORO_TRIGGER_START, CALVORO_WATCH_ALREADY_ACTIVE, CALVORO_SOURCE_AC},
        {CALVORO_TRIGGER_SOURCE_CHANGE, CALVORO_WATCH_APPLIED, CALVORO_SOURCE_DC},
        {CALVORO_TRIGGER_RESUME, CALVORO_WATCH_ALREADY_ACTIVE, CALVORO_SOURCE_DC},
        {CALVORO_TRIGGER_STOP, CALVORO_WATCH_STOPPED, CALVORO_SOURCE_DC}};
    int i;

    CHECK(calvoro_sim_Reset() == CALVORO_OK);
    CHECK(calvoro_ApplyRecordedPlan(&once) == CALVORO_OK &&
          once.action == CALVORO_WATCH_NONE_RECORDED && once.hasPlan == 0 && once.time > 0);
    CHECK(calvoro_SetDefaultPlan(1, &kBalanced) == CALVORO_OK);
    CHECK(calvoro_SetDefaultPlan(0, &kPowerSaver) == CALVORO_OK);
    CHECK_FAILS(calvoro_StartWatcher(0, NULL, NULL, &watcher), CALVORO_E_NULL_POINTER,
                "calvoro_StartWatcher");
    CHECK(calvoro_StopWatcher(NULL) == CALVORO_OK);

    decided = 0;
    CHECK(calvoro_StartWatcher(0, Decided, NULL, &watcher) == CALVORO_OK && watcher != NULL);
    AwaitDecisions(1);
    CHECK(calvoro_sim_GetPower(&power) == CALVORO_OK);
    power.source = CALVORO_SOURCE_DC;
    CHECK(calvoro_sim_SetPower(&power) == CALVORO_OK);
    AwaitDecisions(2);
    CHECK(calvoro_sim_Resume() == CALVORO_OK);
    AwaitDecisions(3);
    CHECK(calvoro_StopWatcher(watcher) == CALVORO_OK);
    CHECK(decided == 4);
    for (i = 0; i < 4 && i < decided; ++i) {
        CHECK(decisions[i].trigger == expected[i][0] && decisions[i].action == expected[i][1] &&
              decisions[i].source == expected[i][2]);
    }
    CHECK(Same(&decisions[1].plan, &kPowerSaver) && decisions[1].hasPlan == 1);
    ClearDefaults();
    CHECK(calvoro_sim_Reset() == CALVORO_OK);
}

int main(void) {
    keyPathLength = Units("Software\\Quandrel\\Zephlo\\PowerPolicies\\DEV_DEFAULT_PLANE", keyPath);
    keyPath[keyPathLength] = 0;
    CHECK(calvoro_sim_Reset() == CALVORO_OK);
    IdentifiersAndVersion();
    Enumeration();
    Names();
    Timeouts();
    PlatformException();
    DefaultPlan();
    BesideTheClass();
    Settings();
    Document();
    SourceAndModes();
    Simulation();
    Watcher();
    printf("c_api: %d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
