// The sleep, hibernation and display-off timeouts (timeouts.h holds their code).
#include <calvoro/power_class.h>

#include "timeouts.h"

namespace Calvoro {

std::uint32_t PowerClass::GetSleepTimer(const Guid& SchemeGuid, bool bOnAC) const {
    return detail::GetSleepTimer(SchemeGuid, bOnAC);
}

std::uint32_t PowerClass::GetHibernationTimer(const Guid& SchemeGuid, bool bOnAC) const {
    return detail::GetHibernationTimer(SchemeGuid, bOnAC);
}

std::uint32_t PowerClass::GetDisplayTimer(const Guid& SchemeGuid, bool bOnAC) const {
    return detail::GetDisplayTimer(SchemeGuid, bOnAC);
}

bool PowerClass::SetSleepTimer(const Guid& SchemeGuid, bool bOnAC, std::uint32_t timer) const {
    return detail::SetSleepTimer(SchemeGuid, bOnAC, timer);
}

bool PowerClass::SetHibernationTimer(const Guid& SchemeGuid, bool bOnAC,
                                     std::uint32_t timer) const {
    return detail::SetHibernationTimer(SchemeGuid, bOnAC, timer);
}

bool PowerClass::SetDisplayTimer(const Guid& SchemeGuid, bool bOnAC, std::uint32_t timer) const {
    return detail::SetDisplayTimer(SchemeGuid, bOnAC, timer);
}

}  // namespace Calvoro
