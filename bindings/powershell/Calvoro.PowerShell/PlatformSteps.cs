using System;
using System.Linq;
using System.Runtime.InteropServices;

namespace Calvoro.PowerShell
{
    /// <summary>
    /// What the module reads and does beside <see cref="PowerClass"/>, which never touches
    /// these: the active plan, applying a plan, and a plan's description. On Windows they are
    /// the power API's own calls; on the simulated machine, its controls. Which of the two
    /// answers is the loader's choice of native library, so the module never mixes them.
    /// </summary>
    internal static class PlatformSteps
    {
        /// <summary>Whether the process runs on the simulated machine.</summary>
        internal static bool Simulated => NativeLibraryLoader.Library.Flavor == LibraryFlavor.Simulated;

        /// <summary>The plan the platform applies now; <c>null</c> when it cannot tell.</summary>
        internal static Guid? ActivePlan() => Simulated ? Simulation.ActivePlan : WindowsPower.ActivePlan();

        /// <summary>Applies <paramref name="plan"/>, as Windows' own tool does.</summary>
        /// <returns><c>false</c> when the platform refuses.</returns>
        internal static bool ApplyPlan(Guid plan) => Simulated ? Simulation.SetActivePlan(plan) : WindowsPower.Apply(plan);

        /// <summary>The plan's description; <c>null</c> when the platform cannot tell it.</summary>
        internal static string? ReadDescription(Guid plan) =>
            Simulated
                ? Simulation.Plans().FirstOrDefault(stored => stored.Id == plan)?.Description
                : WindowsPower.ReadDescription(plan);
    }

    /// <summary>Windows' power API for the three steps (powrprof.dll, as documented).</summary>
    internal static class WindowsPower
    {
        private const uint ErrorSuccess = 0;

        internal static Guid? ActivePlan()
        {
            uint status = PowerGetActiveScheme(IntPtr.Zero, out LocalMemory active);
            using (active)
            {
                if (status != ErrorSuccess || active.IsInvalid)
                {
                    return null;
                }
                return Marshal.PtrToStructure<Guid>(active.DangerousGetHandle());
            }
        }

        internal static bool Apply(Guid plan) => PowerSetActiveScheme(IntPtr.Zero, ref plan) == ErrorSuccess;

        internal static string? ReadDescription(Guid plan)
        {
            uint size = 0;
            if (PowerReadDescription(IntPtr.Zero, ref plan, IntPtr.Zero, IntPtr.Zero, null, ref size) != ErrorSuccess)
            {
                return null;
            }
            // The size is in bytes and counts the terminating NUL; room for one more in case.
            var buffer = new byte[size + sizeof(char)];
            uint capacity = (uint)buffer.Length;
            if (PowerReadDescription(IntPtr.Zero, ref plan, IntPtr.Zero, IntPtr.Zero, buffer, ref capacity) != ErrorSuccess)
            {
                return null;
            }
            string text = System.Text.Encoding.Unicode.GetString(buffer);
            int end = text.IndexOf('\0');
            return end < 0 ? text : text.Substring(0, end);
        }

        /// <summary>Memory that Windows hands out with LocalAlloc, released with LocalFree.</summary>
        private sealed class LocalMemory : SafeHandle
        {
            public LocalMemory() : base(IntPtr.Zero, ownsHandle: true) { }

            public override bool IsInvalid => handle == IntPtr.Zero;

            protected override bool ReleaseHandle() => LocalFree(handle) == IntPtr.Zero;
        }

        [DllImport("powrprof.dll", ExactSpelling = true)]
        private static extern uint PowerGetActiveScheme(IntPtr userRootPowerKey, out LocalMemory activePolicyGuid);

        [DllImport("powrprof.dll", ExactSpelling = true)]
        private static extern uint PowerSetActiveScheme(IntPtr userRootPowerKey, ref Guid schemeGuid);

        [DllImport("powrprof.dll", ExactSpelling = true)]
        private static extern uint PowerReadDescription(IntPtr rootPowerKey, ref Guid schemeGuid,
            IntPtr subGroupOfPowerSettingsGuid, IntPtr powerSettingGuid, byte[]? buffer, ref uint bufferSize);

        [DllImport("kernel32.dll", ExactSpelling = true)]
        private static extern IntPtr LocalFree(IntPtr memory);
    }
}
