using System;
using System.Collections.Generic;

namespace Calvoro
{
    /// <summary>How a settings call of the native library went: one outcome for every
    /// operation. <see cref="PowerSettings"/> answers Done with its result and throws one
    /// exception type for each other outcome (<see cref="Outcomes.Check(SettingOutcome, uint, string)"/>).</summary>
    public enum SettingOutcome
    {
        /// <summary>Done.</summary>
        Done,
        /// <summary>No such plan, subgroup or setting: <see cref="SettingNotFoundException"/>.</summary>
        NotFound,
        /// <summary>A name that several settings have: <see cref="AmbiguousSettingException"/>.</summary>
        Ambiguous,
        /// <summary>A value the setting does not take; nothing was written:
        /// <see cref="ArgumentOutOfRangeException"/>.</summary>
        OutOfRange,
        /// <summary>The platform refused: <see cref="PlatformRefusedException"/>.</summary>
        Refused,
        /// <summary>Group Policy sets the value; nothing was tried:
        /// <see cref="PinnedByPolicyException"/>.</summary>
        PinnedByPolicy,
        /// <summary>The platform lacks the calls (Wine's powrprof), or the feature (power modes
        /// before Windows 11): <see cref="PlatformNotSupportedException"/>.</summary>
        Unsupported,
    }

    /// <summary>The values a setting with a range takes: from <see cref="Min"/> to
    /// <see cref="Max"/> in steps of <see cref="Increment"/>.</summary>
    public sealed class SettingRange
    {
        internal SettingRange(uint min, uint max, uint increment, string units)
        {
            Min = min;
            Max = max;
            Increment = increment;
            Units = units;
        }

        /// <summary>The least value.</summary>
        public uint Min { get; }
        /// <summary>The greatest value.</summary>
        public uint Max { get; }
        /// <summary>The step between values.</summary>
        public uint Increment { get; }
        /// <summary>The unit, as the platform names it: "Seconds", "%", "MHz".</summary>
        public string Units { get; }

        /// <inheritdoc/>
        public override string ToString() =>
            $"{Min} to {Max}" + (Increment > 1 ? $" in steps of {Increment}" : "") + (Units.Length > 0 ? " " + Units : "");
    }

    /// <summary>One of the values of a setting without a range; a plan stores its index.</summary>
    public sealed class PossibleValue
    {
        internal PossibleValue(uint index, string name, string description)
        {
            Index = index;
            Name = name;
            Description = description;
        }

        /// <summary>What a plan stores.</summary>
        public uint Index { get; }
        /// <summary>Windows' name for it.</summary>
        public string Name { get; }
        /// <summary>Windows' description of it.</summary>
        public string Description { get; }

        /// <inheritdoc/>
        public override string ToString() => $"{Name} ({Index})";
    }

    /// <summary>A group of settings, such as Sleep or Processor power management.</summary>
    public sealed class PowerSubgroup
    {
        internal PowerSubgroup(Guid id, string? alias, string name, string description)
        {
            Id = id;
            Alias = alias;
            Name = name;
            Description = description;
        }

        /// <summary>The subgroup's identifier.</summary>
        public Guid Id { get; }
        /// <summary>powercfg's alias, as SUB_PROCESSOR; <c>null</c> when it has none.</summary>
        public string? Alias { get; }
        /// <summary>Windows' name.</summary>
        public string Name { get; }
        /// <summary>Windows' description.</summary>
        public string Description { get; }

        /// <inheritdoc/>
        public override string ToString() => Alias is null ? Name : $"{Name} ({Alias})";
    }

    /// <summary>A setting of a plan as the platform describes it. Immutable.</summary>
    public sealed class PowerSetting
    {
        internal PowerSetting(Guid plan, PowerSubgroup subgroup, Guid id, string? alias, string name,
                              string description, bool hidden, SettingRange? range,
                              IReadOnlyList<PossibleValue> values, uint? acDefault, uint? dcDefault,
                              string allowed)
        {
            Plan = plan;
            Subgroup = subgroup;
            Id = id;
            Alias = alias;
            Name = name;
            Description = description;
            Hidden = hidden;
            Range = range;
            PossibleValues = values;
            AcDefault = acDefault;
            DcDefault = dcDefault;
            Allowed = allowed;
        }

