using System;

namespace Calvoro
{
    /// <summary>
    /// The operating system's power plans as plain values: the installed plans, a plan's name
    /// and description, its sleep, hibernate and display-off timeouts for mains power (AC) and
    /// battery (DC) in whole minutes, and the default plan that the current user's registry
    /// records for each power source.
    /// </summary>
    /// <remarks>
    /// The class holds no state: every operation is one short call into the native calvoro
    /// library, and may be made from any thread, on one object or on several, at once.
    /// Failures are results (0 minutes, <c>false</c>, 0, <see cref="NoPowerSchemeGuid"/>, a
    /// <c>null</c> name). Only <see cref="GetDefaultPlaneGUID"/> throws errors of its own; an
    /// exception that the platform raises becomes a <see cref="PlatformException"/>.
    /// </remarks>
    public class PowerClass
    {
        /// <summary>The identifier that stands for no plan at all
        /// (4515AD82-4C32-4F78-82C4-B20B62430B0A).</summary>
        public static unsafe Guid NoPowerSchemeGuid
        {
            get
            {
                Guid result;
                NativeMethods.Check(NativeMethods.C.NoPowerSchemeGuid(&result));
                return result;
            }
        }

        /// <summary>The platform's record of <paramref name="guid"/>: the same 16 bytes.</summary>
        /// <param name="guid">A plan identifier.</param>
        /// <returns>The identifier as the platform takes it.</returns>
        public unsafe Guid ToGUID(Guid guid)
        {
            Guid result;
            NativeMethods.Check(NativeMethods.C.ToGUID(&guid, &result));
            return result;
        }

        /// <summary>The identifier of the installed plan at an index, counted from 0 in the
        /// platform's order. List all plans by counting up until
        /// <see cref="NoPowerSchemeGuid"/> comes back.</summary>
        /// <param name="PowerSchemeIndex">The index, from 0.</param>
        /// <returns>The plan's identifier; <see cref="NoPowerSchemeGuid"/> past the last plan or
        /// when the platform fails.</returns>
        public unsafe Guid EnumPowerSchemeGuid(uint PowerSchemeIndex)
        {
            Guid result;
            NativeMethods.Check(NativeMethods.C.EnumPowerSchemeGuid(PowerSchemeIndex, &result));
            return result;
        }

        /// <summary>The plan's display name, up to its first NUL.</summary>
        /// <param name="PowerSchemeGuid">The plan.</param>
        /// <returns>The name, or <c>null</c> when the plan does not exist or its name cannot be
        /// read.</returns>
        public unsafe string? ReadPowerSchemeName(Guid PowerSchemeGuid) =>
            NativeMethods.ReadText(NativeMethods.C.ReadPowerSchemeName, PowerSchemeGuid);

        /// <summary>Writes the plan's name, then its description, each up to its first NUL.</summary>
        /// <param name="PowerSchemeGuid">The plan.</param>
        /// <param name="SchemeName">The new name.</param>
        /// <param name="SchemeDescription">The new description.</param>
        /// <returns>1 when both were stored, otherwise 0: when the name is refused the
        /// description is not written, and when only the description is refused the new name
        /// stays.</returns>
        /// <exception cref="ArgumentNullException">A text is <c>null</c>.</exception>
        public unsafe int WritePowerSchemeNameDescription(
            Guid PowerSchemeGuid, string SchemeName, string SchemeDescription)
        {
            if (SchemeName is null)
            {
                throw new ArgumentNullException(nameof(SchemeName));
            }
            if (SchemeDescription is null)
            {
                throw new ArgumentNullException(nameof(SchemeDescription));
            }
            int result;
            fixed (char* name = SchemeName)
            fixed (char* description = SchemeDescription)
            {
                NativeMethods.Check(NativeMethods.C.WritePowerSchemeNameDescription(
                    &PowerSchemeGuid, name, (uint)SchemeName.Length,
                    description, (uint)SchemeDescription.Length, &result));
            }
            return result;
        }

        /// <summary>The plan that the current user's registry records as the default for mains
        /// power (value "AC") or battery (value "DC") under
        /// HKEY_CURRENT_USER\Software\Quandrel\Zephlo\PowerPolicies\DEV_DEFAULT_PLANE. The
        /// identifier is returned whether or not such a plan is installed.</summary>
        /// <param name="b_OnAC"><c>true</c> for mains power, <c>false</c> for battery.</param>
        /// <returns>The recorded plan, or <see cref="NoPowerSchemeGuid"/> when the key or the
        /// value does not exist.</returns>
        /// <exception cref="GuidParseException">The value is not a string holding GUID
        /// text.</exception>
        /// <exception cref="RegistryAccessException">The registry refused access to the key or
        /// the value.</exception>
        public unsafe Guid GetDefaultPlaneGUID(bool b_OnAC)
        {
            Guid result;
            NativeMethods.Check(NativeMethods.C.GetDefaultPlaneGUID(b_OnAC ? 1 : 0, &result));
            return result;
        }

