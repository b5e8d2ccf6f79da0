// Listing plans, reading their names and renaming them on the simulated machine.
#include <calvoro/power_class.h>
#include <calvoro/power_plans.h>
#include <calvoro/simulation.h>

#include "known_ids.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace known_ids;

using Calvoro::Guid;
using Calvoro::NoPowerSchemeGuid;
using Calvoro::PowerClass;
namespace Sim = Calvoro::Simulation;

const Guid kUnknown{0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};

std::vector<Guid> ListPlans(const PowerClass& power) {
    std::vector<Guid> plans;
    for (std::uint32_t index = 0;; ++index) {
        const Guid plan = power.EnumPowerSchemeGuid(index);
        if (plan == NoPowerSchemeGuid) {
            return plans;
        }
        plans.push_back(plan);
    }
}

class SimulatedPlans : public testing::Test {
protected:
    void SetUp() override { Sim::Reset(); }
    void TearDown() override {
        EXPECT_EQ(Sim::Allocations().live, 0u) << "a name block was not released";
        Sim::Reset();
    }

    PowerClass power;
};

TEST_F(SimulatedPlans, ListsThePlansInOrderAndFollowsChanges) {
    EXPECT_EQ(ListPlans(power), (std::vector<Guid>{kBalanced, kHighPerformance, kPowerSaver}));
    EXPECT_EQ(power.EnumPowerSchemeGuid(4294967295u), NoPowerSchemeGuid);

    Sim::Plan added;
    added.id = kUnknown;
    ASSERT_TRUE(Sim::AddPlan(added));
    ASSERT_TRUE(Sim::RemovePlan(kBalanced));
    EXPECT_EQ(ListPlans(power), (std::vector<Guid>{kHighPerformance, kPowerSaver, kUnknown}));
}

// Tests with "Allocation" in their name count or break the simulated LocalAlloc, which
// Windows builds do not use; the stand-in powrprof.dll runs all the others.

TEST_F(SimulatedPlans, ReadsTheSeededNamesWithOneAllocationEach) {
    const std::size_t before = Sim::Allocations().made;
    EXPECT_EQ(power.ReadPowerSchemeName(kBalanced), u"Balanced");
    EXPECT_EQ(power.ReadPowerSchemeName(kHighPerformance), u"High performance");
    EXPECT_EQ(power.ReadPowerSchemeName(kPowerSaver), u"Power saver");
    EXPECT_EQ(Sim::Allocations().made, before + 3);
}

TEST_F(SimulatedPlans, UnknownPlanHasNoNameAndNoAllocation) {
    const std::size_t before = Sim::Allocations().made;
    EXPECT_EQ(power.ReadPowerSchemeName(kUnknown), std::nullopt);
    EXPECT_EQ(Sim::Allocations().made, before);
    EXPECT_EQ(power.WritePowerSchemeNameDescription(kUnknown, u"Name", u"Text"), 0);
}

TEST_F(SimulatedPlans, RenameReadsBackForAnyText) {
    for (const std::u16string& name :
         {std::u16string(u"\u00C9nergie \u2600"), std::u16string(u"Battery \U0001F50B"),
          std::u16string(u""), std::u16string(500, u'x')}) {
        ASSERT_EQ(power.WritePowerSchemeNameDescription(kPowerSaver, name, u"New " + name), 1);
        EXPECT_EQ(power.ReadPowerSchemeName(kPowerSaver), name);
        EXPECT_EQ(Sim::Plans().back().description, u"New " + name);
    }
    EXPECT_EQ(power.ReadPowerSchemeName(kBalanced), u"Balanced");
}

TEST_F(SimulatedPlans, ARefusedDescriptionKeepsTheNewName) {
    Sim::InjectStatus(Sim::Operation::PowerWriteDescription, 5);
    EXPECT_EQ(power.WritePowerSchemeNameDescription(kBalanced, u"Renamed", u"Lost"), 0);
    EXPECT_EQ(power.ReadPowerSchemeName(kBalanced), u"Renamed");
    EXPECT_NE(Sim::Plans().front().description, u"Lost");

    Sim::InjectStatus(Sim::Operation::PowerWriteFriendlyName, 0x80070005);
    EXPECT_EQ(power.WritePowerSchemeNameDescription(kBalanced, u"Again", u"Also lost"), 0);
    EXPECT_EQ(power.ReadPowerSchemeName(kBalanced), u"Renamed");
    EXPECT_NE(Sim::Plans().front().description, u"Also lost");
}

TEST_F(SimulatedPlans, AFailedAllocationGivesNoName) {
    Sim::InjectStatus(Sim::Operation::LocalAlloc, 8);
    EXPECT_EQ(power.ReadPowerSchemeName(kBalanced), std::nullopt);
    EXPECT_EQ(power.ReadPowerSchemeName(kBalanced), u"Balanced");
}

