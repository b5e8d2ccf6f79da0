// The library's own operations for C: each function checks its pointers, calls the one
// operation of <calvoro/power_plans.h> and hands back its result; exceptions become statuses.
#include <calvoro/calvoro_c.h>
#include <calvoro/power_plans.h>

#include "translate.h"

using namespace Calvoro::c_api;

namespace {

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

calvoro_status calvoro_ActivatePlan(const calvoro_guid* plan, int32_t* applied) {
    return Call(__func__, {plan, applied},
                [&] { *applied = Calvoro::ActivatePlan(FromC(*plan)) ? 1 : 0; });
}

calvoro_status calvoro_ReadPlanDescription(const calvoro_guid* plan, uint16_t* description,
                                           uint32_t descriptionCapacity,
                                           uint32_t* descriptionLength, int32_t* present) {
    const char* const function = __func__;
    return Call(function, {plan, descriptionLength, present}, [&] {
        const auto read = Calvoro::ReadPlanDescription(FromC(*plan));
        *present = read ? 1 : 0;
        *descriptionLength = 0;
        return read ? TextToC(*read, description, descriptionCapacity, descriptionLength,
                              function)
                    : CALVORO_OK;
    });
}

calvoro_status calvoro_FindPlan(const uint16_t* text, uint32_t textLength,
                                calvoro_plan_lookup* lookup, calvoro_guid* candidates,
                                uint32_t capacity, uint32_t* count) {
    const char* const function = __func__;
    return Call(function, {Input(text, textLength), lookup, count}, [&] {
        const Calvoro::PlanLookup found = Calvoro::FindPlan(TextFromC(text, textLength));
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
    });
}

calvoro_status calvoro_SameIgnoringCase(const uint16_t* a, uint32_t aLength, const uint16_t* b,
                                        uint32_t bLength, int32_t* same) {
    return Call(__func__, {Input(a, aLength), Input(b, bLength), same}, [&] {
        *same = Calvoro::SameIgnoringCase(TextFromC(a, aLength), TextFromC(b, bLength)) ? 1 : 0;
    });
}

calvoro_status calvoro_SetDefaultPlan(int32_t onAC, const calvoro_guid* plan) {
    return Call(__func__, {plan}, [&] { Calvoro::SetDefaultPlan(SourceFromC(onAC), FromC(*plan)); });
}

calvoro_status calvoro_ClearDefaultPlan(int32_t onAC, int32_t* cleared) {
    return Call(__func__, {cleared},
                [&] { *cleared = Calvoro::ClearDefaultPlan(SourceFromC(onAC)) ? 1 : 0; });
}

}  // extern "C"
