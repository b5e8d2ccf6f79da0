#include "commands.h"

#include "errors.h"
#include "plans.h"
#include "text.h"

#include <nlohmann/json.hpp>

#include <iomanip>
#include <ostream>

namespace calvoro_cli {
namespace {

using Calvoro::Guid;
using Calvoro::PowerClass;
using nlohmann::json;

using Getter = std::uint32_t (PowerClass::*)(const Guid&, bool) const;
using Setter = bool (PowerClass::*)(const Guid&, bool, std::uint32_t) const;

struct Timeout {
    const char* name;
    Getter get;
    Setter set;
};
constexpr Timeout kTimeouts[] = {
    {"sleep", &PowerClass::GetSleepTimer, &PowerClass::SetSleepTimer},
    {"hibernate", &PowerClass::GetHibernationTimer, &PowerClass::SetHibernationTimer},
    {"display", &PowerClass::GetDisplayTimer, &PowerClass::SetDisplayTimer},
};

const Timeout& FindTimeout(const std::string& name) {
    for (const Timeout& timeout : kTimeouts) {
        if (name == timeout.name) {
            return timeout;
        }
    }
    throw UsageError("unknown timeout \"" + name + "\"; use sleep, hibernate or display");
}

json NameJson(const InstalledPlan& plan) {
    return plan.name ? json(ToUtf8ForDisplay(*plan.name)) : json(nullptr);
}

// The recorded default for one source: a plan identifier, none, or an error said on `err`.
struct DefaultPlan {
    std::optional<Guid> id;
    bool failed = false;
};

DefaultPlan ReadDefault(const PowerClass& power, bool onAC, const Output& output) {
    try {
        const Guid id = power.GetDefaultPlaneGUID(onAC);
        if (id == Calvoro::NoPowerSchemeGuid) {
            return {};
        }
        return {id, false};
    } catch (const std::exception& error) {
        output.err << "calvoro: cannot read the default plan for " << (onAC ? "AC" : "DC")
                   << ": " << error.what() << '\n';
        return {std::nullopt, true};
    }
}

json IdJson(const std::optional<Guid>& id) {
    return id ? json(id->ToString()) : json(nullptr);
}

std::string MinutesText(std::uint32_t minutes) {
    return minutes == 0 ? "never" : std::to_string(minutes) + " min";
}

}  // namespace

bool ParseSource(const std::string& word) {
    if (word != "ac" && word != "dc") {
        throw UsageError("unknown power source \"" + word + "\"; use ac or dc");
    }
    return word == "ac";
}

std::uint32_t ParseMinutes(const std::string& word) {
    const bool digitsOnly = !word.empty() && word.size() <= 10 &&
                            word.find_first_not_of("0123456789") == std::string::npos;
    if (!digitsOnly || std::stoull(word) > 71582788) {
        throw UsageError("MINUTES must be a whole number from 0 to 71582788, not \"" + word +
                         "\"");
    }
    return static_cast<std::uint32_t>(std::stoul(word));
}

int ListPlans(const PowerClass& power, const Output& output) {
    const std::vector<InstalledPlan> plans = InstalledPlans(power);
    const DefaultPlan ac = ReadDefault(power, true, output);
    const DefaultPlan dc = ReadDefault(power, false, output);
    const int status = ac.failed || dc.failed ? 1 : 0;

    if (output.json) {
        json list = json::array();
        for (const InstalledPlan& plan : plans) {
            list.push_back({{"id", plan.id.ToString()},
                            {"name", NameJson(plan)},
                            {"default_ac", ac.id == plan.id},
                            {"default_dc", dc.id == plan.id}});
        }
        output.out << json{{"plans", list}, {"default", {{"ac", IdJson(ac.id)}, {"dc", IdJson(dc.id)}}}}
                          .dump(2)
                   << '\n';
        return status;
    }
    if (plans.empty()) {
        output.out << "No power plans found.\n";
        return status;
    }
    for (const InstalledPlan& plan : plans) {
        output.out << plan.id << "  " << DisplayName(plan);
        const bool forAC = ac.id == plan.id;
        const bool forDC = dc.id == plan.id;
        if (forAC || forDC) {
            output.out << "  [default for " << (forAC && forDC ? "AC and DC" : forAC ? "AC" : "DC")
                       << "]";
        }
        output.out << '\n';
    }
    return status;
}

int QueryPlans(const PowerClass& power, const std::optional<std::string>& plan,
               const Output& output) {
    const std::vector<InstalledPlan> plans =
        plan ? std::vector<InstalledPlan>{ResolvePlan(power, *plan)} : InstalledPlans(power);

    json list = json::array();
    for (const InstalledPlan& shown : plans) {
        json timeouts = json::object();
        if (!output.json) {
            output.out << DisplayName(shown) << "  " << shown.id << '\n'
                       << "               AC (mains)    DC (battery)\n";
        }
        for (const Timeout& timeout : kTimeouts) {
            const std::uint32_t ac = (power.*timeout.get)(shown.id, true);
            const std::uint32_t dc = (power.*timeout.get)(shown.id, false);
            timeouts[timeout.name] = {{"ac", ac}, {"dc", dc}};
            if (!output.json) {
                output.out << "  " << std::left << std::setw(13) << timeout.name << std::setw(14)
                           << MinutesText(ac) << MinutesText(dc) << '\n';
            }
        }
        list.push_back({{"id", shown.id.ToString()}, {"name", NameJson(shown)}, {"timeouts", timeouts}});
    }
    if (output.json) {
        output.out << json{{"plans", list}}.dump(2) << '\n';
    } else if (plans.empty()) {
        output.out << "No power plans found.\n";
    }
    return 0;
}

int SetTimeout(const PowerClass& power, const std::string& plan, const std::string& timeout,
               const std::string& source, const std::string& minutes, const Output& output) {
    const Timeout& chosen = FindTimeout(timeout);
    const bool onAC = ParseSource(source);
    const std::uint32_t value = ParseMinutes(minutes);
    const InstalledPlan target = ResolvePlan(power, plan);
    const char* sourceName = onAC ? "AC" : "DC";
    if (!(power.*chosen.set)(target.id, onAC, value)) {
        output.err << "calvoro: the platform did not store the " << chosen.name << " timeout on "
                   << sourceName << " for " << Describe(target) << '\n';
        return 1;
    }
    output.out << Describe(target) << ": " << chosen.name << " on " << sourceName << " is now "
               << MinutesText(value) << '\n';
    return 0;
}

int RenamePlan(const PowerClass& power, const std::string& plan, const std::string& name,
               const std::string& description, const Output& output) {
    const std::u16string newName = ToUtf16(name, "NAME");
    const std::u16string newDescription = ToUtf16(description, "DESCRIPTION");
    const InstalledPlan target = ResolvePlan(power, plan);
    if (power.WritePowerSchemeNameDescription(target.id, newName, newDescription) != 1) {
        output.err << "calvoro: the platform did not store the name and description of "
                   << Describe(target) << '\n';
        return 1;
    }
    output.out << target.id << " is now named \"" << name << "\"\n";
    return 0;
}

int ShowDefault(const PowerClass& power, const std::string& source, const Output& output) {
    const bool onAC = ParseSource(source);
    const DefaultPlan recorded = ReadDefault(power, onAC, output);
    if (recorded.failed) {
        return 1;
    }
    std::optional<InstalledPlan> installed;
    if (recorded.id) {
        for (const InstalledPlan& plan : InstalledPlans(power)) {
            if (plan.id == *recorded.id) {
                installed = plan;
            }
        }
    }
    if (output.json) {
        output.out << json{{"source", source},
                           {"id", IdJson(recorded.id)},
                           {"name", installed ? NameJson(*installed) : json(nullptr)},
                           {"installed", installed.has_value()}}
                          .dump(2)
                   << '\n';
        return 0;
    }
    output.out << (onAC ? "AC: " : "DC: ");
    if (!recorded.id) {
        output.out << "none recorded\n";
    } else if (installed) {
        output.out << Describe(*installed) << '\n';
    } else {
        output.out << *recorded.id << " (not an installed plan)\n";
    }
    return 0;
}

}  // namespace calvoro_cli
