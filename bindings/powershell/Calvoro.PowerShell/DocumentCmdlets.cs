using System;
using System.Collections.Generic;
using System.IO;
using System.Linq;
using System.Management.Automation;
using System.Text;

namespace Calvoro.PowerShell
{
    /// <summary>
    /// <para type="synopsis">Writes power plans to a JSON document.</para>
    /// <para type="description">The document is the one that `calvoro export` writes: each
    /// plan's identifier, name, description and every setting, hidden ones included.
    /// Import-PowerPlan and `calvoro import` read it back, on this machine or another.</para>
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
            string document;
            try
            {
                document = PlanDocument.Export(plans.Select(plan => plan.Id).ToArray());
            }
            catch (Exception error) when (error is ArgumentException || error is PlatformException)
            {
                ThrowTerminatingError(new ErrorRecord(error, "PlanNotWritable", ErrorCategory.InvalidData, path));
                return;
            }
            try
            {
                File.WriteAllText(path, document, new UTF8Encoding(false));
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
    /// wrote (either version) and checks all of it before it changes anything: a value the
    /// setting does not take, or a setting this machine does not have, stops the import and
    /// names its place. With -SkipUnknown such a setting is skipped, with a warning. Then it
    /// changes each setting, name and description that differs. A change the platform
    /// refuses is an error, and the others are still made.</para>
    /// </summary>
    [Cmdlet(VerbsData.Import, "PowerPlan", SupportsShouldProcess = true)]
    [OutputType(typeof(PowerPlan))]
    public sealed class ImportPowerPlanCommand : PlanCmdlet
    {
        /// <summary>The document to read.</summary>
        [Parameter(Mandatory = true, Position = 0)]
        [ValidateNotNullOrEmpty]
        public string Path { get; set; } = string.Empty;

        /// <summary>Skips the settings that this machine does not have, rather than refuse the document.</summary>
        [Parameter]
        public SwitchParameter SkipUnknown { get; set; }

        /// <summary>Makes each plan of the document that is not installed, as a copy of
        /// Balanced under the document's identifier, name and description, before anything
        /// else; when one cannot be made, nothing else is changed.</summary>
        [Parameter]
        public SwitchParameter Create { get; set; }

        /// <summary>Writes the plans that it changed, as they are afterwards.</summary>
        [Parameter]
        public SwitchParameter PassThru { get; set; }

        /// <inheritdoc/>
        protected override void EndProcessing()
        {
            string path = SessionState.Path.GetUnresolvedProviderPathFromPSPath(Path);
            PlanDocument document;
            try
            {
                document = PlanDocument.Read(ReadAll(path), SkipUnknown, Create);
            }
            catch (DocumentException error)
            {
                ThrowTerminatingError(new ErrorRecord(new DocumentException($"{path}: {error.Message}"),
                    "DocumentNotValid", ErrorCategory.InvalidData, path));
                return;
            }
            using (document)
            {
                PlanCatalog catalog = PlanCatalog.Read();
                var creations = new List<PlanChange>();
                var changes = new List<PlanChange>();
                var made = new Dictionary<Guid, PowerPlan>();
                foreach (DocumentChange change in document.Changes)
                {
                    if (change.Kind == DocumentChangeKind.Skipped)
                    {
                        WriteWarning($"Skipped {change.Key}: this machine has no such setting.");
                    }
                    else if (change.Kind == DocumentChangeKind.Create)
                    {
                        var plan = new PowerPlan(change.Plan, change.Name, new uint[6]);
                        made[plan.Id] = plan;
                        creations.Add(new PlanChange(plan, $"Create it as a copy of {change.CopyOf}", () => document.Apply(change)));
                    }
                    else if ((catalog.ById(change.Plan) ?? (made.TryGetValue(change.Plan, out PowerPlan? copy) ? copy : null)) is PowerPlan plan)
                    {
                        string action = change.Kind == DocumentChangeKind.Name
                            ? $"Rename to \"{change.Name}\" with the description \"{change.Description}\""
                            : $"Set {change.Label} from {change.FromText} to {change.ToText}";
                        changes.Add(new PlanChange(plan, action, () => document.Apply(change)));
                    }
                }
                if (creations.Count + changes.Count == 0)
                {
                    WriteVerbose($"Nothing to change: the plans are as {path} has them.");
                }
                // A plan that could not be made leaves the document's other changes unmade.
                if (Apply(creations).Count < creations.Count && !MyInvocation.BoundParameters.ContainsKey("WhatIf"))
                {
                    return;
                }
                HashSet<Guid> changed = Apply(changes);
                foreach (Guid plan in changes.Select(change => change.Plan.Id).Distinct().Where(changed.Contains))
                {
                    if (PassThru)
                    {
                        WritePlan(plan);
                    }
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
