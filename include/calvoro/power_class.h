// Calvoro::PowerClass: the operating system's power plans as plain values.
#pragma once

#include <calvoro/export.h>
#include <calvoro/guid.h>

#include <cstdint>
#include <optional>
#include <string>

namespace Calvoro {

/// The most minutes a timeout can hold: their seconds must fit 32 bits (71582788 * 60 is
/// 4294967280). The setters refuse more without calling the platform.
inline constexpr std::uint32_t MaxTimerMinutes = 71582788;

/// The library's interface to the power plans.
///
/// The class holds no state: every operation is a short, synchronous translation between
/// plain values and one or two platform calls, and may be called from any thread, on one
/// object or on several, at the same time. Failures are results, never exceptions; an
/// exception that the platform itself raises passes through to the caller unchanged. The
/// one exception is GetDefaultPlaneGUID, which raises the errors of <calvoro/errors.h>.
///
/// Timeouts are whole minutes, kept separately for mains power (`bOnAC` true) and battery
/// power (`bOnAC` false). The platform stores seconds: a getter returns the stored seconds
/// divided by 60, rounded down.
class CALVORO_API PowerClass {
public:
    PowerClass() = default;

    /// The platform record with the same 16-byte image as `guid`. Cannot fail.
    GUID ToGUID(const Guid& guid) const;

    /// The identifier of the installed plan at `PowerSchemeIndex`, counted from 0 in the
    /// platform's order; NoPowerSchemeGuid past the last plan or when the platform fails
    /// (the two cannot be told apart). List all plans by counting up from 0 until
    /// NoPowerSchemeGuid comes back. Nothing is cached: each call asks the platform.
    Guid EnumPowerSchemeGuid(std::uint32_t PowerSchemeIndex) const;

    /// The plan's display name, up to its first NUL; no value when the plan does not exist
    /// or the name cannot be read. An exception that the platform raises while reading the
    /// name is reported as one line on standard output (and yields no value); one raised
    /// while asking for the name's size is dropped silently.
    std::optional<std::u16string> ReadPowerSchemeName(const Guid& PowerSchemeGuid) const;

    /// Writes the plan's name, then its description. Each text is passed up to its first
    /// NUL. Both texts are required; taking them by reference means an absent text cannot be
    /// passed at all. Returns 1 when both were stored, otherwise 0: when the name is refused
    /// the description is not written, and when only the description is refused the new
    /// name stays. A text too long for the platform's 32-bit byte size is refused without a
    /// platform call.
    std::int32_t WritePowerSchemeNameDescription(const Guid& PowerSchemeGuid,
                                                 const std::u16string& SchemeName,
                                                 const std::u16string& SchemeDescription) const;

    /// The plan that the current user's registry records as the default for mains power
    /// (`b_OnAC` true: value "AC") or battery (false: value "DC"), under
    /// HKEY_CURRENT_USER\Software\Quandrel\Zephlo\PowerPolicies\DEV_DEFAULT_PLANE.
    /// Returns NoPowerSchemeGuid when the key or the value does not exist. The identifier is
    /// returned whether or not such a plan is installed.
    /// Throws GuidParseError when the value is not a string holding GUID text (a number, a
    /// binary value, other text), and RegistryAccessError when the registry refuses access to
    /// the key or the value. The registry is only read, never written.
    Guid GetDefaultPlaneGUID(bool b_OnAC) const;

    /// The plan's sleep (standby) timeout in minutes; 0 when the platform cannot read it.
    std::uint32_t GetSleepTimer(const Guid& SchemeGuid, bool bOnAC) const;
    /// The plan's hibernation timeout in minutes; 0 when the platform cannot read it.
    std::uint32_t GetHibernationTimer(const Guid& SchemeGuid, bool bOnAC) const;
    /// The plan's display-off timeout in minutes; 0 when the platform cannot read it.
    std::uint32_t GetDisplayTimer(const Guid& SchemeGuid, bool bOnAC) const;

    /// Stores `timer` minutes (0 means never) as the plan's sleep timeout.
    /// Returns true when the platform stored it; false when it refused, and false without
    /// calling the platform when `timer` exceeds MaxTimerMinutes.
    bool SetSleepTimer(const Guid& SchemeGuid, bool bOnAC, std::uint32_t timer) const;
    /// As SetSleepTimer, for the hibernation timeout.
    bool SetHibernationTimer(const Guid& SchemeGuid, bool bOnAC, std::uint32_t timer) const;
    /// As SetSleepTimer, for the display-off timeout.
    bool SetDisplayTimer(const Guid& SchemeGuid, bool bOnAC, std::uint32_t timer) const;
};

}  // namespace Calvoro
