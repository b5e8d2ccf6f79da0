#include "machine.h"

#include <algorithm>
#include <stdexcept>

#include "catalogue.h"
#include "platform/conversions.h"
#include "platform/power_settings.h"

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

// The three timeouts, which a plan keeps in fields of their own.
bool IsTimeout(const Guid& subgroup, const Guid& setting) {
    return std::any_of(kTimeoutSlots.begin(), kTimeoutSlots.end(), [&](const TimeoutSlot& slot) {
        return FromGUID(slot.setting.subgroup) == subgroup &&
               FromGUID(slot.setting.setting) == setting;
    });
}

// A standard plan with Windows' defaults for its personality, the timeouts included.
Plan StandardPlan(Guid id, std::u16string name, std::u16string description,
                  std::uint32_t personality) {
    Plan plan{id, std::move(name), std::move(description), {}, {}, {}, {}};
    plan.settings.push_back({FromGUID(platform::NO_SUBGROUP_GUID),
                             FromGUID(platform::GUID_POWERSCHEME_PERSONALITY), personality,
                             personality});
    CompleteSettings(plan);
    for (const TimeoutSlot& slot : kTimeoutSlots) {
        const CatalogueSetting* setting =
            FindCatalogueSetting(&slot.setting.subgroup, &slot.setting.setting);
        plan.*slot.seconds = {setting->defaults[personality][0], setting->defaults[personality][1]};
    }
    return plan;
}

const Guid kBalanced =
    Id(0x381B4222, 0xF694, 0x41F0, {0x96, 0x85, 0xFF, 0x5B, 0xB2, 0x60, 0xDF, 0x2E});
const Guid kHighPerformance =
    Id(0x8C5E7FDA, 0xE8BF, 0x4A96, {0x9A, 0x85, 0xA6, 0xE2, 0x3A, 0x8C, 0x63, 0x5C});
const Guid kPowerSaver =
    Id(0xA1841308, 0x3541, 0x4FAB, {0xBC, 0x81, 0xF7, 0x15, 0x56, 0xF2, 0x0B, 0x4A});

}  // namespace

bool NoCaseLess::operator()(std::u16string_view a, std::u16string_view b) const {
    const auto fold = [](char16_t c) {
        return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
    };
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [&](char16_t x, char16_t y) { return fold(x) < fold(y); });
}

std::vector<Plan> TemplatePlans() {
    // Personalities: 0 power saver, 1 high performance, 2 balanced.
    return {
        StandardPlan(kBalanced, u"Balanced",
                     u"Automatically balances performance with energy consumption on capable "
                     u"hardware.",
                     2),
        StandardPlan(kHighPerformance, u"High performance",
                     u"Favors performance, but may use more energy.", 1),
        StandardPlan(kPowerSaver, u"Power saver",
                     u"Saves energy by reducing your computer's performance where possible.", 0),
        StandardPlan(
            Id(0xE9A42B02, 0xD5DF, 0x448D, {0xAA, 0x00, 0x03, 0xF1, 0x47, 0x49, 0xEB, 0x61}),
            u"Ultimate Performance", u"Provides ultimate performance on higher end PCs.", 1),
    };
}

std::vector<Plan> SeededPlans(bool modernStandby) {
    std::vector<Plan> plans = TemplatePlans();
    plans.resize(modernStandby ? 1 : 3);  // Balanced; or Balanced, High performance, Power saver
    return plans;
}

State SeededState(bool modernStandby) {
    State state;
    state.plans = SeededPlans(modernStandby);
    state.activePlan = kBalanced;
    state.power.modernStandby = modernStandby;
    return state;
}

Machine::Session::~Session() {
    const Watched after(machine_.state_);
    std::array<bool, 3> due{};
    due[static_cast<std::size_t>(Notice::Source)] = after.source != before_.source;
    due[static_cast<std::size_t>(Notice::ActivePlan)] = after.activePlan != before_.activePlan;
    due[static_cast<std::size_t>(Notice::Resume)] = after.resumes != before_.resumes;
    lock_.unlock();
    try {
        machine_.Tell(due);
    } catch (...) {  // NOLINT(bugprone-empty-catch): out of memory while copying; nobody told
    }
}

platform::NotifyHandle Machine::Register(Notice notice,
                                         const platform::NotifyRecipient& recipient) {
    std::lock_guard<std::mutex> lock(registrationsMutex_);
    registrations_.push_back(std::make_unique<Registration>(Registration{notice, recipient}));
    return registrations_.back().get();
}

