// The calvoro program run as a process, against a state file in a temporary folder.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

// `document` as text, with the value at `pointer` replaced.
std::string With(const json& document, const std::string& pointer, const json& value) {
    json changed = document;
    changed[json::json_pointer(pointer)] = value;
    return changed.dump();
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class Program : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/calvoro-cli-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        folder_ = pattern;
        state_ = folder_ / "machine.json";
    }
    void TearDown() override { fs::remove_all(folder_); }

    // Starts calvoro with --state pointing into the temporary folder, its output going to
    // files named by `tag` (standard output to `stdoutTo`, when given); its pid, or -1.
    pid_t Start(const std::vector<std::string>& args, const std::string& tag,
                const char* stdoutTo = nullptr) const {
        std::vector<std::string> words{CALVORO_PROGRAM, "--state", state_.string()};
        words.insert(words.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& word : words) {
            argv.push_back(word.data());
        }
        argv.push_back(nullptr);

        const fs::path out = folder_ / (tag + ".out");
        const fs::path err = folder_ / (tag + ".err");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, stdoutTo != nullptr ? stdoutTo : out.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        pid_t pid = 0;
        const bool started =
            posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0;
        posix_spawn_file_actions_destroy(&actions);
        return started ? pid : -1;
    }

    // Waits for a run that Start began, and reads what it wrote.
    Result Finish(pid_t pid, const std::string& tag) const {
        Result result;
        int wstatus = 0;
        if (pid > 0 && waitpid(pid, &wstatus, 0) == pid) {
            result.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
        }
        result.out = ReadFile(folder_ / (tag + ".out"));
        result.err = ReadFile(folder_ / (tag + ".err"));
        return result;
    }

    // Runs calvoro and waits for it; with `stdoutTo`, its standard output goes there.
    Result Run(const std::vector<std::string>& args, const std::string& tag = "run",
               const char* stdoutTo = nullptr) const {
        return Finish(Start(args, tag, stdoutTo), tag);
    }

    json RunJson(const std::vector<std::string>& args) const {
        const Result result = Run(args);
        EXPECT_EQ(result.status, 0) << result.err;
        return json::parse(result.out);
    }

    fs::path folder_;
    fs::path state_;
};

TEST_F(Program, ListsSetsQueriesRenamesAndRecordsDefaults) {
    Result listed = Run({"list"});
    EXPECT_EQ(listed.status, 0);
    EXPECT_EQ(listed.out,
              "381B4222-F694-41F0-9685-FF5BB260DF2E  Balanced  (active)\n"
              "8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C  High performance\n"
              "A1841308-3541-4FAB-BC81-F71556F20B4A  Power saver\n");
    EXPECT_FALSE(fs::exists(state_)) << "a read-only command saved the machine";

    EXPECT_EQ(Run({"set", "Balanced", "sleep", "dc", "0"}).status, 0);
    EXPECT_EQ(
        Run({"set", "{8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c}", "display", "ac", "71582788"}).status,
        0);
    const json balanced = RunJson({"query", "Balanced", "--json"});
    EXPECT_EQ(balanced["plans"][0]["timeouts"]["sleep"], (json{{"ac", 30}, {"dc", 0}}));
    EXPECT_NE(Run({"query", "Balanced"}).out.find("sleep        30 min        never"),
              std::string::npos);
    EXPECT_EQ(RunJson({"query", "--json"})["plans"][1]["timeouts"]["display"]["ac"], 71582788);

    EXPECT_EQ(Run({"rename", "Power saver", "Énergie ☀ 🔋", "Économie"}).status, 0);
    EXPECT_EQ(RunJson({"list", "--json"})["plans"][2]["name"], "Énergie ☀ 🔋");

    const Result noDefault = Run({"default", "ac"});
    EXPECT_EQ(noDefault.status, 0);
    EXPECT_EQ(noDefault.out, "AC: none recorded\n");
    EXPECT_EQ(Run({"simulation", "set-default", "ac", "Énergie ☀ 🔋"}).status, 0);
    EXPECT_EQ(
        Run({"simulation", "set-default", "dc", "01234567-89ab-cdef-0123-456789abcdef"}).status, 0);
    EXPECT_EQ(Run({"default", "ac"}).out,
              "AC: Énergie ☀ 🔋 (A1841308-3541-4FAB-BC81-F71556F20B4A)\n");
    const json dc = RunJson({"default", "dc", "--json"});
    EXPECT_EQ(dc, (json{{"source", "dc"},
                        {"id", "01234567-89AB-CDEF-0123-456789ABCDEF"},
                        {"name", nullptr},
                        {"installed", false}}));
    EXPECT_NE(Run({"list"}).out.find("Énergie ☀ 🔋  [default for AC]"), std::string::npos);
    const json marked = RunJson({"list", "--json"});
    EXPECT_EQ(marked["plans"][2]["default_ac"], true);
    EXPECT_EQ(marked["plans"][0]["default_ac"], false);

    EXPECT_EQ(Run({"simulation", "clear-default", "ac"}).out, "Cleared default for AC.\n");
    EXPECT_EQ(Run({"simulation", "reset"}).status, 0);
    EXPECT_EQ(RunJson({"list", "--json"})["plans"][2]["name"], "Power saver");
}

