/* Lists each plan with its sleep timeout on mains power through the C interface, then
 * changes Balanced's, and tells the power source and the power mode. Every call returns a status; the results are in its out parameters. */
#include <calvoro/calvoro_c.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int Failed(calvoro_status status) {
    if (status != CALVORO_OK) {
        fprintf(stderr, "%s: %s\n", calvoro_StatusName(status), calvoro_LastErrorMessage());
    }
    return status != CALVORO_OK;
}

int main(void) {
    const calvoro_guid balanced = {0x381B4222, 0xF694, 0x41F0,
                                   {0x96, 0x85, 0xFF, 0x5B, 0xB2, 0x60, 0xDF, 0x2E}};
    calvoro_guid none, plan;
    int32_t stored = 0;
    if (Failed(calvoro_NoPowerSchemeGuid(&none))) {
        return 1;
    }
    for (uint32_t index = 0;; ++index) {
        uint32_t length = 0, minutes = 0;
        int32_t present = 0;
        if (Failed(calvoro_EnumPowerSchemeGuid(index, &plan)) ||
            memcmp(&plan, &none, sizeof plan) == 0) {
            break; /* past the last plan */
        }
        /* The name's length first, then the name into a buffer with room for its NUL. */
        if (Failed(calvoro_ReadPowerSchemeName(&plan, NULL, 0, &length, &present))) {
            return 1;
        }
        uint16_t* name = calloc(length + 1, sizeof *name);
        if (name == NULL || Failed(calvoro_ReadPowerSchemeName(&plan, name, length + 1, &length,
                                                               &present)) ||
            Failed(calvoro_GetSleepTimer(&plan, 1, &minutes))) {
            free(name);
            return 1;
        }
        for (uint32_t i = 0; i < length; ++i) {
            putchar(name[i] < 128 ? (int)name[i] : '?'); /* ASCII here; the name is UTF-16 */
        }
        printf(": sleep %u min on AC\n", (unsigned)minutes);
        free(name);
    }
    if (Failed(calvoro_SetSleepTimer(&balanced, 1, 15, &stored))) {
        return 1;
    }
    puts(stored ? "Balanced sleeps after 15 min on AC" : "the platform refused the change");

    /* Beside the class: what the machine runs on, and the power mode on battery. */
    calvoro_power_source now;
    calvoro_power_mode mode;
    if (Failed(calvoro_ReadPowerSource(&now)) || Failed(calvoro_GetPowerMode(0, &mode))) {
        return 1;
    }
    printf("%s; %s on battery\n",
           now.source == CALVORO_SOURCE_AC ? "on mains power" : "not on mains power",
           mode.outcome != CALVORO_MODE_DONE    ? "no power modes"
           : mode.mode == CALVORO_MODE_BALANCED ? "balanced"
                                                : "another mode");
    return 0;
}
