using System;
using System.Collections.Generic;
using System.Linq;

namespace Calvoro
{
    /// <summary>A power source. Timeouts and the default-plan record are kept for AC and DC;
    /// <see cref="PowerPlans.GetPowerSource"/> may also say ShortTerm or Unknown.</summary>
    public enum PowerSource
    {
        /// <summary>Mains power.</summary>
        AC,
        /// <summary>Battery.</summary>
        DC,
        /// <summary>A short-term battery: a UPS's.</summary>
        ShortTerm,
        /// <summary>The platform cannot tell.</summary>
        Unknown,
    }

    /// <summary>Windows 11's power modes, kept for AC and for DC.</summary>
    public enum PowerMode
    {
        /// <summary>Best power efficiency (961CC777-2547-4F9D-8174-7D86181B8A7A).</summary>
        BestPowerEfficiency,
        /// <summary>Balanced (the all-zero identifier).</summary>
        Balanced,
        /// <summary>Best performance (DED574B5-45A0-4F42-8737-46345C09C238).</summary>
        BestPerformance,
    }

    /// <summary>What the machine runs on, and whether it is a Modern Standby machine (on which
    /// Windows offers only Balanced and the power mode is what changes).</summary>
    public sealed class PowerSourceState
    {
        internal PowerSourceState(PowerSource source, bool batteryPresent, bool modernStandby)
        {
            Source = source;
            BatteryPresent = batteryPresent;
            ModernStandby = modernStandby;
        }

        /// <summary>AC, DC, ShortTerm (a UPS) or Unknown.</summary>
        public PowerSource Source { get; }

        /// <summary>Whether the machine has a battery.</summary>
        public bool BatteryPresent { get; }

        /// <summary>Whether it is a Modern Standby machine (the platform's AoAc).</summary>
        public bool ModernStandby { get; }
    }

    /// <summary>The three timeouts of a plan.</summary>
    public enum TimeoutSetting
    {
        /// <summary>Sleep (standby).</summary>
        Sleep,
        /// <summary>Hibernation.</summary>
        Hibernate,
        /// <summary>Display off.</summary>
        Display,
    }

    /// <summary>How <see cref="PowerPlans.Activate"/> went.</summary>
    public enum Activation
    {
        /// <summary>The platform refused.</summary>
        Refused,
        /// <summary>The plan is the active one.</summary>
        Applied,
        /// <summary>Group Policy sets the active plan; nothing was tried.</summary>
        PinnedByPolicy,
    }

    /// <summary>What <see cref="PowerPlans.Find"/> made of a text.</summary>
    public enum PlanLookupOutcome
    {
        /// <summary>One installed plan: <see cref="PlanLookup.Plan"/>.</summary>
        Found,
        /// <summary>No installed plan; the candidates are every installed plan.</summary>
        None,
        /// <summary>A name that several plans have; the candidates are they.</summary>
        Several,
    }

    /// <summary>How <see cref="PowerPlans.Find"/> read a text.</summary>
    public enum PlanLookupReading
    {
        /// <summary>GUID text.</summary>
        Identifier,
        /// <summary>SCHEME_BALANCED, SCHEME_MIN, SCHEME_MAX or SCHEME_CURRENT.</summary>
        Alias,
        /// <summary>A plan's name.</summary>
        Name,
    }

    /// <summary>The installed plan that a text names, or why there is none.</summary>
    public sealed class PlanLookup
    {
        internal PlanLookup(PlanLookupOutcome outcome, PlanLookupReading reading, Guid? identifier,
                            IReadOnlyList<PowerPlan> candidates, bool isTemplate = false)
        {
            Outcome = outcome;
            Reading = reading;
            Identifier = identifier;
            Candidates = candidates;
            IsTemplate = isTemplate;
        }

        /// <summary>Whether the one candidate is one of Windows' templates rather than an
        /// installed plan (<see cref="PowerPlans.FindPlanOrTemplate"/>); its timeouts are then 0.</summary>
        public bool IsTemplate { get; }