TEST_F(Program, UsageErrorsExitWithStatus2AndSayWhy) {
    struct Case {
        std::vector<std::string> args;
        std::string said;
    };
    const Case cases[] = {
        {{}, "a command is required"},
        {{"bogus"}, "\"bogus\" is not a command"},
        {{"list", "--bogus"}, "\"--bogus\""},
        {{"query", "Balanced", "extra"}, "\"extra\""},
        {{"set", "Balanced", "sleep", "ac", "-5"}, ""},
        {{"set", "Balanced", "sleep", "ac", "1.5"}, "\"1.5\""},
        {{"set", "Balanced", "sleep", "ac", "99999999999"}, "71582788"},
        {{"set", "Balanced", "sleep", "ac", "71582789"}, "71582788"},
        {{"set", "Balanced", "sleep", "ac", "ten"}, "\"ten\""},
        {{"set", "Balanced", "nap", "ac", "5"}, "no setting of Balanced"},
        {{"set", "Balanced", "sleep", "both", "5"}, "ac or dc"},
        {{"set", "Balanced", "sleep", "ac"}, "VALUE"},
        {{"set", "Balanced", "PROCTHROTTLEMAX", "dc", "101"}, "takes 0 to 100 %, not \"101\""},
        {{"set", "Balanced", "BATACTIONCRIT", "dc", "explode"},
         "takes Do nothing (0), Sleep (1), Hibernate (2) or Shut down (3), not \"explode\""},
        {{"set", "Balanced", "PERFBOOSTMODE", "ac", "7"}, "Efficient Aggressive At Guaranteed (6)"},
        {{"settings", "Balanced", "nap"}, "no setting of Balanced"},
        {{"hide", "nap"}, "no setting of Balanced"},
        {{"set", "Nope", "sleep", "ac", "5"}, "High performance (8C5E7FDA"},
        {{"query", "01234567-89ab-cdef-0123-456789abcdef"}, "no installed plan"},
        {{"rename", "Balanced", "\xff\xfe", "text"}, "NAME is not valid UTF-8"},
        {{"rename", "\xc3", "name", "text"}, "not valid UTF-8"},
        {{"default", "both"}, "ac or dc"},
        {{"set"}, "calvoro: PLAN is required"},
        {{"import", "/nonexistent/plans.json"}, "cannot read /nonexistent/plans.json"},
        {{"activate"}, "calvoro: PLAN is required"},
        {{"rename", "--", "Balanced", "name", "text", "--json"}, "\"--json\" is not"},
        {{"watch", "--debounce", "-1"}, "--debounce takes seconds from 0 to 3600"},
        {{"watch", "--once", "--debounce", "2s"}, "not \"2s\""},
        {{"simulation", "fail", "Nope", "5"}, "\"Nope\" is no operation"},
        {{"simulation", "fail", "PowerSetActiveScheme", "-5"}, "STATUS must be a whole number"},
    };
    for (const Case& c : cases) {
        const Result result = Run(c.args);
        std::string shown;
        for (const std::string& arg : c.args) {
            shown += arg + " ";
        }
        EXPECT_EQ(result.status, 2) << shown << "\n" << result.err;
        EXPECT_NE(result.err.find(c.said), std::string::npos) << shown << "\n" << result.err;
        EXPECT_EQ(result.out, "") << shown;
    }
    EXPECT_FALSE(fs::exists(state_));
}

TEST_F(Program, AmbiguousNamesListTheCandidates) {
    ASSERT_EQ(Run({"rename", "Power saver", "Balanced", "twin"}).status, 0);
    const Result result = Run({"query", "Balanced"});
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("ambiguous"), std::string::npos);
    EXPECT_NE(result.err.find("381B4222-F694-41F0-9685-FF5BB260DF2E"), std::string::npos);
    EXPECT_NE(result.err.find("A1841308-3541-4FAB-BC81-F71556F20B4A"), std::string::npos);
    EXPECT_EQ(Run({"query", "A1841308-3541-4FAB-BC81-F71556F20B4A"}).status, 0);
}

TEST_F(Program, AliasesAndNamesInAnyLetterCase) {
    const json set = RunJson({"set", "scheme_max", "display", "dc", "3", "--json"});
    EXPECT_EQ(set, json::parse(R"({"changes": [{"id": "A1841308-3541-4FAB-BC81-F71556F20B4A",
        "plan": "Power saver", "setting": "display.dc", "from": 2, "to": 3, "applied": true}],
        "refused": 0, "reapplied": null})"));
    EXPECT_EQ(RunJson({"query", "SCHEME_MIN", "--json"})["plans"][0]["name"], "High performance");
    EXPECT_EQ(RunJson({"query", "Scheme_Balanced", "--json"})["plans"][0]["name"], "Balanced");

    const json renamed = RunJson({"rename", "power SAVER", "Énergie ☀", "d", "--json"});
    EXPECT_EQ(renamed["changes"][0]["to"], "Énergie ☀");
    EXPECT_EQ(renamed["changes"][0]["from"], "Power saver");
    EXPECT_EQ(RunJson({"query", "énergie ☀", "--json"})["plans"][0]["name"], "Énergie ☀");

    // An exact name wins over names that differ in case; two of those are ambiguous.
    ASSERT_EQ(Run({"rename", "Balanced", "énergie ☀", "twin"}).status, 0);
    EXPECT_EQ(RunJson({"query", "énergie ☀", "--json"})["plans"][0]["id"],
              "381B4222-F694-41F0-9685-FF5BB260DF2E");
    const Result ambiguous = Run({"query", "ÉNERGIE ☀"});
    EXPECT_EQ(ambiguous.status, 2);
    EXPECT_NE(ambiguous.err.find("ambiguous"), std::string::npos) << ambiguous.err;
}

// The rows of tests/plan_names.json, which the library's and the module's tests read too.
TEST_F(Program, FindsPlansByNameAsTheNamesTableSays) {
    std::ifstream in(CALVORO_PLAN_NAMES, std::ios::binary);
    const json table = json::parse(in);
    const std::string seeded[] = {"381B4222-F694-41F0-9685-FF5BB260DF2E",
                                  "8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C"};
    for (const json& row : table.at("rows")) {
        const std::string typed = row.at("typed");
        SCOPED_TRACE(row.at("why").get<std::string>() + ": " + typed);
        ASSERT_EQ(Run({"simulation", "reset"}).status, 0);
        const std::vector<std::string> plans = row.at("plans");
        for (std::size_t i = 0; i < plans.size(); ++i) {
            ASSERT_EQ(Run({"rename", seeded[i], plans[i], ""}).status, 0);
        }
        const Result result = Run({"query", "--json", "--", typed});
        if (row.at("finds") == "found") {
            ASSERT_EQ(result.status, 0) << result.err;
            const json shown = json::parse(result.out).at("plans").at(0);
            EXPECT_EQ(shown.at("id"), seeded[row.at("plan").get<int>()]);
            EXPECT_EQ(shown.at("name"), plans[row.at("plan").get<std::size_t>()]);
        } else {
            EXPECT_EQ(result.status, 2);
            EXPECT_NE(
                result.err.find(row.at("finds") == "several" ? "is ambiguous" : "no plan is named"),
                std::string::npos)
                << result.err;
        }
    }
}

