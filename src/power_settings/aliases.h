// powercfg's aliases of subgroups and settings (SUB_PROCESSOR, PROCTHROTTLEMAX): Windows has
// no call for them, so the library holds Windows' published table, generated from the data
// file of Windows' settings.
#pragma once

#include <calvoro/guid.h>

#include <string_view>

namespace Calvoro::detail {

/// The alias of the subgroup or setting with this identifier; empty when it has none.
std::u16string_view AliasOf(const Guid& id);

}  // namespace Calvoro::detail
