using System;
using System.Collections;
using System.Collections.Generic;
using System.Linq;
using System.Management.Automation;
using System.Management.Automation.Language;

namespace Calvoro.PowerShell
{
    /// <summary>
    /// <para type="synopsis">Copies a power plan, or one of Windows' templates, as a new plan.</para>
    /// <para type="description">The copy has every setting of the source, its description and
    /// personality. -Plan may name an installed plan or a template that Windows does not list,
    /// such as Ultimate Performance (e9a42b02-d5df-448d-aa00-03f14749eb61), or High performance
    /// on a Modern Standby machine. Without -Name the copy keeps the source's name, as Windows
    /// does; without -Id Windows picks the identifier. Writes the new plan.</para>
    /// </summary>
    [Cmdlet(VerbsCommon.Copy, "PowerPlan", SupportsShouldProcess = true)]
    [OutputType(typeof(PowerPlan))]
    public sealed class CopyPowerPlanCommand : PlanCmdlet
    {
        /// <summary>The plan or template copied: a name, alias or identifier.</summary>
        [Parameter(Mandatory = true, Position = 0)]
        [ArgumentCompleter(typeof(PlanOrTemplateCompleter))]
        [ValidateNotNullOrEmpty]
        public string Plan { get; set; } = string.Empty;

        /// <summary>The copy's name.</summary>
        [Parameter(Position = 1)]
        [ValidateNotNull]
        public string? Name { get; set; }

        /// <summary>The copy's identifier.</summary>
        [Parameter]
        public Guid? Id { get; set; }

        /// <inheritdoc/>
        protected override void ProcessRecord()
        {
            PlanLookup lookup = PlanCatalog.Face.FindPlanOrTemplate(Plan);
            if (lookup.Outcome != PlanLookupOutcome.Found)
            {
                Installed(Plan);  // says why, as every cmdlet does
                return;
            }
            PowerPlan source = lookup.Plan!;
            string copy = Name is null ? "Copy as a new plan" : $"Copy as \"{Name}\"";
            if (!ShouldProcess(PlanCatalog.Describe(source) + (lookup.IsTemplate ? ", a template" : string.Empty), copy))
            {
                return;
            }
            Guid made = Guid.Empty;
            if (Try(() => made = PlanCatalog.Face.Duplicate(source.Id, Name, Id), source))
            {
                WritePlan(made);
            }
        }
    }

    /// <summary>
    /// <para type="synopsis">Deletes a power plan.</para>
    /// <para type="description">The active plan is not deleted: enable another one first. A
    /// default recorded for the plan stays, with a warning: the watcher then reports that its
    /// plan is not installed.</para>
    /// </summary>
    [Cmdlet(VerbsCommon.Remove, "PowerPlan", SupportsShouldProcess = true, ConfirmImpact = ConfirmImpact.High,
            DefaultParameterSetName = "Name")]
    public sealed class RemovePowerPlanCommand : SinglePlanCmdlet
    {
        /// <inheritdoc/>
        protected override void ProcessRecord()
        {
            PowerPlan? plan = Target(PlanCatalog.Read());
            if (plan == null || !ShouldProcess(PlanCatalog.Describe(plan), "Delete the plan"))
            {
                return;
            }
            IReadOnlyList<PowerSource> records = Array.Empty<PowerSource>();
            if (Try(() => records = PlanCatalog.Face.Delete(plan.Id), plan))
            {
                foreach (PowerSource source in records)
                {
                    WriteWarning($"The default for {source} still names {PlanCatalog.Describe(plan)}; Set-PowerPlanDefault records another.");
                }
            }
        }
    }

    /// <summary>
    /// <para type="synopsis">Gives Windows' plans their default settings again.</para>
    /// <para type="description">With -Plan, one of Windows' own plans gets its default
    /// settings, name and description; a custom plan has none. With -All, every custom plan is
    /// removed and Windows' plans get their defaults; Balanced is active afterwards if the
    /// active plan was removed. Windows asks an administrator for it.</para>
    /// </summary>
    [Cmdlet(VerbsCommon.Reset, "PowerPlan", SupportsShouldProcess = true, ConfirmImpact = ConfirmImpact.High,
            DefaultParameterSetName = "Plan")]
    public sealed class ResetPowerPlanCommand : PlanCmdlet
    {
        /// <summary>The plan: a name, alias or identifier.</summary>
        [Parameter(Mandatory = true, Position = 0, ParameterSetName = "Plan")]
        [ArgumentCompleter(typeof(PlanNameCompleter))]
        [ValidateNotNullOrEmpty]
        public string Plan { get; set; } = string.Empty;

        /// <summary>Every plan: custom plans are removed.</summary>
        [Parameter(Mandatory = true, ParameterSetName = "All")]
        public SwitchParameter All { get; set; }

        /// <inheritdoc/>
        protected override void ProcessRecord()
        {
            if (All)
            {
                if (ShouldProcess("every power plan", "Remove every custom plan, and give Windows' plans their default settings"))
                {
                    Try(PlanCatalog.Face.RestoreDefaults, "every power plan");
                }
                return;
            }
            PowerPlan? plan = Installed(Plan);
            if (plan != null && ShouldProcess(PlanCatalog.Describe(plan), "Give it Windows' default settings, name and description"))
            {
                Try(() => PlanCatalog.Face.RestoreDefaults(plan.Id), plan);
            }
        }
    }

    /// <summary>Completes installed plans' names, the aliases and Windows' templates' names.</summary>
    public sealed class PlanOrTemplateCompleter : IArgumentCompleter
    {
        /// <inheritdoc/>
        public IEnumerable<CompletionResult> CompleteArgument(string commandName, string parameterName,
            string wordToComplete, CommandAst commandAst, IDictionary fakeBoundParameters) =>
            PlanNameCompleter.Complete(
                PlanCatalog.Read().Plans.Select(plan => plan.Name).OfType<string>()
                    .Concat(PlanCatalog.AliasNames)
                    .Concat(PlanCatalog.Face.GetTemplates().Select(known => known.Name)),
                wordToComplete);
    }
}