TEST_F(Program, ExportImportRoundTripsAndABadDocumentChangesNothing) {
    ASSERT_EQ(Run({"set", "Balanced", "sleep", "ac", "1"}).status, 0);
    const Result exported = Run({"export"});
    ASSERT_EQ(exported.status, 0);
    // Every setting of a plan, hidden ones included, in the setting's own unit.
    const auto row = [](json& document, int plan, const std::string& alias) -> json& {
        for (json& setting : document["plans"][plan]["settings"]) {
            if (setting["alias"] == alias) {
                return setting;
            }
        }
        throw std::runtime_error("no " + alias + " in the document");
    };
    json document = json::parse(exported.out);
    EXPECT_EQ(document["version"], 2);
    EXPECT_EQ(row(document, 0, "STANDBYIDLE")["ac"], 60);
    EXPECT_EQ(row(document, 0, "PERFBOOSTMODE")["name"], "Processor performance boost mode");
    const fs::path file = folder_ / "plans.json";
    ASSERT_EQ(Run({"export", "--output", file.string()}).status, 0);
    EXPECT_EQ(ReadFile(file), exported.out);
    const std::string before = ReadFile(state_);

    const Result again = Run({"import", file.string()});
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_NE(again.out.find("Nothing to change"), std::string::npos);
    EXPECT_EQ(ReadFile(state_), before);

    // The documents every reader of the format must refuse, each naming its place.
    const fs::path refused = fs::path(CALVORO_DOCUMENTS_DIR) / "import-refused";
    std::vector<std::pair<std::string, std::string>> cases;
    const json places = json::parse(ReadFile(refused / "places.json"));
    for (const json& entry : places.at("documents")) {
        cases.emplace_back(ReadFile(refused / entry["file"].get<std::string>()), entry["place"]);
    }
    ASSERT_GE(cases.size(), 19u);
    for (const auto& [content, said] : cases) {
        { std::ofstream(file, std::ios::binary | std::ios::trunc) << content; }
        const Result result = Run({"import", file.string()});
        EXPECT_EQ(result.status, 2) << content;
        EXPECT_NE(result.err.find(file.string() + ": "), std::string::npos) << result.err;
        EXPECT_NE(result.err.find(said), std::string::npos) << result.err;
        EXPECT_EQ(ReadFile(state_), before) << content;
    }

    // A change and a rename, said first by a dry run, which writes nothing.
    row(document, 2, "PROCTHROTTLEMAX")["dc"] = 80;
    document["plans"][0]["name"] = "Quiet";
    document["plans"][0]["description"] = "Fans low";
    { std::ofstream(file, std::ios::binary | std::ios::trunc) << document.dump(); }
    const json dry = RunJson({"import", file.string(), "--dry-run", "--json"});
    EXPECT_EQ(dry["dry_run"], true);
    ASSERT_EQ(dry["changes"].size(), 2u);
    EXPECT_EQ(dry["changes"][0]["setting"], "name");
    EXPECT_EQ(dry["changes"][1]["setting"], "PROCTHROTTLEMAX.dc");
    EXPECT_EQ(ReadFile(state_), before);
    EXPECT_EQ(Run({"import", file.string()}).status, 0);
    EXPECT_EQ(RunJson({"query", "Quiet", "--json"})["plans"][0]["id"],
              "381B4222-F694-41F0-9685-FF5BB260DF2E");
    EXPECT_EQ(
        RunJson({"settings", "SCHEME_MAX", "PROCTHROTTLEMAX", "--json"})["settings"][0]["dc"], 80);

    // A setting this machine does not have: refused whole, or skipped with --skip-unknown.
    row(document, 2, "PROCTHROTTLEMAX")["dc"] = 70;
    document["plans"][2]["settings"].push_back(
        {{"subgroup", "54533251-82BE-4824-96C1-47B60B740D00"},
         {"id", "01234567-89AB-CDEF-0123-456789ABCDEF"},
         {"ac", 1}});
    { std::ofstream(file, std::ios::binary | std::ios::trunc) << document.dump(); }
    EXPECT_EQ(Run({"import", file.string()}).status, 2);
    const json skipping = RunJson({"import", file.string(), "--skip-unknown", "--json"});
    EXPECT_EQ(skipping["skipped"][0]["setting"], "01234567-89AB-CDEF-0123-456789ABCDEF");
    EXPECT_EQ(
        RunJson({"settings", "SCHEME_MAX", "PROCTHROTTLEMAX", "--json"})["settings"][0]["dc"], 70);

    // A document of version 1: six timeouts, in minutes.
    { std::ofstream(file, std::ios::binary | std::ios::trunc) << R"({"format": "calvoro-plans",
        "version": 1, "plans": [{"id": "381B4222-F694-41F0-9685-FF5BB260DF2E",
        "timeouts": {"sleep": {"dc": 7}}}]})"; }
    EXPECT_EQ(Run({"import", file.string()}).out,
              "changed: Quiet (381B4222-F694-41F0-9685-FF5BB260DF2E): sleep on DC 15 min becomes "
              "7 min\n");
}

