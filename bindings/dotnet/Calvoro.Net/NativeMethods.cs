using System;
using System.Text;

namespace Calvoro
{
    /// <summary>
    /// The C interface of the native calvoro library (calvoro_c.h), called through function
    /// pointers into whichever of the two libraries the process loaded. Every signature is
    /// blittable: pointers, fixed-width integers and System.Guid, whose memory image is the C
    /// struct's, so each runtime passes the arguments as they are.
    /// </summary>
    internal static unsafe class NativeMethods
    {
        internal const int Ok = 0;
        internal const int NullPointer = 1;
        internal const int BufferTooSmall = 2;
        internal const int GuidParse = 3;
        internal const int RegistryAccess = 4;
        internal const int Platform = 5;
        internal const int InvalidArgument = 6;
        internal const int OutOfMemory = 7;

        /// <summary>The library's C functions, looked up once when it is opened.</summary>
        internal sealed class Functions
        {
            internal readonly delegate* unmanaged[Cdecl]<byte*> Version;
            internal readonly delegate* unmanaged[Cdecl]<uint> VersionNumber;
            internal readonly delegate* unmanaged[Cdecl]<int, byte*> StatusName;
            internal readonly delegate* unmanaged[Cdecl]<byte*> LastErrorMessage;
            internal readonly delegate* unmanaged[Cdecl]<Guid*, int> NoPowerSchemeGuid;
            internal readonly delegate* unmanaged[Cdecl]<Guid*, Guid*, int> ToGUID;
            internal readonly delegate* unmanaged[Cdecl]<uint, Guid*, int> EnumPowerSchemeGuid;
            internal readonly delegate* unmanaged[Cdecl]<Guid*, char*, uint, uint*, int*, int> ReadPowerSchemeName;
            internal readonly delegate* unmanaged[Cdecl]<Guid*, char*, uint, char*, uint, int*, int> WritePowerSchemeNameDescription;
            internal readonly delegate* unmanaged[Cdecl]<int, Guid*, int> GetDefaultPlaneGUID;
            internal readonly delegate* unmanaged[Cdecl]<Guid*, int, uint*, int> GetSleepTimer;
            internal readonly delegate* unmanaged[Cdecl]<Guid*, int, uint*, int> GetHibernationTimer;
            internal readonly delegate* unmanaged[Cdecl]<Guid*, int, uint*, int> GetDisplayTimer;
            internal readonly delegate* unmanaged[Cdecl]<Guid*, int, uint, int*, int> SetSleepTimer;
            internal readonly delegate* unmanaged[Cdecl]<Guid*, int, uint, int*, int> SetHibernationTimer;
            internal readonly delegate* unmanaged[Cdecl]<Guid*, int, uint, int*, int> SetDisplayTimer;
            internal readonly delegate* unmanaged[Cdecl]<Guid*, int*, int> GetActivePlan;
            internal readonly delegate* unmanaged[Cdecl]<Guid*, int*, int> ActivatePlan;
            internal readonly delegate* unmanaged[Cdecl]<Guid*, char*, uint, uint*, int*, int> ReadPlanDescription;
            internal readonly delegate* unmanaged[Cdecl]<char*, uint, PlanLookupRecord*, Guid*, uint, uint*, int> FindPlan;
            internal readonly delegate* unmanaged[Cdecl]<char*, uint, char*, uint, int*, int> SameIgnoringCase;
            internal readonly delegate* unmanaged[Cdecl]<int, Guid*, int> SetDefaultPlan;
            internal readonly delegate* unmanaged[Cdecl]<int, int*, int> ClearDefaultPlan;
            internal readonly delegate* unmanaged[Cdecl]<int*, int> ActivePlanPinnedByPolicy;
            internal readonly delegate* unmanaged[Cdecl]<PowerSourceRecord*, int> ReadPowerSource;
            internal readonly delegate* unmanaged[Cdecl]<int, PowerModeRecord*, int> GetPowerMode;
            internal readonly delegate* unmanaged[Cdecl]<int, int, int*, int> SetPowerMode;
            internal readonly delegate* unmanaged[Cdecl]<WatchDecisionRecord*, int> ApplyRecordedPlan;
            internal readonly delegate* unmanaged[Cdecl]<uint, IntPtr, IntPtr, IntPtr*, int> StartWatcher;
            internal readonly delegate* unmanaged[Cdecl]<IntPtr, int> StopWatcher;

