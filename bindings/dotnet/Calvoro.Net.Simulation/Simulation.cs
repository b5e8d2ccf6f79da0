using System;
using System.Collections.Generic;
using System.Runtime.InteropServices;
using System.Text;

namespace Calvoro
{
    /// <summary>
    /// The simulated platform: an in-memory machine that answers as Windows' power plans do,
    /// for an application's tests on any system. Call <see cref="Use"/> (or any other member)
    /// before the first call of <see cref="PowerClass"/>, put the machine into a known state,
    /// then use <see cref="PowerClass"/> as usual. There is one machine per process, safe to
    /// use from many threads.
    /// </summary>
    /// <remarks>On systems other than Windows the simulated machine is the only platform, and
    /// <see cref="PowerClass"/> uses it without being asked. On Windows the real power plans
    /// serve unless the simulation is asked for first (or CALVORO_SIMULATION=1 is set); once the
    /// process has used the real platform, every member here throws
    /// <see cref="InvalidOperationException"/> rather than mix the two.</remarks>
    public static unsafe class Simulation
    {
        /// <summary>The platform operations whose answers can be forced; the values are the C
        /// interface's CALVORO_SIM_... constants.</summary>
        public enum Operation
        {
            /// <summary>Listing plans.</summary>
            PowerEnumerate = 0,
            /// <summary>Reading a name (both the size query and the read).</summary>
            PowerReadFriendlyName = 1,
            /// <summary>Writing a name.</summary>
            PowerWriteFriendlyName = 2,
            /// <summary>Writing a description.</summary>
            PowerWriteDescription = 3,
            /// <summary>Reading a timeout for mains power.</summary>
            PowerReadACValueIndex = 4,
            /// <summary>Reading a timeout for battery.</summary>
            PowerReadDCValueIndex = 5,
            /// <summary>Writing a timeout for mains power.</summary>
            PowerWriteACValueIndex = 6,
            /// <summary>Writing a timeout for battery.</summary>
            PowerWriteDCValueIndex = 7,
            /// <summary>The name buffer's allocation: any injected status makes it fail.</summary>
            LocalAlloc = 8,
            /// <summary>Reading the active plan.</summary>
            PowerGetActiveScheme = 9,
            /// <summary>Applying a plan.</summary>
            PowerSetActiveScheme = 10,
            /// <summary>Reading a description.</summary>
            PowerReadDescription = 11,
            /// <summary>Reading the power source and the machine's capabilities (an NTSTATUS).</summary>
            CallNtPowerInformation = 12,
            /// <summary>Reading a power mode; 127 means the platform has none.</summary>
            PowerGetUserConfiguredPowerMode = 13,
            /// <summary>Setting a power mode; 50 means it does not apply to the active plan.</summary>
            PowerSetUserConfiguredPowerMode = 14,
            /// <summary>Asking whether policy sets the active plan; 1260 means it does.</summary>
            PowerSettingAccessCheckEx = 15,
        }

        /// <summary>The three timeouts of a plan.</summary>
        public enum Timeout
        {
            /// <summary>Sleep (standby).</summary>
            Sleep = 0,
            /// <summary>Hibernation.</summary>
            Hibernate = 1,
            /// <summary>Display off.</summary>
            Display = 2,
        }

        /// <summary>How often an injected fault fires.</summary>
        public enum Repeat
        {
            /// <summary>On one call of the operation only.</summary>
            Once = 0,
            /// <summary>On every call from then on, until <see cref="ClearFaults"/>.</summary>
            Always = 1,
        }

        /// <summary>A timeout's stored seconds for mains power and battery.</summary>
        [StructLayout(LayoutKind.Sequential)]
        public struct TimeoutSeconds
        {
            /// <summary>Seconds on mains power.</summary>
            public uint Ac;
            /// <summary>Seconds on battery.</summary>
            public uint Dc;

            /// <summary>Both values.</summary>
            /// <param name="ac">Seconds on mains power.</param>
            /// <param name="dc">Seconds on battery.</param>
            public TimeoutSeconds(uint ac, uint dc)
            {
                Ac = ac;
                Dc = dc;
            }
        }

