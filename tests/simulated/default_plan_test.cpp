// The default-plan lookup against the simulated per-user registry.
#include <calvoro/power_class.h>
#include <calvoro/power_plans.h>
#include <calvoro/simulation.h>
#include <calvoro/watcher.h>

#include "known_ids.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <future>
#include <thread>

namespace {

using namespace known_ids;

using Calvoro::Guid;
using Calvoro::NoPowerSchemeGuid;
namespace Sim = Calvoro::Simulation;

const Guid kNotInstalled{0x01234567, 0x89AB, 0xCDEF, {1, 2, 3, 4, 5, 6, 7, 8}};

enum class Outcome { Plan, NotInstalled, NoPlan, ParseError, AccessError };

struct RegistryCase {
    const char* name;
    std::function<void()> arrange;
    Outcome ac;
    Outcome dc;
};

void PrintTo(const RegistryCase& c, std::ostream* out) { *out << c.name; }

void SetAC(const Sim::RegistryValue& value) {
    Sim::SetRegistryValue(Sim::DefaultPlanKey, u"AC", value);
}

class SimulatedDefaultPlan : public testing::TestWithParam<RegistryCase> {
protected:
    void SetUp() override { Sim::Reset(); }
    void TearDown() override { Sim::Reset(); }
};

void Expect(Outcome outcome, bool onAC) {
    const Calvoro::PowerClass power;
    SCOPED_TRACE(onAC ? "AC" : "DC");
    switch (outcome) {
    case Outcome::Plan:
        EXPECT_EQ(power.GetDefaultPlaneGUID(onAC), kHighPerformance);
        break;
    case Outcome::NotInstalled:
        EXPECT_EQ(power.GetDefaultPlaneGUID(onAC), kNotInstalled);
        break;
    case Outcome::NoPlan:
        EXPECT_EQ(power.GetDefaultPlaneGUID(onAC), NoPowerSchemeGuid);
        break;
    case Outcome::ParseError:
        EXPECT_THROW(power.GetDefaultPlaneGUID(onAC), Calvoro::GuidParseError);
        break;
    case Outcome::AccessError:
        EXPECT_THROW(power.GetDefaultPlaneGUID(onAC), Calvoro::RegistryAccessError);
        break;
    }
}

// What the watcher's start decision makes of the record for AC (the simulated machine's source).
Calvoro::WatchAction Watched(Outcome outcome) {
    switch (outcome) {
    case Outcome::Plan:
        return Calvoro::WatchAction::Applied;
    case Outcome::NotInstalled:
        return Calvoro::WatchAction::NotInstalled;
    case Outcome::AccessError:
        return Calvoro::WatchAction::RecordRefused;
    case Outcome::NoPlan:
    case Outcome::ParseError:
        break;
    }
    return Calvoro::WatchAction::NoneRecorded;
}

TEST_P(SimulatedDefaultPlan, RegistryStateGivesResultAndClosesTheKey) {
    GetParam().arrange();
    Expect(GetParam().ac, true);
    Expect(GetParam().dc, false);
    EXPECT_EQ(Calvoro::ApplyRecordedPlan().action, Watched(GetParam().ac));
    EXPECT_EQ(Sim::RegistryKeys().open, 0u);
}

TEST(SimulatedWatcher, DestroyedInsideItsFirstCallbackItStopsAndTellsNothingMore) {
    Sim::Reset();
    std::promise<Calvoro::PowerWatcher*> made;
    std::shared_future<Calvoro::PowerWatcher*> watcher = made.get_future().share();
    std::promise<void> destroyed;
    std::atomic<int> calls{0};
    made.set_value(new Calvoro::PowerWatcher(std::chrono::milliseconds(0),
                                             [&, watcher](const Calvoro::WatchDecision&) {
                                                 if (calls++ == 0) {
                                                     delete watcher.get();
                                                     destroyed.set_value();
                                                 }
                                             }));
    ASSERT_EQ(destroyed.get_future().wait_for(std::chrono::seconds(30)),
              std::future_status::ready);
    Sim::SetPower({Calvoro::PowerSource::DC, true, false, {}, {}});
    Sim::Resume();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // what a live watcher would tell
    EXPECT_EQ(calls, 1);
    Sim::Reset();
}

INSTANTIATE_TEST_SUITE_P(
    Registry, SimulatedDefaultPlan,
    testing::Values(
        RegistryCase{"NoKey", [] {}, Outcome::NoPlan, Outcome::NoPlan},
        RegistryCase{"EmptyKey",
                     [] {
                         SetAC(Sim::RegistryValue::String(u""));
                         EXPECT_TRUE(Sim::DeleteRegistryValue(Sim::DefaultPlanKey, u"ac"));
                         EXPECT_FALSE(Sim::DeleteRegistryValue(Sim::DefaultPlanKey, u"AC"));
                     },
                     Outcome::NoPlan, Outcome::NoPlan},
        RegistryCase{"KeyDeleted",
                     [] {
                         SetAC(Sim::RegistryValue::String(u"8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C"));
                         EXPECT_TRUE(Sim::DeleteRegistryKey(Sim::DefaultPlanKey));
                         EXPECT_FALSE(Sim::DeleteRegistryKey(Sim::DefaultPlanKey));
                         EXPECT_FALSE(Sim::DeleteRegistryValue(Sim::DefaultPlanKey, u"AC"));
                     },
                     Outcome::NoPlan, Outcome::NoPlan},
        RegistryCase{"ACOnly",
                     [] { SetAC(Sim::RegistryValue::String(u"8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C")); },
                     Outcome::Plan, Outcome::NoPlan},
        RegistryCase{"BracesLowerCase",
                     [] {
                         SetAC(Sim::RegistryValue::String(u"{8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c}"));
                         Sim::SetRegistryValue(Sim::DefaultPlanKey, u"dc",
                                               Sim::RegistryValue::String(
                                                   u"01234567-89ab-cdef-0102-030405060708"));
                     },
                     Outcome::Plan, Outcome::NotInstalled},
        RegistryCase{"TextAfterNul",
                     [] {
                         SetAC(Sim::RegistryValue::String(
                             std::u16string(u"8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C\0junk", 41)));
                     },
                     Outcome::Plan, Outcome::NoPlan},
        RegistryCase{"NumberValue", [] { SetAC(Sim::RegistryValue::Number(1234)); },
                     Outcome::ParseError, Outcome::NoPlan},
        RegistryCase{"BinaryImageOfAGuid",
                     [] {
                         const auto image = kHighPerformance.Bytes();
                         SetAC(Sim::RegistryValue::Binary({image.begin(), image.end()}));
                     },
                     Outcome::ParseError, Outcome::NoPlan},
        RegistryCase{"NotAGuid", [] { SetAC(Sim::RegistryValue::String(u"High performance")); },
                     Outcome::ParseError, Outcome::NoPlan},
        RegistryCase{"KeyRefused",
                     [] {
                         SetAC(Sim::RegistryValue::String(u"8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C"));
                         Sim::RefuseKeyAccess(Sim::DefaultPlanKey);
                     },
                     Outcome::AccessError, Outcome::AccessError},
        RegistryCase{"KeyTypedInLowerCase",
                     [] {
                         Sim::SetRegistryValue(
                             u"software\\quandrel\\zephlo\\powerpolicies\\dev_default_plane", u"ac",
                             Sim::RegistryValue::String(u"8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C"));
                     },
                     Outcome::Plan, Outcome::NoPlan},
        RegistryCase{"RecordWritten",
                     [] {
                         Calvoro::SetDefaultPlan(Calvoro::PowerSource::AC, kHighPerformance);
                         Calvoro::SetDefaultPlan(Calvoro::PowerSource::DC, kNotInstalled);
                         EXPECT_EQ(Sim::GetRegistryValue(Sim::DefaultPlanKey, u"DC")->text,
                                   u"01234567-89AB-CDEF-0102-030405060708");
                     },
                     Outcome::Plan, Outcome::NotInstalled},
        RegistryCase{"RecordClearedForOneSourceOnly",
                     [] {
                         Calvoro::SetDefaultPlan(Calvoro::PowerSource::AC, kHighPerformance);
                         Calvoro::SetDefaultPlan(Calvoro::PowerSource::DC, kHighPerformance);
                         EXPECT_TRUE(Calvoro::ClearDefaultPlan(Calvoro::PowerSource::DC));
                         EXPECT_FALSE(Calvoro::ClearDefaultPlan(Calvoro::PowerSource::DC));
                     },
                     Outcome::Plan, Outcome::NoPlan},
        RegistryCase{"RecordRefused",
                     [] {
                         Sim::RefuseKeyAccess(Sim::DefaultPlanKey);
                         EXPECT_THROW(Calvoro::SetDefaultPlan(Calvoro::PowerSource::AC,
                                                              kHighPerformance),
                                      Calvoro::RegistryAccessError);
                         EXPECT_THROW(Calvoro::ClearDefaultPlan(Calvoro::PowerSource::DC),
                                      Calvoro::RegistryAccessError);
                     },
                     Outcome::AccessError, Outcome::AccessError},
        RegistryCase{"ValueRefused",
                     [] {
                         SetAC(Sim::RegistryValue::String(u"8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C"));
                         Sim::RefuseValueAccess(Sim::DefaultPlanKey, u"DC");
                     },
                     Outcome::Plan, Outcome::AccessError}),
    [](const testing::TestParamInfo<RegistryCase>& param) { return param.param.name; });

TEST(SimulatedRegistry, EveryLookupOpensTheKeyOnceAndClosesIt) {
    Sim::Reset();
    SetAC(Sim::RegistryValue::Number(7));
    Sim::RefuseValueAccess(Sim::DefaultPlanKey, u"DC");
    const Calvoro::PowerClass power;
    const auto before = Sim::RegistryKeys().opened;
    EXPECT_THROW(power.GetDefaultPlaneGUID(true), Calvoro::GuidParseError);
    EXPECT_THROW(power.GetDefaultPlaneGUID(false), Calvoro::RegistryAccessError);
    EXPECT_EQ(Sim::RegistryKeys().opened, before + 2);
    EXPECT_EQ(Sim::RegistryKeys().open, 0u);
    Sim::Reset();
}

}  // namespace
