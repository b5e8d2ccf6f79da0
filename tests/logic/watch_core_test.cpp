// The watcher's decisions, as one table of event sequences with the times given: no thread,
// no clock, no platform.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "power_plans/watch_core.h"

namespace {

using Calvoro::Activation;
using Calvoro::Guid;
using Calvoro::PowerSource;
using Calvoro::WatchAction;
using Calvoro::WatchTrigger;
using Calvoro::watching::Answer;
using Calvoro::watching::Clock;
using Calvoro::watching::Facts;
using Calvoro::watching::Record;
using Calvoro::watching::WatchCore;

const Guid kA{0xA, 0, 0, {0, 0, 0, 0, 0, 0, 0, 1}};
const Guid kB{0xB, 0, 0, {0, 0, 0, 0, 0, 0, 0, 2}};
const Guid kC{0xC, 0, 0, {0, 0, 0, 0, 0, 0, 0, 3}};

std::optional<Guid> Plan(char letter) {
    switch (letter) {
    case 'A':
        return kA;
    case 'B':
        return kB;
    case 'C':
        return kC;
    default:
        return std::nullopt;
    }
}

char Letter(const std::optional<Guid>& plan) {
    return !plan ? '-' : *plan == kA ? 'A' : *plan == kB ? 'B' : 'C';
}

// What the platform says: the source, the active plan, and the record of the source: a plan's
// letter (lower case: not installed), '-' for none, '!' for refused access.
Facts Says(PowerSource source, char active, char record) {
    Facts facts;
    facts.source = source;
    facts.active = Plan(active);
    if (record == '!') {
        facts.record = Record::Refused;
    } else if (record != '-') {
        facts.record = Record::Plan;
        facts.installed = record >= 'A' && record <= 'Z';
        facts.recorded = *Plan(static_cast<char>(record & ~0x20));
    }
    return facts;
}

constexpr PowerSource AC = PowerSource::AC;
constexpr PowerSource DC = PowerSource::DC;
constexpr PowerSource UPS = PowerSource::ShortTerm;
constexpr PowerSource Unknown = PowerSource::Unknown;

enum class Event { Start, Source, Resume, PlanChange, Due };

// One event at `at` milliseconds, with what the platform says then, and the decision it
// gives ("" for none) as "trigger action plan". An applied plan is answered with `outcome`.
struct Step {
    Event event;
    int at;
    Facts facts;
    std::string decision;
    Activation outcome = Activation::Applied;
};

struct Case {
    const char* name;
    std::vector<Step> steps;
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

std::string Words(const Answer& answer, WatchAction action) {
    static const char* const kTriggers[] = {"start", "source", "resume", "plan", "stop"};
    static const char* const kActions[] = {"applied", "already-active", "kept-manual",
                                           "none-recorded", "not-installed", "refused",
                                           "policy", "stopped", "record-refused"};
    return std::string(kTriggers[static_cast<int>(answer.trigger)]) + ' ' +
           kActions[static_cast<int>(action)] + ' ' + Letter(answer.plan);
}

class WatchCoreTable : public testing::TestWithParam<Case> {};

TEST_P(WatchCoreTable, DecidesAsTheTableSays) {
    constexpr std::chrono::milliseconds kDebounce(1000);
    WatchCore core(kDebounce);
    const Clock::time_point zero;
    for (std::size_t i = 0; i < GetParam().steps.size(); ++i) {
        const Step& step = GetParam().steps[i];
        const Clock::time_point now = zero + std::chrono::milliseconds(step.at);
        std::optional<Answer> answer;
        switch (step.event) {
        case Event::Start:
            answer = core.Start(step.facts);
            break;
        case Event::Source:
            core.SourceSignalled(step.facts.source, now);
            break;
        case Event::Resume:
            core.ResumeSignalled(now);
            break;
        case Event::PlanChange:
            answer = core.PlanSignalled(step.facts);
            break;
        case Event::Due:
            answer = core.DueDecision(step.facts, now);
            break;
        }
        std::string said;
        if (answer) {
            EXPECT_EQ(answer->source, step.facts.source) << "step " << i;
            EXPECT_EQ(answer->apply, answer->action == WatchAction::Applied) << "step " << i;
            const WatchAction action =
                answer->apply ? WatchCore::Applied(step.outcome) : answer->action;
            core.Reported(*answer, action, step.facts.active);
            said = Words(*answer, action);
        }
        EXPECT_EQ(said, step.decision) << "step " << i;
    }
}

const Facts kAcA = Says(AC, 'A', 'A');  // on AC, A active and recorded

INSTANTIATE_TEST_SUITE_P(
    Watcher, WatchCoreTable,
    testing::Values(
        Case{"StartAppliesTheRecord", {{Event::Start, 0, Says(AC, 'B', 'A'), "start applied A"}}},
        Case{"StartFindsItActive", {{Event::Start, 0, kAcA, "start already-active A"}}},
        Case{"NothingRecorded", {{Event::Start, 0, Says(AC, 'B', '-'), "start none-recorded -"}}},
        Case{"AnUnknownSourceChangesNothing",
             {{Event::Start, 0, Says(Unknown, 'B', 'A'), "start none-recorded -"},
              {Event::Source, 10, Says(Unknown, 'B', 'A'), ""},
              {Event::Due, 5000, Says(Unknown, 'B', 'A'), ""}}},
        Case{"AUpsCountsAsBattery",
             {{Event::Start, 0, Says(AC, 'A', 'A'), "start already-active A"},
              {Event::Source, 0, Says(UPS, 'A', 'B'), ""},
              {Event::Due, 1000, Says(UPS, 'A', 'B'), "source applied B"},
              {Event::Source, 1500, Says(DC, 'B', 'B'), ""},
              {Event::Due, 2500, Says(DC, 'B', 'B'), ""}}},
        Case{"NotInstalled", {{Event::Start, 0, Says(AC, 'B', 'a'), "start not-installed A"}}},
        Case{"AnUnreadableRecordIsItsOwnAction",
             {{Event::Start, 0, Says(AC, 'B', '!'), "start record-refused -"}}},
        Case{"ApplyingRefused",
             {{Event::Start, 0, Says(AC, 'B', 'A'), "start refused A", Activation::Refused},
              {Event::PlanChange, 10, Says(AC, 'C', 'A'), "plan kept-manual C"}}},
        Case{"PolicySetsThePlan",
             {{Event::Start, 0, Says(AC, 'B', 'A'), "start policy A", Activation::PinnedByPolicy}}},
        Case{"TheDebounceEdges",
             {{Event::Start, 0, kAcA, "start already-active A"},
              {Event::Source, 100, Says(DC, 'A', 'B'), ""},
              {Event::Due, 1099, Says(DC, 'A', 'B'), ""},
              {Event::Due, 1100, Says(DC, 'A', 'B'), "source applied B"}}},
        Case{"AFlickerDoesNothing",
             {{Event::Start, 0, kAcA, "start already-active A"},
              {Event::Source, 0, Says(DC, 'A', 'B'), ""},
              {Event::Source, 500, kAcA, ""},
              {Event::Due, 1000, kAcA, ""}}},
        Case{"ASecondChangeRestartsTheDebounce",
             {{Event::Start, 0, kAcA, "start already-active A"},
              {Event::Source, 0, Says(DC, 'A', 'B'), ""},
              {Event::Due, 1000, Says(Unknown, 'A', '-'), ""},
              {Event::Source, 1200, Says(DC, 'A', 'B'), ""},
              {Event::Due, 2199, Says(DC, 'A', 'B'), ""},
              {Event::Due, 2200, Says(DC, 'A', 'B'), "source applied B"}}},
        Case{"ResumeThatWindowsFollowsWithItsOwnPlan",
             {{Event::Start, 0, kAcA, "start already-active A"},
              {Event::Resume, 0, kAcA, ""},
              {Event::PlanChange, 10, Says(AC, 'C', 'A'), ""},
              {Event::Due, 1000, Says(AC, 'C', 'A'), "resume applied A"}}},
        Case{"AManualChoiceStaysAcrossResume",
             {{Event::Start, 0, kAcA, "start already-active A"},
              {Event::PlanChange, 5, Says(AC, 'B', 'A'), "plan kept-manual B"},
              {Event::Resume, 10, Says(AC, 'B', 'A'), ""},
              {Event::Due, 1010, Says(AC, 'C', 'A'), "resume applied B"},
              {Event::Resume, 2000, Says(AC, 'B', 'A'), ""},
              {Event::Due, 3000, Says(AC, 'B', 'A'), "resume kept-manual B"}}},
        Case{"AManualChoiceEndsWithTheSource",
             {{Event::Start, 0, kAcA, "start already-active A"},
              {Event::PlanChange, 5, Says(AC, 'B', 'A'), "plan kept-manual B"},
              {Event::Source, 10, Says(DC, 'B', 'C'), ""},
              {Event::Due, 1010, Says(DC, 'B', 'C'), "source applied C"}}},
        Case{"ASourceChangedDuringSleepEndsTheManualChoice",
             {{Event::Start, 0, kAcA, "start already-active A"},
              {Event::PlanChange, 5, Says(AC, 'B', 'A'), "plan kept-manual B"},
              {Event::Resume, 10, Says(DC, 'B', 'C'), ""},
              {Event::Due, 1010, Says(DC, 'B', 'C'), "resume applied C"}}},
        Case{"TheRecordIsReadAtEachDecision",
             {{Event::Start, 0, Says(AC, 'B', 'A'), "start applied A"},
              {Event::PlanChange, 1, Says(AC, 'A', 'A'), ""},
              {Event::Resume, 10, Says(AC, 'A', 'C'), ""},
              {Event::Due, 1010, Says(AC, 'A', 'C'), "resume applied C"}}}),
    [](const testing::TestParamInfo<Case>& param) { return std::string(param.param.name); });

}  // namespace
