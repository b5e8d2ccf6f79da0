// Windows' catalogue of settings, as the simulated machine describes them: generated from
// data/windows_power_settings.json (scripts/generate-settings-tables).
#pragma once

#include <calvoro/guid.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace Calvoro::simulated {

/// One of a setting's possible values; its data is its index, or an identifier.
struct CatalogueValue {
    std::u16string_view name;
    std::u16string_view description;
    Guid data;
    std::uint32_t index;
    bool dataIsIdentifier;
};

/// The personalities, in the order of the personality setting's possible values.
inline constexpr std::size_t kPersonalityCount = 3;

struct CatalogueSetting {
    Guid id;
    std::u16string_view name;
    std::u16string_view description;
    bool hidden;
    bool ranged;
    std::uint32_t min, max, increment;
    std::u16string_view units;
    std::size_t firstValue, valueCount;
    std::uint32_t defaults[kPersonalityCount][2];  ///< {AC, DC} for each personality
};

struct CatalogueSubgroup {
    Guid id;
    std::u16string_view name;
    std::u16string_view description;
    std::size_t firstSetting, settingCount;
};

/// Every subgroup, in Windows' order; the settings that belong to none come under
/// NO_SUBGROUP_GUID, which is one of them.
const CatalogueSubgroup* CatalogueSubgroups(std::size_t& count);

/// The subgroup with this identifier; nullptr when none (nor for no identifier).
const CatalogueSubgroup* FindCatalogueSubgroup(const GUID* subgroup);

/// The settings of a subgroup, in Windows' order.
const CatalogueSetting* SettingsOf(const CatalogueSubgroup& subgroup);

/// The setting with this identifier in the subgroup (NO_SUBGROUP_GUID for none given);
/// nullptr when there is none.
const CatalogueSetting* FindCatalogueSetting(const GUID* subgroup, const GUID* setting);

/// The subgroup that has the setting with this identifier; nullptr when none has it.
const CatalogueSubgroup* SubgroupOf(const GUID* setting);

/// A setting's possible values.
const CatalogueValue* ValuesOf(const CatalogueSetting& setting);

/// The index of the personality with this identifier (power saver, high performance or
/// balanced); none for another.
std::optional<std::size_t> PersonalityIndex(const Guid& personality);

/// Every setting, in the catalogue's order, with its subgroup: `visit(subgroup, setting)`.
template <typename Visit>
void ForEachCatalogueSetting(Visit&& visit) {
    std::size_t count = 0;
    const CatalogueSubgroup* subgroups = CatalogueSubgroups(count);
    for (std::size_t i = 0; i < count; ++i) {
        const CatalogueSetting* settings = SettingsOf(subgroups[i]);
        for (std::size_t j = 0; j < subgroups[i].settingCount; ++j) {
            visit(subgroups[i], settings[j]);
        }
    }
}

}  // namespace Calvoro::simulated