        /// <summary>The plan's sleep (standby) timeout.</summary>
        /// <param name="SchemeGuid">The plan.</param>
        /// <param name="bOnAC"><c>true</c> for mains power, <c>false</c> for battery.</param>
        /// <returns>Whole minutes; 0 when the platform cannot read them.</returns>
        public unsafe uint GetSleepTimer(Guid SchemeGuid, bool bOnAC)
        {
            uint minutes;
            NativeMethods.Check(NativeMethods.C.GetSleepTimer(&SchemeGuid, bOnAC ? 1 : 0, &minutes));
            return minutes;
        }

        /// <summary>The plan's hibernation timeout.</summary>
        /// <param name="SchemeGuid">The plan.</param>
        /// <param name="bOnAC"><c>true</c> for mains power, <c>false</c> for battery.</param>
        /// <returns>Whole minutes; 0 when the platform cannot read them.</returns>
        public unsafe uint GetHibernationTimer(Guid SchemeGuid, bool bOnAC)
        {
            uint minutes;
            NativeMethods.Check(NativeMethods.C.GetHibernationTimer(&SchemeGuid, bOnAC ? 1 : 0, &minutes));
            return minutes;
        }

        /// <summary>The plan's display-off timeout.</summary>
        /// <param name="SchemeGuid">The plan.</param>
        /// <param name="bOnAC"><c>true</c> for mains power, <c>false</c> for battery.</param>
        /// <returns>Whole minutes; 0 when the platform cannot read them.</returns>
        public unsafe uint GetDisplayTimer(Guid SchemeGuid, bool bOnAC)
        {
            uint minutes;
            NativeMethods.Check(NativeMethods.C.GetDisplayTimer(&SchemeGuid, bOnAC ? 1 : 0, &minutes));
            return minutes;
        }

        /// <summary>Stores the plan's sleep timeout.</summary>
        /// <param name="SchemeGuid">The plan.</param>
        /// <param name="bOnAC"><c>true</c> for mains power, <c>false</c> for battery.</param>
        /// <param name="timer">Whole minutes; 0 means never.</param>
        /// <returns><c>true</c> when the platform stored it; <c>false</c> when it refused, and
        /// without asking the platform above 71582788 minutes.</returns>
        public unsafe bool SetSleepTimer(Guid SchemeGuid, bool bOnAC, uint timer)
        {
            int stored;
            NativeMethods.Check(NativeMethods.C.SetSleepTimer(&SchemeGuid, bOnAC ? 1 : 0, timer, &stored));
            return stored != 0;
        }

        /// <summary>Stores the plan's hibernation timeout.</summary>
        /// <param name="SchemeGuid">The plan.</param>
        /// <param name="bOnAC"><c>true</c> for mains power, <c>false</c> for battery.</param>
        /// <param name="timer">Whole minutes; 0 means never.</param>
        /// <returns>As <see cref="SetSleepTimer"/>.</returns>
        public unsafe bool SetHibernationTimer(Guid SchemeGuid, bool bOnAC, uint timer)
        {
            int stored;
            NativeMethods.Check(NativeMethods.C.SetHibernationTimer(&SchemeGuid, bOnAC ? 1 : 0, timer, &stored));
            return stored != 0;
        }

        /// <summary>Stores the plan's display-off timeout.</summary>
        /// <param name="SchemeGuid">The plan.</param>
        /// <param name="bOnAC"><c>true</c> for mains power, <c>false</c> for battery.</param>
        /// <param name="timer">Whole minutes; 0 means never.</param>
        /// <returns>As <see cref="SetSleepTimer"/>.</returns>
        public unsafe bool SetDisplayTimer(Guid SchemeGuid, bool bOnAC, uint timer)
        {
            int stored;
            NativeMethods.Check(NativeMethods.C.SetDisplayTimer(&SchemeGuid, bOnAC ? 1 : 0, timer, &stored));
            return stored != 0;
        }

        /// <summary>The version of the native calvoro library, "MAJOR.MINOR.PATCH".</summary>
        public static unsafe string LibraryVersion => NativeMethods.Utf8(NativeMethods.C.Version());
    }
}
