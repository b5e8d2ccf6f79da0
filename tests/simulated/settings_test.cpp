// Every setting of a plan, as an application sees it on the simulated machine: Windows'
// catalogue as Windows describes it, found by what a person types, read, written, hidden.
#include <calvoro/power_settings.h>
#include <calvoro/simulation.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "known_ids.h"

namespace {

using namespace known_ids;
using Calvoro::PowerSetting;
using Calvoro::PowerSource;
using Calvoro::SettingOutcome;
namespace Sim = Calvoro::Simulation;

class SimulatedSettings : public testing::Test {
protected:
    void SetUp() override { Sim::Reset(); }
    void TearDown() override { Sim::Reset(); }

    static std::vector<PowerSetting> All(const Calvoro::Guid& plan) {
        const Calvoro::SettingsAnswer listed = Calvoro::ListSettings(plan);
        EXPECT_EQ(listed.outcome, SettingOutcome::Done);
        return listed.settings;
    }

    static const PowerSetting* ByAlias(const std::vector<PowerSetting>& settings,
                                       std::u16string_view alias) {
        const auto found = std::find_if(settings.begin(), settings.end(),
                                        [&](const PowerSetting& s) { return s.alias == alias; });
        return found != settings.end() ? &*found : nullptr;
    }
};

// Facts of stock Windows 10/11, as powercfg /qh prints them and Microsoft documents them.
TEST_F(SimulatedSettings, TheCatalogueIsWindows) {
    struct Case {
        std::u16string alias;
        std::u16string name;
        bool hidden;
        std::u16string units;                // a range's...
        std::vector<std::u16string> values;  // ...or the first possible values
    };
    const Case cases[] = {
        {u"STANDBYIDLE", u"Sleep after", false, u"Seconds", {}},
        {u"VIDEOIDLE", u"Turn off display after", false, u"Seconds", {}},
        {u"DISKIDLE", u"Turn off hard disk after", false, u"Seconds", {}},
        {u"PROCTHROTTLEMAX", u"Maximum processor state", false, u"%", {}},
        {u"PROCTHROTTLEMIN", u"Minimum processor state", false, u"%", {}},
        {u"LIDACTION", u"Lid close action", false, {}, {u"Do nothing", u"Sleep", u"Hibernate"}},
        {u"BATACTIONCRIT",
         u"Critical battery action",
         false,
         {},
         {u"Do nothing", u"Sleep", u"Hibernate", u"Shut down"}},
        {u"PERFBOOSTMODE",
         u"Processor performance boost mode",
         true,
         {},
         {u"Disabled", u"Enabled", u"Aggressive", u"Efficient Enabled", u"Efficient Aggressive"}},
        {u"PERFBOOSTPOL", u"Processor performance boost policy", true, u"%", {}},
        {u"PERFEPP", u"Processor energy performance preference policy", true, u"%", {}},
        {u"CPMINCORES", u"Processor performance core parking min cores", true, u"%", {}},
        {u"CPMAXCORES", u"Processor performance core parking max cores", true, u"%", {}},
        {u"PROCFREQMAX", u"Maximum processor frequency", true, u"MHz", {}},
    };
    const std::vector<PowerSetting> settings = All(kBalanced);
    for (const Case& c : cases) {
        const PowerSetting* setting = ByAlias(settings, c.alias);
        ASSERT_NE(setting, nullptr) << std::string(c.alias.begin(), c.alias.end());
        EXPECT_EQ(setting->name, c.name);
        EXPECT_EQ(setting->hidden, c.hidden) << std::string(c.alias.begin(), c.alias.end());
        EXPECT_EQ(setting->range.has_value(), c.values.empty());
        if (setting->range) {
            EXPECT_EQ(setting->range->units, c.units);
        }
        for (std::size_t i = 0; i < c.values.size(); ++i) {
            EXPECT_EQ(setting->values.at(i).index, i);
            EXPECT_EQ(setting->values.at(i).name, c.values[i]);
        }
    }
    const PowerSetting* maximum = ByAlias(settings, u"PROCTHROTTLEMAX");
    EXPECT_EQ(maximum->subgroup.alias, u"SUB_PROCESSOR");
    EXPECT_EQ(maximum->range->max, 100u);
    // The settings that belong to no subgroup come first, under NO_SUBGROUP_GUID.
    EXPECT_EQ(settings.front().subgroup.id, Calvoro::NoSubgroupGuid());
    EXPECT_EQ(settings.front().subgroup.alias, u"SUB_NONE");
}

TEST_F(SimulatedSettings, TheStandardPlansCarryTheirPersonalitysDefaults) {
    for (const Calvoro::Guid plan : {kBalanced, kHighPerformance, kPowerSaver}) {
        for (const PowerSetting& setting : All(plan)) {
            const Calvoro::SettingValues values =
                Calvoro::ReadSetting(plan, setting.subgroup.id, setting.id);
            EXPECT_EQ(std::optional(values.ac), setting.acDefault) << setting.id;
            EXPECT_EQ(std::optional(values.dc), setting.dcDefault) << setting.id;
        }
    }
}

TEST_F(SimulatedSettings, ASettingIsFoundByIdentifierAliasOrName) {
    struct Case {
        std::u16string text;
        SettingOutcome outcome;
    };
    const Case cases[] = {
        {u"PROCTHROTTLEMAX", SettingOutcome::Done},
        {u"procThrottleMax", SettingOutcome::Done},
        {u"{bc5038f7-23e0-4960-96da-33abaf5935ec}", SettingOutcome::Done},
        {u"Maximum processor state", SettingOutcome::Done},
        {u"MAXIMUM PROCESSOR STATE", SettingOutcome::Done},
        {u"SUB_PROCESSOR", SettingOutcome::NotFound},  // a subgroup
        {u"Maximum processor", SettingOutcome::NotFound},
        {u"", SettingOutcome::NotFound},
    };
    for (const Case& c : cases) {
        const Calvoro::SettingsAnswer found = Calvoro::FindSetting(kBalanced, c.text);
        EXPECT_EQ(found.outcome, c.outcome) << std::string(c.text.begin(), c.text.end());
        if (c.outcome == SettingOutcome::Done) {
            EXPECT_EQ(found.settings.at(0).id, kProcThrottleMax);
        }
    }
    const Calvoro::SubgroupsAnswer subgroup = Calvoro::FindSubgroup(kBalanced, u"sub_processor");
    ASSERT_EQ(subgroup.outcome, SettingOutcome::Done);
    EXPECT_EQ(subgroup.subgroups.front().id, kProcessorSubgroup);
    EXPECT_EQ(Calvoro::FindSetting(Calvoro::NoPowerSchemeGuid, u"PROCTHROTTLEMAX").outcome,
              SettingOutcome::NotFound);
}

TEST_F(SimulatedSettings, AWriteChangesOneSourceOfOnePlanAndAppliesTheActivePlanAgain) {
    const Calvoro::SettingChange active =
        Calvoro::WriteSetting(kBalanced, kProcessorSubgroup, kProcThrottleMax, PowerSource::DC, 80);
    EXPECT_EQ(active.outcome, SettingOutcome::Done);
    EXPECT_EQ(active.reapplied, Calvoro::Activation::Applied);
    const Calvoro::SettingValues read =
        Calvoro::ReadSetting(kBalanced, kProcessorSubgroup, kProcThrottleMax);
    EXPECT_EQ(read.ac, 100u);
    EXPECT_EQ(read.dc, 80u);
    EXPECT_EQ(Calvoro::ReadSetting(kPowerSaver, kProcessorSubgroup, kProcThrottleMax).dc, 100u);

    const Calvoro::SettingChange other =
        Calvoro::WriteSetting(kPowerSaver, kBatterySubgroup, kBatActionCrit, PowerSource::AC, 3);
    EXPECT_EQ(other.outcome, SettingOutcome::Done);
    EXPECT_FALSE(other.reapplied);
    EXPECT_EQ(Calvoro::ReadSetting(kPowerSaver, kBatterySubgroup, kBatActionCrit).ac, 3u);

    EXPECT_EQ(Calvoro::WriteSetting(kBalanced, kBatterySubgroup, kBatActionCrit, PowerSource::AC, 4)
                  .outcome,
              SettingOutcome::OutOfRange);
    EXPECT_EQ(
        Calvoro::WriteSetting(kBalanced, kBatterySubgroup, kProcThrottleMax, PowerSource::AC, 1)
            .outcome,
        SettingOutcome::NotFound);
}

TEST_F(SimulatedSettings, ShownAndHiddenForTheWholeMachine) {
    ASSERT_EQ(Calvoro::SetSettingHidden(kProcessorSubgroup, kPerfBoostMode, false).outcome,
              SettingOutcome::Done);
    for (const Calvoro::Guid plan : {kBalanced, kPowerSaver}) {
        EXPECT_FALSE(ByAlias(All(plan), u"PERFBOOSTMODE")->hidden);
    }
    ASSERT_EQ(Calvoro::SetSettingHidden(kProcessorSubgroup, kProcThrottleMax, true).outcome,
              SettingOutcome::Done);
    EXPECT_TRUE(ByAlias(All(kBalanced), u"PROCTHROTTLEMAX")->hidden);
    Sim::Reset();
    EXPECT_TRUE(ByAlias(All(kBalanced), u"PERFBOOSTMODE")->hidden);
}

}  // namespace