        /// <summary>The plan this description was read for.</summary>
        public Guid Plan { get; }
        /// <summary>The setting's subgroup.</summary>
        public PowerSubgroup Subgroup { get; }
        /// <summary>The setting's identifier.</summary>
        public Guid Id { get; }
        /// <summary>powercfg's alias, as PROCTHROTTLEMAX; <c>null</c> when it has none.</summary>
        public string? Alias { get; }
        /// <summary>Windows' name.</summary>
        public string Name { get; }
        /// <summary>Windows' description.</summary>
        public string Description { get; }
        /// <summary>Whether Windows' own power options hide it.</summary>
        public bool Hidden { get; }
        /// <summary>What it takes, when it has a range; <c>null</c> when it has possible values.</summary>
        public SettingRange? Range { get; }
        /// <summary>Its possible values; none when it has a range.</summary>
        public IReadOnlyList<PossibleValue> PossibleValues { get; }
        /// <summary>Windows' default on AC for plans of this plan's personality; <c>null</c> when unknown.</summary>
        public uint? AcDefault { get; }
        /// <summary>Windows' default on DC; <c>null</c> when unknown.</summary>
        public uint? DcDefault { get; }
        /// <summary>What it takes, for a person: "0 to 100 %", or its possible values' names.</summary>
        public string Allowed { get; }

        /// <inheritdoc/>
        public override string ToString() => Alias is null ? Name : $"{Name} ({Alias})";
    }

    /// <summary>A setting's values in a plan, in the setting's own unit (a timeout in seconds).</summary>
    public readonly struct SettingValues
    {
        internal SettingValues(uint ac, uint dc)
        {
            AC = ac;
            DC = dc;
        }

        /// <summary>On mains power.</summary>
        public uint AC { get; }
        /// <summary>On battery.</summary>
        public uint DC { get; }
    }

    /// <summary>How a change went that was made: whether the active plan was applied again,
    /// for only then does a change to it take effect.</summary>
    public sealed class SettingChange
    {
        internal SettingChange(Activation? reapplied, bool activePlanUnknown)
        {
            Reapplied = reapplied;
            ActivePlanUnknown = activePlanUnknown;
        }

        /// <summary>How applying the active plan again went; <c>null</c> when the plan changed
        /// is not the active one.</summary>
        public Activation? Reapplied { get; }

        /// <summary>The platform cannot tell the active plan: the change takes effect when the
        /// plan is next applied.</summary>
        public bool ActivePlanUnknown { get; }
    }

    /// <summary>The native library's outcomes, each mapped to one result or exception type:
    /// the one mapping of every face of .NET (settings, power modes, documents).</summary>
    public static partial class Outcomes
    {
        /// <summary>Returns for Done; throws the outcome's exception otherwise.</summary>
        /// <param name="outcome">The outcome.</param>
        /// <param name="status">The platform's status, for a refusal.</param>
        /// <param name="what">What was asked, for the message.</param>
        /// <exception cref="SettingNotFoundException">NotFound.</exception>
        /// <exception cref="AmbiguousSettingException">Ambiguous (with no candidates).</exception>
        /// <exception cref="ArgumentOutOfRangeException">OutOfRange.</exception>
        /// <exception cref="PlatformRefusedException">Refused.</exception>
        /// <exception cref="PinnedByPolicyException">PinnedByPolicy.</exception>
        /// <exception cref="PlatformNotSupportedException">Unsupported.</exception>
        public static void Check(SettingOutcome outcome, uint status, string what)
        {
            switch (outcome)
            {
                case SettingOutcome.Done:
                    return;
                case SettingOutcome.NotFound:
                    throw new SettingNotFoundException($"{what}: no such plan or setting.");
                case SettingOutcome.Ambiguous:
                    throw new AmbiguousSettingException($"{what}: several settings have that name; give an alias or identifier.",
                                                        Array.Empty<PowerSetting>());
                case SettingOutcome.OutOfRange:
                    throw new ArgumentOutOfRangeException("value", $"{what}: a value the setting does not take; nothing was changed.");
                case SettingOutcome.Refused:
                    throw new PlatformRefusedException($"{what}: the platform refused" + (status != 0 ? $" (status {status})." : "."), status);
                case SettingOutcome.PinnedByPolicy:
                    throw new PinnedByPolicyException($"{what}: Group Policy sets it on this machine.");
                case SettingOutcome.Unsupported:
                    throw new PlatformNotSupportedException($"{what}: this platform lacks the calls for it.");
                default:
                    throw new ArgumentOutOfRangeException(nameof(outcome), outcome, "not an outcome");
            }
        }
    }

