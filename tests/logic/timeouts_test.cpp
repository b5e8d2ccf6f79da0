// The six timeout operations pass exactly the right arguments to exactly one platform call.
#include <calvoro/power_class.h>

#include "fake_platform.h"
#include "platform/conversions.h"

#include "known_ids.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>

namespace {

using namespace known_ids;

using Calvoro::Guid;
using Calvoro::PowerClass;

using Getter = std::uint32_t (PowerClass::*)(const Guid&, bool) const;
using Setter = bool (PowerClass::*)(const Guid&, bool, std::uint32_t) const;


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
        EXPECT_EQ(call.scheme, kBalanced);
        EXPECT_EQ(call.subgroup, c.subgroup);
        EXPECT_EQ(call.setting, c.setting);
    }

    PowerClass power;
};

TEST_P(TimeoutCall, GetterReadsTheSettingAndReturnsWholeMinutes) {
    const TimeoutCase c = GetParam();
    fake::State().readValue = 119;
    EXPECT_EQ((power.*c.get)(kBalanced, c.onAC), 1u);
    const fake::Call& call = OnlyCall();
    ExpectNames(call, "Read");
    EXPECT_TRUE(call.outputGiven);
}

TEST_P(TimeoutCall, GetterReturnsZeroWhenTheReadFails) {
    const TimeoutCase c = GetParam();
    // A failed read that left the value alone, and ones that wrote seconds before failing.
    const std::pair<std::optional<std::uint32_t>, std::uint32_t> failures[] = {
        {std::nullopt, 2}, {600, 2}, {4294967295u, 0x80070005u}};
    for (const auto& [written, status] : failures) {
        fake::State().readValue = written;
        fake::State().status = status;
        EXPECT_EQ((power.*c.get)(kBalanced, c.onAC), 0u) << "status " << status;
    }
}

TEST_P(TimeoutCall, SetterWritesSecondsAndJudgesTheStatus) {
    const TimeoutCase c = GetParam();
    EXPECT_TRUE((power.*c.set)(kBalanced, c.onAC, 10));
    const fake::Call& call = OnlyCall();
    ExpectNames(call, "Write");
    EXPECT_EQ(call.value, 600u);

    for (const std::uint32_t failure : {5u, 87u, 0x80004005u}) {
        fake::State().status = failure;
        EXPECT_FALSE((power.*c.set)(kBalanced, c.onAC, 10)) << "status " << failure;
    }
}

TEST_P(TimeoutCall, SetterRefusesMinutesWhoseSecondsDoNotFitWithoutCallingThePlatform) {
    const TimeoutCase c = GetParam();
    EXPECT_FALSE((power.*c.set)(kBalanced, c.onAC, 71582789));
    EXPECT_FALSE((power.*c.set)(kBalanced, c.onAC, UINT32_MAX));
    EXPECT_TRUE(fake::State().calls.empty());

    EXPECT_TRUE((power.*c.set)(kBalanced, c.onAC, 71582788));
    EXPECT_EQ(OnlyCall().value, 4294967280u);
}

INSTANTIATE_TEST_SUITE_P(
    Timeouts, TimeoutCall,
    testing::Values(
        TimeoutCase{"Sleep", &PowerClass::GetSleepTimer, &PowerClass::SetSleepTimer,
                    kSleepSubgroup, kStandbyTimeout, true},
        TimeoutCase{"Sleep", &PowerClass::GetSleepTimer, &PowerClass::SetSleepTimer,
                    kSleepSubgroup, kStandbyTimeout, false},
        TimeoutCase{"Hibernation", &PowerClass::GetHibernationTimer,
                    &PowerClass::SetHibernationTimer, kSleepSubgroup, kHibernateTimeout, true},
        TimeoutCase{"Hibernation", &PowerClass::GetHibernationTimer,
                    &PowerClass::SetHibernationTimer, kSleepSubgroup, kHibernateTimeout, false},
        TimeoutCase{"Display", &PowerClass::GetDisplayTimer, &PowerClass::SetDisplayTimer,
                    kVideoSubgroup, kVideoPowerdownTimeout, true},
        TimeoutCase{"Display", &PowerClass::GetDisplayTimer, &PowerClass::SetDisplayTimer,
                    kVideoSubgroup, kVideoPowerdownTimeout, false}),
    CaseName);

}  // namespace