TEST_F(Program, APlanIsCopiedRemovedRestoredAndMadeAgainFromADocument) {
    const std::string kBalanced = "381B4222-F694-41F0-9685-FF5BB260DF2E";
    const std::string kGame = "00000000-0000-0000-0000-000000001234";
    const auto settings = [this](const std::string& plan) {
        json listed = RunJson({"settings", plan, "--json"})["settings"];
        for (json& setting : listed) {
            setting.erase("hidden");
        }
        return listed;
    };
    const json balanced = settings("Balanced");

    // A copy has every setting and the description; changing it leaves the source alone.
    const json meeting = RunJson({"duplicate", "Balanced", "Meeting", "--json"});
    EXPECT_EQ(meeting["name"], "Meeting");
    EXPECT_EQ(settings(meeting["id"]), balanced);
    ASSERT_EQ(Run({"set", "Meeting", "PROCTHROTTLEMAX", "dc", "40"}).status, 0);
    EXPECT_EQ(settings("Balanced"), balanced);
    EXPECT_EQ(RunJson({"duplicate", "Balanced", "Game", "--id", kGame, "--json"})["id"], kGame);
    std::string before = ReadFile(state_);
    const Result twice = Run({"duplicate", "Balanced", "Again", "--id", kGame});
    EXPECT_EQ(twice.status, 2);
    EXPECT_NE(twice.err.find("installed already"), std::string::npos) << twice.err;
    EXPECT_EQ(ReadFile(state_), before);

    // A template that is not listed; the active plan is not deleted.
    const json templates = RunJson({"list", "--templates", "--json"})["templates"];
    ASSERT_EQ(templates.size(), 4u);
    EXPECT_EQ(templates[3]["name"], "Ultimate Performance");
    EXPECT_EQ(templates[3]["listed"], false);
    EXPECT_EQ(RunJson({"duplicate", "e9a42b02-d5df-448d-aa00-03f14749eb61", "Ultimate Performance",
                       "--json"})["source"]["name"],
              "Ultimate Performance");
    const Result active = Run({"delete", "Balanced"});
    EXPECT_EQ(active.status, 1);
    EXPECT_NE(active.err.find("apply another plan first"), std::string::npos) << active.err;
    EXPECT_EQ(Run({"delete", "Meeting"}).status, 0);

    // A custom plan survives export, delete and import --create whole.
    const fs::path file = folder_ / "game.json";
    ASSERT_EQ(Run({"set", "Game", "sleep", "ac", "42"}).status, 0);
    ASSERT_EQ(Run({"export", "Game", "--output", file.string()}).status, 0);
    const json game = settings("Game");
    ASSERT_EQ(Run({"delete", "Game", "--json"}).status, 0);
    before = ReadFile(state_);
    const Result missing = Run({"import", file.string()});
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find(kGame), std::string::npos) << missing.err;
    EXPECT_EQ(ReadFile(state_), before);
    EXPECT_EQ(RunJson({"import", file.string(), "--create", "--dry-run", "--json"})["changes"][0]
                  ["setting"],
              "create");
    EXPECT_EQ(ReadFile(state_), before);
    ASSERT_EQ(Run({"import", file.string(), "--create"}).status, 0);
    EXPECT_EQ(settings(kGame), game);
    EXPECT_EQ(Run({"export", "Game"}).out, ReadFile(file));

    // Restoring: a dry run names what it would remove; one plan; then all of them.
    before = ReadFile(state_);
    const json dry = RunJson({"restore-defaults", "--dry-run", "--json"});
    EXPECT_EQ(dry["removed"].size(), 2u);
    EXPECT_EQ(ReadFile(state_), before);
    ASSERT_EQ(Run({"set", "SCHEME_MAX", "sleep", "ac", "1"}).status, 0);
    ASSERT_EQ(Run({"set", "Balanced", "sleep", "ac", "1"}).status, 0);
    EXPECT_EQ(Run({"restore-defaults", "Game"}).status, 1);
    ASSERT_EQ(Run({"restore-defaults", "Balanced"}).status, 0);
    EXPECT_EQ(settings("Balanced"), balanced);
    EXPECT_EQ(RunJson({"query", "SCHEME_MAX", "--json"})["plans"][0]["timeouts"]["sleep"]["ac"], 1);
    ASSERT_EQ(Run({"restore-defaults"}).status, 0);
    const json plans = RunJson({"list", "--json"})["plans"];
    ASSERT_EQ(plans.size(), 3u);
    EXPECT_EQ(plans[0]["id"], kBalanced);
    EXPECT_EQ(RunJson({"query", "SCHEME_MAX", "--json"})["plans"][0]["timeouts"]["sleep"]["ac"],
              15);

    // A Modern Standby machine lists Balanced only; a template brings High performance back.
    ASSERT_EQ(Run({"simulation", "reset", "--modern-standby"}).status, 0);
    EXPECT_EQ(RunJson({"list", "--json"})["plans"].size(), 1u);
    const json modernTemplates = RunJson({"list", "--templates", "--json"});
    std::vector<bool> listed;
    for (const json& known : modernTemplates["templates"]) {
        listed.push_back(known["listed"]);
    }
    EXPECT_EQ(listed, (std::vector<bool>{true, false, false, false}));
    EXPECT_EQ(RunJson({"duplicate", "8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c", "--json"})["name"],
              "High performance");
}

TEST_F(Program, NothingIsLostAndNothingUnkeptIsReportedDone) {
    ASSERT_EQ(Run({"set", "Balanced", "sleep", "ac", "1"}).status, 0);
    const std::string before = ReadFile(state_);

    // Export never lands on the state file, however it is named.
    fs::create_symlink(state_, folder_ / "link.json");
    fs::create_hard_link(state_, folder_ / "hard.json");
    for (const char* name : {"machine.json", "link.json", "hard.json"}) {
        const Result result = Run({"export", "--output", (folder_ / name).string()});
        EXPECT_EQ(result.status, 2) << name;
        EXPECT_NE(result.err.find("is the simulated machine's state file"), std::string::npos);
        EXPECT_EQ(ReadFile(state_), before) << name;
    }

    // Output that cannot be written is a failure.
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"export"}, {"list"}, {"set", "Balanced", "sleep", "ac", "2"}}) {
        const Result result = Run(command, "full", "/dev/full");
        EXPECT_EQ(result.status, 1) << command[0];
        EXPECT_NE(result.err.find("calvoro: cannot write to standard output"), std::string::npos);
    }

    // A state file that cannot be saved, in a folder where no file can be made (root included):
    // nothing is reported applied.
    const fs::path kept = state_;
    state_ = folder_ / "unsavable.json";
    fs::create_symlink("/proc/self/calvoro-state.json", state_);
    const fs::path document = folder_ / "plans.json";
    std::ofstream(document) << json{{"format", "calvoro-plans"},
                                    {"version", 1},
                                    {"plans",
                                     {{{"id", "381B4222-F694-41F0-9685-FF5BB260DF2E"},
                                       {"timeouts", {{"sleep", {{"ac", 9}}}}}}}}}
                                   .dump();
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"set", "Balanced", "sleep", "ac", "7", "--json"},
          {"import", document.string(), "--json"}}) {
        const Result result = Run(command);
        EXPECT_EQ(result.status, 1) << command[0];
        const json report = json::parse(result.out);
        EXPECT_EQ(report["changes"][0]["applied"], false) << result.out;
        EXPECT_EQ(report["refused"], 1);
        EXPECT_NE(result.err.find("no change was kept"), std::string::npos) << result.err;
    }
    state_ = kept;

    // Through a link to the state file: the link stays, its target changes and keeps its mode.
    const fs::path target = folder_ / "target.json";
    fs::rename(state_, target);
    fs::create_symlink(target, state_);
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_EQ(Run({"set", "Balanced", "sleep", "ac", "3"}).status, 0);
    EXPECT_TRUE(fs::is_symlink(state_));
    EXPECT_EQ(json::parse(ReadFile(target))["plans"][0]["seconds"]["sleep"]["ac"], 180);
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    // Folders where files belong are named.
    const Result imported = Run({"import", folder_.string()});
    EXPECT_EQ(imported.status, 2);
    EXPECT_NE(imported.err.find(folder_.string() + " is a folder"), std::string::npos);
    fs::remove(state_);
    fs::create_directory(state_);
    const Result listed = Run({"list"});
    EXPECT_EQ(listed.status, 1);
    EXPECT_NE(listed.err.find(state_.string() + ": is a folder"), std::string::npos) << listed.err;
}