        /// <summary>One power plan as the machine stores it.</summary>
        public sealed class Plan
        {
            /// <summary>The plan's identifier.</summary>
            public Guid Id { get; set; }
            /// <summary>Its name.</summary>
            public string Name { get; set; } = string.Empty;
            /// <summary>Its description.</summary>
            public string Description { get; set; } = string.Empty;
            /// <summary>Its sleep timeout.</summary>
            public TimeoutSeconds Sleep { get; set; }
            /// <summary>Its hibernation timeout.</summary>
            public TimeoutSeconds Hibernate { get; set; }
            /// <summary>Its display-off timeout.</summary>
            public TimeoutSeconds Display { get; set; }
        }

        /// <summary>The kinds of registry value.</summary>
        public enum RegistryValueKind
        {
            /// <summary>A string (REG_SZ).</summary>
            String = 0,
            /// <summary>A number (REG_DWORD).</summary>
            Number = 1,
            /// <summary>Binary data (REG_BINARY).</summary>
            Binary = 2,
        }

        /// <summary>One registry value.</summary>
        public sealed class RegistryValue
        {
            private RegistryValue(RegistryValueKind kind, string text, uint number, byte[] bytes)
            {
                Kind = kind;
                Text = text;
                Number = number;
                Bytes = bytes;
            }

            /// <summary>What kind of value it is.</summary>
            public RegistryValueKind Kind { get; }
            /// <summary>A string value's text; empty for other kinds.</summary>
            public string Text { get; }
            /// <summary>A number value; 0 for other kinds.</summary>
            public uint Number { get; }
            /// <summary>A binary value's bytes; empty for other kinds.</summary>
            public byte[] Bytes { get; }

            /// <summary>A string value.</summary>
            /// <param name="text">Its text.</param>
            /// <returns>The value.</returns>
            public static RegistryValue String(string text) =>
                new RegistryValue(RegistryValueKind.String, text ?? throw new ArgumentNullException(nameof(text)), 0, Array.Empty<byte>());

            /// <summary>A number value.</summary>
            /// <param name="number">Its number.</param>
            /// <returns>The value.</returns>
            public static RegistryValue FromNumber(uint number) =>
                new RegistryValue(RegistryValueKind.Number, string.Empty, number, Array.Empty<byte>());

            /// <summary>A binary value.</summary>
            /// <param name="bytes">Its bytes.</param>
            /// <returns>The value.</returns>
            public static RegistryValue Binary(byte[] bytes) =>
                new RegistryValue(RegistryValueKind.Binary, string.Empty, 0, (byte[])(bytes ?? throw new ArgumentNullException(nameof(bytes))).Clone());
        }

        /// <summary>Counts of handed-out blocks, or of opened registry keys.</summary>
        public readonly struct Counts
        {
            internal Counts(ulong total, ulong outstanding)
            {
                Total = total;
                Outstanding = outstanding;
            }

            /// <summary>How many were handed out (blocks made, keys opened) so far.</summary>
            public ulong Total { get; }
            /// <summary>How many of them are not yet released (blocks live, keys open).</summary>
            public ulong Outstanding { get; }
        }

        /// <summary>The machine's stored state (plans and registry), taken by
        /// <see cref="Snapshot"/>. Dispose of it when done.</summary>
        public sealed class MachineSnapshot : SafeHandle
        {
            internal MachineSnapshot() : base(IntPtr.Zero, ownsHandle: true) { }

            internal void Take(IntPtr state) => SetHandle(state);

            /// <inheritdoc />
            public override bool IsInvalid => handle == IntPtr.Zero;

            /// <inheritdoc />
            protected override bool ReleaseHandle()
            {
                SimulationMethods.Sim.FreeState(handle);
                return true;
            }
        }

        /// <summary>The key whose "AC" and "DC" values
        /// <see cref="PowerClass.GetDefaultPlaneGUID"/> reads.</summary>
        public const string DefaultPlanKey = @"Software\Quandrel\Zephlo\PowerPolicies\DEV_DEFAULT_PLANE";

        /// <summary>Makes this process use the simulated machine: one line before the first call
        /// of <see cref="PowerClass"/>. Every other member does the same on its first use.</summary>
        /// <exception cref="InvalidOperationException">The process already uses the real
        /// platform.</exception>
        public static void Use() => Call(() => NativeMethods.Ok);

