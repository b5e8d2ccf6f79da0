// Lists the installed power plans with their six timeouts, through the Calvoro.Net package.
using System;
using Calvoro;

var power = new PowerClass();
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