TEST_F(Program, TheActivePlanAndABackupThatRestoresNames) {
    EXPECT_EQ(RunJson({"list", "--json"})["active"], "381B4222-F694-41F0-9685-FF5BB260DF2E");
    EXPECT_EQ(Run({"active"}).out, "Balanced (381B4222-F694-41F0-9685-FF5BB260DF2E)\n");
    // A change to the active plan applies it again; one to another plan does not.
    EXPECT_EQ(RunJson({"set", "scheme_current", "SLEEP", "AC", "5", "--json"})["reapplied"],
              "381B4222-F694-41F0-9685-FF5BB260DF2E");
    EXPECT_EQ(RunJson({"set", "SCHEME_MAX", "sleep", "Dc", "5", "--json"})["reapplied"], nullptr);
    EXPECT_EQ(RunJson({"activate", "Power saver", "--json"})["id"],
              "A1841308-3541-4FAB-BC81-F71556F20B4A");
    EXPECT_EQ(RunJson({"query", "SCHEME_CURRENT", "--json"})["plans"][0]["name"], "Power saver");
    EXPECT_NE(Run({"list"}).out.find("Power saver  (active)"), std::string::npos);

    // Export, rename, import: the name and the description come back.
    const fs::path backup = folder_ / "backup.json";
    ASSERT_EQ(Run({"export", "--output", backup.string()}).status, 0);
    ASSERT_EQ(Run({"rename", "Balanced", "--", "-Renamed", "/Described"}).status, 0);
    EXPECT_EQ(RunJson({"query", "--json", "--", "-Renamed"})["plans"][0]["name"], "-Renamed");
    const Result restored = Run({"import", backup.string()});
    EXPECT_EQ(restored.status, 0) << restored.err;
    const json plan = json::parse(ReadFile(state_))["plans"][0];
    EXPECT_EQ(plan["name"], "Balanced");
    EXPECT_EQ(plan["description"],
              "Automatically balances performance with energy consumption on capable hardware.");

    // A machine without an active plan says so, and fails.
    const std::string withoutActive = With(json::parse(ReadFile(state_)), "/active", nullptr);
    { std::ofstream(state_, std::ios::trunc) << withoutActive; }
    const Result none = Run({"active"});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.err, "calvoro: the platform cannot tell the active plan\n");
}

TEST_F(Program, ADefaultThatIsNotAnIdentifierFailsWithStatus1) {
    ASSERT_EQ(Run({"set", "Balanced", "sleep", "ac", "1"}).status, 0);
    json state = json::parse(ReadFile(state_));
    state["registry"] =
        json::array({{{"key", "Software\\Quandrel\\Zephlo\\PowerPolicies\\DEV_DEFAULT_PLANE"},
                      {"values", {{{"name", "AC"}, {"type", "number"}, {"data", 42}}}}}});
    std::ofstream(state_) << state.dump();

    const Result result = Run({"default", "ac"});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("\"AC\""), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("\"42\""), std::string::npos) << result.err;
    const Result listed = Run({"list"});
    EXPECT_EQ(listed.status, 1);
    EXPECT_NE(listed.out.find("Balanced"), std::string::npos);  // the plans are still listed
}

