using System;
using System.Collections.Generic;
using System.Runtime.InteropServices;
using System.Text;

namespace Calvoro
{
    /// <summary>What a change of a document is.</summary>
    public enum DocumentChangeKind
    {
        /// <summary>A setting's value for AC or DC.</summary>
        Setting,
        /// <summary>The plan's name, with its description.</summary>
        Name,
        /// <summary>A setting that this machine does not have, skipped.</summary>
        Skipped,
        /// <summary>A plan that is not installed, made as a copy of <see cref="DocumentChange.CopyOf"/>
        /// under the document's identifier, name and description.</summary>
        Create,
    }

    /// <summary>One change that a document asks of this machine, as the native library read it.</summary>
    public sealed class DocumentChange
    {
        internal DocumentChange(int position, DocumentChangeKind kind, Guid plan, string? planName, Guid subgroup,
                                Guid setting, PowerSource source, uint from, uint to, string key, string label,
                                string fromText, string toText, string name, string description, Guid copyOf)
        {
            CopyOf = copyOf;
            Position = position;
            Kind = kind;
            Plan = plan;
            PlanName = planName;
            Subgroup = subgroup;
            Setting = setting;
            Source = source;
            From = from;
            To = to;
            Key = key;
            Label = label;
            FromText = fromText;
            ToText = toText;
            Name = name;
            Description = description;
        }

        internal int Position { get; }

        /// <summary>Create: the plan copied.</summary>
        public Guid CopyOf { get; }
        /// <summary>A setting's value, a name, a skipped setting, or a plan made.</summary>
        public DocumentChangeKind Kind { get; }
        /// <summary>The plan changed.</summary>
        public Guid Plan { get; }
        /// <summary>The plan's name now; <c>null</c> when it has none.</summary>
        public string? PlanName { get; }
        /// <summary>A setting's subgroup.</summary>
        public Guid Subgroup { get; }
        /// <summary>A setting's identifier.</summary>
        public Guid Setting { get; }
        /// <summary>A setting's power source: AC or DC.</summary>
        public PowerSource Source { get; }
        /// <summary>The value now, as the document speaks (minutes for a version 1 timeout).</summary>
        public uint From { get; }
        /// <summary>The value asked for.</summary>
        public uint To { get; }
        /// <summary>How reports name it: "PROCTHROTTLEMAX.dc", "sleep.ac", "name"; a skipped
        /// setting's place in the document.</summary>
        public string Key { get; }
        /// <summary>For a person: "Maximum processor state (PROCTHROTTLEMAX) on DC".</summary>
        public string Label { get; }
        /// <summary>For a person: "100 %", "15 min", a name in quotes.</summary>
        public string FromText { get; }
        /// <summary>For a person: the value or name asked for.</summary>
        public string ToText { get; }
        /// <summary>A name change's new name.</summary>
        public string Name { get; }
        /// <summary>A name change's new description.</summary>
        public string Description { get; }

        /// <inheritdoc/>
        public override string ToString() => $"{PlanName ?? "(no name)"} ({Plan}): {Label} {FromText} becomes {ToText}";
    }

    /// <summary>What a document asks of this machine, read and checked whole by the native
    /// library, which holds it until this is disposed; apply the changes one by one.</summary>
    public sealed class PlanDocument : IDisposable
    {
        private readonly DocumentHandle handle;

        private PlanDocument(DocumentHandle handle, IReadOnlyList<DocumentChange> changes)
        {
            this.handle = handle;
            Changes = changes;
        }

        /// <summary>The changes, in the document's order.</summary>
        public IReadOnlyList<DocumentChange> Changes { get; }

        /// <summary>The installed plans as a document (every plan when none is given): names,
        /// descriptions and every setting, hidden ones included.</summary>
        /// <param name="plans">The plans' identifiers.</param>
        /// <returns>The document's text.</returns>
        /// <exception cref="ArgumentException">A plan is not installed.</exception>
        public static unsafe string Export(params Guid[] plans)
        {
            plans ??= Array.Empty<Guid>();
            uint length;
            fixed (Guid* ids = plans)
            {
                NativeMethods.Check(NativeMethods.C.ExportPlans(ids, (uint)plans.Length, null, 0, &length));
                byte[] text = new byte[length + 1];
                fixed (byte* bytes = text)
                {
                    NativeMethods.Check(NativeMethods.C.ExportPlans(ids, (uint)plans.Length, bytes, (uint)text.Length, &length));
                }
                return Encoding.UTF8.GetString(text, 0, (int)length);
            }
        }

