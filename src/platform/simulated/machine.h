// The simulated machine's state and the one lock that guards it.
#pragma once

#include <calvoro/simulation.h>

#include "platform/platform.h"

#include <array>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace Calvoro::simulated {

using Simulation::Operation;
using Simulation::Plan;
using Simulation::Repeat;
using Simulation::TimeoutSeconds;

inline constexpr std::size_t kOperationCount =
    static_cast<std::size_t>(Operation::PowerSettingAccessCheckEx) + 1;

struct Fault {
    bool raises = false;  // raise std::runtime_error(message) instead of returning status
    platform::Status status = 0;
    std::string message;
    Repeat repeat = Repeat::Once;
    std::uint32_t callsToSkip = 0;
};

/// Orders registry names as Windows compares them: ignoring ASCII letter case.
struct NoCaseLess {
    using is_transparent = void;
    bool operator()(std::u16string_view a, std::u16string_view b) const;
};

struct RegistryKey {
    std::map<std::u16string, Simulation::RegistryValue, NoCaseLess> values;
    bool refuseOpen = false;
    std::set<std::u16string, NoCaseLess> refusedValues;
};

struct State {
    std::vector<Plan> plans;
    std::optional<Guid> activePlan;  // none once the active plan was removed
    std::array<std::optional<Fault>, kOperationCount> faults;
    Simulation::AllocationCounts allocations;
    std::map<std::u16string, RegistryKey, NoCaseLess> registry;
    Simulation::RegistryKeyCounts registryKeys;
    Simulation::PowerState power;
};

/// The seeded machine.
State SeededState();

/// The process's one simulated machine.
class Machine {
public:
    /// Runs `work` on the state under the machine's lock and returns what it returns.
    template <typename Work>
    auto Locked(Work&& work) {
        std::lock_guard<std::mutex> lock(mutex_);
        return work(state_);
    }

private:
    std::mutex mutex_;
    State state_ = SeededState();
};

Machine& TheMachine();

/// Fires the fault injected for `operation`, if any, while the caller holds the lock:
/// raises for an injected exception, returns the status for an injected status.
std::optional<platform::Status> FireFault(State& state, Operation operation);

/// The plan with this identifier, or nullptr.
Plan* FindPlan(State& state, const Guid& id);

/// The plan that a platform call names by record, or nullptr (also for no record).
Plan* FindPlan(State& state, const GUID* scheme);

/// The stored seconds that a subgroup and setting name in `plan`, or nullptr.
TimeoutSeconds* FindTimeout(Plan& plan, const GUID* subgroup, const GUID* setting);

}  // namespace Calvoro::simulated
