"""Lists each plan with its sleep timeout on mains power, then changes Balanced's; then finds a
plan as a person names it, applies it, and records it as the default on battery; then tells
the power source and the power mode; then a setting of a plan, and a backup of every plan."""
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
found = calvoro.find_plan("power SAVER")  # the library's lookup: an id, an alias or a name
if found.plan and calvoro.activate(found.plan.id) is calvoro.Activation.APPLIED:
    calvoro.set_default(calvoro.PowerSource.DC, found.plan.id)
    print(f"active now: {calvoro.active_plan()}, the default on battery")
now = calvoro.power_source()  # AC, DC, SHORT_TERM (a UPS) or UNKNOWN, and Modern Standby
print(f"on {now.source.name}; on battery the power mode is {calvoro.power_mode(calvoro.PowerSource.DC).name}")
with calvoro.Watcher(lambda decision: print("watcher:", decision.action.value), debounce=2):
    pass  # while the block runs, the plan recorded for the power source follows it
# Every setting, as Windows describes it: found as a person names it, checked, written, read.
cap = calvoro.find_setting(balanced, "PROCTHROTTLEMAX")  # or its name, or its identifier
calvoro.write_setting(balanced, cap, calvoro.PowerSource.DC, 70)  # 101: ValueError, nothing written
print(f"{cap.name}: {calvoro.read_setting(balanced, cap).dc} on DC, takes {cap.allowed}")
backup = calvoro.export_plans()  # every plan and setting: the document of `calvoro export`
print(f"{len(calvoro.import_plans(backup))} changes to restore the backup")
meeting = calvoro.duplicate_plan(balanced, "Meeting")  # every setting; or one of plan_templates()
calvoro.delete_plan(meeting)  # the active plan would raise ActivePlanError
# In a test: calvoro.simulation.use(), .reset(), .inject_exception(...), .set_registry_value(...)
