// The watcher: one thread that makes every decision, woken by the platform's notifications,
// whose callbacks only record what happened.
#include <calvoro/power_class.h>
#include <calvoro/watcher.h>

#include <condition_variable>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>

#include "platform/platform.h"
#include "platform/power_settings.h"

namespace Calvoro {
namespace {

using Clock = std::chrono::steady_clock;

// The source as the record knows it: a UPS runs on batteries, so it counts as DC.
PowerSource Counted(PowerSource source) {
    return source == PowerSource::ShortTerm ? PowerSource::DC : source;
}

bool Installed(const Guid& plan) {
    const PowerClass power;
    for (std::uint32_t index = 0;; ++index) {
        const Guid id = power.EnumPowerSchemeGuid(index);
        if (id == NoPowerSchemeGuid || id == plan) {
            return id == plan;
        }
    }
}

std::optional<Guid> RecordedPlan(PowerSource counted) {
    try {
        const Guid recorded = PowerClass().GetDefaultPlaneGUID(counted == PowerSource::AC);
        return recorded == NoPowerSchemeGuid ? std::nullopt : std::optional(recorded);
    } catch (const std::exception&) {
        return std::nullopt;  // a record that cannot be read is no record to apply
    }
}

WatchDecision Decision(WatchTrigger trigger, PowerSource source, std::optional<Guid> plan,
                       WatchAction action) {
    return {std::chrono::system_clock::now(), trigger, source, plan, action};
}

// Applies `plan` unless it is active already.
WatchAction Apply(const Guid& plan) {
    if (ActivePlan() == plan) {
        return WatchAction::AlreadyActive;
    }
    switch (ActivatePlan(plan)) {
    case Activation::Applied:
        return WatchAction::Applied;
    case Activation::PinnedByPolicy:
        return WatchAction::Policy;
    case Activation::Refused:
        break;
    }
    return WatchAction::Refused;
}

// The decision for the recorded plan of `source`, as read.
WatchDecision ApplyRecorded(WatchTrigger trigger, PowerSource source) {
    const std::optional<Guid> recorded =
        Counted(source) == PowerSource::Unknown ? std::nullopt : RecordedPlan(Counted(source));
    if (!recorded) {
        return Decision(trigger, source, std::nullopt, WatchAction::NoneRecorded);
    }
    if (!Installed(*recorded)) {
        return Decision(trigger, source, recorded, WatchAction::NotInstalled);
    }
    return Decision(trigger, source, recorded, Apply(*recorded));
}

// The watchers whose notifications may still come. A notification for one that has gone
// finds it missing, so that a late callback from the platform touches nothing freed.
std::mutex liveMutex;
std::set<const void*> live;

}  // namespace

WatchDecision ApplyRecordedPlan() {
    return ApplyRecorded(WatchTrigger::Start, ReadPowerSource().source);
}

struct PowerWatcher::Running {
    Running(std::chrono::milliseconds debounceTime, Callback told)
        : debounce(debounceTime), callback(std::move(told)) {}

    // What the notifications recorded, under `mutex`.
    struct Signals {
        bool source = false;
        bool plan = false;
        bool resume = false;
        bool stop = false;
    };

    template <bool Signals::*flag>
    static void Notify(void* context, std::uint32_t type) {
        if (flag == &Signals::resume && type != platform::kPbtApmResumeAutomatic) {
            return;  // suspend, and the second resume that follows a person's input
        }
        std::lock_guard<std::mutex> liveLock(liveMutex);
        if (live.count(context) == 0) {
            return;
        }
        auto* running = static_cast<Running*>(context);
        {
            std::lock_guard<std::mutex> lock(running->mutex);
            running->signals.*flag = true;
        }
        running->wake.notify_one();
    }

    void Subscribe() {
        {
            std::lock_guard<std::mutex> liveLock(liveMutex);
            live.insert(this);
        }
        platform::NotifyRecipient recipient{&Notify<&Signals::source>, this};
        if (platform::PowerSettingRegisterNotification(&platform::GUID_ACDC_POWER_SOURCE,
                                                       &recipient, &sourceHandle) != 0) {
            sourceHandle = nullptr;
        }
        recipient.Callback = &Notify<&Signals::plan>;
        if (platform::PowerSettingRegisterNotification(&platform::GUID_ACTIVE_POWERSCHEME,
                                                       &recipient, &planHandle) != 0) {
            planHandle = nullptr;
        }
        recipient.Callback = &Notify<&Signals::resume>;
        if (platform::PowerRegisterSuspendResumeNotification(&recipient, &resumeHandle) != 0) {
            resumeHandle = nullptr;
        }
    }

    void Unsubscribe() {
        if (sourceHandle != nullptr) {
            (void)platform::PowerSettingUnregisterNotification(sourceHandle);
        }
        if (planHandle != nullptr) {
            (void)platform::PowerSettingUnregisterNotification(planHandle);
        }
        if (resumeHandle != nullptr) {
            (void)platform::PowerUnregisterSuspendResumeNotification(resumeHandle);
        }
        std::lock_guard<std::mutex> liveLock(liveMutex);
        live.erase(this);
    }

    void Tell(const WatchDecision& decision) {
        try {
            callback(decision);
        } catch (...) {  // NOLINT(bugprone-empty-catch): the callback's failure is its own
        }
    }

    // Remembers what a decision left running: the plan applied or found, else what is active.
    void Made(const WatchDecision& decision) {
        const bool running = decision.action == WatchAction::Applied ||
                             decision.action == WatchAction::AlreadyActive ||
                             decision.action == WatchAction::KeptManual;
        wanted = running ? decision.plan : ActivePlan();
        Tell(decision);
    }

