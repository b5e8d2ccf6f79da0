// Commands that change the simulated machine itself; simulated builds only.
#pragma once

#include "commands.h"

#include <string>

namespace calvoro_cli {

int ResetMachine(bool modernStandby, const Output& output);
/// Records PLAN (an installed plan, or any GUID text) as the default for the source.
int SetDefault(const std::string& source, const std::string& plan, const Output& output);
int ClearDefault(const std::string& source, const Output& output);
/// The machine's power source (ac, dc, ups, unknown), battery (present, absent) and Modern
/// Standby (on, off).
int SetSimulatedSource(const std::string& word, const Output& output);
int SetSimulatedBattery(const std::string& word, const Output& output);
int SetSimulatedModernStandby(const std::string& word, const Output& output);
/// Makes OPERATION (Windows' name, as PowerSetActiveScheme) answer STATUS, once or always.
int InjectFault(const std::string& operation, const std::string& status, bool always,
                const Output& output);
/// The machine wakes from sleep: watchers, here and in other runs, are told.
int SimulateResume(const Output& output);

}  // namespace calvoro_cli