TEST_F(SimulatedPlans, FailuresWhileReadingANameGiveNoName) {
    testing::internal::CaptureStdout();
    Sim::InjectException(Sim::Operation::PowerReadFriendlyName, "size query broke");
    EXPECT_EQ(power.ReadPowerSchemeName(kBalanced), std::nullopt);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

    // Skipping one call lets the size query through and breaks the read.
    testing::internal::CaptureStdout();
    Sim::InjectException(Sim::Operation::PowerReadFriendlyName, "read broke",
                         Sim::Repeat::Once, 1);
    EXPECT_EQ(power.ReadPowerSchemeName(kBalanced), std::nullopt);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "read broke\n");

    Sim::InjectStatus(Sim::Operation::PowerReadFriendlyName, 2, Sim::Repeat::Once, 1);
    EXPECT_EQ(power.ReadPowerSchemeName(kBalanced), std::nullopt);
    EXPECT_EQ(power.ReadPowerSchemeName(kBalanced), u"Balanced");
}

TEST_F(SimulatedPlans, ACopyKeepsTheNameUntilRenamedAndRestoringBringsBalancedBack) {
    const Calvoro::PlanResult copy = Calvoro::DuplicatePlan(kBalanced);
    ASSERT_EQ(copy.outcome, Calvoro::PlanOutcome::Done);
    EXPECT_EQ(ListPlans(power).back(), copy.plan);
    EXPECT_EQ(Calvoro::FindPlan(u"Balanced").outcome, Calvoro::PlanLookup::Outcome::Several);
    ASSERT_EQ(Calvoro::ActivatePlan(copy.plan), Calvoro::Activation::Applied);
    EXPECT_EQ(Calvoro::RestoreDefaultPlans().outcome, Calvoro::PlanOutcome::Done);
    EXPECT_EQ(ListPlans(power), (std::vector<Guid>{kBalanced, kHighPerformance, kPowerSaver}));
    EXPECT_EQ(Calvoro::ActivePlan(), kBalanced);
}

TEST_F(SimulatedPlans, ACopyThatRaisesLeavesNoAllocation) {
    Sim::InjectException(Sim::Operation::PowerDuplicateScheme, "broke");
    EXPECT_THROW(Calvoro::DuplicatePlan(kBalanced), std::runtime_error);  // TearDown counts
}

// A refused step of a plan operation is said as such, and leaves no plan made or lost.
TEST_F(SimulatedPlans, ARefusedPlanOperationChangesNoPlan) {
    using Calvoro::PlanOutcome;
    using Operation = Sim::Operation;
    struct Case {
        const char* what;
        std::optional<Operation> operation;  // and the status it answers
        std::uint32_t status;
        std::function<Calvoro::PlanResult()> call;
        PlanOutcome outcome;
    };
    const std::vector<Case> cases = {
        {"copy refused", Operation::PowerDuplicateScheme, 5,
         [] { return Calvoro::DuplicatePlan(kBalanced); }, PlanOutcome::NeedsAdministrator},
        {"copy not named", Operation::PowerWriteFriendlyName, 5,
         [] { return Calvoro::DuplicatePlan(kBalanced, kUnknown, u"Meeting"); },
         PlanOutcome::Failed},
        {"copy forbidden", Operation::PowerSettingAccessCheckEx, 1260,
         [] { return Calvoro::DuplicatePlan(kBalanced); }, PlanOutcome::ForbiddenByPolicy},
        {"restore refused", Operation::PowerRestoreDefaultPowerSchemes, 5,
         [] { return Calvoro::RestoreDefaultPlans(); }, PlanOutcome::NeedsAdministrator},
        {"restore one refused", Operation::PowerRestoreDefaultPowerSchemes, 5,
         [] { return Calvoro::RestorePlanDefaults(kPowerSaver); },
         PlanOutcome::NeedsAdministrator},
        {"delete failed", Operation::PowerDeleteScheme, 31,
         [] { return Calvoro::DeletePlan(kPowerSaver); }, PlanOutcome::Failed},
        {"no such plan", std::nullopt, 0,
         [] { return Calvoro::DeletePlan(kUnknown); }, PlanOutcome::NotFound},
    };
    for (const Case& each : cases) {
        Sim::Reset();
        ASSERT_EQ(power.WritePowerSchemeNameDescription(kPowerSaver, u"Mine", u"Kept"), 1);
        const std::vector<Guid> before = ListPlans(power);
        if (each.operation) {
            Sim::InjectStatus(*each.operation, each.status);
        }
        EXPECT_EQ(each.call().outcome, each.outcome) << each.what;
        Sim::ClearFaults();
        EXPECT_EQ(ListPlans(power), before) << each.what;
        EXPECT_EQ(power.ReadPowerSchemeName(kPowerSaver), u"Mine") << each.what;
    }
}

}  // namespace
