// The watcher's decisions, and nothing else: no threads, no clock, no platform calls. The
// watcher's thread gathers what the platform says, hands it here with the time it read, and
// carries out the answer; the same inputs always give the same answer, so that one table of
// cases tests every decision.
#pragma once

#include <calvoro/guid.h>
#include <calvoro/power_plans.h>
#include <calvoro/watcher.h>

#include <chrono>
#include <optional>

namespace Calvoro::watching {

using Clock = std::chrono::steady_clock;

/// What reading the record of a source gave.
enum class Record {
    None,     ///< no plan is recorded (or the source is unknown)
    Plan,     ///< a plan is recorded: Facts::recorded
    Refused,  ///< the registry refused access to the record
};

/// What the watcher's thread read for one decision.
struct Facts {
    PowerSource source = PowerSource::Unknown;  ///< as read, a UPS as ShortTerm
    std::optional<Guid> active;                 ///< the active plan; none when it cannot tell
    Record record = Record::None;               ///< the record for the source, as counted
    Guid recorded;                              ///< the recorded plan, for Record::Plan
    bool installed = false;                     ///< whether `recorded` is installed
};

/// What to do about one decision: report `action` about `plan`; when `apply` is set, first
/// apply `plan`, and report what applying it gave instead (WatchCore::Applied).
struct Answer {
    WatchTrigger trigger = WatchTrigger::Start;
    PowerSource source = PowerSource::Unknown;
    std::optional<Guid> plan;
    WatchAction action = WatchAction::NoneRecorded;
    bool apply = false;
};

/// The source as the record knows it: a UPS runs on batteries, so it counts as DC.
PowerSource Counted(PowerSource source);

/// The watcher's memory between decisions, and the rules that make each one.
class WatchCore {
public:
    explicit WatchCore(std::chrono::milliseconds debounce) : debounce_(debounce) {}

    /// The start decision: the recorded plan of the source now.
    Answer Start(const Facts& facts);

    /// The platform said that the source changed; `read` is the source as read at `now`.
    void SourceSignalled(PowerSource read, Clock::time_point now);

    /// The platform said that the machine woke at `now`.
    void ResumeSignalled(Clock::time_point now);

    /// Someone applied a plan: the person's choice (KeptManual), unless it is the watcher's
    /// own, or a resume is pending (Windows may reset the plan itself then, and the resume's
    /// decision looks at it).
    std::optional<Answer> PlanSignalled(const Facts& facts);

    /// When the next timed decision falls due; none while nothing waits.
    std::optional<Clock::time_point> Due() const;

    /// The timed decision due at `now` with the facts read then: a source that stayed
    /// changed for the debounce time (its record applied), else a resume (the record, or the
    /// person's plan applied again). None when nothing is due, or the source went back.
    std::optional<Answer> DueDecision(const Facts& facts, Clock::time_point now);

    /// What applying `answer.plan` gave, as the action to report.
    static WatchAction Applied(Activation activation);

    /// Remembers what a reported decision left running: the plan it applied or found, else
    /// the active plan as read for it.
    void Reported(const Answer& answer, WatchAction action, const std::optional<Guid>& active);

    /// What the last decision left running, for the Stopped decision.
    const std::optional<Guid>& Wanted() const { return wanted_; }

private:
    Answer FromRecord(WatchTrigger trigger, const Facts& facts) const;

    std::chrono::milliseconds debounce_;
    PowerSource settled_ = PowerSource::Unknown;  // as counted
    std::optional<Guid> wanted_;                  // what the last decision left running
    bool manual_ = false;                         // `wanted_` is the person's choice
    std::optional<PowerSource> pending_;          // a changed source, waiting out the debounce
    Clock::time_point changeAt_;
    std::optional<Clock::time_point> resumeAt_;
};

}  // namespace Calvoro::watching
