#include "catalogue.h"

#include <iterator>

#include "platform/conversions.h"
#include "platform/power_settings.h"

namespace Calvoro::simulated {
namespace {

#include "settings_catalogue.inc"

// The setting that names a plan's personality (the catalogue's data always has it).
const CatalogueSetting& PersonalitySetting() {
    static const CatalogueSetting* const setting =
        FindCatalogueSetting(&platform::NO_SUBGROUP_GUID, &platform::GUID_POWERSCHEME_PERSONALITY);
    return *setting;
}

}  // namespace

const CatalogueSubgroup* CatalogueSubgroups(std::size_t& count) {
    count = std::size(kCatalogueSubgroups);
    return kCatalogueSubgroups;
}

const CatalogueSubgroup* FindCatalogueSubgroup(const GUID* subgroup) {
    if (subgroup == nullptr) {
        return nullptr;
    }
    const Guid id = detail::FromPlatformRecord(*subgroup);
    for (const CatalogueSubgroup& candidate : kCatalogueSubgroups) {
        if (candidate.id == id) {
            return &candidate;
        }
    }
    return nullptr;
}

const CatalogueSetting* SettingsOf(const CatalogueSubgroup& subgroup) {
    return kCatalogueSettings + subgroup.firstSetting;
}

const CatalogueSetting* FindCatalogueSetting(const GUID* subgroup, const GUID* setting) {
    const CatalogueSubgroup* group =
        FindCatalogueSubgroup(subgroup != nullptr ? subgroup : &platform::NO_SUBGROUP_GUID);
    if (group == nullptr || setting == nullptr) {
        return nullptr;
    }
    const Guid id = detail::FromPlatformRecord(*setting);
    const CatalogueSetting* settings = SettingsOf(*group);
    for (std::size_t i = 0; i < group->settingCount; ++i) {
        if (settings[i].id == id) {
            return &settings[i];
        }
    }
    return nullptr;
}

const CatalogueSubgroup* SubgroupOf(const GUID* setting) {
    for (const CatalogueSubgroup& subgroup : kCatalogueSubgroups) {
        const GUID group = detail::ToPlatformRecord(subgroup.id);
        if (FindCatalogueSetting(&group, setting) != nullptr) {
            return &subgroup;
        }
    }
    return nullptr;
}

const CatalogueValue* ValuesOf(const CatalogueSetting& setting) {
    return kCatalogueValues + setting.firstValue;
}

std::optional<std::size_t> PersonalityIndex(const Guid& personality) {
    const CatalogueSetting& setting = PersonalitySetting();
    const CatalogueValue* values = ValuesOf(setting);
    for (std::size_t i = 0; i < setting.valueCount && i < kPersonalityCount; ++i) {
        if (values[i].dataIsIdentifier && values[i].data == personality) {
            return i;
        }
    }
    return std::nullopt;
}

}  // namespace Calvoro::simulated
