using System;
using System.Runtime.InteropServices;
using System.Text;

namespace Calvoro
{
    /// <summary>
    /// The C interface of the native calvoro library (calvoro_c.h and simulation_c.h). Every
    /// signature is blittable: pointers, fixed-width integers and System.Guid, whose memory
    /// image is the C struct's, so each runtime passes the arguments as they are.
    /// </summary>
    internal static unsafe class NativeMethods
    {
        private const string Library = "calvoro";

        internal const int Ok = 0;
        internal const int NullPointer = 1;
        internal const int BufferTooSmall = 2;
        internal const int GuidParse = 3;
        internal const int RegistryAccess = 4;
        internal const int Platform = 5;
        internal const int InvalidArgument = 6;
        internal const int OutOfMemory = 7;

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        internal static extern byte* calvoro_Version();

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        internal static extern byte* calvoro_LastErrorMessage();

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        internal static extern int calvoro_NoPowerSchemeGuid(Guid* result);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        internal static extern int calvoro_ToGUID(Guid* guid, Guid* result);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        internal static extern int calvoro_EnumPowerSchemeGuid(uint PowerSchemeIndex, Guid* result);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        internal static extern int calvoro_ReadPowerSchemeName(
            Guid* PowerSchemeGuid, char* buffer, uint capacity, uint* length, int* present);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        internal static extern int calvoro_WritePowerSchemeNameDescription(
            Guid* PowerSchemeGuid, char* SchemeName, uint SchemeNameLength,
            char* SchemeDescription, uint SchemeDescriptionLength, int* result);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        internal static extern int calvoro_GetDefaultPlaneGUID(int b_OnAC, Guid* result);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        internal static extern int calvoro_GetSleepTimer(Guid* SchemeGuid, int bOnAC, uint* minutes);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        internal static extern int calvoro_GetHibernationTimer(Guid* SchemeGuid, int bOnAC, uint* minutes);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        internal static extern int calvoro_GetDisplayTimer(Guid* SchemeGuid, int bOnAC, uint* minutes);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        internal static extern int calvoro_SetSleepTimer(Guid* SchemeGuid, int bOnAC, uint timer, int* stored);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        internal static extern int calvoro_SetHibernationTimer(Guid* SchemeGuid, int bOnAC, uint timer, int* stored);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        internal static extern int calvoro_SetDisplayTimer(Guid* SchemeGuid, int bOnAC, uint timer, int* stored);

        // ---- The simulated platform (simulated builds only) ----

        [StructLayout(LayoutKind.Sequential)]
        internal struct SimPlan
        {
            internal Guid Id;
            internal Simulation.TimeoutSeconds Sleep;
            internal Simulation.TimeoutSeconds Hibernate;
            internal Simulation.TimeoutSeconds Display;
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

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        internal static extern int calvoro_sim_Reset();

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        internal static extern int calvoro_sim_PlanAt(
            uint index, SimPlan* plan, char* name, uint nameCapacity, uint* nameLength,
            char* description, uint descriptionCapacity, uint* descriptionLength, int* found);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        internal static extern int calvoro_sim_AddPlan(
            SimPlan* plan, char* name, uint nameLength, char* description, uint descriptionLength,
            int* added);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        internal static extern int calvoro_sim_RemovePlan(Guid* id, int* removed);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        internal static extern int calvoro_sim_ReadSeconds(
            Guid* plan, int timeout, int onAC, uint* seconds, int* found);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        internal static extern int calvoro_sim_WriteSeconds(
            Guid* plan, int timeout, int onAC, uint seconds, int* written);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        internal static extern int calvoro_sim_InjectStatus(
            int operation, uint status, int repeat, uint callsToSkip);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        internal static extern int calvoro_sim_InjectException(
            int operation, byte* message, int repeat, uint callsToSkip);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        internal static extern int calvoro_sim_ClearFaults();

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        internal static extern int calvoro_sim_Allocations(ulong* made, ulong* live);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        internal static extern int calvoro_sim_RegistryKeys(ulong* opened, ulong* open);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        internal static extern int calvoro_sim_SetRegistryString(
            char* keyPath, uint keyPathLength, char* valueName, uint valueNameLength,
            char* text, uint textLength);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        internal static extern int calvoro_sim_SetRegistryNumber(
            char* keyPath, uint keyPathLength, char* valueName, uint valueNameLength, uint number);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        internal static extern int calvoro_sim_SetRegistryBinary(
            char* keyPath, uint keyPathLength, char* valueName, uint valueNameLength,
            byte* bytes, uint byteCount);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        internal static extern int calvoro_sim_GetRegistryValue(
            char* keyPath, uint keyPathLength, char* valueName, uint valueNameLength,
            SimRegistryValue* value, char* text, uint textCapacity, byte* bytes, uint bytesCapacity);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        internal static extern int calvoro_sim_DeleteRegistryValue(
            char* keyPath, uint keyPathLength, char* valueName, uint valueNameLength, int* deleted);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        internal static extern int calvoro_sim_DeleteRegistryKey(
            char* keyPath, uint keyPathLength, int* deleted);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        internal static extern int calvoro_sim_RefuseKeyAccess(char* keyPath, uint keyPathLength);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        internal static extern int calvoro_sim_RefuseValueAccess(
            char* keyPath, uint keyPathLength, char* valueName, uint valueNameLength);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        internal static extern int calvoro_sim_Snapshot(IntPtr* state);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        internal static extern int calvoro_sim_Restore(IntPtr state);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        internal static extern void calvoro_sim_FreeState(IntPtr state);

        // ---- Statuses into exceptions ----

        /// <summary>NUL-terminated UTF-8 from the native library, as a string.</summary>
        internal static string Utf8(byte* text)
        {
            if (text == null)
            {
                return string.Empty;
            }
            int length = 0;
            while (text[length] != 0)
            {
                length++;
            }
            return Encoding.UTF8.GetString(text, length);
        }

        /// <summary>Throws the exception that a status other than Ok stands for.</summary>
        internal static void Check(int status)
        {
            if (status != Ok)
            {
                throw ExceptionFor(status, Utf8(calvoro_LastErrorMessage()));
            }
        }

        internal static Exception ExceptionFor(int status, string message)
        {
            switch (status)
            {
                case GuidParse:
                    return new GuidParseException(message);
                case RegistryAccess:
                    return new RegistryAccessException(message);
                case Platform:
                    return new PlatformException(message);
                case OutOfMemory:
                    return new OutOfMemoryException(message);
                case InvalidArgument:
                    return new ArgumentException(message);
                default:
                    // A null pointer or a short buffer: the binding's own mistake, not the caller's.
                    return new InvalidOperationException($"calvoro status {status}: {message}");
            }
        }
    }
}
