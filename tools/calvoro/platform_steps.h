// What the program reads and does beside the library's class, which never touches these: the
// active plan, applying a plan, and a plan's description. On Windows they are the power API's
// own calls (PowerGetActiveScheme, PowerSetActiveScheme, PowerReadDescription); on the
// simulated machine, its controls.
#pragma once

#include <calvoro/guid.h>

#include <optional>
#include <string>

namespace calvoro_cli {

/// The plan the platform applies now; none when it cannot tell.
std::optional<Calvoro::Guid> ActivePlan();

/// Applies `plan`, as Windows' own tool does; false when the platform refuses.
bool ApplyPlan(const Calvoro::Guid& plan);

/// The plan's description; none when the platform cannot tell it.
std::optional<std::u16string> ReadDescription(const Calvoro::Guid& plan);

}  // namespace calvoro_cli
