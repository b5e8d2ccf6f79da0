// Writing and clearing the default-plan record that PowerClass::GetDefaultPlaneGUID reads.
#include <calvoro/errors.h>
#include <calvoro/power_plans.h>

#include <stdexcept>
#include <string>

#include "platform/platform.h"
#include "power_class/default_plan_key.h"

namespace Calvoro {
namespace {

std::u16string_view ValueName(PowerSource source) {
    if (source != PowerSource::AC && source != PowerSource::DC) {
        throw std::invalid_argument("a default plan is recorded for AC or DC only");
    }
    return detail::DefaultPlanValueName(source == PowerSource::AC);
}

// Raises the error that a failed registry write stands for.
[[noreturn]] void Refused(platform::Status status, const char* what, PowerSource source) {
    const std::string where = detail::DefaultPlanValueWhere(ValueName(source));
    if (status == platform::status::AccessDenied) {
        throw RegistryAccessError(std::string("access refused to ") + what + " the " + where);
    }
    throw std::runtime_error(std::string("cannot ") + what + " the " + where + ": status " +
                             std::to_string(status));
}

}  // namespace

void SetDefaultPlan(PowerSource source, const Guid& plan) {
    const std::string text = plan.ToString();
    const platform::Status status = platform::RegSetCurrentUserString(
        detail::DefaultPlanKey(), ValueName(source), std::u16string(text.begin(), text.end()));
    if (status != platform::status::Success) {
        Refused(status, "write", source);
    }
}

bool ClearDefaultPlan(PowerSource source) {
    const platform::Status status =
        platform::RegDeleteCurrentUserValue(detail::DefaultPlanKey(), ValueName(source));
    if (status == platform::status::FileNotFound) {
        return false;
    }
    if (status != platform::status::Success) {
        Refused(status, "clear", source);
    }
    return true;
}

}  // namespace Calvoro
