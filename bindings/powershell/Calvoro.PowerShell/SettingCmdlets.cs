using System;
using System.Collections;
using System.Collections.Generic;
using System.Linq;
using System.Management.Automation;
using System.Management.Automation.Language;

namespace Calvoro.PowerShell
{
    /// <summary>A setting of a plan with the plan's values, as Get-PowerSetting writes it.</summary>
    public sealed class SettingRecord
    {
        internal SettingRecord(PowerPlan plan, PowerSetting setting, SettingValues values)
        {
            Plan = plan.Id;
            PlanName = plan.Name;
            PowerSetting = setting;
            AC = values.AC;
            DC = values.DC;
        }

        /// <summary>The plan's identifier.</summary>
        public Guid Plan { get; }
        /// <summary>The plan's name.</summary>
        public string? PlanName { get; }
        /// <summary>The setting as the platform describes it. (Named so that the pipeline
        /// binds <see cref="Id"/>, not this, to a -Setting.)</summary>
        public PowerSetting PowerSetting { get; }
        /// <summary>The setting's subgroup.</summary>
        public PowerSubgroup Subgroup => PowerSetting.Subgroup;
        /// <summary>The setting's identifier.</summary>
        public Guid Id => PowerSetting.Id;
        /// <summary>powercfg's alias; <c>null</c> when it has none.</summary>
        public string? Alias => PowerSetting.Alias;
        /// <summary>Windows' name.</summary>
        public string Name => PowerSetting.Name;
        /// <summary>Windows' description.</summary>
        public string Description => PowerSetting.Description;
        /// <summary>The value on mains power, in the setting's unit or a possible value's index.</summary>
        public uint AC { get; }
        /// <summary>The value on battery.</summary>
        public uint DC { get; }
        /// <summary>The value on mains power, for a person: "100 %", "Sleep".</summary>
        public string ACText => ValueText(PowerSetting, AC);
        /// <summary>The value on battery, for a person.</summary>
        public string DCText => ValueText(PowerSetting, DC);
        /// <summary>A range's unit; <c>null</c> for a setting with possible values.</summary>
        public string? Units => PowerSetting.Range?.Units;
        /// <summary>What it takes, when it has a range.</summary>
        public SettingRange? Range => PowerSetting.Range;
        /// <summary>Its possible values, when it has no range.</summary>
        public IReadOnlyList<PossibleValue> PossibleValues => PowerSetting.PossibleValues;
        /// <summary>Whether Windows' own power options hide it.</summary>
        public bool Hidden => PowerSetting.Hidden;

        /// <summary>A value for a person: a range's number with its unit, or a possible value's name.</summary>
        internal static string ValueText(PowerSetting setting, uint value)
        {
            if (setting.Range is SettingRange range)
            {
                return range.Units.Length == 0 ? value.ToString() : $"{value} {range.Units}";
            }
            return setting.PossibleValues.FirstOrDefault(possible => possible.Index == value)?.Name ?? value.ToString();
        }

        /// <inheritdoc/>
        public override string ToString() => $"{PowerSetting}: AC {ACText}, DC {DCText}";
    }

    /// <summary>What the setting cmdlets share: the plan named by -Plan (the active plan when
    /// left out) and the settings that -Setting names.</summary>
    public abstract class SettingCmdlet : PlanCmdlet
    {
        /// <summary>The plan: its name, an alias such as SCHEME_BALANCED, or its identifier;
        /// the active plan when left out.</summary>
        [Parameter(ValueFromPipelineByPropertyName = true)]
        [ArgumentCompleter(typeof(PlanNameCompleter))]
        [ValidateNotNullOrEmpty]
        public string Plan { get; set; } = "SCHEME_CURRENT";

        /// <summary>The plan that -Plan names; <c>null</c> after writing the error.</summary>
        private protected PowerPlan? TargetPlan() => Installed(Plan);

        /// <summary>The setting that a person's text names; <c>null</c> after writing the error.</summary>
        private protected PowerSetting? Find(PowerPlan plan, string text)
        {
            try
            {
                return PlanCatalog.Settings.Find(plan.Id, text);
            }
            catch (SettingNotFoundException)
            {
                WriteError(new ErrorRecord(new ItemNotFoundException($"{PlanCatalog.Describe(plan)} has no setting named \"{text}\"; Get-PowerSetting -IncludeHidden lists them."),
                    "SettingNotFound", ErrorCategory.ObjectNotFound, text));
            }
            catch (AmbiguousSettingException error)
            {
                string candidates = string.Join(", ", error.Candidates.Select(candidate => $"{candidate} {candidate.Id}"));
                WriteError(new ErrorRecord(new ArgumentException($"Several settings are named \"{text}\": {candidates}. Give an alias or identifier."),
                    "SettingAmbiguous", ErrorCategory.InvalidArgument, text));
            }
            catch (PlatformNotSupportedException error)
            {
                ThrowTerminatingError(new ErrorRecord(error, "SettingsUnsupported", ErrorCategory.NotImplemented, text));
            }
            return null;
        }

