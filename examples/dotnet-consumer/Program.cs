// Lists the installed power plans with their six timeouts, through the Calvoro.Net package.
// With "--sleep MINUTES" it first sets the first plan's sleep timeout on mains power; with
// "--beside" it uses the library's operations beside the class instead: finds a plan by name,
// applies it, reads its description, records it as the default on battery and clears that.
using System;
using Calvoro;

#if USE_SIMULATION
Simulation.Use();  // a test's one line: the simulated machine instead of the real plans
#endif
var power = new PowerClass();
if (args.Length == 2 && args[0] == "--sleep")
{
    Guid first = power.EnumPowerSchemeGuid(0);
    bool stored = power.SetSleepTimer(first, true, uint.Parse(args[1]));
    Console.WriteLine($"sleep on AC of {first}: {(stored ? "set to " + args[1] : "not stored")}");
}
if (args.Length == 1 && args[0] == "--beside")
{
    var plans = new PowerPlans(power);
    Guid? before = plans.GetActive();
    PlanLookup found = plans.Find("power SAVER");
    PowerPlan saver = found.Plan ?? throw new InvalidOperationException($"Find said {found.Outcome}");
    Activation applied = plans.Activate(saver.Id);
    Console.WriteLine($"active {before}; {found.Reading} {found.Outcome}: {saver.Name}; " +
                      $"applied {applied}; active {plans.GetActive()}");
    Console.WriteLine($"description: {plans.GetDescription(saver.Id)}; " +
                      $"same ignoring case: {PowerPlans.SameIgnoringCase("ΣΟΦΊΑ", "σοφία")}");
    plans.SetDefault(PowerSource.DC, saver.Id);
    Guid recorded = power.GetDefaultPlaneGUID(false);
    bool cleared = plans.ClearDefault(PowerSource.DC);
    Console.WriteLine($"default for DC: {recorded}; cleared {cleared}, again {plans.ClearDefault(PowerSource.DC)}; " +
                      $"now {power.GetDefaultPlaneGUID(false)}");
    return;
}
Console.WriteLine($"{"plan",-38} {"name",-20} {"sleep",11} {"hibernate",11} {"display",11}");
for (uint index = 0; ; index++)
{
    Guid plan = power.EnumPowerSchemeGuid(index);
    if (plan == PowerClass.NoPowerSchemeGuid)
    {
        break;
    }
    string Pair(Func<Guid, bool, uint> get) => $"{get(plan, true)}/{get(plan, false)}";
    Console.WriteLine($"{plan,-38} {power.ReadPowerSchemeName(plan) ?? "(no name)",-20} " +
                      $"{Pair(power.GetSleepTimer),11} {Pair(power.GetHibernationTimer),11} " +
                      $"{Pair(power.GetDisplayTimer),11}");
}
Console.WriteLine("(minutes on AC/DC)");
