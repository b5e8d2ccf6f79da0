// Timeouts as an application sees them on the simulated machine.
#include <calvoro/power_class.h>
#include <calvoro/simulation.h>

#include "known_ids.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

using namespace known_ids;

using Calvoro::Guid;
using Calvoro::PowerClass;
namespace Sim = Calvoro::Simulation;


struct Access {
    Sim::Timeout timeout;
    bool onAC;
    std::uint32_t (PowerClass::*get)(const Guid&, bool) const;
    bool (PowerClass::*set)(const Guid&, bool, std::uint32_t) const;
};

// Calls go through a reference to the element, `(power.*access.get)(...)`: GCC 12's
// -fsanitize=bounds miscomputes the index of `(power.*kAll[i].get)(...)`.
const Access kAll[] = {
    {Sim::Timeout::Sleep, true, &PowerClass::GetSleepTimer, &PowerClass::SetSleepTimer},
    {Sim::Timeout::Sleep, false, &PowerClass::GetSleepTimer, &PowerClass::SetSleepTimer},
    {Sim::Timeout::Hibernate, true, &PowerClass::GetHibernationTimer,
     &PowerClass::SetHibernationTimer},
    {Sim::Timeout::Hibernate, false, &PowerClass::GetHibernationTimer,
     &PowerClass::SetHibernationTimer},
    {Sim::Timeout::Display, true, &PowerClass::GetDisplayTimer, &PowerClass::SetDisplayTimer},
    {Sim::Timeout::Display, false, &PowerClass::GetDisplayTimer, &PowerClass::SetDisplayTimer},
};

class SimulatedTimeouts : public testing::Test {
protected:
    void SetUp() override { Sim::Reset(); }
    void TearDown() override { Sim::Reset(); }

    PowerClass power;
};

TEST_F(SimulatedTimeouts, SeededPlansReadAsWindowsShipsThem) {
    struct Row {
        Guid plan;
        std::uint32_t minutes[6];  // in the order of kAll
    };
    const Row rows[] = {{kBalanced, {30, 15, 180, 180, 10, 5}},
                        {kHighPerformance, {0, 30, 0, 180, 15, 10}},
                        {kPowerSaver, {15, 10, 180, 180, 5, 2}}};
    for (const Row& row : rows) {
        for (std::size_t i = 0; i < std::size(kAll); ++i) {
            const Access& access = kAll[i];
            EXPECT_EQ((power.*access.get)(row.plan, access.onAC), row.minutes[i])
                << row.plan << " timeout " << i;
            // Windows ships whole minutes: the stored seconds are exact, not just rounded.
            EXPECT_EQ(Sim::ReadSeconds(row.plan, access.timeout, access.onAC), row.minutes[i] * 60)
                << row.plan << " timeout " << i;
        }
    }
}

std::vector<std::uint32_t> StoredSeconds(const Guid& plan) {
    std::vector<std::uint32_t> seconds;
    for (const Access& access : kAll) {
        seconds.push_back(Sim::ReadSeconds(plan, access.timeout, access.onAC).value());
    }
    return seconds;
}

TEST_F(SimulatedTimeouts, EachSetterChangesItsOwnValueAndNoOther) {
    for (std::size_t changed = 0; changed < std::size(kAll); ++changed) {
        Sim::Reset();
        std::vector<std::uint32_t> expected = StoredSeconds(kBalanced);
        const std::vector<std::uint32_t> untouched = StoredSeconds(kPowerSaver);
        const Access& access = kAll[changed];

        ASSERT_TRUE((power.*access.set)(kBalanced, access.onAC, 42));
        expected[changed] = 42 * 60;
        EXPECT_EQ(StoredSeconds(kBalanced), expected) << "timeout " << changed;
        EXPECT_EQ(StoredSeconds(kPowerSaver), untouched);
        EXPECT_EQ((power.*access.get)(kBalanced, access.onAC), 42u);
    }
}

TEST_F(SimulatedTimeouts, LargestMinutesRoundTripAndOneMoreIsRefused) {
    EXPECT_TRUE(power.SetSleepTimer(kBalanced, false, 0));
    EXPECT_EQ(Sim::ReadSeconds(kBalanced, Sim::Timeout::Sleep, false), 0u);
    EXPECT_TRUE(power.SetSleepTimer(kBalanced, true, 71582788));
    EXPECT_EQ(power.GetSleepTimer(kBalanced, true), 71582788u);
    EXPECT_FALSE(power.SetSleepTimer(kBalanced, true, 71582789));
    EXPECT_EQ(power.GetSleepTimer(kBalanced, true), 71582788u);
}

TEST_F(SimulatedTimeouts, UnknownPlanReadsZeroAndRefusesChanges) {
    const Guid unknown{0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
    for (const Access& access : kAll) {
        EXPECT_EQ((power.*access.get)(unknown, access.onAC), 0u);
        EXPECT_FALSE((power.*access.set)(unknown, access.onAC, 5));
    }
    EXPECT_TRUE(Sim::RemovePlan(kPowerSaver));
    EXPECT_FALSE(power.SetDisplayTimer(kPowerSaver, true, 5));
}

TEST_F(SimulatedTimeouts, InjectedStatusFailsOneCallOrEvery) {
    Sim::InjectStatus(Sim::Operation::PowerWriteACValueIndex, 5);
    EXPECT_FALSE(power.SetSleepTimer(kBalanced, true, 5));
    EXPECT_TRUE(power.SetSleepTimer(kBalanced, true, 6));
    EXPECT_TRUE(power.SetSleepTimer(kBalanced, false, 7));  // DC has its own operation

    Sim::InjectStatus(Sim::Operation::PowerReadDCValueIndex, 0x80000001,
                      Sim::Repeat::Always);
    EXPECT_EQ(power.GetSleepTimer(kBalanced, false), 0u);
    EXPECT_EQ(power.GetSleepTimer(kBalanced, false), 0u);
    Sim::ClearFaults();
    EXPECT_EQ(power.GetSleepTimer(kBalanced, false), 7u);
}

TEST_F(SimulatedTimeouts, ManyThreadsOnDistinctPlansKeepEveryValue) {
    constexpr int kThreads = 8;
    constexpr std::uint32_t kRounds = 300;
    std::vector<Guid> plans;
    for (std::uint16_t t = 0; t < kThreads; ++t) {
        Sim::Plan plan;
        plan.id = Guid{0xC0FFEE00u + t, t, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 1}};
        plan.name = u"Thread plan";
        ASSERT_TRUE(Sim::AddPlan(plan));
        plans.push_back(plan.id);
    }

    const PowerClass shared;  // half the threads share one object, half use their own
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            const PowerClass own;
            const PowerClass& use = t % 2 == 0 ? shared : own;
            for (std::uint32_t round = 1; round <= kRounds; ++round) {
                for (std::size_t i = 0; i < std::size(kAll); ++i) {
                    const Access& access = kAll[i];
                    const auto minutes = static_cast<std::uint32_t>(round * 10 + i + t * 1000);
                    EXPECT_TRUE((use.*access.set)(plans[t], access.onAC, minutes));
                    EXPECT_EQ((use.*access.get)(plans[t], access.onAC), minutes);
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (int t = 0; t < kThreads; ++t) {
        for (std::size_t i = 0; i < std::size(kAll); ++i) {
            const Access& access = kAll[i];
            EXPECT_EQ((power.*access.get)(plans[t], access.onAC), kRounds * 10 + i + t * 1000);
        }
    }
}

}  // namespace
