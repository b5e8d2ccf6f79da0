using System;
using System.Collections.Generic;
using System.Linq;
using System.Management.Automation;

namespace Calvoro.PowerShell
{
    /// <summary>What every cmdlet of the module shares: its errors, and how a change is made.</summary>
    public abstract class PlanCmdlet : PSCmdlet
    {
        /// <summary>The sources that a -PowerSource of AC, DC or Both names.</summary>
        private protected static PowerSource[] Sources(string word) =>
            word.Equals("Both", StringComparison.OrdinalIgnoreCase)
                ? Sources((PowerSource?)null)
                : new[] { (PowerSource)Enum.Parse(typeof(PowerSource), word, ignoreCase: true) };

        /// <summary>The one source given, or AC and DC when none is.</summary>
        private protected static PowerSource[] Sources(PowerSource? one) =>
            one is PowerSource source ? new[] { source } : new[] { PowerSource.AC, PowerSource.DC };

        private protected void WriteNotFound(PlanNotFoundException error, object target) =>
            WriteError(new ErrorRecord(error, "PlanNotFound", ErrorCategory.ObjectNotFound, target));

        /// <summary>The installed plan that <paramref name="word"/> names (a name, alias or
        /// identifier); <c>null</c>, with an error written, when there is none.</summary>
        private protected PowerPlan? Installed(string word)
        {
            try
            {
                return PlanCatalog.Read().Resolve(word);
            }
            catch (PlanNotFoundException error)
            {
                WriteNotFound(error, word);
            }
            catch (ArgumentException error)
            {
                WriteError(new ErrorRecord(error, "PlanAmbiguous", ErrorCategory.InvalidArgument, word));
            }
            return null;
        }

        /// <summary>Writes a plan as Get-PowerPlan does, read afresh.</summary>
        private protected void WritePlan(Guid id)
        {
            PowerPlan? plan = PlanCatalog.Face.Get(id);
            if (plan != null)
            {
                WriteObject(PlanCatalog.Record(plan, PlanCatalog.Face.GetActive(), Defaults.Read()));
            }
        }

        /// <summary>
        /// Makes each change the caller confirms (-WhatIf makes none). A change the platform
        /// refuses, or Group Policy sets, is a non-terminating error that names it, and the
        /// others are still made. A change to a setting of the active plan takes effect once
        /// the plan is applied again, which the library does; how that went is said here.
        /// </summary>
        /// <returns>The plans whose changes were all made.</returns>
        private protected HashSet<Guid> Apply(IEnumerable<PlanChange> changes)
        {
            var changed = new HashSet<Guid>();
            var refused = new HashSet<Guid>();
            foreach (PlanChange change in changes)
            {
                if (!ShouldProcess(PlanCatalog.Describe(change.Plan), change.Action))
                {
                    refused.Add(change.Plan.Id);
                    continue;
                }
                SettingChange? made;
                try
                {
                    made = change.Make();
                }
                catch (Exception error) when (error is PlatformRefusedException || error is PinnedByPolicyException ||
                                              error is ArgumentOutOfRangeException || error is SettingNotFoundException)
                {
                    refused.Add(change.Plan.Id);
                    WriteError(new ErrorRecord(
                        new InvalidOperationException($"Could not {Lower(change.Action)} for {PlanCatalog.Describe(change.Plan)}: {error.Message}", error),
                        "ChangeRefused", Category(error), change.Plan));
                    continue;
                }
                changed.Add(change.Plan.Id);
                Report(made);
            }
            changed.ExceptWith(refused);
            return changed;
        }

        private static ErrorCategory Category(Exception error) => error switch
        {
            PinnedByPolicyException _ => ErrorCategory.PermissionDenied,
            ArgumentOutOfRangeException _ => ErrorCategory.InvalidArgument,
            SettingNotFoundException _ => ErrorCategory.ObjectNotFound,
            _ => ErrorCategory.WriteError,
        };

        private void Report(SettingChange? made)
        {
            if (made?.ActivePlanUnknown == true)
            {
                WriteWarning("The platform cannot tell the active plan; a changed setting is stored and takes effect when the plan is next applied.");
            }
            switch (made?.Reapplied)
            {
                case Activation.Applied:
                    WriteVerbose("Applied the active plan again, so that the change takes effect.");
                    break;
                case Activation.PinnedByPolicy:
                    WriteWarning("Group Policy sets the active plan; the change is stored and takes effect when policy applies it.");
                    break;
                case Activation.Refused:
                    WriteWarning("The active plan could not be applied again; the change is stored and takes effect when the plan is next applied.");
                    break;
            }
        }

        /// <summary>Runs <paramref name="operation"/>; a refusal of the library is a
        /// non-terminating error that says why, and the answer is then <c>false</c>.</summary>
        private protected bool Try(Action operation, object target)
        {
            try
            {
                operation();
                return true;
            }
            catch (Exception error) when (OutcomeCategory(error) is ErrorCategory category)
            {
                WriteError(new ErrorRecord(error, error.GetType().Name.Replace("Exception", string.Empty), category, target));
                return false;
            }
        }

