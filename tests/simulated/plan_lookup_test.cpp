// The library's own operations on the simulated machine: finding a plan by what a person
// types (the rows of tests/plan_names.json, which the program's and the module's tests read
// too), the active plan and descriptions.
#include <calvoro/power_class.h>
#include <calvoro/power_plans.h>
#include <calvoro/simulation.h>

#include "known_ids.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <utf8.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using namespace known_ids;
using Calvoro::PlanLookup;
namespace Sim = Calvoro::Simulation;

std::u16string Utf16(const std::string& utf8) {
    std::u16string text;
    utf8::utf8to16(utf8.begin(), utf8.end(), std::back_inserter(text));
    return text;
}

struct NameRow {
    std::string why;
    std::vector<std::string> plans;
    std::string typed;
    std::string finds;
    int plan = -1;
};

void PrintTo(const NameRow& row, std::ostream* out) { *out << row.why << ": " << row.typed; }

std::vector<NameRow> NameRows() {
    std::ifstream in(CALVORO_PLAN_NAMES, std::ios::binary);
    const nlohmann::json table = nlohmann::json::parse(in);
    std::vector<NameRow> rows;
    for (const auto& row : table.at("rows")) {
        rows.push_back({row.at("why"), row.at("plans"), row.at("typed"), row.at("finds"),
                        row.value("plan", -1)});
    }
    return rows;
}

class PlanNames : public testing::TestWithParam<NameRow> {
protected:
    void SetUp() override { Sim::Reset(); }
    void TearDown() override { Sim::Reset(); }
};

TEST_P(PlanNames, FindsWhatTheTableSays) {
    const NameRow& row = GetParam();
    const Guid seeded[] = {kBalanced, kHighPerformance};
    for (std::size_t i = 0; i < row.plans.size(); ++i) {
        ASSERT_EQ(Calvoro::PowerClass().WritePowerSchemeNameDescription(seeded[i],
                                                                        Utf16(row.plans[i]), u""),
                  1);
    }
    const PlanLookup lookup = Calvoro::FindPlan(Utf16(row.typed));
    EXPECT_EQ(lookup.reading, PlanLookup::Reading::Name);
    if (row.finds == "found") {
        ASSERT_EQ(lookup.outcome, PlanLookup::Outcome::Found);
        ASSERT_EQ(lookup.candidates.size(), 1u);
        EXPECT_EQ(lookup.candidates[0].id, seeded[row.plan]);
    } else if (row.finds == "several") {
        ASSERT_EQ(lookup.outcome, PlanLookup::Outcome::Several);
        EXPECT_EQ(lookup.candidates.size(), row.plans.size());
    } else {
        EXPECT_EQ(lookup.outcome, PlanLookup::Outcome::None);
        EXPECT_EQ(lookup.candidates.size(), 3u) << "every installed plan is a candidate";
    }
}

INSTANTIATE_TEST_SUITE_P(Table, PlanNames, testing::ValuesIn(NameRows()));

// Identifiers and aliases: what each reads as, and what it finds.
struct TextRow {
    const char* typed;
    PlanLookup::Reading reading;
    PlanLookup::Outcome outcome;
    std::optional<Guid> identifier;
};

TEST(PlanLookupOfIdentifiers, ReadAsTheyAreWrittenAndFoundOnlyWhenInstalled) {
    const Guid absent{0x01234567, 0x89AB, 0xCDEF, {1, 2, 3, 4, 5, 6, 7, 8}};
    using R = PlanLookup::Reading;
    using O = PlanLookup::Outcome;
    const TextRow rows[] = {
        {"scheme_min", R::Alias, O::Found, kHighPerformance},
        {"SCHEME_MAX", R::Alias, O::Found, kPowerSaver},
        {"Scheme_Current", R::Alias, O::Found, kBalanced},
        {"(381b4222-f694-41f0-9685-ff5bb260df2e)", R::Identifier, O::Found, kBalanced},
        {"0123456789abcdef0102030405060708", R::Identifier, O::None, absent},
        {"SCHEME_", R::Name, O::None, std::nullopt},
    };
    Sim::Reset();
    for (const TextRow& row : rows) {
        const PlanLookup lookup = Calvoro::FindPlan(Utf16(row.typed));
        EXPECT_EQ(lookup.reading, row.reading) << row.typed;
        EXPECT_EQ(lookup.outcome, row.outcome) << row.typed;
        EXPECT_EQ(lookup.identifier, row.identifier) << row.typed;
    }
    // With no active plan, SCHEME_CURRENT stands for none, and the lookup says so.
    ASSERT_TRUE(Sim::RemovePlan(kBalanced));
    const PlanLookup current = Calvoro::FindPlan(u"SCHEME_CURRENT");
    EXPECT_EQ(current.outcome, PlanLookup::Outcome::None);
    EXPECT_EQ(current.identifier, std::nullopt);
    EXPECT_EQ(current.candidates.size(), 2u);
    Sim::Reset();
}

