using System;
using System.Collections.Generic;
using System.IO;
using System.Linq;
using System.Text.Json.Nodes;
using System.Text.RegularExpressions;
using System.Threading;
using Calvoro;
using Xunit;

[assembly: CollectionBehavior(DisableTestParallelization = true)]  // one simulated machine

namespace Calvoro.Tests
{
    // The binding's mapping into .NET, on the simulated machine. The library's rules are
    // tested in C++; these show that each reaches .NET in its .NET form.
    public sealed class PowerClassTests : IDisposable
    {
        private static readonly Guid Balanced = new Guid("381B4222-F694-41F0-9685-FF5BB260DF2E");
        private static readonly Guid HighPerformance = new Guid("8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C");
        private static readonly Guid PowerSaver = new Guid("A1841308-3541-4FAB-BC81-F71556F20B4A");

        private readonly PowerClass power = new PowerClass();

        public PowerClassTests() => Simulation.Reset();

        public void Dispose()
        {
            Assert.Equal(0ul, Simulation.Allocations().Outstanding);
            Assert.Equal(0ul, Simulation.RegistryKeys().Outstanding);
            Simulation.Reset();
        }

        [Fact]
        public void ListsTheSeededPlansInOrderThenNoPlan()
        {
            Assert.Equal(new Guid("4515AD82-4C32-4F78-82C4-B20B62430B0A"), PowerClass.NoPowerSchemeGuid);
            Assert.Equal(new[] { Balanced, HighPerformance, PowerSaver, PowerClass.NoPowerSchemeGuid },
                Enumerable.Range(0, 4).Select(i => power.EnumPowerSchemeGuid((uint)i)));
            Assert.Equal(new[] { "Balanced", "High performance", "Power saver" },
                Simulation.Plans().Select(plan => plan.Name));
            Assert.Equal(Balanced, power.ToGUID(Balanced));
            Assert.Equal(Balanced.ToByteArray(), power.ToGUID(Balanced).ToByteArray());
        }

        [Theory]
        [InlineData("Énergie ☀", "Énergie ☀")]
        [InlineData("\U0001F50B", "\U0001F50B")]
        [InlineData("lone \uD800 surrogate", "lone \uD800 surrogate")]
        [InlineData("cut\0here", "cut")]
        [InlineData("", "")]
        public void RenamesReadBackExactly(string written, string read)
        {
            Assert.Equal(1, power.WritePowerSchemeNameDescription(PowerSaver, written, "described"));
            Assert.Equal(read, power.ReadPowerSchemeName(PowerSaver));
        }

        [Fact]
        public void NamesLongerThanTheFirstBufferAndAbsentNames()
        {
            string longName = new string('x', 1000) + "☀";
            Assert.Equal(1, power.WritePowerSchemeNameDescription(Balanced, longName, longName));
            Assert.Equal(longName, power.ReadPowerSchemeName(Balanced));
            Assert.Null(power.ReadPowerSchemeName(Guid.NewGuid()));
            Assert.Equal(0, power.WritePowerSchemeNameDescription(Guid.NewGuid(), "a", "b"));
            Assert.Throws<ArgumentNullException>("SchemeName", () => power.WritePowerSchemeNameDescription(Balanced, null!, "b"));
            Assert.Throws<ArgumentNullException>("SchemeDescription", () => power.WritePowerSchemeNameDescription(Balanced, "a", null!));
            Assert.Equal(longName, power.ReadPowerSchemeName(Balanced));
        }

        public static IEnumerable<object[]> Timeouts()
        {
            var get = new Func<PowerClass, Guid, bool, uint>[]
            {
                (p, g, ac) => p.GetSleepTimer(g, ac), (p, g, ac) => p.GetHibernationTimer(g, ac),
                (p, g, ac) => p.GetDisplayTimer(g, ac),
            };
            var set = new Func<PowerClass, Guid, bool, uint, bool>[]
            {
                (p, g, ac, m) => p.SetSleepTimer(g, ac, m), (p, g, ac, m) => p.SetHibernationTimer(g, ac, m),
                (p, g, ac, m) => p.SetDisplayTimer(g, ac, m),
            };
            for (int i = 0; i < 3; i++)
            {
                foreach (bool ac in new[] { true, false })
                {
                    yield return new object[] { (Simulation.Timeout)i, ac, get[i], set[i] };
                }
            }
        }

