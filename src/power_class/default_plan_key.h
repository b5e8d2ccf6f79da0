// Where the current user's registry records the default plan for each power source: the key
// that PowerClass::GetDefaultPlaneGUID reads and the library's record writers write.
#pragma once

#include "guid_text.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace Calvoro::detail {

inline constexpr char kDefaultPlanKeyTemplate[] = "Software\\Quandrel\\Zephlo\\PowerPolicies\\%s";
inline constexpr char kDefaultPlanSubkey[] = "DEV_DEFAULT_PLANE";
inline constexpr std::size_t kMaxKeyPath = 260;  // code units, its NUL included

// The key path: the template with the subkey's name in place of its "%s", composed once, at
// compile time, and widened to the platform's 16-bit text (both parts are ASCII).
using DefaultPlanKeyPath = std::array<char16_t, (sizeof kDefaultPlanKeyTemplate - 1) - 2 +
                                                    (sizeof kDefaultPlanSubkey - 1)>;
constexpr DefaultPlanKeyPath ComposeDefaultPlanKeyPath() {
    DefaultPlanKeyPath path{};
    std::size_t out = 0;
    for (std::size_t i = 0; kDefaultPlanKeyTemplate[i] != '\0'; ++i) {
        if (kDefaultPlanKeyTemplate[i] == '%' && kDefaultPlanKeyTemplate[i + 1] == 's') {
            for (std::size_t j = 0; kDefaultPlanSubkey[j] != '\0'; ++j) {
                path[out++] = static_cast<char16_t>(kDefaultPlanSubkey[j]);
            }
            ++i;
        } else {
            path[out++] = static_cast<char16_t>(kDefaultPlanKeyTemplate[i]);
        }
    }
    return path;
}
inline constexpr DefaultPlanKeyPath kDefaultPlanKeyPath = ComposeDefaultPlanKeyPath();
static_assert(kDefaultPlanKeyPath.size() < kMaxKeyPath);

constexpr std::u16string_view DefaultPlanKey() {
    return {kDefaultPlanKeyPath.data(), kDefaultPlanKeyPath.size()};
}

/// The value that records the default for mains power ("AC") or battery ("DC").
constexpr std::u16string_view DefaultPlanValueName(bool onAC) { return onAC ? u"AC" : u"DC"; }

/// Where a record lives, for error messages: registry value "AC" of HKEY_CURRENT_USER\<key>.
inline std::string DefaultPlanValueWhere(std::u16string_view valueName) {
    const std::u16string_view key = DefaultPlanKey();
    return "registry value " + QuoteForMessage(valueName) + " of HKEY_CURRENT_USER\\" +
           std::string(key.begin(), key.end());
}

}  // namespace Calvoro::detail
