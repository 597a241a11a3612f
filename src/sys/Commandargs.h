// The command line past the program's name, and the switch that starts the hand-over copy of the
// uninstaller's own removal. The fault point tells the copy's calls from the run's by that switch,
// from the process's first call on, so it is known here, below the removal that makes the copy.
#pragma once
#include <string>

constexpr char kSelfRemovalSwitch[] = "/TVSELFREMOVE";

// The arguments of a whole command line: what follows the program name.
std::string CommandArguments(const char* commandLine);
// True when the arguments start with the copy's switch, well formed or not.
bool IsSelfRemovalSwitch(const std::string& arguments);