        // The exceptions of the plan operations' outcomes (Outcomes.Check), each in its category.
        private static ErrorCategory? OutcomeCategory(Exception error) => error switch
        {
            PinnedByPolicyException _ => ErrorCategory.PermissionDenied,
            PlatformNotSupportedException _ => ErrorCategory.NotImplemented,
            NotSupportedException _ => ErrorCategory.InvalidOperation,
            UnauthorizedAccessException _ => ErrorCategory.PermissionDenied,
            SettingNotFoundException _ => ErrorCategory.ObjectNotFound,
            ArgumentException _ => ErrorCategory.ResourceExists,
            InvalidOperationException _ => ErrorCategory.InvalidOperation,
            PlatformRefusedException _ => ErrorCategory.WriteError,
            _ => null,
        };

        private static string Lower(string action) => char.ToLowerInvariant(action[0]) + action.Substring(1);
    }

    /// <summary>One change to a plan: what ShouldProcess shows, and the call that makes it,
    /// which throws when it is refused.</summary>
    internal sealed class PlanChange
    {
        internal PlanChange(PowerPlan plan, string action, Func<SettingChange?> make)
        {
            Plan = plan;
            Action = action;
            Make = make;
        }

        internal PowerPlan Plan { get; }

        internal string Action { get; }

        internal Func<SettingChange?> Make { get; }

        // The timeouts are settings like any other, found by powercfg's aliases.
        private static readonly Dictionary<TimeoutSetting, string> TimeoutAliases = new Dictionary<TimeoutSetting, string>
        {
            [TimeoutSetting.Sleep] = "STANDBYIDLE",
            [TimeoutSetting.Hibernate] = "HIBERNATEIDLE",
            [TimeoutSetting.Display] = "VIDEOIDLE",
        };

        internal static PlanChange Timeout(PowerPlan plan, TimeoutSetting setting, PowerSource source, uint minutes) =>
            new PlanChange(plan, $"Set the {setting.ToString().ToLowerInvariant()} timeout on {source} to {Minutes(minutes)}", () =>
            {
                PowerSetting timeout = PlanCatalog.Settings.Find(plan.Id, TimeoutAliases[setting]);
                return PlanCatalog.Settings.Write(plan.Id, timeout, source, minutes * 60);
            });

        internal static PlanChange Setting(PowerPlan plan, PowerSetting setting, PowerSource source, uint value) =>
            new PlanChange(plan, $"Set {setting} on {source} to {SettingRecord.ValueText(setting, value)}",
                () => PlanCatalog.Settings.Write(plan.Id, setting, source, value));

        internal static PlanChange Rename(PowerPlan plan, string name, string description) =>
            new PlanChange(plan, $"Rename to \"{name}\" with the description \"{description}\"", () =>
                PlanCatalog.Power.WritePowerSchemeNameDescription(plan.Id, name, description) == 1
                    ? null
                    : throw new PlatformRefusedException("The platform refused the name.", 0));

        private static string Minutes(uint minutes) => minutes == 0 ? "never" : minutes == 1 ? "1 minute" : $"{minutes} minutes";
    }

    /// <summary>A cmdlet that acts on one plan, chosen by name or alias, by identifier, or by a
    /// plan object from the pipeline.</summary>
    public abstract class SinglePlanCmdlet : PlanCmdlet
    {
        /// <summary>The plan's name, one of the aliases SCHEME_BALANCED, SCHEME_MIN, SCHEME_MAX
        /// and SCHEME_CURRENT, or its identifier as text.</summary>
        [Parameter(Mandatory = true, Position = 0, ParameterSetName = "Name")]
        [ArgumentCompleter(typeof(PlanNameCompleter))]
        [ValidateNotNullOrEmpty]
        public string Name { get; set; } = string.Empty;

        /// <summary>The plan's identifier; also taken from the Id property of pipeline input.</summary>
        [Parameter(Mandatory = true, ParameterSetName = "Id", ValueFromPipelineByPropertyName = true)]
        public Guid Id { get; set; }

        /// <summary>A plan from Get-PowerPlan.</summary>
        [Parameter(Mandatory = true, ParameterSetName = "InputObject", ValueFromPipeline = true)]
        [ValidateNotNull]
        public PowerPlan? InputObject { get; set; }

        /// <summary>The installed plan the parameters choose, read afresh; <c>null</c>, with an
        /// error written, when there is none.</summary>
        private protected PowerPlan? Target(PlanCatalog catalog)
        {
            try
            {
                switch (ParameterSetName)
                {
                    case "Name":
                        return catalog.Resolve(Name);
                    default:
                        Guid id = InputObject?.Id ?? Id;
                        return catalog.ById(id) ?? throw new PlanNotFoundException($"No installed plan has the identifier {id}.");
                }
            }
            catch (PlanNotFoundException error)
            {
                WriteNotFound(error, (object?)InputObject ?? (ParameterSetName == "Name" ? (object)Name : Id));
            }
            catch (ArgumentException error)
            {
                WriteError(new ErrorRecord(error, "PlanAmbiguous", ErrorCategory.InvalidArgument, Name));
            }
            return null;
        }
    }