        /// <summary>Back to the seeded machine: Balanced, High performance and Power saver, in
        /// that order, with their usual names and timeouts; an empty registry; no faults.</summary>
        public static void Reset() => Call(() => SimulationMethods.Sim.Reset());

        /// <summary>The plans in the platform's order, read from one snapshot of the machine.</summary>
        /// <returns>A copy of each plan.</returns>
        public static IReadOnlyList<Plan> Plans()
        {
            var plans = new List<Plan>();
            using (MachineSnapshot snapshot = Snapshot())
            {
                // The snapshot is this method's own, so its handle stays valid until it is disposed.
                IntPtr state = snapshot.DangerousGetHandle();
                uint count = 0;
                NativeMethods.Check(SimulationMethods.Sim.PlanCount(state, &count));
                for (uint index = 0; index < count; index++)
                {
                    plans.Add(PlanAt(state, index));
                }
            }
            return plans;
        }

        // One plan of a snapshot: its lengths first, then its texts, which the snapshot keeps.
        private static Plan PlanAt(IntPtr state, uint index)
        {
            SimulationMethods.SimPlan values;
            uint nameLength = 0, descriptionLength = 0;
            int found;
            NativeMethods.Check(SimulationMethods.Sim.PlanAt(state, index, &values, null, 0, &nameLength, null, 0, &descriptionLength, &found));
            char[] name = new char[nameLength + 1];
            char[] description = new char[descriptionLength + 1];
            fixed (char* n = name)
            fixed (char* d = description)
            {
                NativeMethods.Check(SimulationMethods.Sim.PlanAt(state, index, &values, n, (uint)name.Length, &nameLength,
                    d, (uint)description.Length, &descriptionLength, &found));
            }
            return new Plan
            {
                Id = values.Id,
                Name = new string(name, 0, (int)nameLength),
                Description = new string(description, 0, (int)descriptionLength),
                Sleep = values.Sleep,
                Hibernate = values.Hibernate,
                Display = values.Display,
            };
        }

        /// <summary>Appends a plan.</summary>
        /// <param name="plan">The plan.</param>
        /// <returns><c>false</c>, changing nothing, when a plan with its id exists.</returns>
        public static bool AddPlan(Plan plan)
        {
            if (plan is null)
            {
                throw new ArgumentNullException(nameof(plan));
            }
            var values = new SimulationMethods.SimPlan
            {
                Id = plan.Id, Sleep = plan.Sleep, Hibernate = plan.Hibernate, Display = plan.Display,
            };
            string name = plan.Name ?? throw new ArgumentException("the plan has no name", nameof(plan));
            string description = plan.Description ?? throw new ArgumentException("the plan has no description", nameof(plan));
            int added = 0;
            Call(() =>
            {
                fixed (char* n = name)
                fixed (char* d = description)
                {
                    int result;
                    SimulationMethods.SimPlan copy = values;
                    int status = SimulationMethods.Sim.AddPlan(&copy, n, (uint)name.Length, d,
                        (uint)description.Length, &result);
                    added = result;
                    return status;
                }
            });
            return added != 0;
        }

        /// <summary>Removes a plan.</summary>
        /// <param name="id">The plan's identifier.</param>
        /// <returns><c>false</c> when there is no such plan.</returns>
        public static bool RemovePlan(Guid id) =>
            Flag((int* removed) =>
            {
                Guid copy = id;
                return SimulationMethods.Sim.RemovePlan(&copy, removed);
            });

        /// <summary>What the simulated machine runs on, and its power modes.</summary>
        public sealed class PowerState
        {
            /// <summary>AC, DC, ShortTerm (a UPS) or Unknown (CallNtPowerInformation then fails).</summary>
            public PowerSource Source { get; set; } = PowerSource.AC;

            /// <summary>Whether the machine has a battery.</summary>
            public bool BatteryPresent { get; set; } = true;

            /// <summary>Whether it is a Modern Standby machine.</summary>
            public bool ModernStandby { get; set; }

            /// <summary>The power mode's identifier on AC; balanced is the all-zero one.</summary>
            public Guid AcMode { get; set; }

            /// <summary>The power mode's identifier on DC.</summary>
            public Guid DcMode { get; set; }
        }

