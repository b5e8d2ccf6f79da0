// Every setting of a plan, as the platform describes it: one generic path for all of them.
#include <calvoro/power_settings.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <stdexcept>
#include <string>
#include <utility>

#include "platform/conversions.h"
#include "platform/platform.h"
#include "platform/power_settings.h"
#include "power_plans/sized_text.h"
#include "power_settings/aliases.h"

namespace Calvoro {
namespace {

using platform::Status;
namespace status = platform::status;

// Enumerations and lists end here at the latest, whatever the platform answers.
constexpr std::uint32_t kMostItems = 4096;

SettingOutcome OutcomeOf(Status failed) {
    switch (failed) {
    case status::FileNotFound:
        return SettingOutcome::NotFound;
    case status::ProcNotFound:
        return SettingOutcome::Unsupported;
    default:
        return SettingOutcome::Refused;
    }
}

// The identifiers that PowerEnumerate gives for `access` under the plan (and subgroup):
// success with the list, or the status of a failure at the first index.
Status Enumerate(const GUID& plan, const GUID* subgroup, std::uint32_t access,
                 std::vector<GUID>& found) {
    for (std::uint32_t index = 0; index < kMostItems; ++index) {
        GUID record{};
        std::uint32_t size = sizeof record;
        const Status answer =
            platform::PowerEnumerate(nullptr, &plan, subgroup, access, index,
                                     reinterpret_cast<std::uint8_t*>(&record), &size);
        if (answer != status::Success) {
            return index == 0 && answer != status::NoMoreItems ? answer : status::Success;
        }
        found.push_back(record);
    }
    return status::Success;
}

// A name or description of a subgroup or setting: a plan's texts name them.
template <typename Read>
std::u16string Text(Read read, const GUID& plan, const GUID* subgroup, const GUID* setting) {
    return detail::ReadSizedText([&](std::uint8_t* buffer, std::uint32_t* size) {
               return read(nullptr, &plan, subgroup, setting, buffer, size);
           })
        .value_or(std::u16string());
}

PowerSubgroup DescribeSubgroup(const GUID& plan, const GUID& subgroup) {
    const Guid id = detail::FromPlatformRecord(subgroup);
    return {id, std::u16string(detail::AliasOf(id)),
            Text(platform::PowerReadFriendlyName, plan, &subgroup, nullptr),
            Text(platform::PowerReadDescription, plan, &subgroup, nullptr)};
}

Status ReadRange(const GUID& subgroup, const GUID& setting, bool withUnits, SettingRange& range) {
    Status answer = platform::PowerReadValueMin(nullptr, &subgroup, &setting, &range.min);
    if (answer == status::Success) {
        answer = platform::PowerReadValueMax(nullptr, &subgroup, &setting, &range.max);
    }
    if (answer == status::Success) {
        answer = platform::PowerReadValueIncrement(nullptr, &subgroup, &setting, &range.increment);
    }
    if (answer == status::Success && withUnits) {
        range.units = detail::ReadSizedText([&](std::uint8_t* buffer, std::uint32_t* size) {
                          return platform::PowerReadValueUnitsSpecifier(nullptr, &subgroup,
                                                                        &setting, buffer, size);
                      }).value_or(std::u16string());
    }
    return answer;
}

// The possible values: an index has one as long as its data can be read.
Status ReadPossibleValues(const GUID& subgroup, const GUID& setting, bool withTexts,
                          std::vector<PossibleValue>& values) {
    for (std::uint32_t index = 0; index < kMostItems; ++index) {
        std::uint32_t size = 0;
        const Status answer = platform::PowerReadPossibleValue(nullptr, &subgroup, &setting,
                                                               nullptr, index, nullptr, &size);
        if (answer != status::Success) {
            return index == 0 ? answer : status::Success;
        }
        PossibleValue value{index, {}, {}};
        if (withTexts) {
            const auto text = [&](auto read) {
                return detail::ReadSizedText([&](std::uint8_t* buffer, std::uint32_t* bytes) {
                           return read(nullptr, &subgroup, &setting, index, buffer, bytes);
                       })
                    .value_or(std::u16string());
            };
            value.name = text(platform::PowerReadPossibleFriendlyName);
            value.description = text(platform::PowerReadPossibleDescription);
        }
        values.push_back(std::move(value));
    }
    return status::Success;
}

// What the setting takes: its range, or its possible values. PowerIsSettingRangeDefined
// tells the two apart; should its answer not hold, the other kind is read instead.
Status ReadValuesTaken(const GUID& subgroup, const GUID& setting, bool withTexts,
                       PowerSetting& described) {
    const auto read = [&](bool range) {
        if (!range) {
            return ReadPossibleValues(subgroup, setting, withTexts, described.values);
        }
        SettingRange limits;
        const Status answer = ReadRange(subgroup, setting, withTexts, limits);
        if (answer == status::Success) {
            described.range = std::move(limits);
        }
        return answer;
    };
    const bool ranged = platform::PowerIsSettingRangeDefined(&subgroup, &setting);
    const Status first = read(ranged);
    return first == status::Success || read(!ranged) == status::Success ? status::Success : first;
}

// The personality of the plan (the standard plan it behaves like): the identifier that the
// data of its personality setting's value gives, which Windows' defaults are kept under.
std::optional<GUID> PersonalityOf(const GUID& plan) {
    std::uint32_t index = 0;
    if (platform::PowerReadACValueIndex(nullptr, &plan, &platform::NO_SUBGROUP_GUID,
                                        &platform::GUID_POWERSCHEME_PERSONALITY,
                                        &index) != status::Success) {
        return std::nullopt;
    }
    GUID personality{};
    std::uint32_t size = sizeof personality;
    if (platform::PowerReadPossibleValue(
            nullptr, &platform::NO_SUBGROUP_GUID, &platform::GUID_POWERSCHEME_PERSONALITY, nullptr,
            index, reinterpret_cast<std::uint8_t*>(&personality), &size) != status::Success ||
        size != sizeof personality) {
        return std::nullopt;
    }
    return personality;
}

// Windows' default of the setting for the personality, on AC or DC as `read` reads it.
template <typename Read>
std::optional<std::uint32_t> Default(Read read, const std::optional<GUID>& personality,
                                     const GUID& subgroup, const GUID& setting) {
    std::uint32_t value = 0;
    if (!personality ||
        read(nullptr, &*personality, &subgroup, &setting, &value) != status::Success) {
        return std::nullopt;
    }
    return value;
}

// The whole description of one setting. One whose range or values cannot be read takes
// nothing, and is described all the same.
void Describe(const GUID& plan, const PowerSubgroup& subgroup, const GUID& setting,
              const std::optional<GUID>& personality, PowerSetting& described) {
    const GUID group = detail::ToPlatformRecord(subgroup.id);
    described.subgroup = subgroup;
    described.id = detail::FromPlatformRecord(setting);
    described.alias = std::u16string(detail::AliasOf(described.id));
    described.name = Text(platform::PowerReadFriendlyName, plan, &group, &setting);
    described.description = Text(platform::PowerReadDescription, plan, &group, &setting);
    described.hidden =
        (platform::PowerReadSettingAttributes(&group, &setting) & platform::kAttributeHide) != 0;
    described.acDefault = Default(platform::PowerReadACDefaultIndex, personality, group, setting);
    described.dcDefault = Default(platform::PowerReadDCDefaultIndex, personality, group, setting);
    (void)ReadValuesTaken(group, setting, true, described);
}

// Every subgroup of the plan: the one of the settings that belong to none first.
Status ListSubgroups(const GUID& plan, std::vector<GUID>& subgroups) {
    const Status answer = Enumerate(plan, nullptr, platform::kAccessSubgroup, subgroups);
    const Guid none = detail::FromPlatformRecord(platform::NO_SUBGROUP_GUID);
    subgroups.erase(
        std::remove_if(subgroups.begin(), subgroups.end(),
                       [&](const GUID& id) { return detail::FromPlatformRecord(id) == none; }),
        subgroups.end());
    subgroups.insert(subgroups.begin(), platform::NO_SUBGROUP_GUID);
    return answer;
}

// Finds among `items` the one that `text` names, by alias, identifier or name.
template <typename Item>
std::pair<SettingOutcome, std::vector<Item>> Named(std::vector<Item> items,
                                                   std::u16string_view text) {
    const auto only = [](std::vector<Item> found) {
        const SettingOutcome outcome = found.empty()      ? SettingOutcome::NotFound
                                       : found.size() > 1 ? SettingOutcome::Ambiguous
                                                          : SettingOutcome::Done;
        return std::make_pair(outcome, std::move(found));
    };
    const auto where = [&](auto matches) {
        std::vector<Item> found;
        std::copy_if(items.begin(), items.end(), std::back_inserter(found), matches);
        return found;
    };
    const std::optional<Guid> id = Guid::TryParse(text);
    std::vector<Item> found = where([&](const Item& item) {
        return (!item.alias.empty() && SameIgnoringCase(item.alias, text)) ||
               (id && item.id == *id);
    });
    if (found.empty()) {
        found = where([&](const Item& item) { return item.name == text; });
    }
    if (found.empty()) {
        found = where([&](const Item& item) { return SameIgnoringCase(item.name, text); });
    }
    return only(std::move(found));
}

bool Supported() { return platform::MissingSettingCalls().empty(); }

}  // namespace

Guid NoSubgroupGuid() { return FromGUID(platform::NO_SUBGROUP_GUID); }

bool PowerSettingsSupported() { return Supported(); }

SettingsAnswer ListSettings(const Guid& plan) {
    if (!Supported()) {
        return {SettingOutcome::Unsupported, {}, 0};
    }
    const GUID record = detail::ToPlatformRecord(plan);
    std::vector<GUID> subgroups;
    if (const Status failed = ListSubgroups(record, subgroups); failed != status::Success) {
        return {OutcomeOf(failed), {}, failed};
    }
    const std::optional<GUID> personality = PersonalityOf(record);
    SettingsAnswer answer;
    for (const GUID& subgroup : subgroups) {
        std::vector<GUID> settings;
        (void)Enumerate(record, &subgroup, platform::kAccessIndividualSetting, settings);
        if (settings.empty()) {
            continue;
        }
        const PowerSubgroup described = DescribeSubgroup(record, subgroup);
        for (const GUID& setting : settings) {
            PowerSetting one;
            Describe(record, described, setting, personality, one);
            answer.settings.push_back(std::move(one));
        }
    }
    return answer;
}

SettingsAnswer FindSetting(const Guid& plan, std::u16string_view text) {
    SettingsAnswer listed = ListSettings(plan);
    if (listed.outcome != SettingOutcome::Done) {
        return listed;
    }
    auto [outcome, found] = Named(std::move(listed.settings), text);
    return {outcome, std::move(found), 0};
}

SubgroupsAnswer FindSubgroup(const Guid& plan, std::u16string_view text) {
    if (!Supported()) {
        return {SettingOutcome::Unsupported, {}};
    }
    const GUID record = detail::ToPlatformRecord(plan);
    std::vector<GUID> ids;
    if (const Status failed = ListSubgroups(record, ids); failed != status::Success) {
        return {OutcomeOf(failed), {}};
    }
    std::vector<PowerSubgroup> subgroups;
    subgroups.reserve(ids.size());
    for (const GUID& id : ids) {
        subgroups.push_back(DescribeSubgroup(record, id));
    }
    auto [outcome, found] = Named(std::move(subgroups), text);
    return {outcome, std::move(found)};
}

bool SettingAllows(const PowerSetting& setting, std::uint32_t value) {
    if (setting.range) {
        const SettingRange& range = *setting.range;
        return value >= range.min && value <= range.max &&
               (range.increment <= 1 || (value - range.min) % range.increment == 0);
    }
    return std::any_of(setting.values.begin(), setting.values.end(),
                       [&](const PossibleValue& possible) { return possible.index == value; });
}

std::optional<std::uint32_t> SettingValueFromText(const PowerSetting& setting,
                                                  std::u16string_view text) {
    const bool digits =
        !text.empty() && text.size() <= 10 &&
        std::all_of(text.begin(), text.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; });
    if (digits) {
        std::uint64_t number = 0;
        for (const char16_t digit : text) {
            number = number * 10 + static_cast<std::uint64_t>(digit - u'0');
        }
        if (number <= UINT32_MAX) {
            return static_cast<std::uint32_t>(number);
        }
        return std::nullopt;
    }
    for (const bool exact : {true, false}) {
        for (const PossibleValue& possible : setting.values) {
            if (exact ? possible.name == text : SameIgnoringCase(possible.name, text)) {
                return possible.index;
            }
        }
    }
    return std::nullopt;
}