        [Theory]
        [MemberData(nameof(Timeouts))]
        public void EachTimeoutRoundTripsOnItsOwn(Simulation.Timeout timeout, bool onAC,
            Func<PowerClass, Guid, bool, uint> get, Func<PowerClass, Guid, bool, uint, bool> set)
        {
            uint otherSide = Simulation.ReadSeconds(Balanced, timeout, !onAC)!.Value;
            Assert.True(set(power, Balanced, onAC, 71582788));
            Assert.Equal(71582788u, get(power, Balanced, onAC));
            Assert.Equal(4294967280u, Simulation.ReadSeconds(Balanced, timeout, onAC));
            Assert.Equal(otherSide, Simulation.ReadSeconds(Balanced, timeout, !onAC));
            foreach (Simulation.Timeout other in Enum.GetValues(typeof(Simulation.Timeout)))
            {
                if (other != timeout)
                {
                    Assert.NotEqual(4294967280u, Simulation.ReadSeconds(Balanced, other, onAC));
                }
            }
            Assert.False(set(power, Balanced, onAC, 71582789));
            Assert.Equal(71582788u, get(power, Balanced, onAC));
            Assert.Equal(0u, get(power, Guid.NewGuid(), onAC));
        }

        public static IEnumerable<object?[]> DefaultPlans() => new[]
        {
            new object?[] { Simulation.RegistryValue.String("{a1841308-3541-4fab-bc81-f71556f20b4a}"), PowerSaver, null },
            new object?[] { null, PowerClass.NoPowerSchemeGuid, null },
            new object?[] { Simulation.RegistryValue.FromNumber(42), null, typeof(GuidParseException) },
            new object?[] { Simulation.RegistryValue.Binary(new byte[] { 1, 2 }), null, typeof(GuidParseException) },
        };

        [Theory]
        [MemberData(nameof(DefaultPlans))]
        public void DefaultPlanLookup(Simulation.RegistryValue? value, Guid? expected, Type? error)
        {
            if (value != null)
            {
                Simulation.SetRegistryValue(Simulation.DefaultPlanKey, "ac", value);
            }
            if (error != null)
            {
                var thrown = Assert.Throws(error, () => power.GetDefaultPlaneGUID(true));
                Assert.IsAssignableFrom<FormatException>(thrown);
                Assert.Contains("\"AC\"", thrown.Message);
            }
            else
            {
                Assert.Equal(expected, power.GetDefaultPlaneGUID(true));
            }
            Assert.Equal(PowerClass.NoPowerSchemeGuid, power.GetDefaultPlaneGUID(false));
        }

        [Fact]
        public void RefusedRegistryAccessIsAnUnauthorizedAccess()
        {
            Simulation.RefuseValueAccess(Simulation.DefaultPlanKey, "DC");
            var refused = Assert.Throws<RegistryAccessException>(() => power.GetDefaultPlaneGUID(false));
            Assert.IsAssignableFrom<UnauthorizedAccessException>(refused);
            Simulation.RefuseKeyAccess(Simulation.DefaultPlanKey);
            Assert.Throws<RegistryAccessException>(() => power.GetDefaultPlaneGUID(true));
        }

        [Fact]
        public void APlatformExceptionSurfacesWithItsMessage()
        {
            Simulation.InjectException(Simulation.Operation.PowerWriteDCValueIndex, "boom ☀");
            var thrown = Assert.Throws<PlatformException>(() => power.SetDisplayTimer(Balanced, false, 1));
            Assert.Equal("boom ☀", thrown.Message);
            Assert.True(power.SetDisplayTimer(Balanced, false, 1));
            Simulation.InjectStatus(Simulation.Operation.PowerEnumerate, 5, Simulation.Repeat.Always);
            Assert.Equal(PowerClass.NoPowerSchemeGuid, power.EnumPowerSchemeGuid(0));
        }