            internal Functions(CalvoroLibrary library)
            {
                Version = (delegate* unmanaged[Cdecl]<byte*>)library.Export("calvoro_Version");
                VersionNumber = (delegate* unmanaged[Cdecl]<uint>)library.Export("calvoro_VersionNumber");
                StatusName = (delegate* unmanaged[Cdecl]<int, byte*>)library.Export("calvoro_StatusName");
                LastErrorMessage = (delegate* unmanaged[Cdecl]<byte*>)library.Export("calvoro_LastErrorMessage");
                NoPowerSchemeGuid = (delegate* unmanaged[Cdecl]<Guid*, int>)library.Export("calvoro_NoPowerSchemeGuid");
                ToGUID = (delegate* unmanaged[Cdecl]<Guid*, Guid*, int>)library.Export("calvoro_ToGUID");
                EnumPowerSchemeGuid = (delegate* unmanaged[Cdecl]<uint, Guid*, int>)library.Export("calvoro_EnumPowerSchemeGuid");
                ReadPowerSchemeName = (delegate* unmanaged[Cdecl]<Guid*, char*, uint, uint*, int*, int>)library.Export("calvoro_ReadPowerSchemeName");
                WritePowerSchemeNameDescription = (delegate* unmanaged[Cdecl]<Guid*, char*, uint, char*, uint, int*, int>)library.Export("calvoro_WritePowerSchemeNameDescription");
                GetDefaultPlaneGUID = (delegate* unmanaged[Cdecl]<int, Guid*, int>)library.Export("calvoro_GetDefaultPlaneGUID");
                GetSleepTimer = (delegate* unmanaged[Cdecl]<Guid*, int, uint*, int>)library.Export("calvoro_GetSleepTimer");
                GetHibernationTimer = (delegate* unmanaged[Cdecl]<Guid*, int, uint*, int>)library.Export("calvoro_GetHibernationTimer");
                GetDisplayTimer = (delegate* unmanaged[Cdecl]<Guid*, int, uint*, int>)library.Export("calvoro_GetDisplayTimer");
                SetSleepTimer = (delegate* unmanaged[Cdecl]<Guid*, int, uint, int*, int>)library.Export("calvoro_SetSleepTimer");
                SetHibernationTimer = (delegate* unmanaged[Cdecl]<Guid*, int, uint, int*, int>)library.Export("calvoro_SetHibernationTimer");
                SetDisplayTimer = (delegate* unmanaged[Cdecl]<Guid*, int, uint, int*, int>)library.Export("calvoro_SetDisplayTimer");
                GetActivePlan = (delegate* unmanaged[Cdecl]<Guid*, int*, int>)library.Export("calvoro_GetActivePlan");
                ActivatePlan = (delegate* unmanaged[Cdecl]<Guid*, int*, int>)library.Export("calvoro_ActivatePlan");
                ReadPlanDescription = (delegate* unmanaged[Cdecl]<Guid*, char*, uint, uint*, int*, int>)library.Export("calvoro_ReadPlanDescription");
                FindPlan = (delegate* unmanaged[Cdecl]<char*, uint, PlanLookupRecord*, Guid*, uint, uint*, int>)library.Export("calvoro_FindPlan");
                SameIgnoringCase = (delegate* unmanaged[Cdecl]<char*, uint, char*, uint, int*, int>)library.Export("calvoro_SameIgnoringCase");
                SetDefaultPlan = (delegate* unmanaged[Cdecl]<int, Guid*, int>)library.Export("calvoro_SetDefaultPlan");
                ClearDefaultPlan = (delegate* unmanaged[Cdecl]<int, int*, int>)library.Export("calvoro_ClearDefaultPlan");
                ActivePlanPinnedByPolicy = (delegate* unmanaged[Cdecl]<int*, int>)library.Export("calvoro_ActivePlanPinnedByPolicy");
                ReadPowerSource = (delegate* unmanaged[Cdecl]<PowerSourceRecord*, int>)library.Export("calvoro_ReadPowerSource");
                GetPowerMode = (delegate* unmanaged[Cdecl]<int, PowerModeRecord*, int>)library.Export("calvoro_GetPowerMode");
                SetPowerMode = (delegate* unmanaged[Cdecl]<int, int, int*, int>)library.Export("calvoro_SetPowerMode");
                ApplyRecordedPlan = (delegate* unmanaged[Cdecl]<WatchDecisionRecord*, int>)library.Export("calvoro_ApplyRecordedPlan");
                StartWatcher = (delegate* unmanaged[Cdecl]<uint, IntPtr, IntPtr, IntPtr*, int>)library.Export("calvoro_StartWatcher");
                StopWatcher = (delegate* unmanaged[Cdecl]<IntPtr, int>)library.Export("calvoro_StopWatcher");
            }
        }

