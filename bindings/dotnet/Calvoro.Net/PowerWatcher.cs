using System;
using System.Runtime.InteropServices;

namespace Calvoro
{
    /// <summary>What the watcher did about one decision.</summary>
    public enum WatchAction
    {
        /// <summary>It applied the plan.</summary>
        Applied,
        /// <summary>The plan was already active.</summary>
        AlreadyActive,
        /// <summary>The person applied the plan, which stays until the source changes.</summary>
        KeptManual,
        /// <summary>No plan is recorded for the source, or the source is unknown.</summary>
        NoneRecorded,
        /// <summary>The recorded plan is not installed.</summary>
        NotInstalled,
        /// <summary>The platform refused to apply the plan.</summary>
        Refused,
        /// <summary>Group Policy sets the active plan; the plan was not applied.</summary>
        Policy,
        /// <summary>The watcher stopped: its last decision.</summary>
        Stopped,
        /// <summary>The registry refused access to the record of the source.</summary>
        RecordRefused,
    }

    /// <summary>What made the watcher decide.</summary>
    public enum WatchTrigger
    {
        /// <summary>The watcher started.</summary>
        Start,
        /// <summary>The source changed and stayed so for the debounce time.</summary>
        SourceChange,
        /// <summary>The machine woke from sleep, the debounce time ago.</summary>
        Resume,
        /// <summary>Someone else applied a plan.</summary>
        PlanChange,
        /// <summary>The watcher was stopped.</summary>
        Stop,
    }

    /// <summary>One decision of the watcher.</summary>
    public sealed class WatchDecision : EventArgs
    {
        internal unsafe WatchDecision(NativeMethods.WatchDecisionRecord* record)
        {
            Time = DateTimeOffset.FromUnixTimeMilliseconds(record->Time);
            Trigger = (WatchTrigger)record->Trigger;
            Source = (PowerSource)record->Source;
            Plan = record->HasPlan != 0 ? record->Plan : (Guid?)null;
            Action = (WatchAction)record->Action;
        }

        /// <summary>When it was made.</summary>
        public DateTimeOffset Time { get; }

        /// <summary>What made the watcher decide.</summary>
        public WatchTrigger Trigger { get; }

        /// <summary>The source as read: a UPS is <see cref="PowerSource.ShortTerm"/>, which
        /// counts as DC.</summary>
        public PowerSource Source { get; }

        /// <summary>The plan decided about; <c>null</c> when none is recorded.</summary>
        public Guid? Plan { get; }

        /// <summary>What the watcher did.</summary>
        public WatchAction Action { get; }

        /// <summary>The plan that the record names for the current source, applied once when it
        /// is installed and not already active: the watcher's start decision.</summary>
        /// <returns>The decision.</returns>
        public static unsafe WatchDecision ApplyRecordedPlan()
        {
            NativeMethods.WatchDecisionRecord record;
            NativeMethods.Check(NativeMethods.C.ApplyRecordedPlan(&record));
            return new WatchDecision(&record);
        }
    }

    /// <summary>
    /// Applies the plan recorded as the default for the power source: at start, after the source
    /// has stayed changed for the debounce time, and after resume from sleep. A plan that the
    /// person applies is kept until the next change of source. <see cref="Decided"/> is raised
    /// for every decision on the watcher's own thread, one at a time; exceptions that a handler
    /// throws are dropped. PowerShell's <c>Register-ObjectEvent</c> can subscribe to it.
    /// </summary>
    public sealed class PowerWatcher : IDisposable
    {
        private readonly TimeSpan debounce;
        private WatcherHandle? handle;

        /// <summary>A watcher, not yet started.</summary>
        /// <param name="debounce">How long a changed source must stay so, and how long after a
        /// resume the plan is applied again: from zero to 49 days.</param>
        /// <exception cref="ArgumentOutOfRangeException">The time is negative or too long.</exception>
        public PowerWatcher(TimeSpan debounce)
        {
            if (debounce < TimeSpan.Zero || debounce.TotalMilliseconds > uint.MaxValue)
            {
                throw new ArgumentOutOfRangeException(nameof(debounce), debounce, "The debounce time must be from zero to 49 days.");
            }
            this.debounce = debounce;
        }

        /// <summary>Raised for every decision, the last one <see cref="WatchAction.Stopped"/>.</summary>
        public event EventHandler<WatchDecision>? Decided;

        /// <summary>Whether the watcher runs.</summary>
        public bool IsRunning => handle is { IsInvalid: false, IsClosed: false };

        /// <summary>Starts watching: makes the start decision and subscribes to the platform's
        /// notifications. Does nothing when it runs.</summary>
        /// <exception cref="ObjectDisposedException">The watcher was disposed.</exception>
        public unsafe void Start()
        {
            if (disposed)
            {
                throw new ObjectDisposedException(nameof(PowerWatcher));
            }
            if (IsRunning)
            {
                return;
            }
            var started = new WatcherHandle(Raise);
            IntPtr native;
            NativeMethods.Check(NativeMethods.C.StartWatcher((uint)debounce.TotalMilliseconds,
                Marshal.GetFunctionPointerForDelegate(started.Callback), IntPtr.Zero, &native));
            started.Own(native);
            handle = started;
        }

        /// <summary>Stops: unsubscribes, waits for a decision in flight and raises the
        /// <see cref="WatchAction.Stopped"/> decision. After it returns, no event is raised.
        /// Does nothing when the watcher does not run.</summary>
        /// <exception cref="ArgumentException">Called from inside a handler of <see cref="Decided"/>.</exception>
        public void Stop()
        {
            WatcherHandle? running = handle;
            if (running is null || running.IsClosed)
            {
                return;
            }
            running.Stop();
            handle = null;
        }

        /// <summary>Stops, as <see cref="Stop"/> does.</summary>
        public void Dispose()
        {
            Stop();
            disposed = true;
        }

        private bool disposed;

        private unsafe void Raise(NativeMethods.WatchDecisionRecord* record, IntPtr context)
        {
            try
            {
                Decided?.Invoke(this, new WatchDecision(record));
            }
            catch (Exception)
            {
            }
        }

        /// <summary>The native watcher, stopped when released; it keeps the callback alive for
        /// as long as the native side may call it.</summary>
        private sealed unsafe class WatcherHandle : SafeHandle
        {
            internal WatcherHandle(NativeMethods.WatchCallback callback) : base(IntPtr.Zero, true) => Callback = callback;

            internal NativeMethods.WatchCallback Callback { get; }

            public override bool IsInvalid => handle == IntPtr.Zero;

            internal void Own(IntPtr native) => SetHandle(native);

            // Stops now, with the native status turned into an exception, and then releases.
            internal void Stop()
            {
                NativeMethods.Check(NativeMethods.C.StopWatcher(handle));
                SetHandleAsInvalid();
            }

            protected override bool ReleaseHandle() => NativeMethods.C.StopWatcher(handle) == NativeMethods.Ok;
        }
    }
}