std::u16string AllowedValuesText(const PowerSetting& setting) {
    const auto number = [](std::uint32_t value) {
        const std::string digits = std::to_string(value);
        return std::u16string(digits.begin(), digits.end());
    };
    std::u16string text;
    if (setting.range) {
        const SettingRange& range = *setting.range;
        text = number(range.min) + u" to " + number(range.max);
        if (!range.units.empty()) {
            text += u" " + range.units;
        }
        if (range.increment > 1) {
            text += u" in steps of " + number(range.increment);
        }
        return text;
    }
    for (std::size_t i = 0; i < setting.values.size(); ++i) {
        const PossibleValue& possible = setting.values[i];
        if (i > 0) {
            text += i + 1 == setting.values.size() ? u" or " : u", ";
        }
        text += possible.name + u" (" + number(possible.index) + u")";
    }
    return text;
}

std::u16string SettingLabel(const PowerSetting& setting) {
    if (setting.name.empty()) {
        const std::string id = setting.id.ToString();
        return std::u16string(id.begin(), id.end());
    }
    return setting.alias.empty() ? setting.name : setting.name + u" (" + setting.alias + u")";
}

std::u16string SettingValueText(const PowerSetting& setting, std::uint32_t value) {
    const std::string digits = std::to_string(value);
    std::u16string number(digits.begin(), digits.end());
    if (setting.range) {
        return setting.range->units.empty() ? number : number + u" " + setting.range->units;
    }
    for (const PossibleValue& possible : setting.values) {
        if (possible.index == value) {
            return possible.name;
        }
    }
    return number;
}

