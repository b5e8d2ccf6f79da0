// The watcher: the plan recorded as the default for the current power source (the record
// that PowerClass::GetDefaultPlaneGUID reads, written by SetDefaultPlan) applied at start,
// after the source has stayed changed for the debounce time, and after resume from sleep.
//
// It reads the source, the record and the active plan itself at every decision: Windows may
// notify several times for one change, and Wine never does. A short-term source (a UPS)
// counts as DC; an unknown source changes nothing. A plan that the person applies while the
// watcher runs is kept until the next change of source. On Windows it waits on powrprof's
// notifications and never polls; on the simulated machine it is told of the machine's
// changes in the same process.
#pragma once

#include <calvoro/export.h>
#include <calvoro/guid.h>
#include <calvoro/power_plans.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

namespace Calvoro {

/// What the watcher did about one decision.
enum class WatchAction {
    Applied,        ///< it applied `plan`
    AlreadyActive,  ///< `plan` was already the active plan
    KeptManual,     ///< the person applied `plan`, which stays until the next change of source
    NoneRecorded,   ///< no plan is recorded for the source (or the source is unknown)
    NotInstalled,   ///< the recorded `plan` is not installed
    Refused,        ///< the platform refused to apply `plan`
    Policy,         ///< Group Policy sets the active plan: `plan` was not applied
    Stopped,        ///< the watcher stopped: its last decision
    RecordRefused   ///< the registry refused access to the record of the source
};

/// What made the watcher decide.
enum class WatchTrigger {
    Start,         ///< the watcher started (and ApplyRecordedPlan)
    SourceChange,  ///< the source changed and stayed so for the debounce time
    Resume,        ///< the machine woke from sleep, the debounce time ago
    PlanChange,    ///< someone else applied a plan
    Stop           ///< the watcher was stopped
};

/// One decision.
struct WatchDecision {
    std::chrono::system_clock::time_point time;
    WatchTrigger trigger = WatchTrigger::Start;
    PowerSource source = PowerSource::Unknown;  ///< as read, a UPS as ShortTerm
    std::optional<Guid> plan;                   ///< none for NoneRecorded
    WatchAction action = WatchAction::NoneRecorded;
};

/// The watcher's decision at start, made once: reads the source and its record, and applies
/// the recorded plan when it is installed and not already active. Does not throw for the
/// platform's failures: a record whose access is refused is RecordRefused, and one that holds
/// no identifier counts as none.
CALVORO_API WatchDecision ApplyRecordedPlan();

/// A running watcher. Starting makes the start decision and subscribes to the platform's
/// notifications of the source, the active plan and resume; every decision is handed to the
/// callback, on the watcher's own thread, one at a time. Exceptions that the callback throws
/// are dropped.
class CALVORO_API PowerWatcher {
public:
    using Callback = std::function<void(const WatchDecision&)>;

    /// Starts watching. The debounce time is how long a changed source must stay so, and how
    /// long after a resume the plan is applied again. Throws std::invalid_argument for a
    /// negative debounce time or an empty callback, and std::system_error when the watcher's
    /// thread cannot start.
    PowerWatcher(std::chrono::milliseconds debounce, Callback callback);

    /// Stops, as Stop does. Inside the callback, where Stop cannot wait for the watcher's own
    /// thread, it neither blocks nor throws: the callback is not called again (not even with
    /// Stopped), and the thread ends and releases what it holds once the callback returns.
    ~PowerWatcher();
    PowerWatcher(const PowerWatcher&) = delete;
    PowerWatcher& operator=(const PowerWatcher&) = delete;

    /// Unsubscribes, waits for a decision in flight, and hands the callback its Stopped
    /// decision. After Stop returns, the callback is not called again. Later calls do
    /// nothing. Throws std::logic_error when called from inside the callback.
    void Stop();

    /// True when the platform tells the watcher of changes of the source (not under Wine's
    /// own powrprof, nor before Windows 8): else it decides only at start, and after resume
    /// where the platform tells of that.
    bool Notified() const;

private:
    struct Running;
    Running* running_;
};

}  // namespace Calvoro
