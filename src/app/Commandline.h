// The command line: switches start with '/' or '-', are separated by blanks, in any order and any
// letter case; a value with blanks is quoted ("/LOG=C:\My Logs\u.log" or /LOG="C:\My Logs\u.log").
// The silent switches of the usual installer builders (/SILENT, /VERYSILENT, /QUIET, /Q, /QN) are /S.
#pragma once
#include <string>
#include <vector>

struct TCommandLine {
  bool Understood = true;   // false: something was not; silent, nothing may be done then
  std::string Rejected;     // the first argument that was not understood
  std::vector<std::string> NotUnderstood;   // all of them, in order
  bool Silent = false;      // /S: no window and no box at any moment
  bool Help = false;        // /?
  bool HasLog = false;      // /LOG=<file>
  std::string LogFile;
};

// The arguments after the program's name.
TCommandLine ParseCommandLine(const std::string& arguments);

// The usage text of the box that /? shows, in English.
std::string UsageText();