        [Fact]
        public void EightThreadsReadAndRenameOnePlanWithoutTornNames()
        {
            string[] names = { "first name", "a much longer second name ☀ " + new string('y', 200) };
            var torn = new List<string?>();
            var threads = Enumerable.Range(0, 8).Select(t => new Thread(() =>
            {
                for (int i = 0; i < 300; i++)
                {
                    if (t % 2 == 0)
                    {
                        power.WritePowerSchemeNameDescription(HighPerformance, names[(t / 2 + i) % 2], "d");
                    }
                    // A rename that lengthens the name between the read's size query and
                    // its read makes that read fail: no name, as the class defines it. What
                    // must never come back is part of one name or a mix of two.
                    string? name = power.ReadPowerSchemeName(HighPerformance);
                    if (name != null && name != "High performance" && !names.Contains(name))
                    {
                        lock (torn) { torn.Add(name); }
                    }
                }
            })).ToList();
            threads.ForEach(thread => thread.Start());
            threads.ForEach(thread => thread.Join());
            Assert.Empty(torn);
        }

        [Fact]
        public void SimulationRoundTripsPlansRegistryAndSnapshots()
        {
            using (Simulation.MachineSnapshot seeded = Simulation.Snapshot())
            {
                var plan = new Simulation.Plan
                {
                    Id = Guid.NewGuid(), Name = "\uDC00x", Description = "d",
                    Display = new Simulation.TimeoutSeconds(60, 120),
                };
                Assert.True(Simulation.AddPlan(plan));
                Assert.False(Simulation.AddPlan(plan));
                Simulation.Plan stored = Simulation.Plans().Last();
                Assert.Equal((plan.Id, plan.Name, 120u), (stored.Id, stored.Name, stored.Display.Dc));
                Assert.True(Simulation.WriteSeconds(plan.Id, Simulation.Timeout.Sleep, true, 7));
                Assert.Equal(7u, Simulation.ReadSeconds(plan.Id, Simulation.Timeout.Sleep, true));
                var plans = new PowerPlans(power);
                Assert.Equal(Balanced, plans.GetActive());
                Assert.Equal(Activation.Applied, plans.Activate(plan.Id));
                Assert.Equal(plan.Id, plans.GetActive());
                Assert.True(Simulation.RemovePlan(plan.Id));
                Assert.Null(plans.GetActive());
                Assert.Equal(Activation.Refused, plans.Activate(plan.Id));
                Assert.Null(Simulation.ReadSeconds(plan.Id, Simulation.Timeout.Sleep, true));

                Simulation.SetRegistryValue("Key", "Bin", Simulation.RegistryValue.Binary(new byte[] { 0, 255 }));
                Assert.Equal(new byte[] { 0, 255 }, Simulation.GetRegistryValue("KEY", "bin")!.Bytes);
                Assert.True(Simulation.DeleteRegistryValue("Key", "Bin"));
                Assert.Null(Simulation.GetRegistryValue("Key", "Bin"));
                Assert.True(Simulation.DeleteRegistryKey("Key"));
                Assert.False(Simulation.DeleteRegistryKey("Key"));

                Assert.True(Simulation.RemovePlan(Balanced));
                Simulation.Restore(seeded);
                Assert.Equal(Balanced, power.EnumPowerSchemeGuid(0));
            }
        }
    }
}

namespace Calvoro.Tests
{
    // The plans as objects: what PowerPlans reads and writes is what PowerClass reads and writes.
    public sealed class PowerPlansTests : IDisposable
    {
        private static readonly Guid PowerSaver = new Guid("A1841308-3541-4FAB-BC81-F71556F20B4A");
        private readonly PowerPlans plans = new PowerPlans();

        public PowerPlansTests() => Simulation.Reset();

        public void Dispose() => Simulation.Reset();

