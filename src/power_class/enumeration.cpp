// Listing the installed plans (enumeration.h holds the code).
#include <calvoro/power_class.h>

#include "enumeration.h"

namespace Calvoro {

Guid PowerClass::EnumPowerSchemeGuid(std::uint32_t PowerSchemeIndex) const {
    return detail::EnumPowerSchemeGuid(PowerSchemeIndex);
}

}  // namespace Calvoro