    /// <summary>
    /// <para type="synopsis">Changes a timeout of a power plan.</para>
    /// <para type="description">Sets the sleep, hibernate or display-off timeout of a plan, in
    /// minutes (0 for never), for mains power, battery or both. A change to the active plan is
    /// applied at once.</para>
    /// </summary>
    [Cmdlet(VerbsCommon.Set, "PowerPlanTimeout", SupportsShouldProcess = true, DefaultParameterSetName = "Name")]
    [OutputType(typeof(PowerPlan))]
    public sealed class SetPowerPlanTimeoutCommand : SinglePlanCmdlet
    {
        /// <summary>Which timeout.</summary>
        [Parameter(Mandatory = true)]
        public TimeoutSetting Setting { get; set; }

        /// <summary>For which power source: AC (mains), DC (battery) or Both.</summary>
        [Parameter(Mandatory = true)]
        [ValidateSet("AC", "DC", "Both")]
        public string PowerSource { get; set; } = string.Empty;

        /// <summary>Whole minutes, 0 for never.</summary>
        [Parameter(Mandatory = true)]
        public uint Minutes { get; set; }

        /// <summary>Writes the changed plan.</summary>
        [Parameter]
        public SwitchParameter PassThru { get; set; }

        /// <inheritdoc/>
        protected override void BeginProcessing()
        {
            if (Minutes > PowerPlans.MaxTimerMinutes)
            {
                ThrowTerminatingError(new ErrorRecord(
                    new ArgumentException($"-Minutes must be from 0 to {PowerPlans.MaxTimerMinutes}, not {Minutes}: a timeout's seconds must fit 32 bits."),
                    "MinutesOutOfRange", ErrorCategory.InvalidArgument, Minutes));
            }
        }

        /// <inheritdoc/>
        protected override void ProcessRecord()
        {
            PowerPlan? plan = Target(PlanCatalog.Read());
            if (plan == null)
            {
                return;
            }
            if (Apply(Sources(PowerSource).Select(source => PlanChange.Timeout(plan, Setting, source, Minutes))).Contains(plan.Id) && PassThru)
            {
                WritePlan(plan.Id);
            }
        }
    }

    /// <summary>
    /// <para type="synopsis">Renames a power plan and sets its description.</para>
    /// <para type="description">Windows stores a plan's name and description together; without
    /// -Description the plan keeps the one it has.</para>
    /// </summary>
    [Cmdlet(VerbsCommon.Rename, "PowerPlan", SupportsShouldProcess = true, DefaultParameterSetName = "Name")]
    [OutputType(typeof(PowerPlan))]
    public sealed class RenamePowerPlanCommand : SinglePlanCmdlet
    {
        /// <summary>The plan's new name.</summary>
        [Parameter(Mandatory = true)]
        [ValidateNotNull]
        public string NewName { get; set; } = string.Empty;

        /// <summary>The plan's new description; without it, the plan keeps its own.</summary>
        [Parameter]
        [ValidateNotNull]
        public string? Description { get; set; }

        /// <summary>Writes the renamed plan.</summary>
        [Parameter]
        public SwitchParameter PassThru { get; set; }

        /// <inheritdoc/>
        protected override void ProcessRecord()
        {
            PowerPlan? plan = Target(PlanCatalog.Read());
            if (plan == null)
            {
                return;
            }
            string? description = Description ?? PlanCatalog.Face.GetDescription(plan.Id);
            if (description == null)
            {
                WriteError(new ErrorRecord(
                    new InvalidOperationException($"The platform cannot tell the description of {PlanCatalog.Describe(plan)}, and Windows writes a name only together with one: give -Description."),
                    "DescriptionUnknown", ErrorCategory.ReadError, plan));
                return;
            }
            if (Apply(new[] { PlanChange.Rename(plan, NewName, description) }).Contains(plan.Id) && PassThru)
            {
                WritePlan(plan.Id);
            }
        }
    }

    /// <summary>
    /// <para type="synopsis">Makes a power plan the active one.</para>
    /// </summary>
    [Cmdlet(VerbsLifecycle.Enable, "PowerPlan", SupportsShouldProcess = true, DefaultParameterSetName = "Name")]
    public sealed class EnablePowerPlanCommand : SinglePlanCmdlet
    {
        /// <inheritdoc/>
        protected override void ProcessRecord()
        {
            PowerPlan? plan = Target(PlanCatalog.Read());
            if (plan == null)
            {
                return;
            }
            Apply(new[] { new PlanChange(plan, "Make it the active plan", () => PlanCatalog.Face.Activate(plan.Id) switch
            {
                Activation.Applied => null,
                Activation.PinnedByPolicy => throw new PinnedByPolicyException("Group Policy sets the active plan."),
                _ => throw new PlatformRefusedException("The platform refused.", 0),
            }) });
        }
    }
}
