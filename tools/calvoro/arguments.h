// Reading the command's words: power sources, timeouts, minutes and paths, each in the one
// form the program takes, with a UsageError (exit status 2) for anything else.
#pragma once

#include <calvoro/power_plans.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "timeout_settings.h"

namespace calvoro_cli {

/// `word` in ASCII lower case: the program's own words are taken in any letter case.
std::string Lower(std::string word);

/// True for "ac" (mains power), false for "dc" (battery), in any letter case.
bool ParseSource(const std::string& word);

/// "AC" or "DC", as reports name a source.
const char* SourceName(bool onAC);

/// A power mode: efficiency, balanced or performance, in any letter case.
Calvoro::PowerMode ParseMode(const std::string& word);

/// A whole number: digits only, at most `most`; `what` names it in the UsageError.
std::uint32_t ParseWhole(const std::string& word, const char* what, std::uint32_t most);

/// Whole minutes: digits only, at most Calvoro::MaxTimerMinutes.
std::uint32_t ParseMinutes(const std::string& word);

/// The path that a command-line word names: UTF-8, whatever the system's code page.
std::filesystem::path PathArgument(const std::string& word);

}  // namespace calvoro_cli
