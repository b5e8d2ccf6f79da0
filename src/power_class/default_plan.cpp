// The default plan for each power source, as the current user's registry records it.
#include <calvoro/power_class.h>

#include "guid_text.h"
#include "platform/platform.h"

#include <array>
#include <cstddef>
#include <string>

namespace Calvoro {
namespace {

constexpr char kKeyPathTemplate[] = "Software\\Quandrel\\Zephlo\\PowerPolicies\\%s";
constexpr char kSubkeyName[] = "DEV_DEFAULT_PLANE";
constexpr std::size_t kMaxPath = 260;  // code units, its NUL included

// The key path: the template with the subkey's name in place of its "%s", composed once, at
// compile time, and widened to the platform's 16-bit text (both parts are ASCII).
using KeyPath = std::array<char16_t, (sizeof kKeyPathTemplate - 1) - 2 + (sizeof kSubkeyName - 1)>;
constexpr KeyPath ComposeKeyPath() {
    KeyPath path{};
    std::size_t out = 0;
    for (std::size_t i = 0; kKeyPathTemplate[i] != '\0'; ++i) {
        if (kKeyPathTemplate[i] == '%' && kKeyPathTemplate[i + 1] == 's') {
            for (std::size_t j = 0; kSubkeyName[j] != '\0'; ++j) {
                path[out++] = static_cast<char16_t>(kSubkeyName[j]);
            }
            ++i;
        } else {
            path[out++] = static_cast<char16_t>(kKeyPathTemplate[i]);
        }
    }
    return path;
}
constexpr KeyPath kKeyPath = ComposeKeyPath();
static_assert(kKeyPath.size() < kMaxPath);

// Where a value lives, for error messages: HKEY_CURRENT_USER\<key path>, value "AC".
std::string Where(std::u16string_view keyPath, std::u16string_view valueName) {
    return "registry value " + detail::QuoteForMessage(valueName) + " of HKEY_CURRENT_USER\\" +
           std::string(keyPath.begin(), keyPath.end());
}

}  // namespace

Guid PowerClass::GetDefaultPlaneGUID(bool b_OnAC) const {
    const std::u16string_view keyPath(kKeyPath.data(), kKeyPath.size());
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