    /// <summary>
    /// Every setting of a plan, as the platform describes it: listed, found by what a person
    /// types, read, written (checked against its description and Group Policy first), shown
    /// and hidden. Each call is one call of the native library, which decides every rule.
    /// </summary>
    public sealed class PowerSettings
    {
        /// <summary>Whether the platform has the calls (Wine's own powrprof has not): where it
        /// has not, every other member throws <see cref="PlatformNotSupportedException"/>.</summary>
        public static unsafe bool Supported
        {
            get
            {
                int supported;
                NativeMethods.Check(NativeMethods.C.PowerSettingsSupported(&supported));
                return supported != 0;
            }
        }

        /// <summary>The plan's settings, subgroup by subgroup; the hidden ones too when asked.</summary>
        /// <param name="plan">The plan's identifier.</param>
        /// <param name="includeHidden">Whether to include the settings Windows hides.</param>
        /// <returns>The settings as they are described now.</returns>
        /// <exception cref="SettingNotFoundException">The plan is not installed.</exception>
        public unsafe IReadOnlyList<PowerSetting> GetAll(Guid plan, bool includeHidden = false)
        {
            IReadOnlyList<PowerSetting> settings = Described(plan, $"the settings of {plan}", (result, list) =>
            {
                Guid id = plan;
                return NativeMethods.C.ListSettings(&id, result, list);
            });
            if (includeHidden)
            {
                return settings;
            }
            var shown = new List<PowerSetting>();
            foreach (PowerSetting setting in settings)
            {
                if (!setting.Hidden)
                {
                    shown.Add(setting);
                }
            }
            return shown;
        }

        /// <summary>The plan's setting that a person's text names: its identifier, its alias in
        /// any letter case, or its name (the exact name, else the one that is the same ignoring
        /// letter case).</summary>
        /// <param name="plan">The plan's identifier.</param>
        /// <param name="text">What the person typed.</param>
        /// <returns>The setting.</returns>
        /// <exception cref="SettingNotFoundException">No setting is so named.</exception>
        /// <exception cref="AmbiguousSettingException">Several are; see its candidates.</exception>
        public unsafe PowerSetting Find(Guid plan, string text)
        {
            if (text is null)
            {
                throw new ArgumentNullException(nameof(text));
            }
            return Described(plan, $"the setting \"{text}\"", (result, list) =>
            {
                Guid id = plan;
                fixed (char* units = text)
                {
                    return NativeMethods.C.FindSetting(&id, units, (uint)text.Length, result, list);
                }
            })[0];
        }

        /// <summary>The value that a text stands for in a setting: a whole number, or the index
        /// of the possible value so named, in any letter case.</summary>
        /// <param name="setting">The setting.</param>
        /// <param name="text">The number or name.</param>
        /// <returns>The value, not yet checked against the setting (a write checks it).</returns>
        /// <exception cref="ArgumentException">The text is neither; the message says what it takes.</exception>
        public unsafe uint ValueFromText(PowerSetting setting, string text)
        {
            if (setting is null)
            {
                throw new ArgumentNullException(nameof(setting));
            }
            if (text is null)
            {
                throw new ArgumentNullException(nameof(text));
            }
            Guid plan = setting.Plan;
            string id = setting.Id.ToString();
            NativeMethods.SettingResultRecord result;
            IntPtr list;
            fixed (char* units = id)
            {
                NativeMethods.Check(NativeMethods.C.FindSetting(&plan, units, (uint)id.Length, &result, &list));
            }
            try
            {
                Outcomes.Check((SettingOutcome)result.Outcome, result.Status, setting.ToString());
                int found;
                uint value;
                fixed (char* units = text)
                {
                    NativeMethods.Check(NativeMethods.C.SettingValueFromText(list, 0, units, (uint)text.Length, &found, &value));
                }
                return found != 0
                    ? value
                    : throw new ArgumentException($"{setting} takes {setting.Allowed}, not \"{text}\".", nameof(text));
            }
            finally
            {
                NativeMethods.Check(NativeMethods.C.FreeSettings(list));
            }
        }

