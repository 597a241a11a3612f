// The command line: switches start with '/', are separated by blanks, in any order and any letter
// case; a value with blanks is quoted ("/LOG=C:\My Logs\u.log" or /LOG="C:\My Logs\u.log").
#pragma once
#include <string>

struct TCommandLine {
  bool Understood = true;   // false: something was not, and nothing may be done
  std::string Rejected;     // the first argument that was not understood
  bool Silent = false;      // /S: no window and no box at any moment
  bool Help = false;        // /?
  bool HasLog = false;      // /LOG=<file>
  std::string LogFile;
};

// The arguments after the program's name.
TCommandLine ParseCommandLine(const std::string& arguments);

// The usage text of the box that /? shows, in English.
std::string UsageText();
