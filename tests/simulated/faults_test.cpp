// Every failure the platform can produce, driven through the library once: what the caller
// gets for each operation's nonzero statuses and for an exception it raises. (The registry's
// five answers are in default_plan_test.cpp; the read of a name raising in plans_test.cpp.)
#include <calvoro/power_class.h>
#include <calvoro/simulation.h>

#include "known_ids.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>

namespace {

using namespace known_ids;

using Calvoro::Guid;
using Calvoro::PowerClass;
namespace Sim = Calvoro::Simulation;


// What the caller got, as text, so that one table can hold every operation's result.
using Call = std::function<std::string(const PowerClass&)>;

std::string Text(const Guid& guid) {
    return guid == Calvoro::NoPowerSchemeGuid ? "NoPowerSchemeGuid" : guid.ToString();
}
std::string Text(const std::optional<std::u16string>& name) { return name ? "a name" : "absent"; }
std::string Text(bool stored) { return stored ? "true" : "false"; }
std::string Text(std::uint32_t number) { return std::to_string(number); }
std::string Text(std::int32_t number) { return std::to_string(number); }

struct FaultCase {
    const char* name;
    Sim::Operation operation;
    Call call;
    std::string onStatus;     // for every nonzero status
    std::string onException;  // when the operation raises std::runtime_error("boom")
};

void PrintTo(const FaultCase& c, std::ostream* out) { *out << c.name; }

std::string Outcome(const Call& call) {
    try {
        return call(PowerClass());
    } catch (const std::runtime_error& error) {
        return std::string("raises ") + error.what();
    }
}

class PlatformFault : public testing::TestWithParam<FaultCase> {
protected:
    void SetUp() override { Sim::Reset(); }
    void TearDown() override {
        EXPECT_EQ(Sim::Allocations().live, 0u);
        Sim::Reset();
    }
};

TEST_P(PlatformFault, CallerGetsTheFailureResult) {
    const FaultCase& c = GetParam();
    for (const std::uint32_t status : {2u, 5u, 87u, 120u, 234u, 259u, 0x80000005u}) {
        Sim::InjectStatus(c.operation, status, Sim::Repeat::Always);
        EXPECT_EQ(Outcome(c.call), c.onStatus) << "status " << status;
    }
    Sim::InjectException(c.operation, "boom", Sim::Repeat::Always);
    EXPECT_EQ(Outcome(c.call), c.onException);
    Sim::ClearFaults();
    EXPECT_NE(Outcome(c.call), c.onStatus) << "succeeds again once the fault is gone";
}

INSTANTIATE_TEST_SUITE_P(
    Faults, PlatformFault,
    testing::Values(
        FaultCase{"PowerEnumerate", Sim::Operation::PowerEnumerate,
                  [](const PowerClass& p) { return Text(p.EnumPowerSchemeGuid(0)); },
                  "NoPowerSchemeGuid", "raises boom"},
        // Raising in the size query is dropped silently.
        FaultCase{"PowerReadFriendlyName", Sim::Operation::PowerReadFriendlyName,
                  [](const PowerClass& p) { return Text(p.ReadPowerSchemeName(kBalanced)); },
                  "absent", "absent"},
        FaultCase{"PowerWriteFriendlyName", Sim::Operation::PowerWriteFriendlyName,
                  [](const PowerClass& p) {
                      return Text(p.WritePowerSchemeNameDescription(kBalanced, u"N", u"D"));
                  },
                  "0", "raises boom"},
        FaultCase{"PowerWriteDescription", Sim::Operation::PowerWriteDescription,
                  [](const PowerClass& p) {
                      return Text(p.WritePowerSchemeNameDescription(kBalanced, u"N", u"D"));
                  },
                  "0", "raises boom"},
        FaultCase{"PowerReadACValueIndex", Sim::Operation::PowerReadACValueIndex,
                  [](const PowerClass& p) { return Text(p.GetDisplayTimer(kBalanced, true)); },
                  "0", "raises boom"},
        FaultCase{"PowerReadDCValueIndex", Sim::Operation::PowerReadDCValueIndex,
                  [](const PowerClass& p) { return Text(p.GetSleepTimer(kBalanced, false)); },
                  "0", "raises boom"},
        FaultCase{"PowerWriteACValueIndex", Sim::Operation::PowerWriteACValueIndex,
                  [](const PowerClass& p) { return Text(p.SetHibernationTimer(kBalanced, true, 9)); },
                  "false", "raises boom"},
        FaultCase{"PowerWriteDCValueIndex", Sim::Operation::PowerWriteDCValueIndex,
                  [](const PowerClass& p) { return Text(p.SetDisplayTimer(kBalanced, false, 9)); },
                  "false", "raises boom"},
        // Only what the name reads raise is caught; an allocator that raises passes through.
        FaultCase{"LocalAllocation", Sim::Operation::LocalAlloc,
                  [](const PowerClass& p) { return Text(p.ReadPowerSchemeName(kBalanced)); },
                  "absent", "raises boom"}),
    [](const testing::TestParamInfo<FaultCase>& param) { return param.param.name; });

}  // namespace
