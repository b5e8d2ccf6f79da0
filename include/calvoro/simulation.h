// Control of the simulated platform: the in-memory machine that stands in for Windows'
// power plans in every non-Windows build of Calvoro.
//
// Applications built on Calvoro can use it to test themselves: put the machine into a known
// state, then call PowerClass as usual. The machine is one per process and safe to use from
// many threads; every function here takes the same lock as the platform calls.
#pragma once

#include <calvoro/export.h>
#include <calvoro/guid.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Calvoro::Simulation {

/// The platform operations whose answers can be forced.
enum class Operation {
    PowerEnumerate,
    PowerReadFriendlyName,
    PowerWriteFriendlyName,
    PowerWriteDescription,
    PowerReadACValueIndex,
    PowerReadDCValueIndex,
    PowerWriteACValueIndex,
    PowerWriteDCValueIndex,
    LocalAlloc,  ///< any injected status makes the allocation fail (return no block)
};

enum class Timeout { Sleep, Hibernate, Display };

struct TimeoutSeconds {
    std::uint32_t ac = 0;
    std::uint32_t dc = 0;

    friend bool operator==(const TimeoutSeconds& a, const TimeoutSeconds& b) {
        return a.ac == b.ac && a.dc == b.dc;
    }
};

/// One power plan as the machine stores it.
struct Plan {
    Guid id;
    std::u16string name;
    std::u16string description;
    TimeoutSeconds sleep;
    TimeoutSeconds hibernate;
    TimeoutSeconds display;
};

/// How often an injected fault fires.
enum class Repeat {
    Once,   ///< on one call of the operation only
    Always  ///< on every call from then on, until ClearFaults
};

/// Back to the seeded machine: Windows' standard plans Balanced, High performance and Power
/// saver, in that order, with their usual names, descriptions and timeouts; no faults.
CALVORO_API void Reset();

/// The plans in the platform's order.
CALVORO_API std::vector<Plan> Plans();

/// Appends `plan`. Returns false, changing nothing, when a plan with its id exists.
CALVORO_API bool AddPlan(const Plan& plan);

/// Removes the plan. Returns false when there is no such plan.
CALVORO_API bool RemovePlan(const Guid& id);

/// The stored seconds of one timeout, or nothing when there is no such plan.
CALVORO_API std::optional<std::uint32_t> ReadSeconds(const Guid& plan, Timeout timeout,
                                                     bool onAC);

/// Stores seconds directly. Returns false when there is no such plan.
CALVORO_API bool WriteSeconds(const Guid& plan, Timeout timeout, bool onAC,
                              std::uint32_t seconds);

/// Makes the operation return `status` instead of doing its work, starting with the call
/// after the next `callsToSkip` calls (0: the very next call). Replaces any fault injected
/// for the operation before.
CALVORO_API void InjectStatus(Operation operation, std::uint32_t status,
                              Repeat repeat = Repeat::Once, std::uint32_t callsToSkip = 0);

/// Makes the operation raise std::runtime_error(message) instead of doing its work; the
/// other arguments as for InjectStatus.
CALVORO_API void InjectException(Operation operation, const std::string& message,
                                 Repeat repeat = Repeat::Once, std::uint32_t callsToSkip = 0);

/// Removes every injected fault.
CALVORO_API void ClearFaults();

/// Blocks handed out by LocalAlloc so far, and those not yet released.
struct AllocationCounts {
    std::size_t made = 0;
    std::size_t live = 0;
};
CALVORO_API AllocationCounts Allocations();

}  // namespace Calvoro::Simulation
