// Feeds arbitrary UTF-16 text, lone surrogates and all, to the setting lookup and to the
// reading of a value's text, on the simulated machine. Nothing may crash; the lookup's
// settings are what its outcome says, the one it finds is named by the text, and a value read
// from text is a number the text spells or one of the setting's possible values.
#include <calvoro/power_settings.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Balanced, whose settings the lookup searches.
constexpr Calvoro::Guid kBalanced{
    0x381B4222, 0xF694, 0x41F0, {0x96, 0x85, 0xFF, 0x5B, 0xB2, 0x60, 0xDF, 0x2E}};

bool Names(const Calvoro::PowerSetting& setting, const std::u16string& text) {
    const std::optional<Calvoro::Guid> id = Calvoro::Guid::TryParse(text);
    return (id && *id == setting.id) || Calvoro::SameIgnoringCase(setting.alias, text) ||
           Calvoro::SameIgnoringCase(setting.name, text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::u16string text(size / 2, u'\0');
    if (!text.empty()) {
        std::memcpy(text.data(), data, text.size() * sizeof(char16_t));
    }
    using Calvoro::SettingOutcome;
    const Calvoro::SettingsAnswer found = Calvoro::FindSetting(kBalanced, text);
    const std::size_t count = found.settings.size();
    const bool consistent = found.outcome == SettingOutcome::Done        ? count == 1
                            : found.outcome == SettingOutcome::Ambiguous ? count > 1
                            : found.outcome == SettingOutcome::NotFound  ? count == 0
                                                                         : false;
    if (!consistent || (count == 1 && !Names(found.settings.front(), text))) {
        std::abort();
    }

    // The value the text stands for, in a setting with possible values and one with a range.
    static const Calvoro::SettingsAnswer kTaken[] = {
        Calvoro::FindSetting(kBalanced, u"PERFBOOSTMODE"),
        Calvoro::FindSetting(kBalanced, u"PROCTHROTTLEMAX")};
    for (const Calvoro::SettingsAnswer& taken : kTaken) {
        const Calvoro::PowerSetting& setting = taken.settings.at(0);
        const std::optional<std::uint32_t> value = Calvoro::SettingValueFromText(setting, text);
        const bool digits = !text.empty() && std::all_of(text.begin(), text.end(), [](char16_t c) {
            return c >= u'0' && c <= u'9';
        });
        if (value && !digits && !Calvoro::SettingAllows(setting, *value)) {
            std::abort();
        }
        (void)Calvoro::AllowedValuesText(setting);
    }
    return 0;
}