        private protected SettingRecord Record(PowerPlan plan, PowerSetting setting) =>
            new SettingRecord(plan, setting, PlanCatalog.Settings.Read(plan.Id, setting));
    }

    /// <summary>
    /// <para type="synopsis">Gets the settings of a power plan, as Windows describes them.</para>
    /// <para type="description">Each setting with its subgroup, identifier, powercfg's alias,
    /// Windows' name and description, its values on AC and DC, and what it takes: a range
    /// with its unit, or a list of possible values. Settings that Windows hides are left out
    /// unless -IncludeHidden is given or -Setting names them.</para>
    /// </summary>
    [Cmdlet(VerbsCommon.Get, "PowerSetting")]
    [OutputType(typeof(SettingRecord))]
    public sealed class GetPowerSettingCommand : SettingCmdlet
    {
        /// <summary>The settings: aliases, names (wildcards allowed) or identifiers; every
        /// setting when left out.</summary>
        [Parameter(Position = 0)]
        [ArgumentCompleter(typeof(SettingCompleter))]
        [ValidateNotNullOrEmpty]
        public string[]? Setting { get; set; }

        /// <summary>Includes the settings that Windows hides.</summary>
        [Parameter]
        public SwitchParameter IncludeHidden { get; set; }

        /// <inheritdoc/>
        protected override void ProcessRecord()
        {
            PowerPlan? plan = TargetPlan();
            if (plan == null)
            {
                return;
            }
            try
            {
                foreach (PowerSetting setting in Selected(plan))
                {
                    WriteObject(Record(plan, setting));
                }
            }
            catch (PlatformNotSupportedException error)
            {
                ThrowTerminatingError(new ErrorRecord(error, "SettingsUnsupported", ErrorCategory.NotImplemented, Plan));
            }
            catch (Exception error) when (error is PlatformRefusedException || error is SettingNotFoundException)
            {
                WriteError(new ErrorRecord(error, "SettingsUnreadable", ErrorCategory.ReadError, plan));
            }
        }

        private IEnumerable<PowerSetting> Selected(PowerPlan plan)
        {
            if (Setting == null)
            {
                return PlanCatalog.Settings.GetAll(plan.Id, IncludeHidden);
            }
            var chosen = new List<PowerSetting>();
            IReadOnlyList<PowerSetting>? all = null;
            foreach (string text in Setting)
            {
                if (WildcardPattern.ContainsWildcardCharacters(text))
                {
                    var pattern = WildcardPattern.Get(text, WildcardOptions.IgnoreCase | WildcardOptions.CultureInvariant);
                    all ??= PlanCatalog.Settings.GetAll(plan.Id, includeHidden: true);
                    chosen.AddRange(all.Where(setting => (IncludeHidden || !setting.Hidden) &&
                        (pattern.IsMatch(setting.Name) || (setting.Alias != null && pattern.IsMatch(setting.Alias)))));
                }
                else if (Find(plan, text) is PowerSetting found)
                {
                    chosen.Add(found);
                }
            }
            return chosen.GroupBy(setting => (setting.Subgroup.Id, setting.Id)).Select(group => group.First());
        }
    }

    /// <summary>
    /// <para type="synopsis">Sets a setting of a power plan for AC, DC or both.</para>
    /// <para type="description">The value is a number in the setting's unit (seconds for a
    /// timeout) or the name of one of its possible values. The library checks it against the
    /// setting and Group Policy before anything is written, and applies the active plan again
    /// so that a change to it takes effect. With -PowerSource Both each source is set and
    /// reported on its own: a failure of one leaves the other set.</para>
    /// </summary>
    [Cmdlet(VerbsCommon.Set, "PowerSetting", SupportsShouldProcess = true)]
    [OutputType(typeof(SettingRecord))]
    public sealed class SetPowerSettingCommand : SettingCmdlet
    {
        /// <summary>The setting: its alias, name or identifier.</summary>
        [Parameter(Mandatory = true, Position = 0, ValueFromPipelineByPropertyName = true)]
        [Alias("Id")]
        [ArgumentCompleter(typeof(SettingCompleter))]
        [ValidateNotNullOrEmpty]
        public string Setting { get; set; } = string.Empty;

        /// <summary>For which power source: AC (mains), DC (battery) or Both.</summary>
        [Parameter(Mandatory = true)]
        [ValidateSet("AC", "DC", "Both")]
        public string PowerSource { get; set; } = string.Empty;