SettingValues ReadSetting(const Guid& plan, const Guid& subgroup, const Guid& setting) {
    if (!Supported()) {
        return {SettingOutcome::Unsupported, 0, 0, 0};
    }
    const GUID records[] = {detail::ToPlatformRecord(plan), detail::ToPlatformRecord(subgroup),
                            detail::ToPlatformRecord(setting)};
    SettingValues read;
    Status answer =
        platform::PowerReadACValueIndex(nullptr, &records[0], &records[1], &records[2], &read.ac);
    if (answer == status::Success) {
        answer = platform::PowerReadDCValueIndex(nullptr, &records[0], &records[1], &records[2],
                                                 &read.dc);
    }
    if (answer != status::Success) {
        return {OutcomeOf(answer), 0, 0, answer};
    }
    return read;
}

SettingChange WriteSetting(const Guid& plan, const Guid& subgroup, const Guid& setting,
                           PowerSource source, std::uint32_t value) {
    if (source != PowerSource::AC && source != PowerSource::DC) {
        throw std::invalid_argument("a setting has a value for AC and for DC only");
    }
    if (!Supported()) {
        return {SettingOutcome::Unsupported, 0, std::nullopt, false};
    }
    const GUID planRecord = detail::ToPlatformRecord(plan);
    const GUID group = detail::ToPlatformRecord(subgroup);
    const GUID record = detail::ToPlatformRecord(setting);
    PowerSetting taken;
    if (const Status failed = ReadValuesTaken(group, record, false, taken);
        failed != status::Success) {
        return {OutcomeOf(failed), failed, std::nullopt, false};
    }
    if (!SettingAllows(taken, value)) {
        return {SettingOutcome::OutOfRange, 0, std::nullopt, false};
    }
    const bool onAC = source == PowerSource::AC;
    if (platform::PowerSettingAccessCheckEx(
            onAC ? platform::kAccessAcPowerSettingIndex : platform::kAccessDcPowerSettingIndex,
            &record, platform::kKeyWrite) == status::DisabledByPolicy) {
        return {SettingOutcome::PinnedByPolicy, status::DisabledByPolicy, std::nullopt, false};
    }
    const Status written =
        onAC ? platform::PowerWriteACValueIndex(nullptr, &planRecord, &group, &record, value)
             : platform::PowerWriteDCValueIndex(nullptr, &planRecord, &group, &record, value);
    if (written != status::Success) {
        return {OutcomeOf(written), written, std::nullopt, false};
    }
    // A change to the active plan takes effect once the plan is applied again.
    SettingChange change;
    const std::optional<Guid> active = ActivePlan();
    change.activePlanUnknown = !active;
    if (active == plan) {
        change.reapplied = ActivatePlan(plan);
    }
    return change;
}

SettingChange SetSettingHidden(const Guid& subgroup, const Guid& setting, bool hidden) {
    if (!Supported()) {
        return {SettingOutcome::Unsupported, 0, std::nullopt, false};
    }
    const GUID group = detail::ToPlatformRecord(subgroup);
    const GUID record = detail::ToPlatformRecord(setting);
    PowerSetting taken;
    if (const Status failed = ReadValuesTaken(group, record, false, taken);
        failed != status::Success) {
        return {OutcomeOf(failed), failed, std::nullopt, false};
    }
    // The setting's own attributes (without its subgroup's), with only the hidden bit changed.
    const std::uint32_t attributes = platform::PowerReadSettingAttributes(nullptr, &record);
    const std::uint32_t changed =
        hidden ? attributes | platform::kAttributeHide : attributes & ~platform::kAttributeHide;
    const Status written = platform::PowerWriteSettingAttributes(&group, &record, changed);
    if (written != status::Success) {
        return {OutcomeOf(written), written, std::nullopt, false};
    }
    return {};
}

}  // namespace Calvoro
