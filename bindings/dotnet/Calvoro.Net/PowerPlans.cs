using System;
using System.Collections.Generic;

namespace Calvoro
{
    /// <summary>A power source: mains power or battery.</summary>
    public enum PowerSource
    {
        /// <summary>Mains power.</summary>
        AC,
        /// <summary>Battery.</summary>
        DC,
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
    /// The power plans as .NET objects, over <see cref="PowerClass"/>: every plan with its six
    /// timeouts in one call, and a timeout read or changed by name. It adds no rule of its own:
    /// failures are results exactly as <see cref="PowerClass"/> gives them.
    /// </summary>
    public sealed class PowerPlans
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
            bool onAC = source == PowerSource.AC;
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

        /// <summary>Changes one timeout of a plan.</summary>
        /// <param name="plan">The plan's identifier.</param>
        /// <param name="setting">Which timeout.</param>
        /// <param name="source">For which power source.</param>
        /// <param name="minutes">Whole minutes, 0 for never; at most <see cref="MaxTimerMinutes"/>.</param>
        /// <returns><c>true</c> when the platform stored it.</returns>
        public bool SetTimeout(Guid plan, TimeoutSetting setting, PowerSource source, uint minutes)
        {
            bool onAC = source == PowerSource.AC;
            switch (setting)
            {
                case TimeoutSetting.Sleep:
                    return power.SetSleepTimer(plan, onAC, minutes);
                case TimeoutSetting.Hibernate:
                    return power.SetHibernationTimer(plan, onAC, minutes);
                case TimeoutSetting.Display:
                    return power.SetDisplayTimer(plan, onAC, minutes);
                default:
                    throw new ArgumentOutOfRangeException(nameof(setting), setting, "not a timeout setting");
            }
        }

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

        internal static int Slot(TimeoutSetting setting, PowerSource source) => (int)setting * 2 + (int)source;

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