        /// <summary>Reads a document and checks all of it against this machine; reads only.</summary>
        /// <param name="document">The document's text.</param>
        /// <param name="skipUnknown">Skip the settings this machine does not have, rather than refuse the document.</param>
        /// <param name="create">Make the plans that are not installed (Create changes, first), rather than refuse the document.</param>
        /// <returns>What it asks for.</returns>
        /// <exception cref="DocumentException">It cannot be imported; the message names the place.</exception>
        public static PlanDocument Read(string document, bool skipUnknown = false, bool create = false) =>
            Read(Encoding.UTF8.GetBytes(document ?? throw new ArgumentNullException(nameof(document))), skipUnknown, create);

        /// <summary>Reads a document as a file holds it, in UTF-8 (text that is not UTF-8 is
        /// refused), and checks all of it against this machine; reads only.</summary>
        /// <param name="document">The document's bytes.</param>
        /// <param name="skipUnknown">Skip the settings this machine does not have, rather than refuse the document.</param>
        /// <param name="create">Make the plans that are not installed (Create changes, first), rather than refuse the document.</param>
        /// <returns>What it asks for.</returns>
        /// <exception cref="DocumentException">It cannot be imported; the message names the place.</exception>
        public static unsafe PlanDocument Read(byte[] document, bool skipUnknown = false, bool create = false)
        {
            byte[] text = document ?? throw new ArgumentNullException(nameof(document));
            IntPtr opened;
            fixed (byte* bytes = text)
            {
                NativeMethods.Check(NativeMethods.C.ReadDocument(bytes, (uint)text.Length, (skipUnknown ? 1 : 0) | (create ? 2 : 0), &opened));
            }
            IntPtr read = opened;
            var handle = new DocumentHandle(read);
            var changes = new List<DocumentChange>();
            try
            {
                uint count;
                NativeMethods.Check(NativeMethods.C.DocumentCount(read, &count));
                for (uint position = 0; position < count; position++)
                {
                    NativeMethods.DocumentChangeRecord record;
                    NativeMethods.Check(NativeMethods.C.DocumentChange(read, position, &record));
                    string Text(int which) => NativeMethods.ReadText((units, capacity, length) =>
                        NativeMethods.C.DocumentText(read, position, which, units, capacity, length));
                    string planName = Text(NativeMethods.ChangeTextPlanName);
                    changes.Add(new DocumentChange((int)position, (DocumentChangeKind)record.Kind, record.Plan,
                        planName.Length > 0 ? planName : null, record.Subgroup, record.Setting,
                        record.OnAC != 0 ? PowerSource.AC : PowerSource.DC, record.From, record.To,
                        Text(NativeMethods.ChangeTextKey), Text(NativeMethods.ChangeTextLabel),
                        Text(NativeMethods.ChangeTextFrom), Text(NativeMethods.ChangeTextTo),
                        Text(NativeMethods.ChangeTextName), Text(NativeMethods.ChangeTextDescription), record.Source));
                }
            }
            catch
            {
                handle.Dispose();
                throw;
            }
            return new PlanDocument(handle, changes);
        }

        /// <summary>Makes one of <see cref="Changes"/>: a setting through the same path as
        /// <see cref="PowerSettings.Write(Guid, Guid, Guid, PowerSource, uint)"/>, a name with
        /// its description.</summary>
        /// <param name="change">The change.</param>
        /// <returns>Whether the active plan was applied again.</returns>
        /// <exception cref="PlatformRefusedException">The platform refused.</exception>
        /// <exception cref="PinnedByPolicyException">Group Policy sets the setting.</exception>
        /// <exception cref="SettingNotFoundException">A skipped setting: nothing is written.</exception>
        public unsafe SettingChange Apply(DocumentChange change)
        {
            if (change is null)
            {
                throw new ArgumentNullException(nameof(change));
            }
            NativeMethods.SettingResultRecord result;
            bool added = false;
            try
            {
                handle.DangerousAddRef(ref added);
                NativeMethods.Check(NativeMethods.C.ApplyDocumentChange(handle.DangerousGetHandle(), (uint)change.Position, &result));
            }
            finally
            {
                if (added)
                {
                    handle.DangerousRelease();
                }
            }
            return PowerSettings.Changed(result, change.ToString());
        }

        /// <summary>Releases what the native library holds.</summary>
        public void Dispose() => handle.Dispose();

        private sealed class DocumentHandle : SafeHandle
        {
            internal DocumentHandle(IntPtr read) : base(IntPtr.Zero, true) => SetHandle(read);

            public override bool IsInvalid => handle == IntPtr.Zero;

            protected override unsafe bool ReleaseHandle() => NativeMethods.C.FreeDocument(handle) == NativeMethods.Ok;
        }
    }
}
