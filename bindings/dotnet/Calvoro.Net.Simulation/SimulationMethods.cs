using System;
using System.Runtime.InteropServices;

namespace Calvoro
{
    /// <summary>
    /// The simulated platform's C controls (simulation_c.h) in calvoro_simulated, through
    /// function pointers into the library that the process loaded for the simulation.
    /// </summary>
    internal static unsafe class SimulationMethods
    {
        [StructLayout(LayoutKind.Sequential)]
        internal struct SimPlan
        {
            internal Guid Id;
            internal Simulation.TimeoutSeconds Sleep;
            internal Simulation.TimeoutSeconds Hibernate;
            internal Simulation.TimeoutSeconds Display;
        }

        [StructLayout(LayoutKind.Sequential)]
        internal struct SimPower
        {
            internal int Source;
            internal int BatteryPresent;
            internal int ModernStandby;
            internal Guid AcMode;
            internal Guid DcMode;
        }

        [StructLayout(LayoutKind.Sequential)]
        internal struct SimRegistryValue
        {
            internal int Found;
            internal int Kind;
            internal uint Number;
            internal uint TextLength;
            internal uint ByteCount;
        }

        /// <summary>The controls, looked up once in the simulated library.</summary>
        internal sealed class Functions
        {
            internal readonly delegate* unmanaged[Cdecl]<int> Reset;
            internal readonly delegate* unmanaged[Cdecl]<IntPtr, uint*, int> PlanCount;
            internal readonly delegate* unmanaged[Cdecl]<IntPtr, uint, SimPlan*, char*, uint, uint*, char*, uint, uint*, int*, int> PlanAt;
            internal readonly delegate* unmanaged[Cdecl]<SimPlan*, char*, uint, char*, uint, int*, int> AddPlan;
            internal readonly delegate* unmanaged[Cdecl]<Guid*, int*, int> RemovePlan;
            internal readonly delegate* unmanaged[Cdecl]<Guid*, int, int, uint*, int*, int> ReadSeconds;
            internal readonly delegate* unmanaged[Cdecl]<Guid*, int, int, uint, int*, int> WriteSeconds;
            internal readonly delegate* unmanaged[Cdecl]<int, uint, int, uint, int> InjectStatus;
            internal readonly delegate* unmanaged[Cdecl]<int, byte*, int, uint, int> InjectException;
            internal readonly delegate* unmanaged[Cdecl]<int> ClearFaults;
            internal readonly delegate* unmanaged[Cdecl]<SimPower*, int> GetPower;
            internal readonly delegate* unmanaged[Cdecl]<SimPower*, int> SetPower;
            internal readonly delegate* unmanaged[Cdecl]<int> Resume;
            internal readonly delegate* unmanaged[Cdecl]<ulong*, ulong*, int> Allocations;
            internal readonly delegate* unmanaged[Cdecl]<ulong*, ulong*, int> RegistryKeys;
            internal readonly delegate* unmanaged[Cdecl]<char*, uint, char*, uint, char*, uint, int> SetRegistryString;
            internal readonly delegate* unmanaged[Cdecl]<char*, uint, char*, uint, uint, int> SetRegistryNumber;
            internal readonly delegate* unmanaged[Cdecl]<char*, uint, char*, uint, byte*, uint, int> SetRegistryBinary;
            internal readonly delegate* unmanaged[Cdecl]<char*, uint, char*, uint, SimRegistryValue*, char*, uint, byte*, uint, int> GetRegistryValue;
            internal readonly delegate* unmanaged[Cdecl]<char*, uint, char*, uint, int*, int> DeleteRegistryValue;
            internal readonly delegate* unmanaged[Cdecl]<char*, uint, int*, int> DeleteRegistryKey;
            internal readonly delegate* unmanaged[Cdecl]<char*, uint, int> RefuseKeyAccess;
            internal readonly delegate* unmanaged[Cdecl]<char*, uint, char*, uint, int> RefuseValueAccess;
            internal readonly delegate* unmanaged[Cdecl]<IntPtr*, int> Snapshot;
            internal readonly delegate* unmanaged[Cdecl]<IntPtr, int> Restore;
            internal readonly delegate* unmanaged[Cdecl]<IntPtr, void> FreeState;

