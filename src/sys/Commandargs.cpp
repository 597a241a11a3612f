#include "sys/Commandargs.h"

std::string CommandArguments(const char* commandLine) {
  std::string line = commandLine ? commandLine : "";
  size_t pos = 0;
  if (!line.empty() && line[0] == '"') {
    size_t close = line.find('"', 1);
    pos = close == std::string::npos ? line.size() : close + 1;
  } else {
    pos = line.find_first_of(" \t");
    if (pos == std::string::npos) pos = line.size();
  }
  pos = line.find_first_not_of(" \t", pos);
  return pos == std::string::npos ? std::string() : line.substr(pos);
}

bool IsSelfRemovalSwitch(const std::string& arguments) {
  size_t n = sizeof kSelfRemovalSwitch - 1;
  return arguments.compare(0, n, kSelfRemovalSwitch) == 0 && (arguments.size() == n || arguments[n] == ' ');
}
