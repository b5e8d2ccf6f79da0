// The six timeout operations pass exactly the right arguments to exactly one platform call.
#include <calvoro/power_class.h>

#include "fake_platform.h"
#include "power_class/identifiers.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Calvoro::Guid;
using Calvoro::PowerClass;

using Getter = std::uint32_t (PowerClass::*)(const Guid&, bool) const;
using Setter = bool (PowerClass::*)(const Guid&, bool, std::uint32_t) const;

const Guid kSleepSubgroup{0x238C9FA8, 0x0AAD, 0x41ED,
                          {0x83, 0xF4, 0x97, 0xBE, 0x24, 0x2C, 0x8F, 0x20}};
const Guid kStandby{0x29F6C1DB, 0x86DA, 0x48C5, {0x9F, 0xDB, 0xF2, 0xB6, 0x7B, 0x1F, 0x44, 0xDA}};
const Guid kHibernate{0x9D7815A6, 0x7EE4, 0x497E,
                      {0x88, 0x88, 0x51, 0x5A, 0x05, 0xF0, 0x23, 0x64}};
const Guid kVideoSubgroup{0x7516B95F, 0xF776, 0x4464,
                          {0x8C, 0x53, 0x06, 0x16, 0x7F, 0x40, 0xCC, 0x99}};
const Guid kVideoPowerdown{0x3C0BC021, 0xC8A8, 0x4E07,
                           {0xA9, 0x73, 0x6B, 0x14, 0xCB, 0xCB, 0x2B, 0x7E}};
const Guid kPlan{0x381B4222, 0xF694, 0x41F0, {0x96, 0x85, 0xFF, 0x5B, 0xB2, 0x60, 0xDF, 0x2E}};

struct TimeoutCase {
    const char* name;
    Getter get;
    Setter set;
    Guid subgroup;
    Guid setting;
    bool onAC;
};

std::string CaseName(const testing::TestParamInfo<TimeoutCase>& info) {
    return std::string(info.param.name) + (info.param.onAC ? "AC" : "DC");
}

void PrintTo(const TimeoutCase& c, std::ostream* out) { *out << c.name << (c.onAC ? " AC" : " DC"); }

class TimeoutCall : public testing::TestWithParam<TimeoutCase> {
protected:
    void SetUp() override { fake::Reset(); }

    const fake::Call& OnlyCall() {
        const auto& calls = fake::State().calls;
        EXPECT_EQ(calls.size(), 1u);
        static const fake::Call none;
        return calls.empty() ? none : calls.front();
    }

    void ExpectNames(const fake::Call& call, const char* read_or_write) {
        const TimeoutCase c = GetParam();
        EXPECT_EQ(call.operation,
                  std::string("Power") + read_or_write + (c.onAC ? "AC" : "DC") + "ValueIndex");
        EXPECT_EQ(call.root, nullptr);
        EXPECT_EQ(call.scheme, kPlan);
        EXPECT_EQ(call.subgroup, c.subgroup);
        EXPECT_EQ(call.setting, c.setting);
    }

    PowerClass power;
};

TEST_P(TimeoutCall, GetterReadsTheSettingAndReturnsWholeMinutes) {
    const TimeoutCase c = GetParam();
    fake::State().readValue = 119;
    EXPECT_EQ((power.*c.get)(kPlan, c.onAC), 1u);
    const fake::Call& call = OnlyCall();
    ExpectNames(call, "Read");
    EXPECT_TRUE(call.outputGiven);
}

TEST_P(TimeoutCall, GetterReturnsZeroWhenTheReadFailsWithoutWriting) {
    const TimeoutCase c = GetParam();
    fake::State().status = 2;
    EXPECT_EQ((power.*c.get)(kPlan, c.onAC), 0u);
}

TEST_P(TimeoutCall, SetterWritesSecondsAndJudgesTheStatus) {
    const TimeoutCase c = GetParam();
    EXPECT_TRUE((power.*c.set)(kPlan, c.onAC, 10));
    const fake::Call& call = OnlyCall();
    ExpectNames(call, "Write");
    EXPECT_EQ(call.value, 600u);

    for (const std::uint32_t failure : {5u, 87u, 0x80004005u}) {
        fake::State().status = failure;
        EXPECT_FALSE((power.*c.set)(kPlan, c.onAC, 10)) << "status " << failure;
    }
}

TEST_P(TimeoutCall, SetterRefusesMinutesWhoseSecondsDoNotFitWithoutCallingThePlatform) {
    const TimeoutCase c = GetParam();
    EXPECT_FALSE((power.*c.set)(kPlan, c.onAC, 71582789));
    EXPECT_FALSE((power.*c.set)(kPlan, c.onAC, UINT32_MAX));
    EXPECT_TRUE(fake::State().calls.empty());

    EXPECT_TRUE((power.*c.set)(kPlan, c.onAC, 71582788));
    EXPECT_EQ(OnlyCall().value, 4294967280u);
}

INSTANTIATE_TEST_SUITE_P(
    Timeouts, TimeoutCall,
    testing::Values(
        TimeoutCase{"Sleep", &PowerClass::GetSleepTimer, &PowerClass::SetSleepTimer,
                    kSleepSubgroup, kStandby, true},
        TimeoutCase{"Sleep", &PowerClass::GetSleepTimer, &PowerClass::SetSleepTimer,
                    kSleepSubgroup, kStandby, false},
        TimeoutCase{"Hibernation", &PowerClass::GetHibernationTimer,
                    &PowerClass::SetHibernationTimer, kSleepSubgroup, kHibernate, true},
        TimeoutCase{"Hibernation", &PowerClass::GetHibernationTimer,
                    &PowerClass::SetHibernationTimer, kSleepSubgroup, kHibernate, false},
        TimeoutCase{"Display", &PowerClass::GetDisplayTimer, &PowerClass::SetDisplayTimer,
                    kVideoSubgroup, kVideoPowerdown, true},
        TimeoutCase{"Display", &PowerClass::GetDisplayTimer, &PowerClass::SetDisplayTimer,
                    kVideoSubgroup, kVideoPowerdown, false}),
    CaseName);

}  // namespace
