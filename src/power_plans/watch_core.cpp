// The watcher's decisions: see watch_core.h.
#include "power_plans/watch_core.h"

namespace Calvoro::watching {

PowerSource Counted(PowerSource source) {
    return source == PowerSource::ShortTerm ? PowerSource::DC : source;
}

Answer WatchCore::FromRecord(WatchTrigger trigger, const Facts& facts) const {
    Answer answer{trigger, facts.source, std::nullopt, WatchAction::NoneRecorded, false};
    if (Counted(facts.source) == PowerSource::Unknown || facts.record == Record::None) {
        return answer;
    }
    if (facts.record == Record::Refused) {
        answer.action = WatchAction::RecordRefused;
        return answer;
    }
    answer.plan = facts.recorded;
    if (!facts.installed) {
        answer.action = WatchAction::NotInstalled;
    } else if (facts.active == facts.recorded) {
        answer.action = WatchAction::AlreadyActive;
    } else {
        answer.action = WatchAction::Applied;
        answer.apply = true;
    }
    return answer;
}

Answer WatchCore::Start(const Facts& facts) {
    settled_ = Counted(facts.source);
    return FromRecord(WatchTrigger::Start, facts);
}

void WatchCore::SourceSignalled(PowerSource read, Clock::time_point now) {
    const PowerSource counted = Counted(read);
    if (counted == PowerSource::Unknown || counted == settled_) {
        pending_.reset();  // back where it was: the change did nothing
    } else if (pending_ != counted) {
        pending_ = counted;
        changeAt_ = now + debounce_;
    }
}

void WatchCore::ResumeSignalled(Clock::time_point now) { resumeAt_ = now + debounce_; }

std::optional<Answer> WatchCore::PlanSignalled(const Facts& facts) {
    if (!facts.active || facts.active == wanted_ || resumeAt_) {
        return std::nullopt;
    }
    manual_ = true;
    return Answer{WatchTrigger::PlanChange, facts.source, facts.active, WatchAction::KeptManual,
                  false};
}

std::optional<Clock::time_point> WatchCore::Due() const {
    std::optional<Clock::time_point> due;
    if (pending_) {
        due = changeAt_;
    }
    if (resumeAt_ && (!due || *resumeAt_ < *due)) {
        due = resumeAt_;
    }
    return due;
}

std::optional<Answer> WatchCore::DueDecision(const Facts& facts, Clock::time_point now) {
    const PowerSource counted = Counted(facts.source);
    if (pending_ && now >= changeAt_) {
        if (counted != *pending_) {
            // It changed again meanwhile: decide about where it is now, from now.
            pending_.reset();
            SourceSignalled(facts.source, now);
        } else {
            pending_.reset();
            settled_ = counted;
            manual_ = false;
            return FromRecord(WatchTrigger::SourceChange, facts);
        }
    }
    if (!resumeAt_ || now < *resumeAt_) {
        return std::nullopt;
    }
    resumeAt_.reset();
    if (counted != PowerSource::Unknown && counted != settled_) {
        settled_ = counted;  // it changed during sleep
        pending_.reset();
        manual_ = false;
    }
    if (!manual_ || !wanted_) {
        return FromRecord(WatchTrigger::Resume, facts);
    }
    // The person's plan stays; Windows may have reset it during sleep.
    const bool kept = facts.active == wanted_;
    return Answer{WatchTrigger::Resume, facts.source, wanted_,
                  kept ? WatchAction::KeptManual : WatchAction::Applied, !kept};
}

WatchAction WatchCore::Applied(Activation activation) {
    switch (activation) {
    case Activation::Applied:
        return WatchAction::Applied;
    case Activation::PinnedByPolicy:
        return WatchAction::Policy;
    case Activation::Refused:
        break;
    }
    return WatchAction::Refused;
}

void WatchCore::Reported(const Answer& answer, WatchAction action,
                         const std::optional<Guid>& active) {
    const bool running = action == WatchAction::Applied ||
                         action == WatchAction::AlreadyActive ||
                         action == WatchAction::KeptManual;
    wanted_ = running ? answer.plan : active;
}

}  // namespace Calvoro::watching