// The power source, the default-plan record and the power modes, each command as a person and
// as a script sees it, in order on one machine.
TEST_F(Program, SourceRecordAndModesInTextAndJson) {
    struct Step {
        std::vector<std::string> args;
        int status;
        std::string out;  // text, or JSON to compare whole; "" when only the status counts
        std::string err;  // a part of standard error
    };
    const std::string high = "8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C";
    const Step steps[] = {
        {{"source"},
         0,
         "Power source: AC (mains power)\nBattery: present\nModern Standby: no\n",
         ""},
        {{"simulation", "set-source", "UPS"}, 0, "", ""},
        {{"simulation", "set-battery", "absent"}, 0, "", ""},
        {{"simulation", "set-modern-standby", "on"}, 0, "", ""},
        {{"source", "--json"},
         0,
         R"({"source": "ups", "battery": false, "modern_standby": true})",
         ""},
        {{"simulation", "set-source", "unknown"}, 0, "", ""},
        {{"source", "--json"},
         0,
         R"({"source": "unknown", "battery": false, "modern_standby": true})",
         ""},
        {{"simulation", "set-source", "mains"}, 2, "", "unknown power source \"mains\""},
        {{"simulation", "set-battery", "maybe"}, 2, "", "expected present or absent"},
        {{"set-default", "AC", "scheme_min"},
         0,
         "Recorded High performance (" + high + ") as the default for AC.\n",
         ""},
        {{"set-default", "dc", "Balanced", "--json"},
         0,
         R"({"source": "dc", "id": "381B4222-F694-41F0-9685-FF5BB260DF2E", "name": "Balanced"})",
         ""},
        {{"set-default", "ac", "01234567-89ab-cdef-0123-456789abcdef"}, 2, "", "no installed plan"},
        {{"default", "ac", "--json"},
         0,
         R"({"source": "ac", "id": ")" + high +
             R"(", "name": "High performance", "installed": true})",
         ""},
        {{"set-default", "ups", "Balanced"}, 2, "", "unknown power source"},
        {{"clear-default", "dc", "--json"}, 0, R"({"source": "dc", "cleared": true})", ""},
        {{"clear-default", "dc"}, 0, "There was no default for DC.\n", ""},
        {{"default", "ac"}, 0, "AC: High performance (" + high + ")\n", ""},
        {{"mode"}, 0, "AC: balanced\nDC: balanced\n", ""},
        {{"mode", "set", "ac", "Efficiency"},
         0,
         "The power mode on AC is now best power efficiency.\n",
         ""},
        {{"mode", "set", "dc", "performance", "--json"},
         0,
         R"({"source": "dc", "mode": "performance"})",
         ""},
        {{"mode", "--json"}, 0, R"({"ac": "efficiency", "dc": "performance"})", ""},
        {{"mode", "set", "dc", "balanced"}, 0, "", ""},
        {{"mode", "--json"}, 0, R"({"ac": "efficiency", "dc": "balanced"})", ""},
        {{"mode", "set", "ac", "turbo"}, 2, "", "unknown power mode \"turbo\""},
        {{"mode", "set", "ups", "balanced"}, 2, "", "unknown power source"},
    };
    for (const Step& step : steps) {
        const Result result = Run(step.args);
        std::string said;
        for (const std::string& arg : step.args) {
            said += arg + " ";
        }
        EXPECT_EQ(result.status, step.status) << said << result.err;
        if (!step.out.empty() && step.out.front() == '{') {
            EXPECT_EQ(json::parse(result.out), json::parse(step.out)) << said;
        } else if (!step.out.empty()) {
            EXPECT_EQ(result.out, step.out) << said;
        }
        EXPECT_NE(result.err.find(step.err), std::string::npos) << said << result.err;
    }
    // watch --once in text: after the local time, the source and the decision in words.
    struct Once {
        std::vector<std::string> before;  // a run that sets the machine up
        int status;
        std::string line;
    };
    const std::string plan = "High performance (" + high + ")";
    const Once onces[] = {
        {{"simulation", "set-source", "unknown"},
         0,
         "  unknown source, at start: cannot tell the power source; nothing applied\n"},
        {{"simulation", "set-battery", "present"}, 0, ""},
        {{"simulation", "set-source", "dc"},
         0,
         "  DC, at start: no plan is recorded for this source; nothing applied\n"},
        {{"simulation", "set-source", "ac"}, 0, "  AC, at start: applied " + plan + "\n"},
        {{"activate", "Balanced"}, 0, ""},
        {{"simulation", "fail", "PowerSetActiveScheme", "5"},
         1,
         "  AC, at start: applying " + plan + " was refused\n"},
        {{"simulation", "fail", "PowerSettingAccessCheckEx", "1260"},
         1,
         "  AC, at start: Group Policy sets the active plan; " + plan + " was not applied\n"},
        {{"activate", "scheme_min"}, 0, "  AC, at start: " + plan + " is already active\n"},
        {{"simulation", "set-default", "ac", "01234567-89ab-cdef-0123-456789abcdef"},
         1,
         "  AC, at start: the recorded plan 01234567-89AB-CDEF-0123-456789ABCDEF is not "
         "installed; nothing applied\n"},
    };
    for (const Once& once : onces) {
        ASSERT_EQ(Run(once.before).status, 0) << once.before[0];
        if (once.line.empty()) {
            continue;
        }
        const Result result = Run({"watch", "--once"});
        EXPECT_EQ(result.status, once.status) << once.line;
        ASSERT_GT(result.out.size(), 19u) << once.line;  // "2026-12-09 18:40:01"
        EXPECT_EQ(result.out.substr(19), once.line);
    }

    // A Modern Standby machine's list says what changes there.
    EXPECT_NE(Run({"list"}).out.find("Modern Standby machine"), std::string::npos);
    EXPECT_EQ(RunJson({"list", "--json"})["modern_standby"], true);

    // A state file from before the machine had a power source reads as the seeded machine.
    json state = json::parse(ReadFile(state_));
    state.erase("power");
    std::ofstream(state_, std::ios::trunc) << state.dump();
    EXPECT_EQ(RunJson({"source", "--json"}),
              json::parse(R"({"source": "ac", "battery": true, "modern_standby": false})"));
    EXPECT_EQ(RunJson({"mode", "--json"}), json::parse(R"({"ac": "balanced", "dc": "balanced"})"));

    // A record the registry refuses is said as such, never as no record, and kept in the file.
    ASSERT_EQ(Run({"simulation", "refuse-record", "ac"}).status, 0);
    const Result refused = Run({"watch", "--once"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.out.find("AC, at start: access to the record of the default plan for AC "
                               "was refused; nothing applied"),
              std::string::npos);
    const Result said = Run({"watch", "--once", "--json"});
    EXPECT_EQ(said.status, 1);
    EXPECT_EQ(json::parse(said.out)["action"], "record-refused");
}

