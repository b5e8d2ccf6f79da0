// The words for power sources and power modes that the program, its JSON and the simulated
// machine's state file use: "ac", "dc", "ups", "unknown"; "efficiency", "balanced",
// "performance".
#pragma once

#include <calvoro/power_plans.h>

#include <optional>
#include <string_view>

namespace calvoro_cli {

inline constexpr std::string_view SourceWord(Calvoro::PowerSource source) {
    switch (source) {
    case Calvoro::PowerSource::AC:
        return "ac";
    case Calvoro::PowerSource::DC:
        return "dc";
    case Calvoro::PowerSource::ShortTerm:
        return "ups";
    case Calvoro::PowerSource::Unknown:
        break;
    }
    return "unknown";
}

/// The source a word names, exactly as SourceWord writes it; none for another word.
inline std::optional<Calvoro::PowerSource> SourceFromWord(std::string_view word) {
    for (const auto source : {Calvoro::PowerSource::AC, Calvoro::PowerSource::DC,
                              Calvoro::PowerSource::ShortTerm, Calvoro::PowerSource::Unknown}) {
        if (word == SourceWord(source)) {
            return source;
        }
    }
    return std::nullopt;
}

inline constexpr std::string_view ModeWord(Calvoro::PowerMode mode) {
    switch (mode) {
    case Calvoro::PowerMode::BestPowerEfficiency:
        return "efficiency";
    case Calvoro::PowerMode::Balanced:
        break;
    case Calvoro::PowerMode::BestPerformance:
        return "performance";
    }
    return "balanced";
}

/// The mode a word names, exactly as ModeWord writes it; none for another word.
inline std::optional<Calvoro::PowerMode> ModeFromWord(std::string_view word) {
    for (const auto mode : {Calvoro::PowerMode::BestPowerEfficiency, Calvoro::PowerMode::Balanced,
                            Calvoro::PowerMode::BestPerformance}) {
        if (word == ModeWord(mode)) {
            return mode;
        }
    }
    return std::nullopt;
}

}  // namespace calvoro_cli