        /// <summary>The plan's values of a setting, in the setting's own unit.</summary>
        /// <param name="plan">The plan's identifier.</param>
        /// <param name="setting">The setting.</param>
        /// <returns>Its values on AC and DC.</returns>
        public unsafe SettingValues Read(Guid plan, PowerSetting setting)
        {
            if (setting is null)
            {
                throw new ArgumentNullException(nameof(setting));
            }
            return Read(plan, setting.Subgroup.Id, setting.Id);
        }

        /// <summary>The plan's values of the setting that a subgroup and setting identifier name.</summary>
        /// <param name="plan">The plan's identifier.</param>
        /// <param name="subgroup">The subgroup's identifier.</param>
        /// <param name="setting">The setting's identifier.</param>
        /// <returns>Its values on AC and DC.</returns>
        public unsafe SettingValues Read(Guid plan, Guid subgroup, Guid setting)
        {
            var id = new NativeMethods.SettingIdRecord { Subgroup = subgroup, Setting = setting };
            NativeMethods.SettingResultRecord result;
            uint ac;
            uint dc;
            NativeMethods.Check(NativeMethods.C.ReadSetting(&plan, &id, &result, &ac, &dc));
            Outcomes.Check((SettingOutcome)result.Outcome, result.Status, $"reading {setting}");
            return new SettingValues(ac, dc);
        }

        /// <summary>Writes the plan's value of a setting for AC or DC, after the library checked
        /// it against the setting's description and Group Policy; a change to the active plan
        /// applies it again.</summary>
        /// <param name="plan">The plan's identifier.</param>
        /// <param name="setting">The setting.</param>
        /// <param name="source">AC or DC.</param>
        /// <param name="value">The value, in the setting's unit or a possible value's index.</param>
        /// <returns>Whether the active plan was applied again.</returns>
        /// <exception cref="ArgumentOutOfRangeException">The setting does not take the value.</exception>
        /// <exception cref="PinnedByPolicyException">Group Policy sets it.</exception>
        /// <exception cref="PlatformRefusedException">The platform refused.</exception>
        public SettingChange Write(Guid plan, PowerSetting setting, PowerSource source, uint value)
        {
            if (setting is null)
            {
                throw new ArgumentNullException(nameof(setting));
            }
            try
            {
                return Write(plan, setting.Subgroup.Id, setting.Id, source, value);
            }
            catch (ArgumentOutOfRangeException)
            {
                throw new ArgumentOutOfRangeException(nameof(value), value,
                    $"{setting} takes {setting.Allowed}, not {value}; nothing was changed.");
            }
        }

        /// <summary>As <see cref="Write(Guid, PowerSetting, PowerSource, uint)"/>, for the setting
        /// that a subgroup and setting identifier name.</summary>
        /// <param name="plan">The plan's identifier.</param>
        /// <param name="subgroup">The subgroup's identifier.</param>
        /// <param name="setting">The setting's identifier.</param>
        /// <param name="source">AC or DC.</param>
        /// <param name="value">The value.</param>
        /// <returns>Whether the active plan was applied again.</returns>
        public unsafe SettingChange Write(Guid plan, Guid subgroup, Guid setting, PowerSource source, uint value)
        {
            var id = new NativeMethods.SettingIdRecord { Subgroup = subgroup, Setting = setting };
            NativeMethods.SettingResultRecord result;
            NativeMethods.Check(NativeMethods.C.WriteSetting(&plan, &id, PowerPlans.OnAC(source), value, &result));
            return Changed(result, $"writing {setting} on {source}");
        }

        /// <summary>Shows a setting in Windows' own power options, for the whole machine.</summary>
        /// <param name="setting">The setting.</param>
        /// <exception cref="PlatformRefusedException">Windows refused (it asks for an administrator).</exception>
        public void Show(PowerSetting setting) => SetHidden(setting, false);