        /// <summary>Found, none or several.</summary>
        public PlanLookupOutcome Outcome { get; }

        /// <summary>Whether the text was an identifier, an alias or a name.</summary>
        public PlanLookupReading Reading { get; }

        /// <summary>The plan an identifier or alias stands for; <c>null</c> for a name, and for
        /// SCHEME_CURRENT when the platform cannot tell the active plan.</summary>
        public Guid? Identifier { get; }

        /// <summary>The plan found; all installed plans when none was; the plans that share the
        /// name when several were.</summary>
        public IReadOnlyList<PowerPlan> Candidates { get; }

        /// <summary>The plan found; <c>null</c> unless <see cref="Outcome"/> is Found.</summary>
        public PowerPlan? Plan => Outcome == PlanLookupOutcome.Found ? Candidates[0] : null;
    }

    /// <summary>A change that <see cref="PowerPlans.Import"/> made, tried, or only said
    /// (a dry run, or a skipped setting).</summary>
    public sealed class ImportedChange
    {
        internal ImportedChange(DocumentChange change, SettingChange? made, Exception? refusal)
        {
            Change = change;
            Made = made;
            Refusal = refusal;
        }

        /// <summary>What the document asked for.</summary>
        public DocumentChange Change { get; }
        /// <summary>How it was made; <c>null</c> when it was not tried, or refused.</summary>
        public SettingChange? Made { get; }
        /// <summary>Why it was not made: a <see cref="PlatformRefusedException"/> or a
        /// <see cref="PinnedByPolicyException"/>; <c>null</c> otherwise.</summary>
        public Exception? Refusal { get; }
    }

    /// <summary>One power plan as it was when it was read: its identifier, its name and its six
    /// timeouts in whole minutes (0 means never). Immutable; read the plans again to see a
    /// change.</summary>
    public sealed class PowerPlan
    {
        private readonly uint[] minutes;

        internal PowerPlan(Guid id, string? name, uint[] minutes)
        {
            Id = id;
            Name = name;
            this.minutes = minutes;
        }

        /// <summary>The plan's identifier.</summary>
        public Guid Id { get; }

        /// <summary>The plan's name; <c>null</c> when the platform cannot read it.</summary>
        public string? Name { get; }

        /// <summary>Minutes to sleep on mains power.</summary>
        public uint SleepAC => Timeout(TimeoutSetting.Sleep, PowerSource.AC);
        /// <summary>Minutes to sleep on battery.</summary>
        public uint SleepDC => Timeout(TimeoutSetting.Sleep, PowerSource.DC);
        /// <summary>Minutes to hibernation on mains power.</summary>
        public uint HibernateAC => Timeout(TimeoutSetting.Hibernate, PowerSource.AC);
        /// <summary>Minutes to hibernation on battery.</summary>
        public uint HibernateDC => Timeout(TimeoutSetting.Hibernate, PowerSource.DC);
        /// <summary>Minutes to display off on mains power.</summary>
        public uint DisplayAC => Timeout(TimeoutSetting.Display, PowerSource.AC);
        /// <summary>Minutes to display off on battery.</summary>
        public uint DisplayDC => Timeout(TimeoutSetting.Display, PowerSource.DC);

        /// <summary>One of the six timeouts, in minutes.</summary>
        /// <param name="setting">Which timeout.</param>
        /// <param name="source">For which power source.</param>
        /// <returns>The minutes as they were read; 0 when the platform could not read them.</returns>
        public uint Timeout(TimeoutSetting setting, PowerSource source) => minutes[PowerPlans.Slot(setting, source)];

        /// <inheritdoc/>
        public override string ToString() => $"{Name ?? "(no name)"} ({Id})";
    }

    /// <summary>
    /// The power plans as .NET objects: every plan with its six timeouts in one call (read
    /// through <see cref="PowerClass"/>), a timeout changed by name (through the native
    /// library's one path for every setting, which checks Group Policy and applies the active
    /// plan again), the active plan, the default-plan record, the power source and modes, and
    /// the export document. Every rule is the native library's.
    /// </summary>
    public sealed partial class PowerPlans
    {
        /// <summary>The most minutes a timeout can hold (the native library's
        /// CALVORO_MAX_TIMER_MINUTES): their seconds must fit 32 bits. More is refused.</summary>
        public const uint MaxTimerMinutes = 71582788;

