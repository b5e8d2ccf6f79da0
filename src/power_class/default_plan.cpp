// The default plan for each power source, as the current user's registry records it.
#include <calvoro/power_class.h>

#include "default_plan_key.h"
#include "guid_text.h"
#include "platform/platform.h"

#include <string>

namespace Calvoro {

using detail::DefaultPlanValueWhere;

Guid PowerClass::GetDefaultPlaneGUID(bool b_OnAC) const {
    const std::u16string_view keyPath = detail::DefaultPlanKey();
    const std::u16string_view valueName = detail::DefaultPlanValueName(b_OnAC);

    using Kind = platform::RegistryAnswer::Kind;
    const platform::RegistryAnswer answer =
        platform::RegReadCurrentUserValue(keyPath, valueName);
    switch (answer.kind) {
    case Kind::NoKey:
    case Kind::NoValue:
        return NoPowerSchemeGuid;
    case Kind::AccessDenied:
        throw RegistryAccessError("access refused to the " + DefaultPlanValueWhere(valueName));
    case Kind::String:
    case Kind::OtherKind:
        break;
    }
    if (const auto guid = detail::TryParseGuid(answer.text)) {
        return *guid;
    }
    throw GuidParseError(DefaultPlanValueWhere(valueName) +
                         " does not hold a GUID: " + detail::QuoteForMessage(answer.text));
}

}  // namespace Calvoro
