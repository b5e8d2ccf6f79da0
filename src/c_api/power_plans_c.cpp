// The library's own operations for C: each function checks its pointers, calls the one
// operation of <calvoro/power_plans.h> and hands back its result; exceptions become statuses.
#include <calvoro/calvoro_c.h>
#include <calvoro/power_plans.h>
#include <calvoro/watcher.h>

#include <chrono>
#include <memory>

#include <string>
#include <vector>

#include "translate.h"

using namespace Calvoro::c_api;

// The C constants are the C++ enumerations' values.
static_assert(CountUpTo({CALVORO_REFUSED, CALVORO_APPLIED, CALVORO_PINNED_BY_POLICY},
                        Calvoro::Activation::PinnedByPolicy));
static_assert(CountUpTo({CALVORO_SOURCE_AC, CALVORO_SOURCE_DC, CALVORO_SOURCE_SHORT_TERM,
                         CALVORO_SOURCE_UNKNOWN},
                        Calvoro::PowerSource::Unknown));
static_assert(CountUpTo({CALVORO_MODE_BEST_POWER_EFFICIENCY, CALVORO_MODE_BALANCED,
                         CALVORO_MODE_BEST_PERFORMANCE},
                        Calvoro::PowerMode::BestPerformance));
static_assert(CountUpTo({CALVORO_MODE_DONE, CALVORO_MODE_UNSUPPORTED, CALVORO_MODE_NOT_APPLICABLE,
                         CALVORO_MODE_FAILED},
                        Calvoro::PowerModeOutcome::Failed));

static_assert(CountUpTo({CALVORO_WATCH_APPLIED, CALVORO_WATCH_ALREADY_ACTIVE,
                         CALVORO_WATCH_KEPT_MANUAL, CALVORO_WATCH_NONE_RECORDED,
                         CALVORO_WATCH_NOT_INSTALLED, CALVORO_WATCH_REFUSED, CALVORO_WATCH_POLICY,
                         CALVORO_WATCH_STOPPED, CALVORO_WATCH_RECORD_REFUSED},
                        Calvoro::WatchAction::RecordRefused));
static_assert(CountUpTo({CALVORO_TRIGGER_START, CALVORO_TRIGGER_SOURCE_CHANGE,
                         CALVORO_TRIGGER_RESUME, CALVORO_TRIGGER_PLAN_CHANGE,
                         CALVORO_TRIGGER_STOP},
                        Calvoro::WatchTrigger::Stop));
static_assert(CountUpTo({CALVORO_PLAN_DONE, CALVORO_PLAN_NOT_FOUND, CALVORO_PLAN_ALREADY_EXISTS,
                         CALVORO_PLAN_IS_ACTIVE, CALVORO_PLAN_NOT_STANDARD,
                         CALVORO_PLAN_FORBIDDEN_BY_POLICY, CALVORO_PLAN_NEEDS_ADMINISTRATOR,
                         CALVORO_PLAN_UNSUPPORTED, CALVORO_PLAN_FAILED},
                        Calvoro::PlanOutcome::Failed));

namespace {

calvoro_plan_result PlanResultToC(const Calvoro::PlanResult& result) {
    int32_t records = 0;
    for (const Calvoro::PowerSource source : result.recordsNamingIt) {
        records |= source == Calvoro::PowerSource::AC ? CALVORO_RECORD_AC : CALVORO_RECORD_DC;
    }
    return {static_cast<int32_t>(result.outcome), ToC(result.plan), result.status, records};
}

// A lookup's answer and its candidates, as calvoro_FindPlan writes them.
calvoro_status LookupToC(const Calvoro::PlanLookup& found, calvoro_plan_lookup* lookup,
                         calvoro_guid* candidates, uint32_t capacity, uint32_t* count,
                         const char* function) {
    lookup->outcome = static_cast<int32_t>(found.outcome);
    lookup->reading = static_cast<int32_t>(found.reading);
    lookup->identified = found.identifier ? 1 : 0;
    lookup->identifier = ToC(found.identifier.value_or(Calvoro::Guid{}));
    std::vector<calvoro_guid> ids;
    ids.reserve(found.candidates.size());
    for (const Calvoro::InstalledPlan& plan : found.candidates) {
        ids.push_back(ToC(plan.id));
    }
    return CopyOut(ids.data(), ids.size(), false, candidates, capacity, count, function);
}

}  // namespace


// The C handle is the C++ watcher.
struct calvoro_watcher {
    std::unique_ptr<Calvoro::PowerWatcher> watcher;
};

