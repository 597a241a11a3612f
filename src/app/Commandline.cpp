#include "app/Commandline.h"

#include <vector>

#include "sys/Asciicase.h"

namespace {

// To add a switch: one row here, one case in Apply, one field in TCommandLine.
enum class TSwitch { Silent, Log, Help };
struct TSwitchRow {
  const char* Name;
  bool TakesValue;   // "/NAME=value", the value not empty
  TSwitch Id;
};
const TSwitchRow kSwitches[] = {
    {"S", false, TSwitch::Silent},
    {"SILENT", false, TSwitch::Silent},
    {"VERYSILENT", false, TSwitch::Silent},
    {"QUIET", false, TSwitch::Silent},
    {"Q", false, TSwitch::Silent},
    {"QN", false, TSwitch::Silent},
    {"LOG", true, TSwitch::Log},
    {"?", false, TSwitch::Help},
};

// Blanks separate arguments outside double quotes; the quotes themselves are dropped. Neither a
// blank nor a quote can be the second byte of a double-byte character.
std::vector<std::string> SplitArguments(const std::string& text) {
  std::vector<std::string> out;
  std::string current;
  bool quoted = false, any = false;
  for (char c : text) {
    if (c == '"') {
      quoted = !quoted;
      any = true;
    } else if (!quoted && (c == ' ' || c == '\t')) {
      if (any) out.push_back(current);
      current.clear();
      any = false;
    } else {
      current += c;
      any = true;
    }
  }
  if (any) out.push_back(current);
  return out;
}

// ASCII letters only: the user's locale must not change what a switch is.
bool SameName(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i]; ++i) {
    if (FoldAscii(a[i]) != b[i]) return false;
  }
  return i == a.size() && !b[i];
}

bool Apply(TCommandLine& line, TSwitch id, const std::string& value) {
  switch (id) {
    case TSwitch::Silent: line.Silent = true; return true;
    case TSwitch::Help: line.Help = true; return true;
    case TSwitch::Log:
      if (line.HasLog) return false;   // two logs: which one?
      line.HasLog = true;
      line.LogFile = value;
      return true;
  }
  return false;
}

bool Take(TCommandLine& line, const std::string& argument) {
  if (argument.size() < 2 || (argument[0] != '/' && argument[0] != '-')) return false;
  std::string body = argument.substr(1);
  size_t eq = body.find('=');
  std::string name = body.substr(0, eq);
  for (const TSwitchRow& row : kSwitches) {
    if (!SameName(name, row.Name)) continue;
    if (row.TakesValue != (eq != std::string::npos)) return false;
    std::string value = row.TakesValue ? body.substr(eq + 1) : std::string();
    if (row.TakesValue && value.empty()) return false;
    return Apply(line, row.Id, value);
  }
  return false;
}

}  // namespace

TCommandLine ParseCommandLine(const std::string& arguments) {
  TCommandLine line;
  // Every argument is looked at: a silent switch anywhere makes what was not understood an error
  // without a box, and a windowed start names all it ignores.
  for (const std::string& argument : SplitArguments(arguments)) {
    if (Take(line, argument)) continue;
    if (line.Understood) line.Rejected = argument;
    line.Understood = false;
    line.NotUnderstood.push_back(argument);
  }
  return line;
}

std::string UsageText() {
  return "Removes Tarvolink from this computer.\r\n"
         "\r\n"
         "Uninstall.EXE [/S] [/LOG=<file>] [/?]\r\n"
         "\r\n"
         "/S\tsilent: no window and no message at any moment\r\n"
         "\t(also /SILENT, /VERYSILENT, /QUIET, /Q, /QN; - as well as /)\r\n"
         "/LOG=<file>\talso write a log to that file (replaced if it exists)\r\n"
         "/?\tshow this help\r\n"
         "\r\n"
         "Without /S anything else is ignored and the window opens.\r\n"
         "\r\n"
         "Exit codes:\r\n"
         "0\tcompleted\r\n"
         "3010\tcompleted; files wait for the next restart of Windows\r\n"
         "1602\tcancelled by the user\r\n"
         "1603\tfailed, or a window that nobody can see\r\n"
         "1618\tanother copy of the uninstaller is running\r\n"
         "1622\tthe log file could not be created\r\n"
         "87\twith /S: the command line was not understood\r\n";
}
