// Lists the installed power plans with their six timeouts, through the Calvoro.Net package.
// With "--sleep MINUTES" it first sets the first plan's sleep timeout on mains power.
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
