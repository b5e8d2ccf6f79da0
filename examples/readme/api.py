"""Lists each plan with its sleep timeout on mains power, then changes Balanced's."""
import uuid

import calvoro

power = calvoro.PowerClass()
index = 0
while (plan := power.EnumPowerSchemeGuid(index)) != calvoro.NoPowerSchemeGuid:
    print(f"{power.ReadPowerSchemeName(plan)}: sleep {power.GetSleepTimer(plan, True)} min on AC")
    index += 1
balanced = uuid.UUID("381B4222-F694-41F0-9685-FF5BB260DF2E")
if power.SetSleepTimer(balanced, True, 15):
    print("Balanced sleeps after 15 min on AC")
# In a test: calvoro.simulation.use(), .reset(), .inject_exception(...), .set_registry_value(...)