        [Theory]
        [InlineData(TimeoutSetting.Sleep, PowerSource.AC, 7u)]
        [InlineData(TimeoutSetting.Sleep, PowerSource.DC, 8u)]
        [InlineData(TimeoutSetting.Hibernate, PowerSource.AC, 9u)]
        [InlineData(TimeoutSetting.Hibernate, PowerSource.DC, 10u)]
        [InlineData(TimeoutSetting.Display, PowerSource.AC, 11u)]
        [InlineData(TimeoutSetting.Display, PowerSource.DC, PowerPlans.MaxTimerMinutes)]
        public void EachTimeoutIsWrittenAndReadByItsNames(TimeoutSetting setting, PowerSource source, uint minutes)
        {
            PowerPlan before = plans.Get(PowerSaver)!;
            Assert.True(plans.SetTimeout(PowerSaver, setting, source, minutes));
            Assert.False(plans.SetTimeout(PowerSaver, setting, source, PowerPlans.MaxTimerMinutes + 1));
            PowerPlan after = plans.Get(PowerSaver)!;
            Assert.Equal(minutes, after.Timeout(setting, source));
            Assert.Equal(minutes, plans.GetTimeout(PowerSaver, setting, source));
            uint[] Six(PowerPlan plan) => new[] { plan.SleepAC, plan.SleepDC, plan.HibernateAC, plan.HibernateDC, plan.DisplayAC, plan.DisplayDC };
            int changed = Enumerable.Range(0, 6).Single(i => Six(before)[i] != Six(after)[i]);
            Assert.Equal((int)setting * 2 + (int)source, changed);  // that one, and no other
        }

        [Fact]
        public void AllPlansInOneCallAndNoneForAnUnknownIdentifier()
        {
            IReadOnlyList<PowerPlan> all = plans.GetAll();
            Assert.Equal(new[] { "Balanced", "High performance", "Power saver" }, all.Select(plan => plan.Name));
            Assert.Equal((30u, 15u, 180u, 10u, 5u), (all[0].SleepAC, all[0].SleepDC, all[0].HibernateAC, all[0].DisplayAC, all[0].DisplayDC));
            Assert.Null(plans.Get(Guid.NewGuid()));
            Assert.Throws<ArgumentOutOfRangeException>(() => plans.GetTimeout(PowerSaver, (TimeoutSetting)3, PowerSource.AC));
        }

        [Fact]
        public void TheOperationsBesideTheClassReachDotNet()
        {
            var absent = new Guid("01234567-89AB-CDEF-0102-030405060708");
            Assert.Equal(Activation.Applied, plans.Activate(PowerSaver));
            Assert.Equal(PowerSaver, plans.GetActive());
            Assert.Equal(Activation.Refused, plans.Activate(absent));
            Assert.Equal("Saves energy by reducing your computer's performance where possible.", plans.GetDescription(PowerSaver));
            Assert.Null(plans.GetDescription(absent));

            PlanLookup found = plans.Find("POWER saver");
            Assert.Equal((PlanLookupOutcome.Found, PlanLookupReading.Name, (Guid?)null), (found.Outcome, found.Reading, found.Identifier));
            Assert.Equal("Power saver", found.Plan!.Name);
            PlanLookup none = plans.Find("{" + absent + "}");
            Assert.Equal((PlanLookupOutcome.None, PlanLookupReading.Identifier, (Guid?)absent), (none.Outcome, none.Reading, none.Identifier));
            Assert.Null(none.Plan);
            Assert.Equal(3, none.Candidates.Count);
            Assert.True(PowerPlans.SameIgnoringCase("Ｐｏｗｅｒ", "ｐｏｗｅｒ"));
            Assert.False(PowerPlans.SameIgnoringCase("Straße", "STRASSE"));

            plans.SetDefault(PowerSource.DC, PowerSaver);
            Assert.Equal(PowerSaver, new PowerClass().GetDefaultPlaneGUID(false));
            Assert.True(plans.ClearDefault(PowerSource.DC));
            Assert.False(plans.ClearDefault(PowerSource.DC));
            Simulation.InjectStatus(Simulation.Operation.PowerSettingAccessCheckEx, 1260, Simulation.Repeat.Always);
            Assert.Equal(Activation.PinnedByPolicy, plans.Activate(PowerSaver));
            Simulation.ClearFaults();
            Simulation.RefuseKeyAccess(Simulation.DefaultPlanKey);
            Assert.Throws<RegistryAccessException>(() => plans.SetDefault(PowerSource.AC, PowerSaver));
            Assert.Throws<ArgumentOutOfRangeException>(() => plans.ClearDefault(PowerSource.ShortTerm));
        }