        private readonly PowerClass power;

        /// <summary>The plans of this machine.</summary>
        public PowerPlans() : this(new PowerClass()) { }

        /// <summary>The plans that <paramref name="power"/> reaches.</summary>
        /// <param name="power">The class to call.</param>
        public PowerPlans(PowerClass power) => this.power = power ?? throw new ArgumentNullException(nameof(power));

        /// <summary>Every installed plan, in the platform's order, with its name and timeouts.</summary>
        /// <returns>The plans as they are now.</returns>
        public IReadOnlyList<PowerPlan> GetAll()
        {
            var plans = new List<PowerPlan>();
            foreach (Guid id in Identifiers())
            {
                plans.Add(Read(id));
            }
            return plans;
        }

        /// <summary>The installed plan with this identifier.</summary>
        /// <param name="id">The plan's identifier.</param>
        /// <returns>The plan, or <c>null</c> when no installed plan has this identifier.</returns>
        public PowerPlan? Get(Guid id)
        {
            foreach (Guid installed in Identifiers())
            {
                if (installed == id)
                {
                    return Read(id);
                }
            }
            return null;
        }

        /// <summary>One timeout of a plan, in minutes; 0 when the platform cannot read it.</summary>
        /// <param name="plan">The plan's identifier.</param>
        /// <param name="setting">Which timeout.</param>
        /// <param name="source">For which power source.</param>
        /// <returns>Whole minutes.</returns>
        public uint GetTimeout(Guid plan, TimeoutSetting setting, PowerSource source)
        {
            bool onAC = OnAC(source) == 1;
            switch (setting)
            {
                case TimeoutSetting.Sleep:
                    return power.GetSleepTimer(plan, onAC);
                case TimeoutSetting.Hibernate:
                    return power.GetHibernationTimer(plan, onAC);
                case TimeoutSetting.Display:
                    return power.GetDisplayTimer(plan, onAC);
                default:
                    throw new ArgumentOutOfRangeException(nameof(setting), setting, "not a timeout setting");
            }
        }

        /// <summary>Changes one timeout of a plan, through the native library's path for every
        /// setting (Windows keeps it in seconds): Group Policy is checked first, and a change to
        /// the active plan applies it again.</summary>
        /// <param name="plan">The plan's identifier.</param>
        /// <param name="setting">Which timeout.</param>
        /// <param name="source">For which power source.</param>
        /// <param name="minutes">Whole minutes, 0 for never; at most <see cref="MaxTimerMinutes"/>.</param>
        /// <returns><c>true</c> when the platform stored it; <c>false</c> when it refused, when
        /// Group Policy sets it, or above <see cref="MaxTimerMinutes"/>.</returns>
        /// <exception cref="PlatformNotSupportedException">The platform lacks the calls.</exception>
        public bool SetTimeout(Guid plan, TimeoutSetting setting, PowerSource source, uint minutes)
        {
            var (subgroup, id) = TimeoutIdentifiers(setting);
            OnAC(source);
            if (minutes > MaxTimerMinutes)
            {
                return false;
            }
            try
            {
                new PowerSettings().Write(plan, subgroup, id, source, minutes * 60);
                return true;
            }
            catch (Exception error) when (error is PlatformRefusedException || error is PinnedByPolicyException ||
                                          error is SettingNotFoundException)
            {
                return false;
            }
        }

