// The uninstaller's removal of its own program file and folder, which a running program cannot
// do itself: a copy of it in a private temporary folder waits for the original process to end,
// deletes the original file (only that very file) and its folder when empty, and leaves only
// itself for the next restart. The original process ends as usual, with its own exit code.
#pragma once
#include <cstdint>
#include <string>
#include "sys/Exename.h"

// What the copy is told on its command line.
struct TSelfRemovalOrder {
  uintptr_t Process = 0;          // inherited handle of the original process
  TFileIdentity Identity;         // of the original program file
  std::string Original;           // its path
};
// The command-line arguments after the program name, and back. Parsing accepts nothing else.
std::string FormatSelfRemovalOrder(const TSelfRemovalOrder& order);
bool ParseSelfRemovalOrder(const std::string& arguments, TSelfRemovalOrder& order);
// True when the arguments start with the copy's switch, well formed or not.
bool IsSelfRemovalSwitch(const std::string& arguments);

// The original's side: copies the program, as held since the start (HoldProgramFile), into a new
// private folder under the temporary folder and starts the copy. 0, or the Windows error of what
// could not be done (nothing is left behind then); not held: ProgramFileHoldError.
uint32_t HandOverSelfRemoval();

// The copy's side, whole: waits for the original, removes it, schedules itself. For the entry
// point, before anything else; true when the command line was the copy's (the program then ends).
bool HandlesSelfRemoval(const char* commandLine);

// The copy's removal of the original once it has ended: the file only when it is the one named by
// the identity and holds the same bytes as `self`, never through a reparse point; then its folder
// when empty. True when the file was deleted.
bool RemoveOriginalProgram(const TSelfRemovalOrder& order, const std::string& self);

// The arguments of a whole command line: what follows the program name.
std::string CommandArguments(const char* commandLine);
