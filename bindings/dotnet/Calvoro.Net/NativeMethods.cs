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
        internal const int Document = 8;

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
            internal readonly delegate* unmanaged[Cdecl]<int*, int> PowerSettingsSupported;
            internal readonly delegate* unmanaged[Cdecl]<Guid*, SettingResultRecord*, IntPtr*, int> ListSettings;
            internal readonly delegate* unmanaged[Cdecl]<Guid*, char*, uint, SettingResultRecord*, IntPtr*, int> FindSetting;
            internal readonly delegate* unmanaged[Cdecl]<IntPtr, int> FreeSettings;
            internal readonly delegate* unmanaged[Cdecl]<IntPtr, uint*, int> SettingCount;
            internal readonly delegate* unmanaged[Cdecl]<IntPtr, uint, SettingInfoRecord*, int> SettingInfo;
            internal readonly delegate* unmanaged[Cdecl]<IntPtr, uint, int, char*, uint, uint*, int> SettingText;
            internal readonly delegate* unmanaged[Cdecl]<IntPtr, uint, uint, int, uint*, char*, uint, uint*, int> PossibleValue;
            internal readonly delegate* unmanaged[Cdecl]<IntPtr, uint, char*, uint, int*, uint*, int> SettingValueFromText;
            internal readonly delegate* unmanaged[Cdecl]<Guid*, SettingIdRecord*, SettingResultRecord*, uint*, uint*, int> ReadSetting;
            internal readonly delegate* unmanaged[Cdecl]<Guid*, SettingIdRecord*, int, uint, SettingResultRecord*, int> WriteSetting;
            internal readonly delegate* unmanaged[Cdecl]<SettingIdRecord*, int, SettingResultRecord*, int> SetSettingHidden;
            internal readonly delegate* unmanaged[Cdecl]<Guid*, uint, byte*, uint, uint*, int> ExportPlans;
            internal readonly delegate* unmanaged[Cdecl]<byte*, uint, int, IntPtr*, int> ReadDocument;
            internal readonly delegate* unmanaged[Cdecl]<IntPtr, int> FreeDocument;
            internal readonly delegate* unmanaged[Cdecl]<IntPtr, uint*, int> DocumentCount;
            internal readonly delegate* unmanaged[Cdecl]<IntPtr, uint, DocumentChangeRecord*, int> DocumentChange;
            internal readonly delegate* unmanaged[Cdecl]<IntPtr, uint, int, char*, uint, uint*, int> DocumentText;
            internal readonly delegate* unmanaged[Cdecl]<IntPtr, uint, SettingResultRecord*, int> ApplyDocumentChange;
            internal readonly delegate* unmanaged[Cdecl]<PlanTemplateRecord*, uint, uint*, int> PlanTemplates;
            internal readonly delegate* unmanaged[Cdecl]<uint, char*, uint, uint*, int> PlanTemplateName;
            internal readonly delegate* unmanaged[Cdecl]<char*, uint, PlanLookupRecord*, Guid*, uint, uint*, int*, int> FindPlanOrTemplate;
            internal readonly delegate* unmanaged[Cdecl]<Guid*, Guid*, char*, uint, char*, uint, PlanResultRecord*, int> DuplicatePlan;
            internal readonly delegate* unmanaged[Cdecl]<Guid*, PlanResultRecord*, int> DeletePlan;
            internal readonly delegate* unmanaged[Cdecl]<PlanResultRecord*, int> RestoreDefaultPlans;
            internal readonly delegate* unmanaged[Cdecl]<Guid*, int, PlanResultRecord*, int> RestorePlanDefaults;

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
                PowerSettingsSupported = (delegate* unmanaged[Cdecl]<int*, int>)library.Export("calvoro_PowerSettingsSupported");
                ListSettings = (delegate* unmanaged[Cdecl]<Guid*, SettingResultRecord*, IntPtr*, int>)library.Export("calvoro_ListSettings");
                FindSetting = (delegate* unmanaged[Cdecl]<Guid*, char*, uint, SettingResultRecord*, IntPtr*, int>)library.Export("calvoro_FindSetting");
                FreeSettings = (delegate* unmanaged[Cdecl]<IntPtr, int>)library.Export("calvoro_FreeSettings");
                SettingCount = (delegate* unmanaged[Cdecl]<IntPtr, uint*, int>)library.Export("calvoro_SettingCount");
                SettingInfo = (delegate* unmanaged[Cdecl]<IntPtr, uint, SettingInfoRecord*, int>)library.Export("calvoro_SettingInfo");
                SettingText = (delegate* unmanaged[Cdecl]<IntPtr, uint, int, char*, uint, uint*, int>)library.Export("calvoro_SettingText");
                PossibleValue = (delegate* unmanaged[Cdecl]<IntPtr, uint, uint, int, uint*, char*, uint, uint*, int>)library.Export("calvoro_PossibleValue");
                SettingValueFromText = (delegate* unmanaged[Cdecl]<IntPtr, uint, char*, uint, int*, uint*, int>)library.Export("calvoro_SettingValueFromText");
                ReadSetting = (delegate* unmanaged[Cdecl]<Guid*, SettingIdRecord*, SettingResultRecord*, uint*, uint*, int>)library.Export("calvoro_ReadSetting");
                WriteSetting = (delegate* unmanaged[Cdecl]<Guid*, SettingIdRecord*, int, uint, SettingResultRecord*, int>)library.Export("calvoro_WriteSetting");
                SetSettingHidden = (delegate* unmanaged[Cdecl]<SettingIdRecord*, int, SettingResultRecord*, int>)library.Export("calvoro_SetSettingHidden");
                ExportPlans = (delegate* unmanaged[Cdecl]<Guid*, uint, byte*, uint, uint*, int>)library.Export("calvoro_ExportPlans");
                ReadDocument = (delegate* unmanaged[Cdecl]<byte*, uint, int, IntPtr*, int>)library.Export("calvoro_ReadDocument");
                FreeDocument = (delegate* unmanaged[Cdecl]<IntPtr, int>)library.Export("calvoro_FreeDocument");
                DocumentCount = (delegate* unmanaged[Cdecl]<IntPtr, uint*, int>)library.Export("calvoro_DocumentCount");
                DocumentChange = (delegate* unmanaged[Cdecl]<IntPtr, uint, DocumentChangeRecord*, int>)library.Export("calvoro_DocumentChange");
                DocumentText = (delegate* unmanaged[Cdecl]<IntPtr, uint, int, char*, uint, uint*, int>)library.Export("calvoro_DocumentText");
                ApplyDocumentChange = (delegate* unmanaged[Cdecl]<IntPtr, uint, SettingResultRecord*, int>)library.Export("calvoro_ApplyDocumentChange");
                PlanTemplates = (delegate* unmanaged[Cdecl]<PlanTemplateRecord*, uint, uint*, int>)library.Export("calvoro_PlanTemplates");
                PlanTemplateName = (delegate* unmanaged[Cdecl]<uint, char*, uint, uint*, int>)library.Export("calvoro_PlanTemplateName");
                FindPlanOrTemplate = (delegate* unmanaged[Cdecl]<char*, uint, PlanLookupRecord*, Guid*, uint, uint*, int*, int>)library.Export("calvoro_FindPlanOrTemplate");
                DuplicatePlan = (delegate* unmanaged[Cdecl]<Guid*, Guid*, char*, uint, char*, uint, PlanResultRecord*, int>)library.Export("calvoro_DuplicatePlan");
                DeletePlan = (delegate* unmanaged[Cdecl]<Guid*, PlanResultRecord*, int>)library.Export("calvoro_DeletePlan");
                RestoreDefaultPlans = (delegate* unmanaged[Cdecl]<PlanResultRecord*, int>)library.Export("calvoro_RestoreDefaultPlans");
                RestorePlanDefaults = (delegate* unmanaged[Cdecl]<Guid*, int, PlanResultRecord*, int>)library.Export("calvoro_RestorePlanDefaults");
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

        /// <summary>calvoro_setting_result.</summary>
        internal struct SettingResultRecord
        {
            internal int Outcome;
            internal uint Status;
            internal int Reapplied;
        }

        /// <summary>calvoro_setting_id.</summary>
        internal struct SettingIdRecord
        {
            internal Guid Subgroup;
            internal Guid Setting;
        }

        /// <summary>calvoro_setting_info.</summary>
        internal struct SettingInfoRecord
        {
            internal SettingIdRecord Id;
            internal int Hidden;
            internal int Ranged;
            internal uint Min;
            internal uint Max;
            internal uint Increment;
            internal uint ValueCount;
            internal int HasAcDefault;
            internal uint AcDefault;
            internal int HasDcDefault;
            internal uint DcDefault;
        }

        /// <summary>calvoro_document_change.</summary>
        internal struct DocumentChangeRecord
        {
            internal int Kind;
            internal Guid Plan;
            internal Guid Subgroup;
            internal Guid Setting;
            internal int OnAC;
            internal uint Value;
            internal uint From;
            internal uint To;
            internal Guid Source;
        }

        /// <summary>calvoro_plan_template.</summary>
        internal struct PlanTemplateRecord
        {
            internal Guid Id;
            internal int Standard;
        }

        /// <summary>calvoro_plan_result.</summary>
        internal struct PlanResultRecord
        {
            internal int Outcome;
            internal Guid Plan;
            internal uint Status;
            internal int Records;
        }

        /// <summary>CALVORO_ACTIVE_PLAN_UNKNOWN, in calvoro_setting_result.reapplied.</summary>
        internal const int ActivePlanUnknown = -2;

        /// <summary>The CALVORO_TEXT_... a setting's text is asked by.</summary>
        internal const int TextName = 0;
        internal const int TextDescription = 1;
        internal const int TextAlias = 2;
        internal const int TextUnits = 3;
        internal const int TextAllowed = 4;
        internal const int TextSubgroupName = 5;
        internal const int TextSubgroupDescription = 6;
        internal const int TextSubgroupAlias = 7;

        /// <summary>Writes a text into the caller's buffer, and its length.</summary>
        internal delegate int TextWriter(char* text, uint capacity, uint* length);

        /// <summary>The CALVORO_CHANGE_TEXT_... a document change's text is asked by.</summary>
        internal const int ChangeTextKey = 0;
        internal const int ChangeTextLabel = 1;
        internal const int ChangeTextFrom = 2;
        internal const int ChangeTextTo = 3;
        internal const int ChangeTextPlanName = 4;
        internal const int ChangeTextName = 5;
        internal const int ChangeTextDescription = 6;

        /// <summary>A text that <paramref name="read"/> writes, asked again at the length that a
        /// short buffer reported.</summary>
        internal static string ReadText(TextWriter read)
        {
            uint length = 0;
            char[] buffer = new char[128];
            while (true)
            {
                int status;
                fixed (char* units = buffer)
                {
                    status = read(units, (uint)buffer.Length, &length);
                }
                if (status != BufferTooSmall)
                {
                    Check(status);
                    return new string(buffer, 0, (int)length);
                }
                buffer = new char[length + 1];
            }
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
                case Document:
                    return new DocumentException(message);
                case InvalidArgument:
                    return new ArgumentException(message);
                default:
                    // A null pointer or a short buffer: the binding's own mistake, not the caller's.
                    return new InvalidOperationException($"{Utf8(C.StatusName(status))} ({status}): {message}");
            }
        }
    }
}
