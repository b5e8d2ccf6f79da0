// The watch lines: each decision of the watcher as one line, text for a person or JSON for
// scripts, and the words they use.
#include <cmath>
#include <ctime>
#include <iomanip>
#include <iterator>
#include <nlohmann/json.hpp>
#include <sstream>

#include "errors.h"
#include "plans.h"
#include "source_words.h"
#include "watch.h"

namespace calvoro_cli {
namespace {

using Calvoro::WatchAction;
using Calvoro::WatchDecision;
using Calvoro::WatchTrigger;

// The words of the JSON lines, in the enumerations' order.
constexpr const char* kActionWords[] = {"applied",       "already-active", "kept-manual",
                                        "none-recorded", "not-installed",  "refused",
                                        "policy",        "stopped",        "record-refused"};
static_assert(std::size(kActionWords) ==
              static_cast<std::size_t>(WatchAction::RecordRefused) + 1);

// Each trigger's JSON word, and how a person's line says it.
struct TriggerNames {
    const char* word;
    const char* text;
};
constexpr TriggerNames kTriggerNames[] = {{"start", "at start"},
                                          {"source", "on a change of source"},
                                          {"resume", "after resume"},
                                          {"plan", "a plan was applied"},
                                          {"stop", "asked to stop"}};
static_assert(std::size(kTriggerNames) == static_cast<std::size_t>(WatchTrigger::Stop) + 1);

const TriggerNames& NamesOf(WatchTrigger trigger) {
    return kTriggerNames[static_cast<std::size_t>(trigger)];
}

// The time in UTC (for JSON, with milliseconds and Z) or local (for a person).
std::string TimeText(std::chrono::system_clock::time_point time, bool utc) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    std::tm parts{};
#if defined(_WIN32)
    utc ? gmtime_s(&parts, &seconds) : localtime_s(&parts, &seconds);
#else
    utc ? gmtime_r(&seconds, &parts) : localtime_r(&seconds, &parts);
#endif
    std::ostringstream text;
    if (!utc) {
        text << std::put_time(&parts, "%Y-%m-%d %H:%M:%S");
        return text.str();
    }
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()) % 1000;
    text << std::put_time(&parts, "%Y-%m-%dT%H:%M:%S") << '.' << std::setw(3) << std::setfill('0')
         << (millis.count() + 1000) % 1000 << 'Z';
    return text.str();
}

// "Balanced (381B4222-…)" for an installed plan, else the identifier alone.
std::string PlanText(const Calvoro::Guid& id) {
    const auto installed = FindInstalled(Calvoro::InstalledPlans(), id);
    return installed ? Describe(*installed) : id.ToString();
}

// "AC", "DC", "UPS" or "unknown source".
std::string SourceText(Calvoro::PowerSource source) {
    if (source == Calvoro::PowerSource::Unknown) {
        return "unknown source";
    }
    std::string word(SourceWord(source));
    for (char& letter : word) {
        letter = static_cast<char>(letter - 'a' + 'A');
    }
    return word;
}

std::string Sentence(const WatchDecision& decision) {
    const std::string plan = decision.plan ? PlanText(*decision.plan) : std::string();
    switch (decision.action) {
    case WatchAction::Applied:
        return "applied " + plan;
    case WatchAction::AlreadyActive:
        return plan + " is already active";
    case WatchAction::KeptManual:
        return "keeping " + plan + ", applied by hand, until the source changes";
    case WatchAction::NoneRecorded:
        return decision.source == Calvoro::PowerSource::Unknown
                   ? "cannot tell the power source; nothing applied"
                   : "no plan is recorded for this source; nothing applied";
    case WatchAction::NotInstalled:
        return "the recorded plan " + plan + " is not installed; nothing applied";
    case WatchAction::Refused:
        return "applying " + plan + " was refused";
    case WatchAction::Policy:
        return "Group Policy sets the active plan; " + plan + " was not applied";
    case WatchAction::RecordRefused:
        return "access to the record of the default plan for " + SourceText(decision.source) +
               " was refused; nothing applied";
    case WatchAction::Stopped:
        break;
    }
    return "stopped";
}

}  // namespace

std::optional<Calvoro::Guid> Running(const WatchDecision& decision) {
    const bool running = decision.action == WatchAction::Applied ||
                         decision.action == WatchAction::AlreadyActive ||
                         decision.action == WatchAction::KeptManual;
    return running ? decision.plan : std::nullopt;
}

std::chrono::milliseconds ParseDebounce(const std::string& seconds) {
    std::istringstream in(seconds);
    in.imbue(std::locale::classic());
    double value = -1;
    in >> std::noskipws >> value;
    if (!in || in.peek() != std::char_traits<char>::eof() || !(value >= 0 && value <= 3600)) {
        throw UsageError("--debounce takes seconds from 0 to 3600, not \"" + seconds + "\"");
    }
    return std::chrono::milliseconds(std::lround(value * 1000));
}

std::string DecisionLine(const WatchDecision& decision, bool json) {
    if (json) {
        return nlohmann::json{{"time", TimeText(decision.time, true)},
                              {"trigger", NamesOf(decision.trigger).word},
                              {"source", SourceWord(decision.source)},
                              {"plan", decision.plan ? nlohmann::json(decision.plan->ToString())
                                                     : nlohmann::json(nullptr)},
                              {"action", kActionWords[static_cast<std::size_t>(decision.action)]}}
            .dump();
    }
    return TimeText(decision.time, false) + "  " + SourceText(decision.source) + ", " +
           NamesOf(decision.trigger).text + ": " + Sentence(decision);
}

}  // namespace calvoro_cli
