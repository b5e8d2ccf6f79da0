// The six timeout settings in one table: each of the three timeouts for mains power (ac) and
// for battery (dc), with the words the program and its documents use for it and the class's
// operations that read and write it.
#pragma once

#include <calvoro/power_class.h>

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>

namespace calvoro_cli {

struct TimeoutSetting {
    const char* timeout;  // "sleep", "hibernate", "display"
    const char* source;   // "ac", "dc"
    bool onAC;
    std::uint32_t (Calvoro::PowerClass::*get)(const Calvoro::Guid&, bool) const;
    bool (Calvoro::PowerClass::*set)(const Calvoro::Guid&, bool, std::uint32_t) const;

    std::uint32_t Read(const Calvoro::PowerClass& power, const Calvoro::Guid& plan) const {
        return (power.*get)(plan, onAC);
    }
    bool Write(const Calvoro::PowerClass& power, const Calvoro::Guid& plan,
               std::uint32_t minutes) const {
        return (power.*set)(plan, onAC, minutes);
    }
    /// "sleep.ac": how reports name the setting.
    std::string Name() const { return std::string(timeout) + "." + source; }
};

inline constexpr TimeoutSetting kTimeoutSettings[] = {
    {"sleep", "ac", true,
     &Calvoro::PowerClass::GetSleepTimer, &Calvoro::PowerClass::SetSleepTimer},
    {"sleep", "dc", false,
     &Calvoro::PowerClass::GetSleepTimer, &Calvoro::PowerClass::SetSleepTimer},
    {"hibernate", "ac", true,
     &Calvoro::PowerClass::GetHibernationTimer, &Calvoro::PowerClass::SetHibernationTimer},
    {"hibernate", "dc", false,
     &Calvoro::PowerClass::GetHibernationTimer, &Calvoro::PowerClass::SetHibernationTimer},
    {"display", "ac", true,
     &Calvoro::PowerClass::GetDisplayTimer, &Calvoro::PowerClass::SetDisplayTimer},
    {"display", "dc", false,
     &Calvoro::PowerClass::GetDisplayTimer, &Calvoro::PowerClass::SetDisplayTimer},
};
inline constexpr std::size_t kTimeoutCount = std::size(kTimeoutSettings);

}  // namespace calvoro_cli