TEST_F(Program, EverySettingListedWrittenAndReadBackShownAndHidden) {
    const auto aliases = [&](std::vector<std::string> args, bool hiddenOnly) {
        std::vector<std::string> found;
        args.push_back("--json");
        const json listed = RunJson(args);
        for (const json& setting : listed["settings"]) {
            if (!hiddenOnly || setting["hidden"] == true) {
                found.push_back(setting["alias"].is_null() ? ""
                                                           : setting["alias"].get<std::string>());
            }
        }
        return found;
    };
    const auto has = [](const std::vector<std::string>& list, const char* alias) {
        return std::find(list.begin(), list.end(), alias) != list.end();
    };
    const std::vector<std::string> visible = aliases({"settings", "Balanced"}, false);
    const std::vector<std::string> hidden = aliases({"settings", "Balanced", "--hidden"}, true);
    for (const char* alias : {"STANDBYIDLE", "VIDEOIDLE", "DISKIDLE", "PROCTHROTTLEMIN",
                              "PROCTHROTTLEMAX", "LIDACTION", "PBUTTONACTION", "BATACTIONCRIT"}) {
        EXPECT_TRUE(has(visible, alias) && !has(hidden, alias)) << alias;
    }
    for (const char* alias : {"PERFBOOSTMODE", "PERFBOOSTPOL", "PERFEPP", "CPMINCORES"}) {
        EXPECT_TRUE(!has(visible, alias) && has(hidden, alias)) << alias;
    }

    // Each change read back: one source only, by alias, name or identifier, in the unit.
    const auto values = [&](const char* setting) {
        const json read = RunJson({"settings", "Balanced", setting, "--json"})["settings"][0];
        return std::make_pair(read["ac"].get<int>(), read["dc"].get<int>());
    };
    EXPECT_EQ(Run({"set", "Balanced", "PROCTHROTTLEMAX", "dc", "80"}).status, 0);
    EXPECT_EQ(values("PROCTHROTTLEMAX"), std::make_pair(100, 80));
    EXPECT_EQ(Run({"set", "Balanced", "Critical battery action", "dc", "0"}).status, 0);
    EXPECT_EQ(Run({"set", "Balanced", "BATACTIONCRIT", "dc", "hibernate"}).out,
              "Balanced (381B4222-F694-41F0-9685-FF5BB260DF2E): Critical battery action "
              "(BATACTIONCRIT) on DC is now Hibernate\n");
    EXPECT_EQ(values("BATACTIONCRIT").second, 2);
    EXPECT_EQ(Run({"set", "Balanced", "sleep", "ac", "15"}).status, 0);
    EXPECT_EQ(values("STANDBYIDLE").first, 900);
    EXPECT_EQ(Run({"set", "Balanced", "BC5038F7-23E0-4960-96DA-33ABAF5935EC", "ac", "90"}).status,
              0);
    EXPECT_EQ(values("procthrottlemax"), std::make_pair(90, 80));
    const json changed = RunJson({"set", "SCHEME_CURRENT", "PERFBOOSTPOL", "ac", "50", "--json"});
    EXPECT_EQ(changed["reapplied"], "381B4222-F694-41F0-9685-FF5BB260DF2E");
    EXPECT_EQ(changed["changes"][0]["setting"], "PERFBOOSTPOL.ac");
    EXPECT_EQ(changed["changes"][0]["to"], 50);
    EXPECT_EQ(RunJson({"set", "Power saver", "PERFBOOSTPOL", "ac", "50", "--json"})["reapplied"],
              nullptr);

    EXPECT_EQ(Run({"show", "PERFBOOSTMODE"}).status, 0);
    EXPECT_TRUE(has(aliases({"settings", "Balanced"}, false), "PERFBOOSTMODE"));
    EXPECT_EQ(Run({"hide", "perfboostmode"}).status, 0);
    EXPECT_FALSE(has(aliases({"settings", "Balanced"}, false), "PERFBOOSTMODE"));

    // A state file from before every setting was kept gets Windows' defaults.
    json old = json::parse(ReadFile(state_));
    for (json& plan : old["plans"]) {
        plan.erase("settings");
    }
    old.erase("attributes");
    { std::ofstream(state_, std::ios::binary | std::ios::trunc) << old.dump(); }
    EXPECT_EQ(values("PROCTHROTTLEMAX"), std::make_pair(100, 100));
    EXPECT_EQ(values("STANDBYIDLE").first, 900);
}

TEST_F(Program, DamagedStateFilesAreReportedAndLeftAsTheyWere) {
    ASSERT_EQ(Run({"set", "Balanced", "sleep", "ac", "1"}).status, 0);
    const json good = json::parse(ReadFile(state_));
    const auto with = [&good](const std::string& pointer, const json& value) {
        return With(good, pointer, value);
    };
    json duplicate = good;
    duplicate["plans"].push_back(good["plans"][0]);
    const char* const kThrottleMax = "BC5038F7-23E0-4960-96DA-33ABAF5935EC";
    const auto setting = [](const char* id, const json& ac) {
        return json{{"subgroup", "54533251-82BE-4824-96C1-47B60B740D00"},
                    {"setting", id},
                    {"ac", ac},
                    {"dc", 1}};
    };

    const std::pair<std::string, std::string> cases[] = {
        {"{\"format\": ", "not valid JSON"},
        {"\"\xff\"", "not valid JSON"},
        {"[]", "expected an object"},
        {with("/format", "something else"), "format"},
        {with("/plans", 5), "state.plans: expected an array"},
        {with("/plans/1/id", "not-a-guid"), "state.plans[1].id"},
        {with("/plans/0/seconds/display/dc", 4294967296), "state.plans[0].seconds.display.dc"},
        {with("/plans/0/seconds/display/dc", -1), "display.dc"},
        {with("/plans/2/name", 7), "state.plans[2].name: expected a string"},
        {with("/registry",
              json::array({{{"key", "k"},
                            {"values", {{{"name", "AC"}, {"type", "float"}, {"data", 1}}}}}})),
         "type"},
        {duplicate.dump(), "second plan"},
        {with("/active", "01234567-89AB-CDEF-0123-456789ABCDEF"), "is not among the plans"},
        {with("/power/source", "mains"), "state.power.source"},
        {with("/power/battery", "yes"), "state.power.battery: expected true or false"},
        {with("/power/mode/dc", "fast"), "state.power.mode.dc"},
        {with("/plans/0/settings", json::array({setting("01234567-89AB-CDEF-0123-456789ABCDEF", 1)})),
         "not one of Windows' other settings"},
        {with("/plans/0/settings", json::array({setting(kThrottleMax, "on")})),
         "state.plans[0].settings[0].ac"},
        {with("/attributes", json::array({{{"subgroup", "x"}}})), "state.attributes[0].subgroup"},
    };
    for (const auto& [content, said] : cases) {
        { std::ofstream(state_, std::ios::binary | std::ios::trunc) << content; }
        for (const char* command : {"list", "simulation"}) {
            const Result result =
                command == std::string("list") ? Run({"list"}) : Run({"simulation", "reset"});
            EXPECT_EQ(result.status, 1) << content;
            EXPECT_NE(result.err.find(state_.string()), std::string::npos) << result.err;
            EXPECT_NE(result.err.find(said), std::string::npos) << result.err;
            EXPECT_EQ(ReadFile(state_), content) << "the damaged file was changed";
        }
    }
}