            internal Functions(CalvoroLibrary library)
            {
                Reset = (delegate* unmanaged[Cdecl]<int>)library.Export("calvoro_sim_Reset");
                PlanCount = (delegate* unmanaged[Cdecl]<IntPtr, uint*, int>)library.Export("calvoro_sim_PlanCount");
                PlanAt = (delegate* unmanaged[Cdecl]<IntPtr, uint, SimPlan*, char*, uint, uint*, char*, uint, uint*, int*, int>)library.Export("calvoro_sim_PlanAt");
                AddPlan = (delegate* unmanaged[Cdecl]<SimPlan*, char*, uint, char*, uint, int*, int>)library.Export("calvoro_sim_AddPlan");
                RemovePlan = (delegate* unmanaged[Cdecl]<Guid*, int*, int>)library.Export("calvoro_sim_RemovePlan");
                ReadSeconds = (delegate* unmanaged[Cdecl]<Guid*, int, int, uint*, int*, int>)library.Export("calvoro_sim_ReadSeconds");
                WriteSeconds = (delegate* unmanaged[Cdecl]<Guid*, int, int, uint, int*, int>)library.Export("calvoro_sim_WriteSeconds");
                InjectStatus = (delegate* unmanaged[Cdecl]<int, uint, int, uint, int>)library.Export("calvoro_sim_InjectStatus");
                InjectException = (delegate* unmanaged[Cdecl]<int, byte*, int, uint, int>)library.Export("calvoro_sim_InjectException");
                ClearFaults = (delegate* unmanaged[Cdecl]<int>)library.Export("calvoro_sim_ClearFaults");
                GetPower = (delegate* unmanaged[Cdecl]<SimPower*, int>)library.Export("calvoro_sim_GetPower");
                SetPower = (delegate* unmanaged[Cdecl]<SimPower*, int>)library.Export("calvoro_sim_SetPower");
                Resume = (delegate* unmanaged[Cdecl]<int>)library.Export("calvoro_sim_Resume");
                Allocations = (delegate* unmanaged[Cdecl]<ulong*, ulong*, int>)library.Export("calvoro_sim_Allocations");
                RegistryKeys = (delegate* unmanaged[Cdecl]<ulong*, ulong*, int>)library.Export("calvoro_sim_RegistryKeys");
                SetRegistryString = (delegate* unmanaged[Cdecl]<char*, uint, char*, uint, char*, uint, int>)library.Export("calvoro_sim_SetRegistryString");
                SetRegistryNumber = (delegate* unmanaged[Cdecl]<char*, uint, char*, uint, uint, int>)library.Export("calvoro_sim_SetRegistryNumber");
                SetRegistryBinary = (delegate* unmanaged[Cdecl]<char*, uint, char*, uint, byte*, uint, int>)library.Export("calvoro_sim_SetRegistryBinary");
                GetRegistryValue = (delegate* unmanaged[Cdecl]<char*, uint, char*, uint, SimRegistryValue*, char*, uint, byte*, uint, int>)library.Export("calvoro_sim_GetRegistryValue");
                DeleteRegistryValue = (delegate* unmanaged[Cdecl]<char*, uint, char*, uint, int*, int>)library.Export("calvoro_sim_DeleteRegistryValue");
                DeleteRegistryKey = (delegate* unmanaged[Cdecl]<char*, uint, int*, int>)library.Export("calvoro_sim_DeleteRegistryKey");
                RefuseKeyAccess = (delegate* unmanaged[Cdecl]<char*, uint, int>)library.Export("calvoro_sim_RefuseKeyAccess");
                RefuseValueAccess = (delegate* unmanaged[Cdecl]<char*, uint, char*, uint, int>)library.Export("calvoro_sim_RefuseValueAccess");
                Snapshot = (delegate* unmanaged[Cdecl]<IntPtr*, int>)library.Export("calvoro_sim_Snapshot");
                Restore = (delegate* unmanaged[Cdecl]<IntPtr, int>)library.Export("calvoro_sim_Restore");
                FreeState = (delegate* unmanaged[Cdecl]<IntPtr, void>)library.Export("calvoro_sim_FreeState");
            }
        }

        private static volatile Functions? functions;

        /// <summary>The controls; asks for the simulated machine first, which is an error once
        /// the process uses the real platform.</summary>
        internal static Functions Sim
        {
            get
            {
                Functions? known = functions;
                if (known != null)
                {
                    return known;
                }
                NativeLibraryLoader.Selection.UseSimulation();
                known = new Functions(NativeLibraryLoader.Library);
                functions = known;
                return known;
            }
        }
    }
}