        [Fact]
        public void TheSourceTheModesAndPolicyReachDotNet()
        {
            PowerSourceState seeded = plans.GetPowerSource();
            Assert.Equal((PowerSource.AC, true, false), (seeded.Source, seeded.BatteryPresent, seeded.ModernStandby));
            Simulation.Power = new Simulation.PowerState { Source = PowerSource.ShortTerm, BatteryPresent = false, ModernStandby = true };
            PowerSourceState ups = plans.GetPowerSource();
            Assert.Equal((PowerSource.ShortTerm, true), (ups.Source, ups.ModernStandby));

            Assert.Equal(PowerMode.Balanced, plans.GetPowerMode(PowerSource.DC));
            plans.SetPowerMode(PowerSource.DC, PowerMode.BestPerformance);
            Assert.Equal(PowerMode.BestPerformance, plans.GetPowerMode(PowerSource.DC));
            Assert.Equal(new Guid("DED574B5-45A0-4F42-8737-46345C09C238"), Simulation.Power.DcMode);
            Assert.Throws<ArgumentOutOfRangeException>(() => plans.GetPowerMode(PowerSource.Unknown));
            Simulation.InjectStatus(Simulation.Operation.PowerGetUserConfiguredPowerMode, 127);
            Assert.Throws<PlatformNotSupportedException>(() => plans.GetPowerMode(PowerSource.AC));
            Simulation.InjectStatus(Simulation.Operation.PowerSetUserConfiguredPowerMode, 50);
            Assert.Throws<InvalidOperationException>(() => plans.SetPowerMode(PowerSource.AC, PowerMode.BestPowerEfficiency));

            Assert.False(plans.IsActivePlanPinnedByPolicy());
            Simulation.InjectStatus(Simulation.Operation.PowerSettingAccessCheckEx, 1260);
            Assert.True(plans.IsActivePlanPinnedByPolicy());
            Assert.Throws<ArgumentOutOfRangeException>(() => plans.GetTimeout(PowerSaver, TimeoutSetting.Sleep, PowerSource.ShortTerm));
        }
    
        [Fact]
        public void TheWatcherRaisesItsDecisionsAndStopsCleanly()
        {
            plans.SetDefault(PowerSource.DC, PowerSaver);
            using var decisions = new System.Collections.Concurrent.BlockingCollection<WatchDecision>();
            WatchDecision Next() => decisions.TryTake(out WatchDecision? decision, TimeSpan.FromSeconds(30))
                ? decision : throw new TimeoutException("the watcher decided nothing");
            var watcher = new PowerWatcher(TimeSpan.Zero);
            using (watcher)
            {
                watcher.Decided += (_, decision) => decisions.Add(decision);
                watcher.Start();
                WatchDecision start = Next();
                Assert.Equal((WatchTrigger.Start, WatchAction.NoneRecorded), (start.Trigger, start.Action));
                Simulation.Power = new Simulation.PowerState { Source = PowerSource.DC, BatteryPresent = true };
                WatchDecision applied = Next();
                Assert.Equal((WatchTrigger.SourceChange, PowerSource.DC, (Guid?)PowerSaver, WatchAction.Applied),
                    (applied.Trigger, applied.Source, applied.Plan, applied.Action));
                Simulation.Resume();
                Assert.Equal(WatchAction.AlreadyActive, Next().Action);
            }
            Assert.Equal(WatchAction.Stopped, Next().Action);
            Assert.False(watcher.IsRunning);
            Simulation.Power = new Simulation.PowerState { Source = PowerSource.AC, BatteryPresent = true };
            Assert.Empty(decisions);
            Assert.Equal(WatchAction.NoneRecorded, WatchDecision.ApplyRecordedPlan().Action);
            Assert.Throws<ObjectDisposedException>(() => watcher.Start());
            Assert.Throws<ArgumentOutOfRangeException>(() => new PowerWatcher(TimeSpan.FromSeconds(-1)));
        }
    }