        /// <summary>calvoro_power_source.</summary>
        internal struct PowerSourceRecord
        {
            internal int Source;
            internal int BatteryPresent;
            internal int ModernStandby;
        }

        /// <summary>calvoro_power_mode.</summary>
        internal struct PowerModeRecord
        {
            internal int Outcome;
            internal int Mode;
            internal Guid Guid;
            internal uint Status;
        }

        /// <summary>calvoro_watch_decision.</summary>
        internal struct WatchDecisionRecord
        {
            internal long Time;
            internal int Trigger;
            internal int Source;
            internal int HasPlan;
            internal Guid Plan;
            internal int Action;
        }

        /// <summary>calvoro_watch_callback.</summary>
        [System.Runtime.InteropServices.UnmanagedFunctionPointer(System.Runtime.InteropServices.CallingConvention.Cdecl)]
        internal delegate void WatchCallback(WatchDecisionRecord* decision, IntPtr context);

        /// <summary>The CALVORO_MODE_... outcomes of a power-mode call.</summary>
        internal const int ModeDone = 0;
        internal const int ModeUnsupported = 1;
        internal const int ModeNotApplicable = 2;

        /// <summary>calvoro_plan_lookup: what calvoro_FindPlan made of a text.</summary>
        internal struct PlanLookupRecord
        {
            internal int Outcome;
            internal int Reading;
            internal int Identified;
            internal Guid Identifier;
        }

        /// <summary>A plan's text, read with <paramref name="read"/>: into a stack buffer, and
        /// again at the length that a failed call reported, as often as the text keeps growing
        /// in between.</summary>
        /// <returns>The text, or <c>null</c> when it is absent.</returns>
        internal static string? ReadText(delegate* unmanaged[Cdecl]<Guid*, char*, uint, uint*, int*, int> read, Guid plan)
        {
            const int StackUnits = 128;
            char* onStack = stackalloc char[StackUnits];
            uint length;
            int present;
            int status = read(&plan, onStack, StackUnits, &length, &present);
            while (status == BufferTooSmall)
            {
                char[] buffer = new char[length + 1];
                fixed (char* onHeap = buffer)
                {
                    status = read(&plan, onHeap, (uint)buffer.Length, &length, &present);
                    if (status == Ok)
                    {
                        return present != 0 ? new string(onHeap, 0, (int)length) : null;
                    }
                }
            }
            Check(status);
            return present != 0 ? new string(onStack, 0, (int)length) : null;
        }

        /// <summary>The functions of the process's library, which is opened on first use.</summary>
        internal static Functions C => NativeLibraryLoader.Library.Functions;

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
                throw ExceptionFor(status, Utf8(C.LastErrorMessage()));
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
                    return new InvalidOperationException($"{Utf8(C.StatusName(status))} ({status}): {message}");
            }
        }
    }
}