// Code points, not code units, compare: a surrogate pair is one character, a lone surrogate
// stands for itself, and nothing past the text is read.
TEST(SameIgnoringCase, PairsAreCharactersAndLoneSurrogatesThemselves) {
    struct Row {
        std::u16string a;
        std::u16string b;
        bool same;
    };
    const Row rows[] = {
        {u"\U00010428", u"\U00010400", true},      // Deseret, small and capital
        {u"\xD801", u"\xD801", true},              // a lone high surrogate at the end
        {u"\xD801\xE000", u"\U00010800", false},   // U+E000 is no low surrogate
        {u"\xDC28", u"\xDC00", false},             // lone low surrogates have no case
        {u"a", u"", false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(Calvoro::SameIgnoringCase(row.a, row.b), row.same);
        EXPECT_EQ(Calvoro::SameIgnoringCase(row.b, row.a), row.same);
    }
}

TEST(ActivePlan, AppliedReadBackAndRefusedAsTheMachineSays) {
    Sim::Reset();
    EXPECT_EQ(Calvoro::ActivePlan(), kBalanced);
    using Calvoro::Activation;
    EXPECT_EQ(Calvoro::ActivatePlan(kPowerSaver), Activation::Applied);
    EXPECT_EQ(Calvoro::ActivePlan(), kPowerSaver);
    EXPECT_EQ(Calvoro::ActivatePlan(Guid{}), Activation::Refused);
    Sim::InjectStatus(Sim::Operation::PowerSetActiveScheme, 5);
    EXPECT_EQ(Calvoro::ActivatePlan(kBalanced), Activation::Refused);
    // Group Policy sets the active plan: said as such, and nothing is tried.
    EXPECT_FALSE(Calvoro::ActivePlanPinnedByPolicy());
    Sim::InjectStatus(Sim::Operation::PowerSettingAccessCheckEx, 1260, Sim::Repeat::Always);
    EXPECT_TRUE(Calvoro::ActivePlanPinnedByPolicy());
    EXPECT_EQ(Calvoro::ActivatePlan(kBalanced), Activation::PinnedByPolicy);
    Sim::ClearFaults();
    EXPECT_EQ(Calvoro::ActivePlan(), kPowerSaver);
    Sim::InjectStatus(Sim::Operation::PowerGetActiveScheme, 120);
    EXPECT_EQ(Calvoro::ActivePlan(), std::nullopt);
    EXPECT_EQ(Sim::Allocations().live, 0u) << "the active plan's block was released";

    EXPECT_EQ(Calvoro::ReadPlanDescription(kHighPerformance),
              u"Favors performance, but may use more energy.");
    EXPECT_EQ(Calvoro::ReadPlanDescription(Guid{}), std::nullopt);
    // A description that outgrew the size asked for first is read again.
    Sim::InjectStatus(Sim::Operation::PowerReadDescription, 234, Sim::Repeat::Once, 1);
    EXPECT_EQ(Calvoro::ReadPlanDescription(kHighPerformance),
              u"Favors performance, but may use more energy.");
    Sim::InjectStatus(Sim::Operation::PowerReadDescription, 5);
    EXPECT_EQ(Calvoro::ReadPlanDescription(kHighPerformance), std::nullopt);
    Sim::Reset();
}

}  // namespace