        /// <summary>The machine's power state: on AC, with a battery, no Modern Standby and both
        /// modes balanced when seeded. Setting it replaces the whole state.</summary>
        public static PowerState Power
        {
            get
            {
                SimulationMethods.SimPower power = default;
                Call(() =>
                {
                    SimulationMethods.SimPower read;
                    int status = SimulationMethods.Sim.GetPower(&read);
                    power = read;
                    return status;
                });
                return new PowerState
                {
                    Source = (PowerSource)power.Source,
                    BatteryPresent = power.BatteryPresent != 0,
                    ModernStandby = power.ModernStandby != 0,
                    AcMode = power.AcMode,
                    DcMode = power.DcMode,
                };
            }
            set
            {
                if (value is null)
                {
                    throw new ArgumentNullException(nameof(value));
                }
                Call(() =>
                {
                    var power = new SimulationMethods.SimPower
                    {
                        Source = (int)value.Source,
                        BatteryPresent = value.BatteryPresent ? 1 : 0,
                        ModernStandby = value.ModernStandby ? 1 : 0,
                        AcMode = value.AcMode,
                        DcMode = value.DcMode,
                    };
                    return SimulationMethods.Sim.SetPower(&power);
                });
            }
        }

        /// <summary>The stored seconds of one timeout.</summary>
        /// <param name="plan">The plan.</param>
        /// <param name="timeout">Which timeout.</param>
        /// <param name="onAC"><c>true</c> for mains power, <c>false</c> for battery.</param>
        /// <returns>The seconds, or <c>null</c> when there is no such plan.</returns>
        public static uint? ReadSeconds(Guid plan, Timeout timeout, bool onAC)
        {
            uint seconds = 0;
            bool found = Flag((int* f) =>
            {
                uint s;
                Guid copy = plan;
                int status = SimulationMethods.Sim.ReadSeconds(&copy, (int)timeout, onAC ? 1 : 0, &s, f);
                seconds = s;
                return status;
            });
            return found ? seconds : (uint?)null;
        }

        /// <summary>Stores seconds directly.</summary>
        /// <param name="plan">The plan.</param>
        /// <param name="timeout">Which timeout.</param>
        /// <param name="onAC"><c>true</c> for mains power, <c>false</c> for battery.</param>
        /// <param name="seconds">The seconds.</param>
        /// <returns><c>false</c> when there is no such plan.</returns>
        public static bool WriteSeconds(Guid plan, Timeout timeout, bool onAC, uint seconds) =>
            Flag((int* written) =>
            {
                Guid copy = plan;
                return SimulationMethods.Sim.WriteSeconds(&copy, (int)timeout, onAC ? 1 : 0, seconds, written);
            });

        /// <summary>Makes the operation return <paramref name="status"/> instead of doing its
        /// work, starting after <paramref name="callsToSkip"/> calls. Replaces any fault
        /// injected for the operation before.</summary>
        /// <param name="operation">The operation.</param>
        /// <param name="status">The Windows status it returns.</param>
        /// <param name="repeat">Once, or on every call.</param>
        /// <param name="callsToSkip">Calls that still succeed first.</param>
        public static void InjectStatus(Operation operation, uint status, Repeat repeat = Repeat.Once, uint callsToSkip = 0) =>
            Call(() => SimulationMethods.Sim.InjectStatus((int)operation, status, (int)repeat, callsToSkip));

        /// <summary>Makes the operation raise an exception with <paramref name="message"/>
        /// instead of doing its work; <see cref="PowerClass"/> then throws a
        /// <see cref="PlatformException"/> with that message.</summary>
        /// <param name="operation">The operation.</param>
        /// <param name="message">The exception's message.</param>
        /// <param name="repeat">Once, or on every call.</param>
        /// <param name="callsToSkip">Calls that still succeed first.</param>
        public static void InjectException(Operation operation, string message, Repeat repeat = Repeat.Once, uint callsToSkip = 0)
        {
            if (message is null)
            {
                throw new ArgumentNullException(nameof(message));
            }
            byte[] utf8 = new byte[Encoding.UTF8.GetByteCount(message) + 1];
            Encoding.UTF8.GetBytes(message, 0, message.Length, utf8, 0);
            Call(() =>
            {
                fixed (byte* text = utf8)
                {
                    return SimulationMethods.Sim.InjectException((int)operation, text, (int)repeat, callsToSkip);
                }
            });
        }

