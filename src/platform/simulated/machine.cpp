#include "machine.h"

#include "platform/power_settings.h"
#include "platform/conversions.h"

#include <algorithm>
#include <stdexcept>

namespace Calvoro::simulated {
namespace {

Guid Id(std::uint32_t d1, std::uint16_t d2, std::uint16_t d3, std::array<std::uint8_t, 8> d4) {
    return Guid{d1, d2, d3, d4};
}

struct TimeoutSlot {
    const platform::TimeoutSetting& setting;
    TimeoutSeconds Plan::*seconds;
};

const std::array<TimeoutSlot, 3> kTimeoutSlots{{
    {platform::kSleepTimeout, &Plan::sleep},
    {platform::kHibernateTimeout, &Plan::hibernate},
    {platform::kDisplayTimeout, &Plan::display},
}};

bool Same(const GUID& a, const GUID& b) {
    return detail::FromPlatformRecord(a) == detail::FromPlatformRecord(b);
}

}  // namespace

bool NoCaseLess::operator()(std::u16string_view a, std::u16string_view b) const {
    const auto fold = [](char16_t c) {
        return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
    };
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [&](char16_t x, char16_t y) { return fold(x) < fold(y); });
}

State SeededState() {
    State state;
    state.plans = {
        Plan{Id(0x381B4222, 0xF694, 0x41F0, {0x96, 0x85, 0xFF, 0x5B, 0xB2, 0x60, 0xDF, 0x2E}),
             u"Balanced",
             u"Automatically balances performance with energy consumption on capable hardware.",
             {1800, 900}, {10800, 10800}, {600, 300}},
        Plan{Id(0x8C5E7FDA, 0xE8BF, 0x4A96, {0x9A, 0x85, 0xA6, 0xE2, 0x3A, 0x8C, 0x63, 0x5C}),
             u"High performance",
             u"Favors performance, but may use more energy.",
             {0, 1800}, {0, 10800}, {900, 600}},
        Plan{Id(0xA1841308, 0x3541, 0x4FAB, {0xBC, 0x81, 0xF7, 0x15, 0x56, 0xF2, 0x0B, 0x4A}),
             u"Power saver",
             u"Saves energy by reducing your computer's performance where possible.",
             {900, 600}, {10800, 10800}, {300, 120}},
    };
    state.activePlan = state.plans.front().id;
    return state;
}

Machine::Compared::~Compared() {
    const Watched after(state_);
    changes_.due[static_cast<std::size_t>(Notice::Source)] = after.source != before_.source;
    changes_.due[static_cast<std::size_t>(Notice::ActivePlan)] =
        after.activePlan != before_.activePlan;
    changes_.due[static_cast<std::size_t>(Notice::Resume)] = after.resumes != before_.resumes;
}

platform::NotifyHandle Machine::Register(Notice notice,
                                         const platform::NotifyRecipient& recipient) {
    std::lock_guard<std::recursive_mutex> lock(registrationsMutex_);
    registrations_.push_back(std::make_unique<Registration>(Registration{notice, recipient}));
    return registrations_.back().get();
}

bool Machine::Unregister(platform::NotifyHandle handle) {
    std::lock_guard<std::recursive_mutex> lock(registrationsMutex_);
    const auto found = std::find_if(registrations_.begin(), registrations_.end(),
                                    [&](const auto& entry) { return entry.get() == handle; });
    if (found == registrations_.end()) {
        return false;
    }
    registrations_.erase(found);
    return true;
}

void Machine::Tell(const std::array<bool, 3>& due) {
    if (std::none_of(due.begin(), due.end(), [](bool one) { return one; })) {
        return;
    }
    std::lock_guard<std::recursive_mutex> lock(registrationsMutex_);
    // A recipient that unregisters another while it is told changes the list: tell a copy.
    std::vector<Registration> told;
    for (const auto& entry : registrations_) {
        if (due[static_cast<std::size_t>(entry->notice)]) {
            told.push_back(*entry);
        }
    }
    for (const Registration& registration : told) {
        const std::uint32_t type = registration.notice == Notice::Resume
                                       ? platform::kPbtApmResumeAutomatic
                                       : platform::kPbtPowerSettingChange;
        registration.recipient.Callback(registration.recipient.Context, type);
    }
}

Machine& TheMachine() {
    static Machine machine;
    return machine;
}

std::optional<platform::Status> FireFault(State& state, Operation operation) {
    auto& slot = state.faults[static_cast<std::size_t>(operation)];
    if (!slot) {
        return std::nullopt;
    }
    if (slot->callsToSkip > 0) {
        --slot->callsToSkip;
        return std::nullopt;
    }
    const Fault fault = *slot;
    if (fault.repeat == Repeat::Once) {
        slot.reset();
    }
    if (fault.raises) {
        throw std::runtime_error(fault.message);
    }
    return fault.status;
}

// cppcheck-suppress constParameter ; the plan found is handed out for changing
Plan* FindPlan(State& state, const Guid& id) {
    for (Plan& plan : state.plans) {
        if (plan.id == id) {
            return &plan;
        }
    }
    return nullptr;
}

Plan* FindPlan(State& state, const GUID* scheme) {
    return scheme == nullptr ? nullptr : FindPlan(state, detail::FromPlatformRecord(*scheme));
}

// cppcheck-suppress constParameter ; the seconds found are handed out for changing
TimeoutSeconds* FindTimeout(Plan& plan, const GUID* subgroup, const GUID* setting) {
    for (const TimeoutSlot& slot : kTimeoutSlots) {
        if (Same(*subgroup, slot.setting.subgroup) && Same(*setting, slot.setting.setting)) {
            return &(plan.*slot.seconds);
        }
    }
    return nullptr;
}

}  // namespace Calvoro::simulated
