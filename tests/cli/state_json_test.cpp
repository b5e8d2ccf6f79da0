// The state file's JSON, in memory: what is saved loads back to the same machine.
#include "errors.h"
#include "state_json.h"

#include <calvoro/simulation.h>

#include <gtest/gtest.h>

namespace {

namespace Sim = Calvoro::Simulation;

TEST(StateJson, SavedStateLoadsBackUnchanged) {
    Sim::Reset();
    Sim::SetRegistryValue(Sim::DefaultPlanKey, u"AC", Sim::RegistryValue::String(u"x\u00e9\U0001F50B"));
    Sim::SetRegistryValue(Sim::DefaultPlanKey, u"DC", Sim::RegistryValue::Number(4294967295u));
    Sim::SetRegistryValue(u"Other", u"Bin", Sim::RegistryValue::Binary({0, 255}));
    Sim::Plan plan;
    plan.id = Calvoro::Guid::Parse("01234567-89AB-CDEF-0123-456789ABCDEF");
    plan.name = u"\u2600";
    plan.display = {4294967295u, 0};
    ASSERT_TRUE(Sim::AddPlan(plan));

    const nlohmann::json saved = calvoro_cli::StateToJson(Sim::Snapshot());
    // Straight from memory (numbers as the writer made them) and through text.
    for (const nlohmann::json& document : {saved, nlohmann::json::parse(saved.dump())}) {
        const Sim::MachineState loaded = calvoro_cli::StateFromJson(document);
        EXPECT_EQ(calvoro_cli::StateToJson(loaded), saved);
        ASSERT_EQ(loaded.plans.size(), 4u);
        EXPECT_EQ(loaded.plans[3].display, plan.display);
    }
    Sim::Reset();
}

TEST(StateJson, ATextThatUtf8CannotCarryIsNotSaved) {
    Sim::MachineState state;
    Sim::Plan plan;
    plan.name = std::u16string(1, u'\xD800');  // a lone surrogate
    state.plans.push_back(plan);
    EXPECT_THROW(calvoro_cli::StateToJson(state), std::invalid_argument);
}

}  // namespace
