// The simulated machine's state and the one lock that guards it.
#pragma once

#include <calvoro/simulation.h>

#include <array>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace Calvoro::simulated {

using Simulation::Operation;
using Simulation::Plan;
using Simulation::Repeat;
using Simulation::SettingAttributes;
using Simulation::SettingValue;
using Simulation::TimeoutSeconds;

inline constexpr std::size_t kOperationCount =
    static_cast<std::size_t>(Operation::PowerRestoreDefaultPowerSchemes) + 1;

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
    std::uint32_t resumes = 0;                  // resumes from sleep so far (wrapping)
    std::vector<SettingAttributes> attributes;  // written by PowerWriteSettingAttributes
};

/// Windows' plan templates with their defaults (Simulation::Templates), in full.
std::vector<Plan> TemplatePlans();

/// The plans a machine lists when seeded: the first three templates, or Balanced only on a
/// Modern Standby machine.
std::vector<Plan> SeededPlans(bool modernStandby);

/// The seeded machine, with Modern Standby or without.
State SeededState(bool modernStandby = false);

/// What a registration is told of: the power source, the active plan, or resume.
enum class Notice { Source, ActivePlan, Resume };

/// The process's one simulated machine.
class Machine {
public:
    /// Runs `work` on the state under the machine's lock and returns what it returns. Then,
    /// with the lock released, tells the registrations of what `work` changed, as Windows
    /// tells them on threads of its own: a change of source, of the active plan, a resume.
    template <typename Work>
    auto Locked(Work&& work) {
        Session session(*this);
        return work(state_);
    }

    /// Registers `recipient` for `notice`; the handle unregisters it.
    platform::NotifyHandle Register(Notice notice, const platform::NotifyRecipient& recipient);
    /// Unregisters. False for an unknown handle. As on Windows, a recipient being told at
    /// that moment may still be called once.
    bool Unregister(platform::NotifyHandle handle);

private:
    struct Watched {
        PowerSource source;
        std::optional<Guid> activePlan;
        std::uint32_t resumes;
        explicit Watched(const State& state)
            : source(state.power.source), activePlan(state.activePlan), resumes(state.resumes) {}
    };
    // One use of the state: holds the lock from its start; when it ends, however `work`
    // ended, it compares the state with how it began (under the lock), releases the lock,
    // and only then tells the registrations, so that a recipient may use the machine.
    class Session {
    public:
        explicit Session(Machine& machine)
            : machine_(machine), lock_(machine.mutex_), before_(machine.state_) {}
        ~Session();
        Session(const Session&) = delete;
        Session& operator=(const Session&) = delete;

    private:
        Machine& machine_;
        std::unique_lock<std::mutex> lock_;  // taken before `before_` is read
        Watched before_;
    };
    struct Registration {
        Notice notice;
        platform::NotifyRecipient recipient;
    };

    void Tell(const std::array<bool, 3>& due);

    std::mutex mutex_;
    State state_ = SeededState();
    std::mutex registrationsMutex_;  // guards `registrations_` only; never held while telling
    std::vector<std::unique_ptr<Registration>> registrations_;
};

Machine& TheMachine();

/// Fires the fault injected for `operation`, if any, while the caller holds the lock:
/// raises for an injected exception, returns the status for an injected status.
std::optional<platform::Status> FireFault(State& state, Operation operation);

/// The plan with this identifier, or nullptr.
Plan* FindPlan(State& state, const Guid& id);

/// The plan that a platform call names by record, or nullptr (also for no record).
Plan* FindPlan(State& state, const GUID* scheme);

/// Where a plan keeps one setting's values; both null when it has no such setting.
struct ValueSlots {
    std::uint32_t* ac = nullptr;
    std::uint32_t* dc = nullptr;
};

/// The values that a subgroup and setting name in `plan`: one of its three timeouts, or
/// another setting of the catalogue.
ValueSlots FindValues(Plan& plan, const GUID* subgroup, const GUID* setting);

/// Checks the settings given with `plan` and completes them: every setting of the catalogue
/// but the three timeouts, in the catalogue's order, a missing one with Windows' default for
/// the plan's personality. Throws std::invalid_argument for a setting the catalogue does not
/// have, one of the timeouts, or a setting given twice.
void CompleteSettings(Plan& plan);

/// The plan as the machine hands it out: with only the settings whose values differ from
/// Windows' defaults for its personality, which CompleteSettings gives it back.
Plan WithoutDefaults(const Plan& plan);

/// The setting's attributes: as written, or as Windows ships it (hidden or not).
std::uint32_t AttributesOf(const State& state, const Guid& subgroup, const Guid& setting);

}  // namespace Calvoro::simulated
