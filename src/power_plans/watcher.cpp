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
#include "power_plans/watch_core.h"

namespace Calvoro {
namespace {

using watching::Answer;
using watching::Clock;
using watching::Counted;
using watching::Facts;
using watching::Record;

bool Installed(const Guid& plan) {
    const PowerClass power;
    for (std::uint32_t index = 0;; ++index) {
        const Guid id = power.EnumPowerSchemeGuid(index);
        if (id == NoPowerSchemeGuid || id == plan) {
            return id == plan;
        }
    }
}

// What the platform says now, for one decision: the source, the active plan, and the record
// of the source with whether its plan is installed.
Facts ReadFacts() {
    Facts facts;
    facts.source = ReadPowerSource().source;
    facts.active = ActivePlan();
    const PowerSource counted = Counted(facts.source);
    if (counted == PowerSource::Unknown) {
        return facts;
    }
    try {
        const Guid recorded = PowerClass().GetDefaultPlaneGUID(counted == PowerSource::AC);
        if (recorded != NoPowerSchemeGuid) {
            facts.record = Record::Plan;
            facts.recorded = recorded;
            facts.installed = Installed(recorded);
        }
    } catch (const RegistryAccessError&) {
        facts.record = Record::Refused;
    } catch (const std::exception&) {
        // A value that is no plan's identifier, or a platform's failure: no record to apply.
    }
    return facts;
}

// The one place where the watcher's thread reads the time (the core takes it as an input).
Clock::time_point Now() { return Clock::now(); }

// Carries out an answer: applies its plan when it says so. The action to report.
WatchAction Carry(const Answer& answer) {
    return answer.apply ? watching::WatchCore::Applied(ActivatePlan(*answer.plan)) : answer.action;
}

WatchDecision Decision(const Answer& answer, WatchAction action) {
    return {std::chrono::system_clock::now(), answer.trigger, answer.source, answer.plan, action};
}

// The one guard against late notifications. The platform may call a recipient after it
// unregistered: Windows does not say that unregistering waits for a callback in flight, and
// the simulated machine tells its recipients without holding a lock. So a watcher is in
// `live` from before it subscribes until it has unsubscribed, Notify touches a watcher only
// while it holds `liveMutex` and finds it there, and Unsubscribe takes it out under the same
// mutex: once Unsubscribe returns, no notification touches the watcher, which may then go.
std::mutex liveMutex;
std::set<const void*> live;

}  // namespace

WatchDecision ApplyRecordedPlan() {
    watching::WatchCore core(std::chrono::milliseconds(0));
    const Answer answer = core.Start(ReadFacts());
    return Decision(answer, Carry(answer));
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
        if (orphaned) {
            return;  // its owner has gone: nobody is told any more
        }
        try {
            callback(decision);
        } catch (...) {  // NOLINT(bugprone-empty-catch): the callback's failure is its own
        }
    }

    // Carries out an answer and tells it; the core remembers what it left running.
    void Carried(const Answer& answer, const Facts& facts) {
        const WatchAction action = Carry(answer);
        core.Reported(answer, action, facts.active);
        Tell(Decision(answer, action));
    }

    void Run() {
        {
            const Facts facts = ReadFacts();
            Carried(core.Start(facts), facts);
        }
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            const auto signalled = [this] {
                return signals.source || signals.plan || signals.resume || signals.stop;
            };
            if (const std::optional<Clock::time_point> due = core.Due()) {
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
            const Clock::time_point now = Now();
            if (taken.resume) {
                core.ResumeSignalled(now);
            }
            if (taken.source) {
                core.SourceSignalled(ReadPowerSource().source, now);
            }
            if (taken.plan) {
                const Facts facts = ReadFacts();
                if (const std::optional<Answer> answer = core.PlanSignalled(facts)) {
                    Carried(*answer, facts);
                }
            }
            while (core.Due() && Now() >= *core.Due()) {
                const Facts facts = ReadFacts();
                const std::optional<Answer> answer = core.DueDecision(facts, Now());
                if (!answer) {
                    break;
                }
                Carried(*answer, facts);
            }
            lock.lock();
        }
        lock.unlock();
        if (!orphaned) {
            Tell(Decision(Answer{WatchTrigger::Stop, ReadPowerSource().source, core.Wanted(),
                                 WatchAction::Stopped, false},
                          WatchAction::Stopped));
        }
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
    watching::WatchCore core{debounce};
    bool orphaned = false;  // the watcher was destroyed inside its callback: stop, tell nobody
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
        running->thread = std::thread([raw = running.get()] {
            raw->Run();
            if (raw->orphaned) {
                delete raw;  // NOLINT(cppcoreguidelines-owning-memory): its owner has gone
            }
        });
    } catch (...) {
        running->Unsubscribe();
        throw;
    }
    running_ = running.release();
}

PowerWatcher::~PowerWatcher() {
    bool orphaned = false;
    try {
        if (running_->thread.joinable() &&
            running_->thread.get_id() == std::this_thread::get_id()) {
            // Destroyed inside its own callback: the thread cannot wait for itself. It stops
            // once the callback returns, tells nobody any more, and frees what it holds itself.
            running_->Unsubscribe();
            {
                std::lock_guard<std::mutex> lock(running_->mutex);
                running_->signals.stop = true;
            }
            running_->orphaned = true;
            running_->thread.detach();
            orphaned = true;
        } else {
            Stop();  // not on the watcher's own thread: it does not throw logic_error here
        }
    } catch (...) {  // NOLINT(bugprone-empty-catch): only a mutex's system error is left
    }
    if (!orphaned) {
        delete running_;
    }
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