    void SourceSignalled(Clock::time_point now) {
        const PowerSource read = Counted(ReadPowerSource().source);
        if (read == PowerSource::Unknown || read == settled) {
            pendingSource.reset();  // back where it was: the change did nothing
        } else if (pendingSource != read) {
            pendingSource = read;
            changeAt = now + debounce;
        }
    }

    void PlanSignalled() {
        const std::optional<Guid> active = ActivePlan();
        // At a resume, Windows may reset the plan itself: the resume's decision looks at it.
        if (!active || active == wanted || resumeAt) {
            return;
        }
        manual = true;
        Made(Decision(WatchTrigger::PlanChange, ReadPowerSource().source, active,
                      WatchAction::KeptManual));
    }

    void ChangeDue() {
        const PowerSourceState read = ReadPowerSource();
        if (Counted(read.source) != pendingSource) {
            // It changed again meanwhile: that change's own notification says what to do.
            pendingSource.reset();
            SourceSignalled(Clock::now());
            return;
        }
        pendingSource.reset();
        settled = Counted(read.source);
        manual = false;
        Made(ApplyRecorded(WatchTrigger::SourceChange, read.source));
    }

    void ResumeDue() {
        resumeAt.reset();
        const PowerSourceState read = ReadPowerSource();
        if (Counted(read.source) != PowerSource::Unknown && Counted(read.source) != settled) {
            settled = Counted(read.source);  // it changed during sleep
            pendingSource.reset();
            manual = false;
        }
        if (!manual || !wanted) {
            Made(ApplyRecorded(WatchTrigger::Resume, read.source));
            return;
        }
        // The person's plan stays; Windows may have reset it during sleep.
        const WatchAction action = Apply(*wanted);
        Made(Decision(WatchTrigger::Resume, read.source, wanted,
                      action == WatchAction::AlreadyActive ? WatchAction::KeptManual : action));
    }

    void Run() {
        const PowerSourceState start = ReadPowerSource();
        settled = Counted(start.source);
        Made(ApplyRecorded(WatchTrigger::Start, start.source));

        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            const auto signalled = [this] {
                return signals.source || signals.plan || signals.resume || signals.stop;
            };
            std::optional<Clock::time_point> due;
            if (pendingSource) {
                due = changeAt;
            }
            if (resumeAt && (!due || *resumeAt < *due)) {
                due = resumeAt;
            }
            if (due) {
                wake.wait_until(lock, *due, signalled);
            } else {
                wake.wait(lock, signalled);
            }
            const Signals taken = signals;
            signals = Signals{};
            if (taken.stop) {
                break;
            }
            lock.unlock();
            const Clock::time_point now = Clock::now();
            if (taken.resume) {
                resumeAt = now + debounce;
            }
            if (taken.source) {
                SourceSignalled(now);
            }
            if (taken.plan) {
                PlanSignalled();
            }
            if (pendingSource && Clock::now() >= changeAt) {
                ChangeDue();
            }
            if (resumeAt && Clock::now() >= *resumeAt) {
                ResumeDue();
            }
            lock.lock();
        }
        lock.unlock();
        Tell(Decision(WatchTrigger::Stop, ReadPowerSource().source, wanted, WatchAction::Stopped));
    }

    const std::chrono::milliseconds debounce;
    const Callback callback;
    platform::NotifyHandle sourceHandle = nullptr;
    platform::NotifyHandle planHandle = nullptr;
    platform::NotifyHandle resumeHandle = nullptr;

    std::mutex mutex;
    std::condition_variable wake;
    Signals signals;
    std::thread thread;

    // The watcher's thread's own.
    PowerSource settled = PowerSource::Unknown;  // as counted
    std::optional<Guid> wanted;                  // what the last decision left running
    bool manual = false;                         // `wanted` is the person's choice
    std::optional<PowerSource> pendingSource;
    Clock::time_point changeAt;
    std::optional<Clock::time_point> resumeAt;
};

PowerWatcher::PowerWatcher(std::chrono::milliseconds debounce, Callback callback) {
    if (debounce.count() < 0) {
        throw std::invalid_argument("the debounce time is negative");
    }
    if (!callback) {
        throw std::invalid_argument("the watcher needs a callback");
    }
    auto running = std::make_unique<Running>(debounce, std::move(callback));
    // Subscribed before the start decision, so that no change falls between the two.
    running->Subscribe();
    try {
        running->thread = std::thread([raw = running.get()] { raw->Run(); });
    } catch (...) {
        running->Unsubscribe();
        throw;
    }
    running_ = running.release();
}

PowerWatcher::~PowerWatcher() {
    try {
        Stop();
    } catch (...) {  // NOLINT(bugprone-empty-catch): only from inside the callback, not here
    }
    delete running_;
}

void PowerWatcher::Stop() {
    if (!running_->thread.joinable()) {
        return;
    }
    if (running_->thread.get_id() == std::this_thread::get_id()) {
        throw std::logic_error("a watcher cannot be stopped from inside its callback");
    }
    running_->Unsubscribe();
    {
        std::lock_guard<std::mutex> lock(running_->mutex);
        running_->signals.stop = true;
    }
    running_->wake.notify_one();
    running_->thread.join();
}

bool PowerWatcher::Notified() const { return running_->sourceHandle != nullptr; }

}  // namespace Calvoro