        /// <summary>Hides a setting from Windows' own power options, for the whole machine.</summary>
        /// <param name="setting">The setting.</param>
        /// <exception cref="PlatformRefusedException">Windows refused (it asks for an administrator).</exception>
        public void Hide(PowerSetting setting) => SetHidden(setting, true);

        private static unsafe void SetHidden(PowerSetting setting, bool hidden)
        {
            if (setting is null)
            {
                throw new ArgumentNullException(nameof(setting));
            }
            var id = new NativeMethods.SettingIdRecord { Subgroup = setting.Subgroup.Id, Setting = setting.Id };
            NativeMethods.SettingResultRecord result;
            NativeMethods.Check(NativeMethods.C.SetSettingHidden(&id, hidden ? 1 : 0, &result));
            Changed(result, (hidden ? "hiding " : "showing ") + setting);
        }

        internal static SettingChange Changed(NativeMethods.SettingResultRecord result, string what)
        {
            Outcomes.Check((SettingOutcome)result.Outcome, result.Status, what);
            return new SettingChange(result.Reapplied >= 0 ? (Activation)result.Reapplied : (Activation?)null,
                                     result.Reapplied == NativeMethods.ActivePlanUnknown);
        }

        private unsafe delegate int Lister(NativeMethods.SettingResultRecord* result, IntPtr* list);

        // The settings that `list` hands out, read whole, and the list freed; Ambiguous with
        // them as the candidates.
        private static unsafe IReadOnlyList<PowerSetting> Described(Guid plan, string what, Lister list)
        {
            NativeMethods.SettingResultRecord result;
            IntPtr handle;
            NativeMethods.Check(list(&result, &handle));
            var settings = new List<PowerSetting>();
            try
            {
                uint count;
                NativeMethods.Check(NativeMethods.C.SettingCount(handle, &count));
                for (uint position = 0; position < count; position++)
                {
                    settings.Add(Describe(plan, handle, position));
                }
            }
            finally
            {
                NativeMethods.Check(NativeMethods.C.FreeSettings(handle));
            }
            if ((SettingOutcome)result.Outcome == SettingOutcome.Ambiguous)
            {
                throw new AmbiguousSettingException($"{what}: several settings have that name; give an alias or identifier.", settings);
            }
            Outcomes.Check((SettingOutcome)result.Outcome, result.Status, what);
            return settings;
        }

        private static unsafe PowerSetting Describe(Guid plan, IntPtr list, uint position)
        {
            NativeMethods.SettingInfoRecord info;
            NativeMethods.Check(NativeMethods.C.SettingInfo(list, position, &info));
            string Text(int which) =>
                NativeMethods.ReadText((text, capacity, length) => NativeMethods.C.SettingText(list, position, which, text, capacity, length));
            string? Optional(int which) => Text(which) is string text && text.Length > 0 ? text : null;
            var values = new List<PossibleValue>();
            for (uint value = 0; value < info.ValueCount; value++)
            {
                uint index = 0;
                string Named(int which) => NativeMethods.ReadText((text, capacity, length) =>
                {
                    uint read;
                    int status = NativeMethods.C.PossibleValue(list, position, value, which, &read, text, capacity, length);
                    index = read;
                    return status;
                });
                string name = Named(NativeMethods.TextName);
                string description = Named(NativeMethods.TextDescription);
                values.Add(new PossibleValue(index, name, description));
            }
            var subgroup = new PowerSubgroup(info.Id.Subgroup, Optional(NativeMethods.TextSubgroupAlias),
                                             Text(NativeMethods.TextSubgroupName), Text(NativeMethods.TextSubgroupDescription));
            return new PowerSetting(plan, subgroup, info.Id.Setting, Optional(NativeMethods.TextAlias),
                Text(NativeMethods.TextName), Text(NativeMethods.TextDescription), info.Hidden != 0,
                info.Ranged != 0 ? new SettingRange(info.Min, info.Max, info.Increment, Text(NativeMethods.TextUnits)) : null,
                values, info.HasAcDefault != 0 ? info.AcDefault : (uint?)null,
                info.HasDcDefault != 0 ? info.DcDefault : (uint?)null, Text(NativeMethods.TextAllowed));
        }
    }
}