TEST_F(Program, ConcurrentRunsLoseNoChange) {
    constexpr int kProcesses = 8;
    constexpr int kChanges = 25;
    // A machine with one plan per change, so that every change is a different one.
    ASSERT_EQ(Run({"set", "Balanced", "sleep", "ac", "1"}).status, 0);
    json state = json::parse(ReadFile(state_));
    const json model = state["plans"][0];
    for (int i = 0; i < kProcesses * kChanges; ++i) {
        json plan = model;
        char id[40];
        std::snprintf(id, sizeof id, "00000000-0000-4000-8000-%012d", i);
        plan["id"] = id;
        plan["name"] = "plan " + std::to_string(i);
        state["plans"].push_back(plan);
    }
    std::ofstream(state_) << state.dump();

    std::vector<std::thread> workers;
    std::vector<int> failures(kProcesses, 0);
    for (int p = 0; p < kProcesses; ++p) {
        workers.emplace_back([&, p] {
            for (int c = 0; c < kChanges; ++c) {
                const int i = p * kChanges + c;
                const Result result = Run({"set", "plan " + std::to_string(i), "hibernate", "dc",
                                           std::to_string(1000 + i)},
                                          "worker" + std::to_string(p));
                failures[p] += result.status != 0;
            }
        });
    }
    for (std::thread& worker : workers) {
        worker.join();
    }
    EXPECT_EQ(std::count(failures.begin(), failures.end(), 0), kProcesses);

    const json final = json::parse(ReadFile(state_));
    int present = 0;
    for (const json& plan : final["plans"]) {
        const std::string name = plan["name"];
        if (name.rfind("plan ", 0) == 0) {
            const int i = std::stoi(name.substr(5));
            present += plan["seconds"]["hibernate"]["dc"] == (1000 + i) * 60;
        }
    }
    EXPECT_EQ(present, kProcesses * kChanges);
}

// `watch --json` in the background while other runs change the machine through the state
// file: one line per decision, in order, and "stopped" last on SIGTERM.
TEST_F(Program, WatchFollowsOtherRunsOneLinePerDecision) {
    const std::string balanced = "381B4222-F694-41F0-9685-FF5BB260DF2E";
    const std::string high = "8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C";
    const std::string saver = "A1841308-3541-4FAB-BC81-F71556F20B4A";
    const std::string missing = "01234567-89AB-CDEF-0123-456789ABCDEF";
    ASSERT_EQ(Run({"set-default", "ac", "Balanced"}).status, 0);
    ASSERT_EQ(Run({"set-default", "dc", "Power saver"}).status, 0);
    const pid_t watcher = Start({"watch", "--json", "--debounce", "1"}, "watch");
    ASSERT_GT(watcher, 0);

    using Runs = std::vector<std::vector<std::string>>;
    struct Step {
        const char* what;
        Runs runs;
        std::vector<std::string> line;  // trigger, source, plan, action; none: no decision
        int pauseMs = 0;                // between the runs: past a read of the file
    };
    const std::vector<Step> steps = {
        {"start", {}, {"start", "ac", balanced, "already-active"}},
        {"unplugged", {{"simulation", "set-source", "dc"}}, {"source", "dc", saver, "applied"}},
        {"plugged in", {{"simulation", "set-source", "ac"}}, {"source", "ac", balanced, "applied"}},
        {"a flicker shorter than the debounce time",
         {{"simulation", "set-source", "dc"}, {"simulation", "set-source", "ac"}},
         {},
         500},
        {"by hand", {{"activate", "High performance"}}, {"plan", "ac", high, "kept-manual"}},
        {"the person's plan outlives a resume",
         {{"simulation", "resume"}},
         {"resume", "ac", high, "kept-manual"}},
        {"a record changed meanwhile; a UPS counts as DC",
         {{"set-default", "dc", "Balanced"}, {"simulation", "set-source", "ups"}},
         {"source", "ups", balanced, "applied"}},
        {"not installed",
         {{"simulation", "set-default", "ac", missing}, {"simulation", "set-source", "ac"}},
         {"source", "ac", missing, "not-installed"}},
        {"refused",
         {{"set-default", "ac", "Power saver"},
          {"simulation", "fail", "PowerSetActiveScheme", "5"},
          {"simulation", "resume"}},
         {"resume", "ac", saver, "refused"}},
        {"resume", {{"simulation", "resume"}}, {"resume", "ac", saver, "applied"}},
    };
    const auto lines = [&] {
        std::vector<json> read;
        std::istringstream in(ReadFile(folder_ / "watch.out"));
        for (std::string line; std::getline(in, line);) {
            read.push_back(json::parse(line));
        }
        return read;
    };
    // Waits, up to a generous bound, for the watcher to have written `count` lines.
    const auto waitFor = [&](std::size_t count) {
        for (int i = 0; i < 1000 && lines().size() < count; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    };
    std::size_t expected = 0;
    for (const Step& step : steps) {
        for (const auto& args : step.runs) {
            ASSERT_EQ(Run(args).status, 0) << step.what;
            std::this_thread::sleep_for(std::chrono::milliseconds(step.pauseMs));
        }
        if (step.line.empty()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // past the debounce
            continue;
        }
        waitFor(++expected);
        const std::vector<json> read = lines();
        ASSERT_EQ(read.size(), expected) << step.what;
        const json& line = read.back();
        EXPECT_EQ(
            (std::vector<json>{line["trigger"], line["source"], line["plan"], line["action"]}),
            (std::vector<json>{step.line[0], step.line[1], step.line[2], step.line[3]}))
            << step.what;
        EXPECT_EQ(line["time"].get<std::string>().back(), 'Z');
    }

    kill(watcher, SIGTERM);
    const Result stopped = Finish(watcher, "watch");
    EXPECT_EQ(stopped.status, 0) << stopped.err;
    const std::vector<json> read = lines();
    ASSERT_EQ(read.size(), expected + 1);
    EXPECT_EQ(read.back()["action"], "stopped");
    EXPECT_EQ(RunJson({"active", "--json"})["id"], saver) << "the applied plan was not kept";
}

}  // namespace