        // Windows' identifiers of the three timeouts: the one convenience over settings.
        private static (Guid Subgroup, Guid Setting) TimeoutIdentifiers(TimeoutSetting setting) => setting switch
        {
            TimeoutSetting.Sleep => (SleepSubgroup, new Guid("29F6C1DB-86DA-48C5-9FDB-F2B67B1F44DA")),
            TimeoutSetting.Hibernate => (SleepSubgroup, new Guid("9D7815A6-7EE4-497E-8888-515A05F02364")),
            TimeoutSetting.Display => (new Guid("7516B95F-F776-4464-8C53-06167F40CC99"), new Guid("3C0BC021-C8A8-4E07-A973-6B14CBCB2B7E")),
            _ => throw new ArgumentOutOfRangeException(nameof(setting), setting, "not a timeout setting"),
        };

        private static readonly Guid SleepSubgroup = new Guid("238C9FA8-0AAD-41ED-83F4-97BE242C8F20");

        /// <summary>The installed plans as a document (every plan when none is given): names,
        /// descriptions and every setting, as <c>calvoro export</c> and Export-PowerPlan write it.</summary>
        /// <param name="plans">The plans' identifiers.</param>
        /// <returns>The document's text.</returns>
        public string Export(params Guid[] plans) => PlanDocument.Export(plans);

        /// <summary>Applies a document to the installed plans, after the native library checked
        /// all of it, change by change; a refused change is reported, and the others are made.</summary>
        /// <param name="document">The document's text (version 1 or 2).</param>
        /// <param name="dryRun">Only say what would change.</param>
        /// <param name="skipUnknown">Skip the settings this machine does not have.</param>
        /// <param name="create">Make the plans that are not installed, first; when one cannot be made, nothing else is tried.</param>
        /// <returns>Each change with how it went.</returns>
        /// <exception cref="DocumentException">The document cannot be imported; nothing was changed.</exception>
        public IReadOnlyList<ImportedChange> Import(string document, bool dryRun = false, bool skipUnknown = false,
                                                    bool create = false)
        {
            using PlanDocument read = PlanDocument.Read(document, skipUnknown, create);
            var imported = new List<ImportedChange>();
            bool stopped = dryRun;
            foreach (DocumentChange change in read.Changes)
            {
                if (stopped || change.Kind == DocumentChangeKind.Skipped)
                {
                    imported.Add(new ImportedChange(change, null, null));
                    continue;
                }
                try
                {
                    imported.Add(new ImportedChange(change, read.Apply(change), null));
                }
                catch (Exception error) when (error is PlatformRefusedException || error is PinnedByPolicyException)
                {
                    imported.Add(new ImportedChange(change, null, error));
                    stopped = change.Kind == DocumentChangeKind.Create;
                }
            }
            return imported;
        }

        /// <summary>The plan the platform applies now.</summary>
        /// <returns>Its identifier; <c>null</c> when the platform cannot tell.</returns>
        public unsafe Guid? GetActive()
        {
            Guid plan;
            int found;
            NativeMethods.Check(NativeMethods.C.GetActivePlan(&plan, &found));
            return found != 0 ? plan : (Guid?)null;
        }

        /// <summary>Applies a plan, making it the active one, unless Group Policy sets the
        /// active plan.</summary>
        /// <param name="plan">The plan's identifier.</param>
        /// <returns>Applied, Refused by the platform, or PinnedByPolicy (nothing was tried).</returns>
        public unsafe Activation Activate(Guid plan)
        {
            int outcome;
            NativeMethods.Check(NativeMethods.C.ActivatePlan(&plan, &outcome));
            return (Activation)outcome;
        }

        /// <summary>A plan's description, up to its first NUL.</summary>
        /// <param name="plan">The plan's identifier.</param>
        /// <returns>The description; <c>null</c> when the plan does not exist or it cannot be read.</returns>
        public unsafe string? GetDescription(Guid plan) =>
            NativeMethods.ReadText(NativeMethods.C.ReadPlanDescription, plan);

