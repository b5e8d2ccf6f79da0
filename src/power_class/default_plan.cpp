// The default plan for each power source, as the current user's registry records it.
#include <calvoro/power_class.h>

#include "guid_text.h"
#include "platform/platform.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace Calvoro {
namespace {

constexpr const char* kKeyPathTemplate = "Software\\Quandrel\\Zephlo\\PowerPolicies\\%s";
constexpr const char* kSubkeyName = "DEV_DEFAULT_PLANE";
constexpr std::size_t kMaxPath = 260;  // bytes, its NUL included

// Where a value lives, for error messages: HKEY_CURRENT_USER\<key path>, value "AC".
std::string Where(std::u16string_view keyPath, std::u16string_view valueName) {
    return "registry value " + detail::QuoteForMessage(valueName) + " of HKEY_CURRENT_USER\\" +
           std::string(keyPath.begin(), keyPath.end());
}

}  // namespace

Guid PowerClass::GetDefaultPlaneGUID(bool b_OnAC) const {
    // Composed as 8-bit text, then widened (the path is ASCII).
    char narrow[kMaxPath];
    const int written = std::snprintf(narrow, sizeof narrow, kKeyPathTemplate, kSubkeyName);
    const std::size_t length = std::min(static_cast<std::size_t>(std::max(written, 0)),
                                        sizeof narrow - 1);
    char16_t wide[kMaxPath];
    for (std::size_t i = 0; i < length; ++i) {
        wide[i] = static_cast<char16_t>(static_cast<unsigned char>(narrow[i]));
    }
    const std::u16string_view keyPath(wide, length);
    const std::u16string_view valueName = b_OnAC ? u"AC" : u"DC";

    using Kind = platform::RegistryAnswer::Kind;
    const platform::RegistryAnswer answer =
        platform::RegReadCurrentUserValue(keyPath, valueName);
    switch (answer.kind) {
    case Kind::NoKey:
    case Kind::NoValue:
        return NoPowerSchemeGuid;
    case Kind::AccessDenied:
        throw RegistryAccessError("access refused to the " + Where(keyPath, valueName));
    case Kind::String:
    case Kind::OtherKind:
        break;
    }
    if (const auto guid = detail::TryParseGuid(answer.text)) {
        return *guid;
    }
    throw GuidParseError(Where(keyPath, valueName) +
                         " does not hold a GUID: " + detail::QuoteForMessage(answer.text));
}

}  // namespace Calvoro
