#include "power_settings/aliases.h"

#include <algorithm>
#include <iterator>

namespace Calvoro::detail {
namespace {

struct Alias {
    Guid id;
    std::u16string_view alias;
};

// One row for each subgroup and setting that powercfg names, in the data file's order.
constexpr Alias kAliases[] = {
#include "setting_aliases.inc"
};

}  // namespace

std::u16string_view AliasOf(const Guid& id) {
    const auto found = std::find_if(std::begin(kAliases), std::end(kAliases),
                                    [&](const Alias& row) { return row.id == id; });
    return found != std::end(kAliases) ? found->alias : std::u16string_view();
}

}  // namespace Calvoro::detail