        /// <summary>The installed plan that a person's text names: an identifier, one of the
        /// aliases SCHEME_BALANCED, SCHEME_MIN, SCHEME_MAX and SCHEME_CURRENT in any letter case,
        /// or a name: the exact name when one plan has it, else the one name that is the same
        /// ignoring letter case (<see cref="SameIgnoringCase"/>).</summary>
        /// <param name="text">What the person typed.</param>
        /// <returns>The plan found, or why there is none, with the candidates.</returns>
        /// <exception cref="ArgumentNullException"><paramref name="text"/> is <c>null</c>.</exception>
        public unsafe PlanLookup Find(string text)
        {
            var (record, candidates) = Lookup(text, (units, length, found, ids, capacity, count) =>
                NativeMethods.C.FindPlan(units, length, found, ids, capacity, count));
            return new PlanLookup((PlanLookupOutcome)record.Outcome, (PlanLookupReading)record.Reading,
                                  record.Identified != 0 ? record.Identifier : (Guid?)null,
                                  candidates.Select(Read).ToList());
        }

        private unsafe delegate int LookupCall(char* units, uint length, NativeMethods.PlanLookupRecord* record,
                                               Guid* ids, uint capacity, uint* count);

        // A lookup's answer and its candidates, in an array grown to the count a short one reported.
        private static unsafe (NativeMethods.PlanLookupRecord, Guid[]) Lookup(string text, LookupCall find)
        {
            if (text is null)
            {
                throw new ArgumentNullException(nameof(text));
            }
            NativeMethods.PlanLookupRecord record;
            Guid[] candidates = new Guid[4];
            uint count;
            int status;
            fixed (char* units = text)
            {
                while (true)
                {
                    fixed (Guid* ids = candidates)
                    {
                        status = find(units, (uint)text.Length, &record, ids, (uint)candidates.Length, &count);
                    }
                    if (status != NativeMethods.BufferTooSmall)
                    {
                        break;
                    }
                    candidates = new Guid[count];
                }
            }
            NativeMethods.Check(status);
            Array.Resize(ref candidates, (int)count);
            return (record, candidates);
        }

        /// <summary>Whether two texts are the same ignoring letter case, as <see cref="Find"/>
        /// compares names: each character by its simple upper-case mapping, so that no
        /// character becomes two (ß is not SS).</summary>
        /// <param name="a">One text.</param>
        /// <param name="b">The other.</param>
        /// <returns><c>true</c> when they are the same ignoring letter case.</returns>
        public static unsafe bool SameIgnoringCase(string a, string b)
        {
            if (a is null)
            {
                throw new ArgumentNullException(nameof(a));
            }
            if (b is null)
            {
                throw new ArgumentNullException(nameof(b));
            }
            int same;
            fixed (char* first = a)
            fixed (char* second = b)
            {
                NativeMethods.Check(NativeMethods.C.SameIgnoringCase(first, (uint)a.Length, second, (uint)b.Length, &same));
            }
            return same != 0;
        }

        /// <summary>Records a plan as the default for a power source, where
        /// <see cref="PowerClass.GetDefaultPlaneGUID"/> reads it (the current user's registry).</summary>
        /// <param name="source">Mains power or battery.</param>
        /// <param name="plan">The plan's identifier.</param>
        /// <exception cref="RegistryAccessException">The registry refused.</exception>
        public unsafe void SetDefault(PowerSource source, Guid plan) =>
            NativeMethods.Check(NativeMethods.C.SetDefaultPlan(OnAC(source), &plan));

        /// <summary>Removes the record for a power source, and nothing else.</summary>
        /// <param name="source">Mains power or battery.</param>
        /// <returns><c>false</c> when none was recorded.</returns>
        /// <exception cref="RegistryAccessException">The registry refused.</exception>
        public unsafe bool ClearDefault(PowerSource source)
        {
            int cleared;
            NativeMethods.Check(NativeMethods.C.ClearDefaultPlan(OnAC(source), &cleared));
            return cleared != 0;
        }

        /// <summary>The machine's power source now; Unknown when the platform cannot tell.</summary>
        /// <returns>The source, whether a battery is present, and Modern Standby.</returns>
        public unsafe PowerSourceState GetPowerSource()
        {
            NativeMethods.PowerSourceRecord record;
            NativeMethods.Check(NativeMethods.C.ReadPowerSource(&record));
            return new PowerSourceState((PowerSource)record.Source, record.BatteryPresent != 0, record.ModernStandby != 0);
        }