        /// <summary>Removes every injected fault.</summary>
        public static void ClearFaults() => Call(() => SimulationMethods.Sim.ClearFaults());

        /// <summary>The machine wakes from sleep: its watchers are told of a resume. (A change of
        /// <see cref="Power"/>'s source tells them of that.)</summary>
        public static void Resume() => Call(() => SimulationMethods.Sim.Resume());

        /// <summary>Name blocks handed out so far, and those not yet released.</summary>
        /// <returns>The counts.</returns>
        public static Counts Allocations() =>
            Pair((ulong* made, ulong* live) => SimulationMethods.Sim.Allocations(made, live));

        /// <summary>Registry keys opened so far, and those not yet closed.</summary>
        /// <returns>The counts.</returns>
        public static Counts RegistryKeys() =>
            Pair((ulong* opened, ulong* open) => SimulationMethods.Sim.RegistryKeys(opened, open));

        /// <summary>Sets a value of the current user's registry, creating its key when
        /// needed.</summary>
        /// <param name="keyPath">The key, e.g. <see cref="DefaultPlanKey"/>.</param>
        /// <param name="valueName">The value's name, e.g. "AC".</param>
        /// <param name="value">The value.</param>
        public static void SetRegistryValue(string keyPath, string valueName, RegistryValue value)
        {
            if (value is null)
            {
                throw new ArgumentNullException(nameof(value));
            }
            WithKey(keyPath, valueName, (k, kl, n, nl) =>
            {
                switch (value.Kind)
                {
                    case RegistryValueKind.String:
                        fixed (char* t = value.Text)
                        {
                            return SimulationMethods.Sim.SetRegistryString(k, kl, n, nl, t, (uint)value.Text.Length);
                        }
                    case RegistryValueKind.Number:
                        return SimulationMethods.Sim.SetRegistryNumber(k, kl, n, nl, value.Number);
                    default:
                        fixed (byte* b = value.Bytes)
                        {
                            return SimulationMethods.Sim.SetRegistryBinary(k, kl, n, nl, b, (uint)value.Bytes.Length);
                        }
                }
            });
        }

        /// <summary>A value of the current user's registry.</summary>
        /// <param name="keyPath">The key.</param>
        /// <param name="valueName">The value's name.</param>
        /// <returns>The value, or <c>null</c> when the key or the value does not exist.</returns>
        public static RegistryValue? GetRegistryValue(string keyPath, string valueName)
        {
            RegistryValue? result = null;
            WithKey(keyPath, valueName, (k, kl, n, nl) =>
            {
                while (true)
                {
                    SimulationMethods.SimRegistryValue info;
                    int status = SimulationMethods.Sim.GetRegistryValue(k, kl, n, nl, &info, null, 0, null, 0);
                    if (status != NativeMethods.Ok || info.Found == 0)
                    {
                        return status;
                    }
                    char[] text = new char[info.TextLength + 1];
                    byte[] bytes = new byte[info.ByteCount + 1];
                    fixed (char* t = text)
                    fixed (byte* b = bytes)
                    {
                        status = SimulationMethods.Sim.GetRegistryValue(k, kl, n, nl, &info, t,
                            (uint)text.Length, b, (uint)bytes.Length);
                        if (status == NativeMethods.BufferTooSmall)
                        {
                            continue;  // changed in between: read it again
                        }
                        if (status == NativeMethods.Ok && info.Found != 0)
                        {
                            result = (RegistryValueKind)info.Kind switch
                            {
                                RegistryValueKind.String => RegistryValue.String(new string(t, 0, (int)info.TextLength)),
                                RegistryValueKind.Number => RegistryValue.FromNumber(info.Number),
                                _ => RegistryValue.Binary(SubArray(bytes, (int)info.ByteCount)),
                            };
                        }
                        return status;
                    }
                }
            });
            return result;
        }