bool Machine::Unregister(platform::NotifyHandle handle) {
    std::lock_guard<std::mutex> lock(registrationsMutex_);
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
    // The recipients as registered now, told without the lock: a recipient may register,
    // unregister or change the machine meanwhile.
    std::vector<Registration> told;
    {
        std::lock_guard<std::mutex> lock(registrationsMutex_);
        for (const auto& entry : registrations_) {
            if (due[static_cast<std::size_t>(entry->notice)]) {
                told.push_back(*entry);
            }
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

// cppcheck-suppress constParameter ; the values found are handed out for changing
ValueSlots FindValues(Plan& plan, const GUID* subgroup, const GUID* setting) {
    for (const TimeoutSlot& slot : kTimeoutSlots) {
        if (Same(*subgroup, slot.setting.subgroup) && Same(*setting, slot.setting.setting)) {
            TimeoutSeconds& seconds = plan.*slot.seconds;
            return {&seconds.ac, &seconds.dc};
        }
    }
    const Guid group = detail::FromPlatformRecord(*subgroup);
    const Guid id = detail::FromPlatformRecord(*setting);
    for (SettingValue& value : plan.settings) {
        if (value.subgroup == group && value.setting == id) {
            return {&value.ac, &value.dc};
        }
    }
    return {};
}

namespace {

// The personality a plan has when its settings do not say: a standard plan's own, else
// Balanced's.
std::size_t UsualPersonality(const Plan& plan) { return PersonalityIndex(plan.id).value_or(2); }

bool IsPersonality(const SettingValue& value) {
    return value.setting == FromGUID(platform::GUID_POWERSCHEME_PERSONALITY);
}

}  // namespace

Plan WithoutDefaults(const Plan& plan) {
    Plan handed = plan;
    handed.settings.clear();
    std::size_t personality = UsualPersonality(plan);
    for (const SettingValue& value : plan.settings) {
        if (IsPersonality(value) && value.ac < kPersonalityCount) {
            personality = value.ac;
        }
    }
    for (const SettingValue& value : plan.settings) {
        const GUID group = detail::ToPlatformRecord(value.subgroup);
        const GUID id = detail::ToPlatformRecord(value.setting);
        const CatalogueSetting* setting = FindCatalogueSetting(&group, &id);
        const bool usual = IsPersonality(value)
                               ? value.ac == UsualPersonality(plan) && value.dc == value.ac
                               : setting != nullptr &&
                                     value.ac == setting->defaults[personality][0] &&
                                     value.dc == setting->defaults[personality][1];
        if (!usual) {
            handed.settings.push_back(value);
        }
    }
    return handed;
}

void CompleteSettings(Plan& plan) {
    const std::vector<SettingValue> given = std::move(plan.settings);
    plan.settings.clear();
    // A standard plan's own personality, Balanced for another, unless the plan says otherwise.
    std::size_t personality = UsualPersonality(plan);
    for (std::size_t i = 0; i < given.size(); ++i) {
        const SettingValue& value = given[i];
        const GUID group = detail::ToPlatformRecord(value.subgroup);
        const GUID id = detail::ToPlatformRecord(value.setting);
        if (FindCatalogueSetting(&group, &id) == nullptr ||
            IsTimeout(value.subgroup, value.setting)) {
            throw std::invalid_argument("the plan " + plan.id.ToString() + " has a setting " +
                                        value.setting.ToString() + " under " +
                                        value.subgroup.ToString() +
                                        " that is not one of Windows' other settings");
        }
        if (std::any_of(given.begin(), given.begin() + static_cast<std::ptrdiff_t>(i),
                        [&](const SettingValue& other) {
                            return other.subgroup == value.subgroup &&
                                   other.setting == value.setting;
                        })) {
            throw std::invalid_argument("the plan " + plan.id.ToString() + " has the setting " +
                                        value.setting.ToString() + " twice");
        }
        if (IsPersonality(value) && value.ac < kPersonalityCount) {
            personality = value.ac;
        }
    }
    ForEachCatalogueSetting(
        [&](const CatalogueSubgroup& subgroup, const CatalogueSetting& setting) {
            if (IsTimeout(subgroup.id, setting.id)) {
                return;
            }
            const auto found = std::find_if(given.begin(), given.end(), [&](const SettingValue& v) {
                return v.subgroup == subgroup.id && v.setting == setting.id;
            });
            plan.settings.push_back(found != given.end()
                                        ? *found
                                        : SettingValue{subgroup.id, setting.id,
                                                       setting.defaults[personality][0],
                                                       setting.defaults[personality][1]});
        });
}

std::uint32_t AttributesOf(const State& state, const Guid& subgroup, const Guid& setting) {
    for (const SettingAttributes& written : state.attributes) {
        if (written.subgroup == subgroup && written.setting == setting) {
            return written.attributes;
        }
    }
    const GUID group = detail::ToPlatformRecord(subgroup);
    const GUID id = detail::ToPlatformRecord(setting);
    const CatalogueSetting* shipped = FindCatalogueSetting(&group, &id);
    return shipped != nullptr && shipped->hidden ? platform::kAttributeHide : 0;
}

}  // namespace Calvoro::simulated
