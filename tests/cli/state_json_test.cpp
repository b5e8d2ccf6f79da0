// The state file's JSON, in memory: what is saved loads back to the same machine.
#include "state_json.h"

#include <calvoro/simulation.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <calvoro/power_plans.h>
#include <calvoro/watcher.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <mutex>
#include <thread>

#include "commands.h"
#include "errors.h"
#include "machine_file.h"
#include "plans.h"
#include "text.h"
#include "watch.h"

namespace {

namespace Sim = Calvoro::Simulation;

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

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
    // A file from before the machine had an active plan: the seeded one, Balanced, is active.
    nlohmann::json older = saved;
    older.erase("active");
    EXPECT_EQ(calvoro_cli::StateFromJson(older).activePlan,
              Calvoro::Guid::Parse("381B4222-F694-41F0-9685-FF5BB260DF2E"));
    Sim::Reset();
}

// A plan named in another letter case is found, in the scripts plan names are written in
// most; characters without a case partner stay as they are. Each row is a boundary.
TEST(StateJson, ATextThatUtf8CannotCarryIsNotSaved) {
    Sim::MachineState state;
    Sim::Plan plan;
    plan.name = std::u16string(1, u'\xD800');  // a lone surrogate
    state.plans.push_back(plan);
    EXPECT_THROW(calvoro_cli::StateToJson(state), std::invalid_argument);
}

TEST(Import, ARefusedChangeIsReportedTheOthersStayAndNothingUnkeptIsReportedDone) {
    const Calvoro::Guid balanced = Calvoro::Guid::Parse("381B4222-F694-41F0-9685-FF5BB260DF2E");
    const std::string file = testing::TempDir() + "calvoro-import-refused.json";
    std::ofstream(file) << R"({"format": "calvoro-plans", "version": 1, "plans": [
        {"id": "381B4222-F694-41F0-9685-FF5BB260DF2E",
         "timeouts": {"sleep": {"ac": 1, "dc": 2}, "display": {"dc": 3}}}]})";
    for (const bool keepFails : {false, true}) {
        Sim::Reset();
        Sim::InjectStatus(Sim::Operation::PowerWriteDCValueIndex, 5, Sim::Repeat::Once);
        std::ostringstream out;
        std::ostringstream err;
        calvoro_cli::Output output{out, err, true, {}, std::nullopt};
        if (keepFails) {
            output.keep = [] { throw calvoro_cli::StateFileError("state file x: cannot write"); };
        }
        const int status = calvoro_cli::ImportPlans(file, {}, output);
        const auto report = nlohmann::json::parse(out.str());
        EXPECT_EQ(status, 1);
        EXPECT_NE(
            err.str().find("refused: Balanced (381B4222-F694-41F0-9685-FF5BB260DF2E): sleep on DC"),
            std::string::npos)
            << err.str();
        EXPECT_EQ(Sim::ReadSeconds(balanced, Sim::Timeout::Sleep, false), 900u);  // as seeded
        if (!keepFails) {
            EXPECT_EQ(Sim::ReadSeconds(balanced, Sim::Timeout::Sleep, true), 60u);
            EXPECT_EQ(report["refused"], 1);
            EXPECT_EQ(report["reapplied"], balanced.ToString());  // the active plan, once
        } else {
            EXPECT_NE(err.str().find("cannot write; no change was kept"), std::string::npos);
            EXPECT_EQ(report["refused"], 3);
            EXPECT_EQ(report["reapplied"], nullptr);
            for (const auto& change : report["changes"]) {
                EXPECT_EQ(change["applied"], false);
            }
        }
    }
    std::remove(file.c_str());
    Sim::Reset();
}

