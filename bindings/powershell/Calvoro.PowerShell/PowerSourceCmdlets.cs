using System;
using System.Management.Automation;

namespace Calvoro.PowerShell
{
    /// <summary>
    /// <para type="synopsis">Gets the power source the machine runs on.</para>
    /// <para type="description">AC, DC, ShortTerm (a UPS) or Unknown, whether a battery is
    /// present, and whether it is a Modern Standby machine, on which Windows offers only
    /// Balanced and the power mode is what changes.</para>
    /// </summary>
    [Cmdlet(VerbsCommon.Get, "PowerSource")]
    [OutputType(typeof(PowerSourceState))]
    public sealed class GetPowerSourceCommand : PlanCmdlet
    {
        /// <inheritdoc/>
        protected override void EndProcessing() => WriteObject(PlanCatalog.Face.GetPowerSource());
    }

    /// <summary>
    /// <para type="synopsis">Records a power plan as the default for a power source.</para>
    /// <para type="description">Writes the "AC" or "DC" value that Get-PowerPlanDefault reads,
    /// in the current user's registry. The plan must be installed.</para>
    /// </summary>
    [Cmdlet(VerbsCommon.Set, "PowerPlanDefault", SupportsShouldProcess = true, DefaultParameterSetName = "Name")]
    [OutputType(typeof(PowerPlanDefault))]
    public sealed class SetPowerPlanDefaultCommand : SinglePlanCmdlet
    {
        /// <summary>AC (mains) or DC (battery).</summary>
        [Parameter(Mandatory = true)]
        [ValidateSet("AC", "DC")]
        public PowerSource PowerSource { get; set; }

        /// <summary>Writes the record.</summary>
        [Parameter]
        public SwitchParameter PassThru { get; set; }

        /// <inheritdoc/>
        protected override void ProcessRecord()
        {
            PowerPlan? plan = Target(PlanCatalog.Read());
            if (plan == null || !ShouldProcess(PlanCatalog.Describe(plan), $"Record it as the default for {PowerSource}"))
            {
                return;
            }
            try
            {
                PlanCatalog.Face.SetDefault(PowerSource, plan.Id);
            }
            catch (RegistryAccessException error)
            {
                WriteError(new ErrorRecord(error, "DefaultRefused", ErrorCategory.PermissionDenied, plan));
                return;
            }
            if (PassThru)
            {
                WriteObject(new PowerPlanDefault(PowerSource, plan.Id, plan.Name));
            }
        }
    }

    /// <summary>
    /// <para type="synopsis">Removes the record of the default plan for a power source.</para>
    /// </summary>
    [Cmdlet(VerbsCommon.Clear, "PowerPlanDefault", SupportsShouldProcess = true)]
    public sealed class ClearPowerPlanDefaultCommand : PlanCmdlet
    {
        /// <summary>AC (mains) or DC (battery); also taken from the PowerSource property of
        /// pipeline input, such as Get-PowerPlanDefault's.</summary>
        [Parameter(Mandatory = true, Position = 0, ValueFromPipelineByPropertyName = true)]
        [ValidateSet("AC", "DC")]
        public PowerSource PowerSource { get; set; }

        /// <inheritdoc/>
        protected override void ProcessRecord()
        {
            if (!ShouldProcess($"the default plan for {PowerSource}", "Clear the record"))
            {
                return;
            }
            try
            {
                if (!PlanCatalog.Face.ClearDefault(PowerSource))
                {
                    WriteVerbose($"No default plan was recorded for {PowerSource}.");
                }
            }
            catch (RegistryAccessException error)
            {
                WriteError(new ErrorRecord(error, "DefaultRefused", ErrorCategory.PermissionDenied, PowerSource));
            }
        }
    }

    /// <summary>The power mode for one power source.</summary>
    public sealed class PowerModeSetting
    {
        internal PowerModeSetting(PowerSource powerSource, PowerMode? mode)
        {
            PowerSource = powerSource;
            Mode = mode;
        }

        /// <summary>AC or DC.</summary>
        public PowerSource PowerSource { get; }

        /// <summary>The mode; <c>null</c> for one that is none of the three.</summary>
        public PowerMode? Mode { get; }
    }

    /// <summary>
    /// <para type="synopsis">Gets the power mode (Windows 11) for each power source.</para>
    /// </summary>
    [Cmdlet(VerbsCommon.Get, "PowerMode")]
    [OutputType(typeof(PowerModeSetting))]
    public sealed class GetPowerModeCommand : PlanCmdlet
    {
        /// <summary>AC (mains) or DC (battery); both when left out.</summary>
        [Parameter(Position = 0)]
        [ValidateSet("AC", "DC")]
        public PowerSource? PowerSource { get; set; }

        /// <inheritdoc/>
        protected override void EndProcessing()
        {
            foreach (PowerSource source in Sources(PowerSource))
            {
                if (!ModeCall(this, () => WriteObject(new PowerModeSetting(source, PlanCatalog.Face.GetPowerMode(source))), source))
                {
                    return;
                }
            }
        }

        // Runs a power-mode call, writing what stopped it as an error; false when it was stopped.
        internal static bool ModeCall(PSCmdlet cmdlet, Action call, PowerSource source)
        {
            try
            {
                call();
                return true;
            }
            catch (PlatformNotSupportedException error)
            {
                cmdlet.WriteError(new ErrorRecord(error, "PowerModesUnsupported", ErrorCategory.NotImplemented, source));
            }
            catch (InvalidOperationException error)
            {
                cmdlet.WriteError(new ErrorRecord(error, "PowerModeNotApplicable", ErrorCategory.InvalidOperation, source));
            }
            catch (PlatformException error)
            {
                cmdlet.WriteError(new ErrorRecord(error, "PowerModeRefused", ErrorCategory.WriteError, source));
            }
            return false;
        }
    }

    /// <summary>
    /// <para type="synopsis">Sets the power mode (Windows 11) for a power source.</para>
    /// </summary>
    [Cmdlet(VerbsCommon.Set, "PowerMode", SupportsShouldProcess = true)]
    public sealed class SetPowerModeCommand : PlanCmdlet
    {
        /// <summary>AC (mains), DC (battery) or Both; also from pipeline input's PowerSource.</summary>
        [Parameter(Mandatory = true, Position = 0, ValueFromPipelineByPropertyName = true)]
        [ValidateSet("AC", "DC", "Both")]
        public string PowerSource { get; set; } = string.Empty;

        /// <summary>BestPowerEfficiency, Balanced or BestPerformance.</summary>
        [Parameter(Mandatory = true, Position = 1, ValueFromPipelineByPropertyName = true)]
        public PowerMode Mode { get; set; }

        /// <inheritdoc/>
        protected override void ProcessRecord()
        {
            foreach (PowerSource source in Sources(PowerSource))
            {
                if (ShouldProcess($"the power mode on {source}", $"Set it to {Mode}") &&
                    !GetPowerModeCommand.ModeCall(this, () => PlanCatalog.Face.SetPowerMode(source, Mode), source))
                {
                    return;
                }
            }
        }
    }
}