        /// <summary>The user's power mode for a source.</summary>
        /// <param name="source">AC or DC.</param>
        /// <returns>The mode; <c>null</c> for an identifier that is none of the three.</returns>
        /// <exception cref="PlatformNotSupportedException">The platform has no power modes (they came with Windows 11).</exception>
        /// <exception cref="PlatformRefusedException">The platform refused.</exception>
        public unsafe PowerMode? GetPowerMode(PowerSource source)
        {
            NativeMethods.PowerModeRecord record;
            NativeMethods.Check(NativeMethods.C.GetPowerMode(OnAC(source), &record));
            CheckMode(record.Outcome, record.Status, source);
            return record.Mode < 0 ? (PowerMode?)null : (PowerMode)record.Mode;
        }

        /// <summary>Sets the user's power mode for a source.</summary>
        /// <param name="source">AC or DC.</param>
        /// <param name="mode">The mode.</param>
        /// <exception cref="PlatformNotSupportedException">The platform has no power modes.</exception>
        /// <exception cref="InvalidOperationException">Windows says the mode does not apply to the active plan.</exception>
        /// <exception cref="PlatformRefusedException">The platform refused.</exception>
        public unsafe void SetPowerMode(PowerSource source, PowerMode mode)
        {
            int outcome;
            NativeMethods.Check(NativeMethods.C.SetPowerMode(OnAC(source), (int)mode, &outcome));
            CheckMode(outcome, 0, source);
        }

        /// <summary>Whether Group Policy sets the active plan, so that <see cref="Activate"/> cannot.</summary>
        /// <returns><c>true</c> when policy sets it.</returns>
        public unsafe bool IsActivePlanPinnedByPolicy()
        {
            int pinned;
            NativeMethods.Check(NativeMethods.C.ActivePlanPinnedByPolicy(&pinned));
            return pinned != 0;
        }

        // The power modes' outcomes, in the one mapping of outcomes: Unsupported and Failed as
        // a setting's Unsupported and Refused; NotApplicable is theirs alone.
        private static void CheckMode(int outcome, uint status, PowerSource source)
        {
            switch (outcome)
            {
                case NativeMethods.ModeDone:
                    return;
                case NativeMethods.ModeUnsupported:
                    Outcomes.Check(SettingOutcome.Unsupported, status, "The power modes (Windows 11 has them)");
                    return;
                case NativeMethods.ModeNotApplicable:
                    throw new InvalidOperationException("Windows says the power mode does not apply to the active plan; it applies to Balanced and plans made from it.");
                default:
                    Outcomes.Check(SettingOutcome.Refused, status, $"The power mode for {source}");
                    return;
            }
        }

        internal static int OnAC(PowerSource source) => source switch
        {
            PowerSource.AC => 1,
            PowerSource.DC => 0,
            _ => throw new ArgumentOutOfRangeException(nameof(source), source, "AC or DC"),
        };

        // The installed plans' identifiers, in the platform's order.
        private IEnumerable<Guid> Identifiers()
        {
            for (uint index = 0; ; index++)
            {
                Guid id = power.EnumPowerSchemeGuid(index);
                if (id == PowerClass.NoPowerSchemeGuid)
                {
                    yield break;
                }
                yield return id;
            }
        }

        internal static int Slot(TimeoutSetting setting, PowerSource source) => (int)setting * 2 + 1 - OnAC(source);

        private PowerPlan Read(Guid id)
        {
            var minutes = new uint[6];
            foreach (TimeoutSetting setting in new[] { TimeoutSetting.Sleep, TimeoutSetting.Hibernate, TimeoutSetting.Display })
            {
                foreach (PowerSource source in new[] { PowerSource.AC, PowerSource.DC })
                {
                    minutes[Slot(setting, source)] = GetTimeout(id, setting, source);
                }
            }
            return new PowerPlan(id, power.ReadPowerSchemeName(id), minutes);
        }
    }
}