namespace {

calvoro_watch_decision DecisionToC(const Calvoro::WatchDecision& decision) {
    const auto since = decision.time.time_since_epoch();
    return {std::chrono::duration_cast<std::chrono::milliseconds>(since).count(),
            static_cast<int32_t>(decision.trigger), static_cast<int32_t>(decision.source),
            decision.plan ? 1 : 0, ToC(decision.plan.value_or(Calvoro::Guid{})),
            static_cast<int32_t>(decision.action)};
}

Calvoro::PowerSource SourceFromC(int32_t onAC) {
    return onAC != 0 ? Calvoro::PowerSource::AC : Calvoro::PowerSource::DC;
}

}  // namespace

extern "C" {

calvoro_status calvoro_GetActivePlan(calvoro_guid* plan, int32_t* found) {
    return Call(__func__, {plan, found}, [&] {
        const auto active = Calvoro::ActivePlan();
        *found = active ? 1 : 0;
        *plan = ToC(active.value_or(Calvoro::Guid{}));
    });
}

calvoro_status calvoro_ActivatePlan(const calvoro_guid* plan, int32_t* outcome) {
    return Call(__func__, {plan, outcome},
                [&] { *outcome = static_cast<int32_t>(Calvoro::ActivatePlan(FromC(*plan))); });
}

calvoro_status calvoro_ActivePlanPinnedByPolicy(int32_t* pinned) {
    return Call(__func__, {pinned}, [&] { *pinned = Calvoro::ActivePlanPinnedByPolicy() ? 1 : 0; });
}

calvoro_status calvoro_ReadPowerSource(calvoro_power_source* state) {
    return Call(__func__, {state}, [&] {
        const Calvoro::PowerSourceState read = Calvoro::ReadPowerSource();
        *state = {static_cast<int32_t>(read.source), read.batteryPresent ? 1 : 0,
                  read.modernStandby ? 1 : 0};
    });
}

calvoro_status calvoro_GetPowerMode(int32_t onAC, calvoro_power_mode* reading) {
    return Call(__func__, {reading}, [&] {
        const Calvoro::PowerModeReading read = Calvoro::GetPowerMode(SourceFromC(onAC));
        *reading = {static_cast<int32_t>(read.outcome),
                    read.mode ? static_cast<int32_t>(*read.mode) : CALVORO_MODE_OTHER,
                    ToC(read.guid), read.status};
    });
}

calvoro_status calvoro_SetPowerMode(int32_t onAC, int32_t mode, int32_t* outcome) {
    const char* const function = __func__;
    return Call(function, {outcome}, [&] {
        if (mode < CALVORO_MODE_BEST_POWER_EFFICIENCY || mode > CALVORO_MODE_BEST_PERFORMANCE) {
            throw ArgumentOutOfRange(std::string(function) + ": mode is out of range");
        }
        *outcome = static_cast<int32_t>(
            Calvoro::SetPowerMode(SourceFromC(onAC), static_cast<Calvoro::PowerMode>(mode)));
    });
}

calvoro_status calvoro_ReadPlanDescription(const calvoro_guid* plan, uint16_t* description,
                                           uint32_t descriptionCapacity,
                                           uint32_t* descriptionLength, int32_t* present) {
    const char* const function = __func__;
    return Call(function, {plan, descriptionLength, present}, [&] {
        const auto read = Calvoro::ReadPlanDescription(FromC(*plan));
        *present = read ? 1 : 0;
        *descriptionLength = 0;
        return read ? TextToC(*read, description, descriptionCapacity, descriptionLength, function)
                    : CALVORO_OK;
    });
}

calvoro_status calvoro_FindPlan(const uint16_t* text, uint32_t textLength,
                                calvoro_plan_lookup* lookup, calvoro_guid* candidates,
                                uint32_t capacity, uint32_t* count) {
    const char* const function = __func__;
    return Call(function, {Input(text, textLength), lookup, count}, [&] {
        return LookupToC(Calvoro::FindPlan(TextFromC(text, textLength)), lookup, candidates,
                         capacity, count, function);
    });
}

calvoro_status calvoro_SameIgnoringCase(const uint16_t* a, uint32_t aLength, const uint16_t* b,
                                        uint32_t bLength, int32_t* same) {
    return Call(__func__, {Input(a, aLength), Input(b, bLength), same}, [&] {
        *same = Calvoro::SameIgnoringCase(TextFromC(a, aLength), TextFromC(b, bLength)) ? 1 : 0;
    });
}

calvoro_status calvoro_SetDefaultPlan(int32_t onAC, const calvoro_guid* plan) {
    return Call(__func__, {plan},
                [&] { Calvoro::SetDefaultPlan(SourceFromC(onAC), FromC(*plan)); });
}

calvoro_status calvoro_ClearDefaultPlan(int32_t onAC, int32_t* cleared) {
    return Call(__func__, {cleared},
                [&] { *cleared = Calvoro::ClearDefaultPlan(SourceFromC(onAC)) ? 1 : 0; });
}

calvoro_status calvoro_ApplyRecordedPlan(calvoro_watch_decision* decision) {
    return Call(__func__, {decision}, [&] { *decision = DecisionToC(Calvoro::ApplyRecordedPlan()); });
}

calvoro_status calvoro_StartWatcher(uint32_t debounceMilliseconds,
                                    calvoro_watch_callback callback, void* context,
                                    calvoro_watcher** watcher) {
    if (callback == nullptr) {
        return NullPointer(__func__);
    }
    return Call(__func__, {watcher}, [&] {
        auto started = std::make_unique<calvoro_watcher>();
        started->watcher = std::make_unique<Calvoro::PowerWatcher>(
            std::chrono::milliseconds(debounceMilliseconds),
            [callback, context](const Calvoro::WatchDecision& decision) {
                const calvoro_watch_decision told = DecisionToC(decision);
                callback(&told, context);
            });
        *watcher = started.release();
    });
}

calvoro_status calvoro_StopWatcher(calvoro_watcher* watcher) {
    return Guarded([&] {
        if (watcher == nullptr) {
            return CALVORO_OK;
        }
        try {
            watcher->watcher->Stop();
        } catch (const std::logic_error& error) {
            return Fail(CALVORO_E_INVALID_ARGUMENT, error.what());
        }
        delete watcher;
        return CALVORO_OK;
    });
}

calvoro_status calvoro_PlanTemplates(calvoro_plan_template* templates, uint32_t capacity,
                                     uint32_t* count) {
    const char* const function = __func__;
    return Call(function, {count}, [&] {
        std::vector<calvoro_plan_template> list;
        for (const Calvoro::PlanTemplate& known : Calvoro::PlanTemplates()) {
            list.push_back({ToC(known.id), known.standard ? 1 : 0});
        }
        return CopyOut(list.data(), list.size(), false, templates, capacity, count, function);
    });
}

calvoro_status calvoro_PlanTemplateName(uint32_t index, uint16_t* name, uint32_t capacity,
                                        uint32_t* length) {
    const char* const function = __func__;
    return Call(function, {length}, [&] {
        const std::vector<Calvoro::PlanTemplate> templates = Calvoro::PlanTemplates();
        if (index >= templates.size()) {
            throw ArgumentOutOfRange(std::string(function) + ": index is past the last template");
        }
        return TextToC(templates[index].name, name, capacity, length, function);
    });
}

calvoro_status calvoro_FindPlanOrTemplate(const uint16_t* text, uint32_t textLength,
                                          calvoro_plan_lookup* lookup, calvoro_guid* candidates,
                                          uint32_t capacity, uint32_t* count,
                                          int32_t* isTemplate) {
    const char* const function = __func__;
    return Call(function, {Input(text, textLength), lookup, count, isTemplate}, [&] {
        const Calvoro::PlanSourceLookup found =
            Calvoro::FindPlanOrTemplate(TextFromC(text, textLength));
        *isTemplate = found.isTemplate ? 1 : 0;
        return LookupToC(found.lookup, lookup, candidates, capacity, count, function);
    });
}

calvoro_status calvoro_DuplicatePlan(const calvoro_guid* source, const calvoro_guid* newId,
                                     const uint16_t* name, uint32_t nameLength,
                                     const uint16_t* description, uint32_t descriptionLength,
                                     calvoro_plan_result* result) {
    return Call(__func__, {source, result}, [&] {
        const auto text = [](const uint16_t* units, uint32_t length) {
            return units != nullptr ? std::optional(TextFromC(units, length)) : std::nullopt;
        };
        *result = PlanResultToC(Calvoro::DuplicatePlan(
            FromC(*source), newId != nullptr ? std::optional(FromC(*newId)) : std::nullopt,
            text(name, nameLength), text(description, descriptionLength)));
    });
}

calvoro_status calvoro_DeletePlan(const calvoro_guid* plan, calvoro_plan_result* result) {
    return Call(__func__, {plan, result},
                [&] { *result = PlanResultToC(Calvoro::DeletePlan(FromC(*plan))); });
}

calvoro_status calvoro_RestoreDefaultPlans(calvoro_plan_result* result) {
    return Call(__func__, {result},
                [&] { *result = PlanResultToC(Calvoro::RestoreDefaultPlans()); });
}

calvoro_status calvoro_RestorePlanDefaults(const calvoro_guid* plan, int32_t checkOnly,
                                           calvoro_plan_result* result) {
    return Call(__func__, {plan, result}, [&] {
        *result = PlanResultToC(Calvoro::RestorePlanDefaults(FromC(*plan), checkOnly != 0));
    });
}

}  // extern "C"
