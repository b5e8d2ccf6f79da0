using System;
using System.Collections.Generic;
using System.Linq;
using System.Management.Automation;

namespace Calvoro.PowerShell
{
    /// <summary>
    /// <para type="synopsis">Gets the installed power plans with their timeouts.</para>
    /// <para type="description">Writes each plan once, in Windows' order: its identifier, name,
    /// description, whether it is the active plan and the default for AC or DC, and its six
    /// timeouts in minutes (0 for never). A fact the platform cannot tell is $null.</para>
    /// </summary>
    [Cmdlet(VerbsCommon.Get, "PowerPlan", DefaultParameterSetName = "Name")]
    [OutputType(typeof(PowerPlan))]
    public sealed class GetPowerPlanCommand : PlanCmdlet
    {
        /// <summary>Plan names, with wildcards, or the aliases SCHEME_BALANCED, SCHEME_MIN,
        /// SCHEME_MAX and SCHEME_CURRENT.</summary>
        [Parameter(Position = 0, ParameterSetName = "Name")]
        [ArgumentCompleter(typeof(PlanNameCompleter))]
        [ValidateNotNullOrEmpty]
        public string[]? Name { get; set; }

        /// <summary>Plan identifiers.</summary>
        [Parameter(Mandatory = true, ParameterSetName = "Id")]
        public Guid[]? Id { get; set; }

        /// <summary>Only the active plan.</summary>
        [Parameter]
        public SwitchParameter Active { get; set; }

        /// <inheritdoc/>
        protected override void EndProcessing()
        {
            PlanCatalog catalog = PlanCatalog.Read();
            IEnumerable<PowerPlan> plans = catalog.Plans;
            if (Name != null)
            {
                plans = catalog.Select(Name, missing => WriteNotFound(missing, Name));
            }
            else if (Id != null)
            {
                foreach (Guid id in Id.Where(id => catalog.ById(id) == null))
                {
                    WriteNotFound(new PlanNotFoundException($"No installed plan has the identifier {id}."), id);
                }
                plans = plans.Where(plan => Id.Contains(plan.Id));
            }
            Guid? active = PlanCatalog.Face.GetActive();
            if (Active)
            {
                plans = plans.Where(plan => plan.Id == active);
            }
            Defaults defaults = Defaults.Read();
            foreach ((PowerSource source, RecordedDefault recorded) in new[] { (PowerSource.AC, defaults.AC), (PowerSource.DC, defaults.DC) })
            {
                if (!recorded.Known)
                {
                    WriteWarning($"{recorded.ErrorRecord(source).Exception.Message} IsDefaultFor{source} is $null.");
                }
            }
            foreach (PowerPlan plan in plans)
            {
                WriteObject(PlanCatalog.Record(plan, active, defaults));
            }
        }
    }

    /// <summary>The plan that the current user's registry records as the default for a
    /// power source.</summary>
    public sealed class PowerPlanDefault
    {
        internal PowerPlanDefault(PowerSource powerSource, Guid? id, string? name)
        {
            PowerSource = powerSource;
            Id = id;
            Name = name;
        }

        /// <summary>The power source.</summary>
        public PowerSource PowerSource { get; }

        /// <summary>The recorded plan; <c>null</c> when none is recorded.</summary>
        public Guid? Id { get; }

        /// <summary>The plan's name where that plan is installed, else <c>null</c>.</summary>
        public string? Name { get; }
    }

    /// <summary>
    /// <para type="synopsis">Gets the plan that the registry records as the default for each
    /// power source.</para>
    /// </summary>
    [Cmdlet(VerbsCommon.Get, "PowerPlanDefault")]
    [OutputType(typeof(PowerPlanDefault))]
    public sealed class GetPowerPlanDefaultCommand : PlanCmdlet
    {
        /// <summary>AC (mains) or DC (battery); both when left out.</summary>
        [Parameter(Position = 0)]
        [ValidateSet("AC", "DC")]
        public PowerSource? PowerSource { get; set; }

        /// <inheritdoc/>
        protected override void EndProcessing()
        {
            PlanCatalog? catalog = null;
            foreach (PowerSource source in Sources(PowerSource))
            {
                RecordedDefault recorded = RecordedDefault.Read(source);
                if (!recorded.Known)
                {
                    WriteError(recorded.ErrorRecord(source));
                    continue;
                }
                catalog ??= PlanCatalog.Read();
                string? name = recorded.Id is Guid id ? catalog.ById(id)?.Name : null;
                WriteObject(new PowerPlanDefault(source, recorded.Id, name));
            }
        }
    }
}