    // Every setting, and the one mapping of the native library's outcomes to .NET.
    public sealed class PowerSettingsTests : IDisposable
    {
        private static readonly Guid Balanced = new Guid("381B4222-F694-41F0-9685-FF5BB260DF2E");
        private static readonly Guid PowerSaver = new Guid("A1841308-3541-4FAB-BC81-F71556F20B4A");
        private readonly PowerSettings settings = new PowerSettings();
        private readonly PowerPlans plans = new PowerPlans();

        public PowerSettingsTests() => Simulation.Reset();

        public void Dispose()
        {
            Assert.Equal(0ul, Simulation.Allocations().Outstanding);
            Simulation.Reset();
        }

        [Theory]
        [InlineData(SettingOutcome.Done, null)]
        [InlineData(SettingOutcome.NotFound, typeof(SettingNotFoundException))]
        [InlineData(SettingOutcome.Ambiguous, typeof(AmbiguousSettingException))]
        [InlineData(SettingOutcome.OutOfRange, typeof(ArgumentOutOfRangeException))]
        [InlineData(SettingOutcome.Refused, typeof(PlatformRefusedException))]
        [InlineData(SettingOutcome.PinnedByPolicy, typeof(PinnedByPolicyException))]
        [InlineData(SettingOutcome.Unsupported, typeof(PlatformNotSupportedException))]
        public void EachOutcomeHasOneType(SettingOutcome outcome, Type? expected)
        {
            Exception? thrown = Record.Exception(() => Outcomes.Check(outcome, 5, "it"));
            Assert.Equal(expected, thrown?.GetType());
        }

        [Theory]
        [InlineData(PlanOutcome.Done, null)]
        [InlineData(PlanOutcome.NotFound, typeof(SettingNotFoundException))]
        [InlineData(PlanOutcome.AlreadyExists, typeof(ArgumentException))]
        [InlineData(PlanOutcome.IsActive, typeof(InvalidOperationException))]
        [InlineData(PlanOutcome.NotStandard, typeof(NotSupportedException))]
        [InlineData(PlanOutcome.ForbiddenByPolicy, typeof(PinnedByPolicyException))]
        [InlineData(PlanOutcome.NeedsAdministrator, typeof(UnauthorizedAccessException))]
        [InlineData(PlanOutcome.Unsupported, typeof(PlatformNotSupportedException))]
        [InlineData(PlanOutcome.Failed, typeof(PlatformRefusedException))]
        public void EachPlanOutcomeHasOneType(PlanOutcome outcome, Type? expected)
        {
            Exception? thrown = Record.Exception(() => Outcomes.Check(outcome, 5, "it"));
            Assert.Equal(expected, thrown?.GetType());
        }

        [Fact]
        public void APlanIsCopiedDeletedRestoredAndMadeAgainFromADocument()
        {
            var ultimate = new Guid("E9A42B02-D5DF-448D-AA00-03F14749EB61");
            Assert.Equal(new[] { ultimate }, plans.GetTemplates().Where(t => !t.Standard).Select(t => t.Id));
            PlanLookup found = plans.FindPlanOrTemplate("ultimate performance");
            Assert.Equal((true, ultimate), (found.IsTemplate, found.Plan!.Id));
            var game = new Guid("00000000-0000-0000-0000-000000001234");
            Assert.Equal(game, plans.Duplicate(Balanced, "Game", game, "Loud"));
            Assert.Throws<ArgumentException>(() => plans.Duplicate(Balanced, id: game));
            Assert.Equal("Ultimate Performance", new PowerClass().ReadPowerSchemeName(plans.Duplicate(ultimate)));
            Assert.Throws<InvalidOperationException>(() => plans.Delete(Balanced));
            Assert.Throws<NotSupportedException>(() => plans.RestoreDefaults(game));
            plans.SetDefault(PowerSource.DC, game);
            string document = plans.Export(game);
            Assert.Equal(new[] { PowerSource.DC }, plans.Delete(game));
            Assert.Throws<DocumentException>(() => plans.Import(document));
            ImportedChange made = plans.Import(document, create: true)[0];
            Assert.Equal((DocumentChangeKind.Create, Balanced, null), (made.Change.Kind, made.Change.CopyOf, made.Refusal));
            Assert.Equal("Loud", plans.GetDescription(game));
            plans.RestoreDefaults();
            Assert.Equal(3, plans.GetAll().Count);
        }

