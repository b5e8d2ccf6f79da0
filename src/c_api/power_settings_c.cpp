// Every setting of a plan, for C: each function checks its pointers, calls the one operation
// of <calvoro/power_settings.h> and hands back its result; a described setting stays in a
// list that the caller owns.
#include <calvoro/calvoro_c.h>
#include <calvoro/power_settings.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "translate.h"

using namespace Calvoro::c_api;

// The C constants are the C++ enumeration's values.
static_assert(CountUpTo({CALVORO_SETTING_DONE, CALVORO_SETTING_NOT_FOUND, CALVORO_SETTING_AMBIGUOUS,
                         CALVORO_SETTING_OUT_OF_RANGE, CALVORO_SETTING_REFUSED,
                         CALVORO_SETTING_PINNED_BY_POLICY, CALVORO_SETTING_UNSUPPORTED},
                        Calvoro::SettingOutcome::Unsupported));

// The C handle holds the described settings.
struct calvoro_settings {
    std::vector<Calvoro::PowerSetting> settings;
};

namespace {

// Hands the answer's settings to the caller as a new list.
void ListToC(Calvoro::SettingsAnswer answer, calvoro_setting_result* result,
             calvoro_settings** list) {
    *result = {static_cast<int32_t>(answer.outcome), answer.status, CALVORO_NOT_REAPPLIED};
    auto made = std::make_unique<calvoro_settings>();
    made->settings = std::move(answer.settings);
    *list = made.release();
}

// The setting at `position`, or ArgumentOutOfRange naming `function`.
const Calvoro::PowerSetting& At(const calvoro_settings* list, uint32_t position,
                                const char* function) {
    if (position >= list->settings.size()) {
        throw ArgumentOutOfRange(std::string(function) + ": position is past the list's end");
    }
    return list->settings[position];
}

std::u16string TextOf(const Calvoro::PowerSetting& setting, int32_t which, const char* function) {
    switch (which) {
    case CALVORO_TEXT_NAME:
        return setting.name;
    case CALVORO_TEXT_DESCRIPTION:
        return setting.description;
    case CALVORO_TEXT_ALIAS:
        return setting.alias;
    case CALVORO_TEXT_UNITS:
        return setting.range ? setting.range->units : std::u16string();
    case CALVORO_TEXT_ALLOWED:
        return Calvoro::AllowedValuesText(setting);
    case CALVORO_TEXT_SUBGROUP_NAME:
        return setting.subgroup.name;
    case CALVORO_TEXT_SUBGROUP_DESCRIPTION:
        return setting.subgroup.description;
    case CALVORO_TEXT_SUBGROUP_ALIAS:
        return setting.subgroup.alias;
    default:
        throw ArgumentOutOfRange(std::string(function) + ": which is not a text");
    }
}

struct SettingIds {
    Calvoro::Guid subgroup;
    Calvoro::Guid setting;
};

SettingIds IdsFromC(const calvoro_setting_id& id) {
    return {FromC(id.subgroup), FromC(id.setting)};
}

}  // namespace

namespace Calvoro::c_api {

calvoro_setting_result SettingResultToC(const Calvoro::SettingChange& change) {
    const int32_t reapplied = change.reapplied          ? static_cast<int32_t>(*change.reapplied)
                              : change.activePlanUnknown ? CALVORO_ACTIVE_PLAN_UNKNOWN
                                                         : CALVORO_NOT_REAPPLIED;
    return {static_cast<int32_t>(change.outcome), change.status, reapplied};
}

}  // namespace Calvoro::c_api

