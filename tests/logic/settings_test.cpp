// The settings model's calls, by exact arguments: what a write checks first and what it writes,
// how each platform answer becomes an outcome, and what hiding changes.
#include <calvoro/power_settings.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fake_platform.h"
#include "known_ids.h"

namespace {

using namespace known_ids;
using Calvoro::PowerSource;
using Calvoro::SettingOutcome;

std::vector<std::string> Operations() {
    std::vector<std::string> names;
    for (const fake::Call& call : fake::State().calls) {
        names.push_back(call.operation);
    }
    return names;
}

const fake::Call* Find(const std::string& operation) {
    const auto& calls = fake::State().calls;
    const auto found = std::find_if(calls.begin(), calls.end(), [&](const fake::Call& call) {
        return call.operation == operation;
    });
    return found != calls.end() ? &*found : nullptr;
}

class Settings : public testing::Test {
protected:
    void SetUp() override {
        fake::Reset();
        // A setting with a range, whose every read gives 5: it takes 5 alone.
        fake::State().ranged = true;
        fake::State().readValue = 5;
        fake::State().statusFor["PowerGetActiveScheme"] = 2;  // no active plan: no reapplying
    }
};

TEST_F(Settings, AWriteChecksRangeThenPolicyThenWritesOnlyTheSourceAsked) {
    for (const PowerSource source : {PowerSource::AC, PowerSource::DC}) {
        SetUp();
        const bool onAC = source == PowerSource::AC;
        const Calvoro::SettingChange change =
            Calvoro::WriteSetting(kBalanced, kProcessorSubgroup, kProcThrottleMax, source, 5);
        EXPECT_EQ(change.outcome, SettingOutcome::Done);
        EXPECT_FALSE(change.reapplied);
        const std::string write = onAC ? "PowerWriteACValueIndex" : "PowerWriteDCValueIndex";
        EXPECT_EQ(Operations(), (std::vector<std::string>{
                                    "PowerIsSettingRangeDefined", "PowerReadValueMin",
                                    "PowerReadValueMax", "PowerReadValueIncrement",
                                    "PowerSettingAccessCheckEx", write, "PowerGetActiveScheme"}));
        const fake::Call* check = Find("PowerSettingAccessCheckEx");
        EXPECT_EQ(check->accessFlags, onAC ? 0u : 1u);  // ACCESS_AC/DC_POWER_SETTING_INDEX
        EXPECT_EQ(check->scheme, kProcThrottleMax);     // the setting, by its identifier
        EXPECT_EQ(check->value, 0x20006u);              // KEY_WRITE
        const fake::Call* written = Find(write);
        EXPECT_EQ(written->scheme, kBalanced);
        EXPECT_EQ(written->subgroup, kProcessorSubgroup);
        EXPECT_EQ(written->setting, kProcThrottleMax);
        EXPECT_EQ(written->value, 5u);
    }
}

TEST_F(Settings, EachAnswerOfThePlatformIsOneOutcomeAndNothingIsWrittenUnlessAllowed) {
    struct Case {
        const char* what;
        const char* operation;  // answers `status`
        std::uint32_t status;
        std::uint32_t value;
        SettingOutcome outcome;
        bool written;
    };
    const Case cases[] = {
        {"a value off the increment", "", 0, 7, SettingOutcome::OutOfRange, false},
        {"pinned by Group Policy", "PowerSettingAccessCheckEx", 1260, 5,
         SettingOutcome::PinnedByPolicy, false},
        {"no policy check before Windows 7", "PowerSettingAccessCheckEx", 127, 5,
         SettingOutcome::Done, true},
        {"the write refused", "PowerWriteDCValueIndex", 5, 5, SettingOutcome::Refused, true},
        {"no such plan", "PowerWriteDCValueIndex", 2, 5, SettingOutcome::NotFound, true},
        {"no such setting", "PowerReadValueMin", 2, 5, SettingOutcome::NotFound, false},
    };
    for (const Case& c : cases) {
        SetUp();
        if (*c.operation != '\0') {
            fake::State().statusFor[c.operation] = c.status;
        }
        const Calvoro::SettingChange change = Calvoro::WriteSetting(
            kBalanced, kProcessorSubgroup, kProcThrottleMax, PowerSource::DC, c.value);
        EXPECT_EQ(change.outcome, c.outcome) << c.what;
        EXPECT_EQ(Find("PowerWriteDCValueIndex") != nullptr, c.written) << c.what;
        if (c.outcome == SettingOutcome::Refused) {
            EXPECT_EQ(change.status, c.status) << c.what;
        }
    }
}

TEST_F(Settings, WithoutThePlatformsCallsNothingIsCalled) {
    fake::State().missingCalls = {"PowerReadValueMin"};
    EXPECT_EQ(Calvoro::ListSettings(kBalanced).outcome, SettingOutcome::Unsupported);
    EXPECT_EQ(Calvoro::ReadSetting(kBalanced, kProcessorSubgroup, kProcThrottleMax).outcome,
              SettingOutcome::Unsupported);
    EXPECT_EQ(
        Calvoro::WriteSetting(kBalanced, kProcessorSubgroup, kProcThrottleMax, PowerSource::AC, 5)
            .outcome,
        SettingOutcome::Unsupported);
    EXPECT_EQ(Calvoro::SetSettingHidden(kProcessorSubgroup, kPerfBoostMode, false).outcome,
              SettingOutcome::Unsupported);
    EXPECT_FALSE(Calvoro::PowerSettingsSupported());
    EXPECT_TRUE(fake::State().calls.empty());
    EXPECT_THROW(Calvoro::WriteSetting(kBalanced, kProcessorSubgroup, kProcThrottleMax,
                                       PowerSource::ShortTerm, 5),
                 std::invalid_argument);
}

TEST_F(Settings, HidingChangesTheSettingsOwnHiddenBitOnly) {
    struct Case {
        std::uint32_t before;
        bool hidden;
        std::uint32_t after;
    };
    // ATTRIBUTE_HIDE is 1; ATTRIBUTE_SHOW_AOAC (2) stays as it was.
    for (const Case& c :
         {Case{2, true, 3}, Case{3, false, 2}, Case{1, true, 1}, Case{0, false, 0}}) {
        SetUp();
        fake::State().attributes = c.before;
        EXPECT_EQ(Calvoro::SetSettingHidden(kProcessorSubgroup, kPerfBoostMode, c.hidden).outcome,
                  SettingOutcome::Done);
        const fake::Call* read = Find("PowerReadSettingAttributes");
        EXPECT_EQ(read->subgroup, std::nullopt);  // without the subgroup's own attributes
        EXPECT_EQ(read->setting, kPerfBoostMode);
        const fake::Call* written = Find("PowerWriteSettingAttributes");
        EXPECT_EQ(written->subgroup, kProcessorSubgroup);
        EXPECT_EQ(written->value, c.after) << c.before << (c.hidden ? " hidden" : " shown");
    }
    fake::State().statusFor["PowerWriteSettingAttributes"] = 5;
    const Calvoro::SettingChange refused =
        Calvoro::SetSettingHidden(kProcessorSubgroup, kPerfBoostMode, false);
    EXPECT_EQ(refused.outcome, SettingOutcome::Refused);
    EXPECT_EQ(refused.status, 5u);
}

TEST_F(Settings, ANameThatSeveralSettingsHaveIsAmbiguous) {
    // Every enumeration gives two items, and every name read is "Twin".
    fake::State().enumerationEnds = 2;
    fake::State().readName = [](std::uint8_t* buffer, std::uint32_t* size) {
        static const char16_t kName[] = u"Twin";
        if (buffer != nullptr && *size >= sizeof kName) {
            std::copy_n(reinterpret_cast<const std::uint8_t*>(kName), sizeof kName, buffer);
        }
        *size = sizeof kName;
        return 0u;
    };
    const Calvoro::SettingsAnswer found = Calvoro::FindSetting(kBalanced, u"twin");
    EXPECT_EQ(found.outcome, SettingOutcome::Ambiguous);
    EXPECT_GE(found.settings.size(), 2u);
    EXPECT_EQ(Calvoro::FindSetting(kBalanced, u"Triplet").outcome, SettingOutcome::NotFound);
    fake::State().statusFor["PowerEnumerate"] = 2;
    EXPECT_EQ(Calvoro::ListSettings(kBalanced).outcome, SettingOutcome::NotFound);
}

}  // namespace
