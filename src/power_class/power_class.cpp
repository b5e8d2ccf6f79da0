#include <calvoro/power_class.h>

#include "platform/conversions.h"

namespace Calvoro {

GUID PowerClass::ToGUID(const Guid& guid) const { return detail::ToPlatformRecord(guid); }

}  // namespace Calvoro
