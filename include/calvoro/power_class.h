// Calvoro::PowerClass: the operating system's power plans as plain values.
#pragma once

#include <calvoro/export.h>
#include <calvoro/guid.h>

#include <cstdint>

namespace Calvoro {

/// The library's interface to the power plans.
///
/// The class holds no state: every operation is a short, synchronous translation between
/// plain values and one or two platform calls, and may be called from any thread, on one
/// object or on several, at the same time. Failures are results, never exceptions; an
/// exception that the platform itself raises passes through to the caller unchanged.
///
/// Timeouts are whole minutes, kept separately for mains power (`bOnAC` true) and battery
/// power (`bOnAC` false). The platform stores seconds: a getter returns the stored seconds
/// divided by 60, rounded down.
class CALVORO_API PowerClass {
public:
    PowerClass() = default;

    /// The platform record with the same 16-byte image as `guid`. Cannot fail.
    GUID ToGUID(const Guid& guid) const;

    /// The plan's sleep (standby) timeout in minutes; 0 when the platform cannot read it.
    std::uint32_t GetSleepTimer(const Guid& SchemeGuid, bool bOnAC) const;
    /// The plan's hibernation timeout in minutes; 0 when the platform cannot read it.
    std::uint32_t GetHibernationTimer(const Guid& SchemeGuid, bool bOnAC) const;
    /// The plan's display-off timeout in minutes; 0 when the platform cannot read it.
    std::uint32_t GetDisplayTimer(const Guid& SchemeGuid, bool bOnAC) const;

    /// Stores `timer` minutes (0 means never) as the plan's sleep timeout.
    /// Returns true when the platform stored it; false when it refused, and false without
    /// calling the platform when `timer` exceeds 71582788 (its seconds would not fit 32 bits).
    bool SetSleepTimer(const Guid& SchemeGuid, bool bOnAC, std::uint32_t timer) const;
    /// As SetSleepTimer, for the hibernation timeout.
    bool SetHibernationTimer(const Guid& SchemeGuid, bool bOnAC, std::uint32_t timer) const;
    /// As SetSleepTimer, for the display-off timeout.
    bool SetDisplayTimer(const Guid& SchemeGuid, bool bOnAC, std::uint32_t timer) const;
};

}  // namespace Calvoro