        /// <summary>Deletes one value.</summary>
        /// <param name="keyPath">The key.</param>
        /// <param name="valueName">The value's name.</param>
        /// <returns><c>false</c> when there was none.</returns>
        public static bool DeleteRegistryValue(string keyPath, string valueName)
        {
            int deleted = 0;
            WithKey(keyPath, valueName, (k, kl, n, nl) =>
            {
                int d;
                int status = SimulationMethods.Sim.DeleteRegistryValue(k, kl, n, nl, &d);
                deleted = d;
                return status;
            });
            return deleted != 0;
        }

        /// <summary>Deletes a key with its values.</summary>
        /// <param name="keyPath">The key.</param>
        /// <returns><c>false</c> when there was none.</returns>
        public static bool DeleteRegistryKey(string keyPath)
        {
            int deleted = 0;
            WithKey(keyPath, string.Empty, (k, kl, n, nl) =>
            {
                int d;
                int status = SimulationMethods.Sim.DeleteRegistryKey(k, kl, &d);
                deleted = d;
                return status;
            });
            return deleted != 0;
        }

        /// <summary>Makes opening the key fail with access denied (creating it when
        /// needed).</summary>
        /// <param name="keyPath">The key.</param>
        public static void RefuseKeyAccess(string keyPath) =>
            WithKey(keyPath, string.Empty, (k, kl, n, nl) => SimulationMethods.Sim.RefuseKeyAccess(k, kl));

        /// <summary>Makes reading one value of the key fail with access denied.</summary>
        /// <param name="keyPath">The key.</param>
        /// <param name="valueName">The value's name.</param>
        public static void RefuseValueAccess(string keyPath, string valueName) =>
            WithKey(keyPath, valueName, (k, kl, n, nl) => SimulationMethods.Sim.RefuseValueAccess(k, kl, n, nl));

        /// <summary>Takes the machine's stored state: its plans and registry.</summary>
        /// <returns>The state; dispose of it when done.</returns>
        public static MachineSnapshot Snapshot()
        {
            var snapshot = new MachineSnapshot();
            Call(() =>
            {
                IntPtr state;
                int status = SimulationMethods.Sim.Snapshot(&state);
                snapshot.Take(state);
                return status;
            });
            return snapshot;
        }

        /// <summary>Puts a taken state back; refused access is lifted, faults stay.</summary>
        /// <param name="snapshot">A state from <see cref="Snapshot"/>.</param>
        public static void Restore(MachineSnapshot snapshot)
        {
            if (snapshot is null)
            {
                throw new ArgumentNullException(nameof(snapshot));
            }
            bool added = false;
            try
            {
                snapshot.DangerousAddRef(ref added);
                IntPtr state = snapshot.DangerousGetHandle();
                Call(() => SimulationMethods.Sim.Restore(state));
            }
            finally
            {
                if (added)
                {
                    snapshot.DangerousRelease();
                }
            }
        }

        // ---- Calling the native controls ----

        private delegate int FlagCall(int* flag);
        private delegate int PairCall(ulong* first, ulong* second);
        private delegate int KeyCall(char* key, uint keyLength, char* name, uint nameLength);

        /// <summary>Runs a native control on the simulated machine, turning its status into an
        /// exception.</summary>
        internal static void Call(Func<int> call)
        {
            _ = SimulationMethods.Sim;
            NativeMethods.Check(call());
        }

        private static bool Flag(FlagCall call)
        {
            int flag = 0;
            Call(() =>
            {
                int f;
                int status = call(&f);
                flag = f;
                return status;
            });
            return flag != 0;
        }

        private static Counts Pair(PairCall call)
        {
            ulong first = 0, second = 0;
            Call(() =>
            {
                ulong a, b;
                int status = call(&a, &b);
                first = a;
                second = b;
                return status;
            });
            return new Counts(first, second);
        }

        private static void WithKey(string keyPath, string valueName, KeyCall call)
        {
            if (keyPath is null)
            {
                throw new ArgumentNullException(nameof(keyPath));
            }
            if (valueName is null)
            {
                throw new ArgumentNullException(nameof(valueName));
            }
            Call(() =>
            {
                fixed (char* k = keyPath)
                fixed (char* n = valueName)
                {
                    return call(k, (uint)keyPath.Length, n, (uint)valueName.Length);
                }
            });
        }

        private static byte[] SubArray(byte[] bytes, int count)
        {
            byte[] result = new byte[count];
            Array.Copy(bytes, result, count);
            return result;
        }
    }
}