        /// <summary>A number, or a possible value's name.</summary>
        [Parameter(Mandatory = true)]
        [ValidateNotNullOrEmpty]
        public string Value { get; set; } = string.Empty;

        /// <summary>Writes the setting with its values afterwards.</summary>
        [Parameter]
        public SwitchParameter PassThru { get; set; }

        /// <inheritdoc/>
        protected override void ProcessRecord()
        {
            PowerPlan? plan = TargetPlan();
            PowerSetting? setting = plan == null ? null : Find(plan, Setting);
            if (plan == null || setting == null)
            {
                return;
            }
            uint value;
            try
            {
                value = PlanCatalog.Settings.ValueFromText(setting, Value);
            }
            catch (ArgumentException error)
            {
                WriteError(new ErrorRecord(error, "ValueNotTaken", ErrorCategory.InvalidArgument, Value));
                return;
            }
            PowerSource[] sources = Sources(PowerSource);
            if (Apply(sources.Select(source => PlanChange.Setting(plan, setting, source, value))).Contains(plan.Id) && PassThru)
            {
                WriteObject(Record(plan, setting));
            }
        }
    }

    /// <summary>
    /// <para type="synopsis">Shows a setting in Windows' own power options.</para>
    /// <para type="description">For every plan and every user of the machine; Windows asks
    /// for an administrator.</para>
    /// </summary>
    [Cmdlet(VerbsCommon.Show, "PowerSetting", SupportsShouldProcess = true)]
    public sealed class ShowPowerSettingCommand : VisibilityCmdlet
    {
        /// <summary>Shows it.</summary>
        public ShowPowerSettingCommand() : base(hide: false) { }
    }

    /// <summary>
    /// <para type="synopsis">Hides a setting from Windows' own power options.</para>
    /// <para type="description">For every plan and every user of the machine; Windows asks
    /// for an administrator. The setting keeps its values.</para>
    /// </summary>
    [Cmdlet(VerbsCommon.Hide, "PowerSetting", SupportsShouldProcess = true)]
    public sealed class HidePowerSettingCommand : VisibilityCmdlet
    {
        /// <summary>Hides it.</summary>
        public HidePowerSettingCommand() : base(hide: true) { }
    }

    /// <summary>Show-PowerSetting and Hide-PowerSetting.</summary>
    public abstract class VisibilityCmdlet : SettingCmdlet
    {
        private readonly bool hide;

        private protected VisibilityCmdlet(bool hide) => this.hide = hide;

        /// <summary>The setting: its alias, name or identifier.</summary>
        [Parameter(Mandatory = true, Position = 0, ValueFromPipelineByPropertyName = true)]
        [Alias("Id")]
        [ArgumentCompleter(typeof(SettingCompleter))]
        [ValidateNotNullOrEmpty]
        public string Setting { get; set; } = string.Empty;

        /// <inheritdoc/>
        protected override void ProcessRecord()
        {
            PowerPlan? plan = TargetPlan();
            PowerSetting? setting = plan == null ? null : Find(plan, Setting);
            if (setting == null || !ShouldProcess(setting.ToString(), hide ? "Hide from Windows' power options" : "Show in Windows' power options"))
            {
                return;
            }
            try
            {
                if (hide)
                {
                    PlanCatalog.Settings.Hide(setting);
                }
                else
                {
                    PlanCatalog.Settings.Show(setting);
                }
            }
            catch (PlatformRefusedException error)
            {
                WriteError(new ErrorRecord(error, "VisibilityRefused", ErrorCategory.PermissionDenied, setting));
            }
        }
    }

    /// <summary>Completes -Setting with the aliases and names of the plan's settings (the
    /// plan given with -Plan, else the active plan), quoting those that need it.</summary>
    public sealed class SettingCompleter : IArgumentCompleter
    {
        /// <inheritdoc/>
        public IEnumerable<CompletionResult> CompleteArgument(string commandName, string parameterName,
            string wordToComplete, CommandAst commandAst, IDictionary fakeBoundParameters)
        {
            IReadOnlyList<PowerSetting> settings = Settings(fakeBoundParameters?["Plan"] as string ?? "SCHEME_CURRENT");
            IEnumerable<string> words = settings.Select(setting => setting.Alias).OfType<string>()
                .Concat(settings.Select(setting => setting.Name));
            return PlanNameCompleter.Complete(words, wordToComplete);
        }

        // Every setting of the plan; none when there is no such plan, or no settings.
        private static IReadOnlyList<PowerSetting> Settings(string plan)
        {
            try
            {
                return PlanCatalog.Settings.GetAll(PlanCatalog.Read().Resolve(plan).Id, includeHidden: true);
            }
            catch (Exception)
            {
                return Array.Empty<PowerSetting>();
            }
        }
    }
}
