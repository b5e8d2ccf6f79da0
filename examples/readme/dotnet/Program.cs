// Lists each plan with its sleep timeout on mains power and changes Balanced's; then the same
// plans as objects, the library's operations beside the class, a setting and a backup.
using System;
using Calvoro;

var power = new PowerClass();
for (uint i = 0; ; i++)
{
    Guid plan = power.EnumPowerSchemeGuid(i);
    if (plan == PowerClass.NoPowerSchemeGuid) break;
    Console.WriteLine($"{power.ReadPowerSchemeName(plan)}: sleep {power.GetSleepTimer(plan, true)} min on AC");
}
if (power.SetSleepTimer(new Guid("381B4222-F694-41F0-9685-FF5BB260DF2E"), true, 15))
    Console.WriteLine("Balanced sleeps after 15 min on AC");

// The same plans as objects: all six timeouts in one call, a timeout named by enums.
var plans = new PowerPlans();
foreach (PowerPlan plan in plans.GetAll())
    Console.WriteLine($"{plan.Name}: sleep {plan.SleepAC}/{plan.SleepDC} min, display {plan.DisplayAC}/{plan.DisplayDC} min");
plans.SetTimeout(plans.GetAll()[0].Id, TimeoutSetting.Display, PowerSource.DC, 5);

// Beside the class: find a plan as a person names it, apply it, record it for battery.
if (plans.Find("power SAVER").Plan is PowerPlan saver && plans.Activate(saver.Id) == Activation.Applied)
{
    plans.SetDefault(PowerSource.DC, saver.Id);
    Console.WriteLine($"active now: {plans.GetActive()}, the default on battery");
}
PowerSourceState now = plans.GetPowerSource();  // AC, DC, ShortTerm (a UPS) or Unknown
Console.WriteLine($"on {now.Source}, Modern Standby: {now.ModernStandby}; on battery: {plans.GetPowerMode(PowerSource.DC)}");
using (var watcher = new PowerWatcher(TimeSpan.FromSeconds(2)))
{
    watcher.Decided += (_, decision) => Console.WriteLine($"watcher: {decision.Action}");
    watcher.Start();  // until Dispose, the plan recorded for the power source follows it
}
// Every setting, as Windows describes it: found as a person names it, checked, written, read.
var settings = new PowerSettings();
var balanced = new Guid("381B4222-F694-41F0-9685-FF5BB260DF2E");
PowerSetting cap = settings.Find(balanced, "PROCTHROTTLEMAX");  // or its name, or its identifier
settings.Write(balanced, cap, PowerSource.DC, 70);  // 101: ArgumentOutOfRangeException, nothing written
Console.WriteLine($"{cap}: {settings.Read(balanced, cap).DC} on DC, takes {cap.Allowed}");
string backup = plans.Export();  // every plan and setting: the document of `calvoro export`
Console.WriteLine($"{plans.Import(backup).Count} changes to restore the backup");
Guid meeting = plans.Duplicate(balanced, "Meeting");  // every setting; or one of GetTemplates()
plans.Delete(meeting);  // the active plan would throw InvalidOperationException
// In a test: Simulation.Use(); Simulation.Reset(); Simulation.InjectException(Simulation.Operation.PowerReadACValueIndex, "boom");