        // The C header's values, by name: a binding's enumeration that drifts from them fails here.
        [Fact]
        public void TheEnumerationsHoldTheCDoorsValues()
        {
            string folder = AppContext.BaseDirectory;
            while (!File.Exists(Path.Combine(folder, "include/calvoro/calvoro_c.h")))
            {
                folder = Path.GetDirectoryName(folder) ?? throw new FileNotFoundException("calvoro_c.h above the tests");
            }
            var defined = Regex.Matches(File.ReadAllText(Path.Combine(folder, "include/calvoro/calvoro_c.h")),
                                        @"#define CALVORO_(\w+) \(?(-?\d+)\)?")
                .ToDictionary(match => match.Groups[1].Value, match => int.Parse(match.Groups[2].Value));
            void Same<T>(string prefix) where T : struct, Enum
            {
                foreach (T member in Enum.GetValues<T>())
                {
                    string name = prefix + Regex.Replace(member.ToString(), "(?<=[a-z])(?=[A-Z])", "_").ToUpperInvariant();
                    Assert.True(defined.TryGetValue(name, out int value), $"CALVORO_{name} is not in the header");
                    Assert.Equal((value, name), (Convert.ToInt32(member), name));
                }
            }
            Same<SettingOutcome>("SETTING_");
            Same<PowerSource>("SOURCE_");
            Same<PowerMode>("MODE_");
            Same<Activation>("");
            Same<PlanLookupOutcome>("PLAN_");
            Same<PlanLookupReading>("READ_");
            Same<DocumentChangeKind>("CHANGE_");
            Same<WatchAction>("WATCH_");
            Same<WatchTrigger>("TRIGGER_");
            Same<PlanOutcome>("PLAN_");
        }

        [Fact]
        public void SettingsAreListedFoundWrittenShownAndEachRefusalReachesItsType()
        {
            IReadOnlyList<PowerSetting> visible = settings.GetAll(Balanced);
            Assert.True(visible.Count >= 20, $"{visible.Count} visible settings");
            Assert.True(settings.GetAll(Balanced, includeHidden: true).Count > visible.Count);
            PowerSetting max = settings.Find(Balanced, "procthrottlemax");
            Assert.Equal(("PROCTHROTTLEMAX", 100u, "%", "SUB_PROCESSOR"), (max.Alias, max.Range!.Max, max.Range.Units, max.Subgroup.Alias));
            Assert.Equal(Activation.Applied, settings.Write(Balanced, max, PowerSource.DC, 70).Reapplied);
            Assert.Null(settings.Write(PowerSaver, max, PowerSource.AC, 60).Reapplied);
            Assert.Equal((100u, 70u), (settings.Read(Balanced, max).AC, settings.Read(Balanced, max).DC));
            Assert.Contains("100", Assert.Throws<ArgumentOutOfRangeException>(() => settings.Write(Balanced, max, PowerSource.DC, 101)).Message);
            Assert.Equal(70u, settings.Read(Balanced, max).DC);

            PowerSetting critical = settings.Find(Balanced, "BATACTIONCRIT");
            Assert.Equal((1u, 3u), (settings.ValueFromText(critical, "sleep"), settings.ValueFromText(critical, "3")));
            Assert.Contains("Hibernate", Assert.Throws<ArgumentException>(() => settings.ValueFromText(critical, "nap")).Message);
            PowerSetting boost = settings.Find(Balanced, "PERFBOOSTMODE");
            settings.Show(boost);
            Assert.False(settings.Find(Balanced, boost.Id.ToString()).Hidden);
            settings.Hide(boost);
            Assert.True(settings.Find(Balanced, "perfboostmode").Hidden);

            Assert.Throws<SettingNotFoundException>(() => settings.Find(Balanced, "no such setting"));
            Assert.Throws<SettingNotFoundException>(() => settings.Read(Guid.NewGuid(), max));
            Simulation.InjectStatus(Simulation.Operation.PowerWriteDCValueIndex, 5);
            Assert.Equal(5u, Assert.Throws<PlatformRefusedException>(() => settings.Write(PowerSaver, max, PowerSource.DC, 50)).Status);
            Simulation.InjectStatus(Simulation.Operation.PowerReadACValueIndex, 127);
            Assert.Throws<PlatformNotSupportedException>(() => settings.Read(Balanced, max));
            Simulation.InjectStatus(Simulation.Operation.PowerSettingAccessCheckEx, 1260, Simulation.Repeat.Always);
            Assert.Throws<PinnedByPolicyException>(() => settings.Write(Balanced, max, PowerSource.AC, 50));
            Simulation.ClearFaults();
            Simulation.InjectStatus(Simulation.Operation.PowerGetUserConfiguredPowerMode, 5);
            Assert.Throws<PlatformRefusedException>(() => plans.GetPowerMode(PowerSource.AC));
        }