extern "C" {

calvoro_status calvoro_PowerSettingsSupported(int32_t* supported) {
    return Call(__func__, {supported},
                [&] { *supported = Calvoro::PowerSettingsSupported() ? 1 : 0; });
}

calvoro_status calvoro_ListSettings(const calvoro_guid* plan, calvoro_setting_result* result,
                                    calvoro_settings** list) {
    return Call(__func__, {plan, result, list},
                [&] { ListToC(Calvoro::ListSettings(FromC(*plan)), result, list); });
}

calvoro_status calvoro_FindSetting(const calvoro_guid* plan, const uint16_t* text,
                                   uint32_t textLength, calvoro_setting_result* result,
                                   calvoro_settings** list) {
    return Call(__func__, {plan, Input(text, textLength), result, list}, [&] {
        ListToC(Calvoro::FindSetting(FromC(*plan), TextFromC(text, textLength)), result, list);
    });
}

calvoro_status calvoro_FreeSettings(calvoro_settings* list) {
    delete list;
    return CALVORO_OK;
}

calvoro_status calvoro_SettingCount(const calvoro_settings* list, uint32_t* count) {
    return Call(__func__, {list, count},
                [&] { *count = static_cast<uint32_t>(list->settings.size()); });
}

calvoro_status calvoro_SettingInfo(const calvoro_settings* list, uint32_t position,
                                   calvoro_setting_info* info) {
    const char* const function = __func__;
    return Call(function, {list, info}, [&] {
        const Calvoro::PowerSetting& setting = At(list, position, function);
        const Calvoro::SettingRange range =
            setting.range.value_or(Calvoro::SettingRange{0, 0, 0, {}});
        *info = {{ToC(setting.subgroup.id), ToC(setting.id)},
                 setting.hidden ? 1 : 0,
                 setting.range ? 1 : 0,
                 range.min,
                 range.max,
                 range.increment,
                 static_cast<uint32_t>(setting.values.size()),
                 setting.acDefault ? 1 : 0,
                 setting.acDefault.value_or(0),
                 setting.dcDefault ? 1 : 0,
                 setting.dcDefault.value_or(0)};
    });
}

calvoro_status calvoro_SettingText(const calvoro_settings* list, uint32_t position, int32_t which,
                                   uint16_t* text, uint32_t capacity, uint32_t* length) {
    const char* const function = __func__;
    return Call(function, {list, length}, [&] {
        return TextToC(TextOf(At(list, position, function), which, function), text, capacity,
                       length, function);
    });
}

calvoro_status calvoro_PossibleValue(const calvoro_settings* list, uint32_t position,
                                     uint32_t valuePosition, int32_t which, uint32_t* index,
                                     uint16_t* text, uint32_t capacity, uint32_t* length) {
    const char* const function = __func__;
    return Call(function, {list, index, length}, [&] {
        const Calvoro::PowerSetting& setting = At(list, position, function);
        if (valuePosition >= setting.values.size()) {
            throw ArgumentOutOfRange(std::string(function) +
                                     ": valuePosition is past the setting's possible values");
        }
        if (which != CALVORO_TEXT_NAME && which != CALVORO_TEXT_DESCRIPTION) {
            throw ArgumentOutOfRange(std::string(function) +
                                     ": which is not a possible value's text");
        }
        const Calvoro::PossibleValue& value = setting.values[valuePosition];
        *index = value.index;
        return TextToC(which == CALVORO_TEXT_NAME ? value.name : value.description, text, capacity,
                       length, function);
    });
}

calvoro_status calvoro_SettingValueFromText(const calvoro_settings* list, uint32_t position,
                                            const uint16_t* text, uint32_t textLength,
                                            int32_t* found, uint32_t* value) {
    const char* const function = __func__;
    return Call(function, {list, Input(text, textLength), found, value}, [&] {
        const auto read = Calvoro::SettingValueFromText(At(list, position, function),
                                                        TextFromC(text, textLength));
        *found = read ? 1 : 0;
        *value = read.value_or(0);
    });
}

calvoro_status calvoro_ReadSetting(const calvoro_guid* plan, const calvoro_setting_id* setting,
                                   calvoro_setting_result* result, uint32_t* ac, uint32_t* dc) {
    return Call(__func__, {plan, setting, result, ac, dc}, [&] {
        const SettingIds ids = IdsFromC(*setting);
        const Calvoro::SettingValues read =
            Calvoro::ReadSetting(FromC(*plan), ids.subgroup, ids.setting);
        *result = {static_cast<int32_t>(read.outcome), read.status, CALVORO_NOT_REAPPLIED};
        *ac = read.ac;
        *dc = read.dc;
    });
}

calvoro_status calvoro_WriteSetting(const calvoro_guid* plan, const calvoro_setting_id* setting,
                                    int32_t onAC, uint32_t value, calvoro_setting_result* result) {
    return Call(__func__, {plan, setting, result}, [&] {
        const SettingIds ids = IdsFromC(*setting);
        const Calvoro::SettingChange change = Calvoro::WriteSetting(
            FromC(*plan), ids.subgroup, ids.setting,
            onAC != 0 ? Calvoro::PowerSource::AC : Calvoro::PowerSource::DC, value);
        *result = SettingResultToC(change);
    });
}

calvoro_status calvoro_SetSettingHidden(const calvoro_setting_id* setting, int32_t hidden,
                                        calvoro_setting_result* result) {
    return Call(__func__, {setting, result}, [&] {
        const SettingIds ids = IdsFromC(*setting);
        const Calvoro::SettingChange change =
            Calvoro::SetSettingHidden(ids.subgroup, ids.setting, hidden != 0);
        *result = SettingResultToC(change);
    });
}

}  // extern "C"
