using System;
using System.Collections.Generic;
using System.IO;
using System.Linq;
using System.Management.Automation;

namespace Calvoro.PowerShell
{
    /// <summary>
    /// <para type="synopsis">Writes power plans to a JSON document.</para>
    /// <para type="description">The document is the one that `calvoro export` writes: each
    /// plan's identifier, name, description and six timeouts. Import-PowerPlan and `calvoro
    /// import` read it back, on this machine or another.</para>
    /// </summary>
    [Cmdlet(VerbsData.Export, "PowerPlan", SupportsShouldProcess = true)]
    public sealed class ExportPowerPlanCommand : PlanCmdlet
    {
        /// <summary>The plans to write, as Get-PowerPlan -Name selects them; every plan when
        /// left out.</summary>
        [Parameter(Position = 0)]
        [ArgumentCompleter(typeof(PlanNameCompleter))]
        [ValidateNotNullOrEmpty]
        public string[]? Name { get; set; }

        /// <summary>The file to write.</summary>
        [Parameter(Mandatory = true)]
        [ValidateNotNullOrEmpty]
        public string Path { get; set; } = string.Empty;

        /// <inheritdoc/>
        protected override void EndProcessing()
        {
            PlanCatalog catalog = PlanCatalog.Read();
            bool missing = false;
            List<PowerPlan> plans = Name == null
                ? catalog.Plans.ToList()
                : catalog.Select(Name, error =>
                {
                    missing = true;
                    WriteNotFound(error, Name);
                });
            string path = SessionState.Path.GetUnresolvedProviderPathFromPSPath(Path);
            if (missing || !ShouldProcess(path, $"Write {plans.Count} power plan(s)"))
            {
                return;
            }
            byte[] document;
            try
            {
                document = PlanDocument.Write(plans.Select(PlanDocument.Entry));
            }
            catch (DocumentException error)
            {
                ThrowTerminatingError(new ErrorRecord(error, "PlanNotWritable", ErrorCategory.InvalidData, path));
                return;
            }
            try
            {
                File.WriteAllBytes(path, document);
            }
            catch (Exception error) when (error is IOException || error is UnauthorizedAccessException)
            {
                ThrowTerminatingError(new ErrorRecord(error, "DocumentNotWritten", ErrorCategory.WriteError, path));
            }
        }
    }

    /// <summary>
    /// <para type="synopsis">Changes the installed plans as a JSON document has them.</para>
    /// <para type="description">Reads a document that Export-PowerPlan or `calvoro export`
    /// wrote and checks all of it before it changes anything: a fault stops the import and
    /// names its place. Then it changes each timeout, name and description that differs. A
    /// change the platform refuses is an error, and the others are still made.</para>
    /// </summary>
    [Cmdlet(VerbsData.Import, "PowerPlan", SupportsShouldProcess = true)]
    [OutputType(typeof(PowerPlan))]
    public sealed class ImportPowerPlanCommand : PlanCmdlet
    {
        /// <summary>The document to read.</summary>
        [Parameter(Mandatory = true, Position = 0)]
        [ValidateNotNullOrEmpty]
        public string Path { get; set; } = string.Empty;

        /// <summary>Writes the plans of the document as they are afterwards.</summary>
        [Parameter]
        public SwitchParameter PassThru { get; set; }

        /// <inheritdoc/>
        protected override void EndProcessing()
        {
            string path = SessionState.Path.GetUnresolvedProviderPathFromPSPath(Path);
            PlanCatalog catalog = PlanCatalog.Read();
            List<PlanEntry> entries;
            try
            {
                entries = PlanDocument.Read(ReadAll(path), catalog.Plans);
            }
            catch (DocumentException error)
            {
                ThrowTerminatingError(new ErrorRecord(new DocumentException($"{path}: {error.Message}"),
                    "DocumentNotValid", ErrorCategory.InvalidData, path));
                return;
            }

            // Every change, known before the first is made.
            var changes = new List<PlanChange>();
            foreach (PlanEntry entry in entries)
            {
                PowerPlan plan = catalog.ById(entry.Id)!;
                for (int i = 0; i < PlanDocument.Timeouts.Length; i++)
                {
                    var (setting, source, _, _) = PlanDocument.Timeouts[i];
                    if (entry.Minutes[i] is uint wanted && wanted != plan.Timeout(setting, source))
                    {
                        changes.Add(PlanChange.Timeout(plan, setting, source, wanted));
                    }
                }
                if (entry.Name != null && entry.Description != null &&
                    (entry.Name != plan.Name || entry.Description != PlanCatalog.Face.GetDescription(plan.Id)))
                {
                    changes.Add(PlanChange.Rename(plan, entry.Name, entry.Description));
                }
            }
            if (changes.Count == 0)
            {
                WriteVerbose($"Nothing to change: the plans are as {path} has them.");
            }
            Apply(changes);
            if (PassThru)
            {
                foreach (PlanEntry entry in entries)
                {
                    WritePlan(entry.Id);
                }
            }
        }

        private byte[] ReadAll(string path)
        {
            if (Directory.Exists(path))
            {
                ThrowTerminatingError(new ErrorRecord(new ArgumentException($"{path} is a folder, not a document."),
                    "DocumentIsFolder", ErrorCategory.InvalidArgument, path));
            }
            try
            {
                return File.ReadAllBytes(path);
            }
            catch (Exception error) when (error is FileNotFoundException || error is DirectoryNotFoundException)
            {
                ThrowTerminatingError(new ErrorRecord(error, "DocumentNotFound", ErrorCategory.ObjectNotFound, path));
            }
            catch (Exception error) when (error is IOException || error is UnauthorizedAccessException)
            {
                ThrowTerminatingError(new ErrorRecord(error, "DocumentNotReadable", ErrorCategory.ReadError, path));
            }
            return Array.Empty<byte>();
        }
    }
}