        [Fact]
        public void ADocumentCarriesEverySettingAndImportsBackChangeByChange()
        {
            PowerSetting max = settings.Find(PowerSaver, "PROCTHROTTLEMAX");
            JsonNode document = JsonNode.Parse(plans.Export(PowerSaver))!;
            Assert.Equal(2, (int)document["version"]!);
            JsonArray rows = document["plans"]![0]!["settings"]!.AsArray();
            Assert.Contains(rows, row => (string?)row!["alias"] == "PERFBOOSTMODE");  // hidden, yet carried
            JsonNode row = rows.Single(row => (string?)row!["alias"] == "PROCTHROTTLEMAX")!;
            row["dc"] = 70;
            ImportedChange said = Assert.Single(plans.Import(document.ToJsonString(), dryRun: true));
            Assert.Equal(("PROCTHROTTLEMAX.dc", 100u, 70u, (SettingChange?)null), (said.Change.Key, said.Change.From, said.Change.To, said.Made));
            Assert.Equal(100u, settings.Read(PowerSaver, max).DC);
            Assert.Null(Assert.Single(plans.Import(document.ToJsonString())).Refusal);
            Assert.Equal(70u, settings.Read(PowerSaver, max).DC);

            row["dc"] = 101;
            Assert.Contains("PROCTHROTTLEMAX", Assert.Throws<DocumentException>(() => plans.Import(document.ToJsonString())).Message);
            row["dc"] = 50;
            row["id"] = "{01234567-89ab-cdef-0102-030405060708}";
            Assert.Throws<DocumentException>(() => plans.Import(document.ToJsonString()));
            Assert.Equal(DocumentChangeKind.Skipped, Assert.Single(plans.Import(document.ToJsonString(), skipUnknown: true)).Change.Kind);
            Assert.Equal(70u, settings.Read(PowerSaver, max).DC);

            JsonNode display = rows.Single(row => (string?)row!["alias"] == "VIDEOIDLE")!;
            display["dc"] = 60;
            Simulation.InjectStatus(Simulation.Operation.PowerWriteDCValueIndex, 5);
            ImportedChange refused = plans.Import(document.ToJsonString(), skipUnknown: true).Single(change => change.Change.Key == "VIDEOIDLE.dc");
            Assert.Equal(5u, Assert.IsType<PlatformRefusedException>(refused.Refusal).Status);
            Assert.Throws<DocumentException>(() => plans.Import("{\"format\": \"calvoro-plans\""));
        }
    }
}