TEST(StateFile, DefaultPlaceFollowsXdgStateHomeThenHome) {
    const auto restore = [](const char* name, const char* saved) {
        saved != nullptr ? ::setenv(name, saved, 1) : ::unsetenv(name);
    };
    const char* savedState = std::getenv("XDG_STATE_HOME");
    const std::optional<std::string> keptState =
        savedState != nullptr ? std::optional<std::string>(savedState) : std::nullopt;
    const char* savedHome = std::getenv("HOME");
    const std::optional<std::string> keptHome =
        savedHome != nullptr ? std::optional<std::string>(savedHome) : std::nullopt;

    ::setenv("HOME", "/home/admin", 1);
    ::setenv("XDG_STATE_HOME", "/var/state", 1);
    EXPECT_EQ(calvoro_cli::DefaultStatePath(), "/var/state/calvoro/machine.json");
    ::setenv("XDG_STATE_HOME", "", 1);
    EXPECT_EQ(calvoro_cli::DefaultStatePath(), "/home/admin/.local/state/calvoro/machine.json");
    ::unsetenv("XDG_STATE_HOME");
    EXPECT_EQ(calvoro_cli::DefaultStatePath(), "/home/admin/.local/state/calvoro/machine.json");
    ::unsetenv("HOME");
    EXPECT_THROW(calvoro_cli::DefaultStatePath(), calvoro_cli::StateFileError);

    restore("XDG_STATE_HOME", keptState ? keptState->c_str() : nullptr);
    restore("HOME", keptHome ? keptHome->c_str() : nullptr);
}

// watch follows the state file on one thread while its watcher applies plans on another. The
// seam: the callback rewrites the file and follows it between the watcher's apply and its
// write-back, as a reload can happen to fall there. The applied plan must stay applied, and
// never read as the person's.
TEST(StateFile, AReloadBetweenTheWatchersApplyAndItsWriteBackKeepsTheAppliedPlan) {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("calvoro-race-" + std::to_string(::getpid()));
    const Calvoro::Guid saver = *Calvoro::Guid::TryParse("a1841308-3541-4fab-bc81-f71556f20b4a");
    for (int round = 0; round < 200; ++round) {
        std::filesystem::remove(path);
        {
            calvoro_cli::MachineFile file(path);  // Balanced active, Power saver recorded for AC
            Calvoro::SetDefaultPlan(Calvoro::PowerSource::AC, saver);
            file.SaveIfChanged();
        }
        calvoro_cli::FollowedMachineFile followed(path);
        std::mutex mutex;
        std::vector<Calvoro::WatchDecision> told;
        {
            Calvoro::PowerWatcher watcher(
                std::chrono::milliseconds(0), [&](const Calvoro::WatchDecision& decision) {
                    if (decision.action == Calvoro::WatchAction::Applied) {
                        const std::string kept = ReadAll(path);
                        std::ofstream(path, std::ios::trunc | std::ios::binary) << kept << ' ';
                        followed.Follow();  // the file as it was: Balanced active
                    }
                    followed.KeepDecision(calvoro_cli::Running(decision));
                    const std::lock_guard<std::mutex> lock(mutex);
                    told.push_back(decision);
                });
            for (int wait = 0; wait < 1000 && Calvoro::ActivePlan() != saver; ++wait) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        }
        ASSERT_FALSE(told.empty());
        EXPECT_EQ(told.front().action, Calvoro::WatchAction::Applied) << "round " << round;
        for (const Calvoro::WatchDecision& decision : told) {
            ASSERT_NE(decision.action, Calvoro::WatchAction::KeptManual) << "round " << round;
        }
        EXPECT_EQ(Calvoro::ActivePlan(), saver) << "round " << round;
        Sim::Reset();
        calvoro_cli::MachineFile reread(path);
        ASSERT_EQ(Calvoro::ActivePlan(), saver) << "round " << round;  // and so the file says
    }
    std::filesystem::remove(path);
    Sim::Reset();
}

TEST(DisplayText, LoneSurrogatesShowAsReplacementAndNothingIsReadPastTheEnd) {
    const std::pair<std::u16string, std::string> cases[] = {
        {u"\uE000", "\uE000"},
        {u"a\uFFFF", "a\uFFFF"},
        {u"\U0001F50B", "\U0001F50B"},
        {std::u16string(1, u'\xDC00'), "\uFFFD"},              // a lone low surrogate
        {std::u16string(u"x") + u'\xDBFF', "x\uFFFD"},          // a high one at the end
        {std::u16string(1, u'\xD800') + u"\uE000", "\uFFFD\uE000"},  // high, then no low
    };
    for (const auto& [utf16, shown] : cases) {
        EXPECT_EQ(calvoro_cli::ToUtf8ForDisplay(utf16), shown);
    }
}

}  // namespace
