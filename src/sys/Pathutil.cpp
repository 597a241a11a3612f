#include "sys/Pathutil.h"

#include <windows.h>

namespace {
bool IsLead(char c) { return ::IsDBCSLeadByte(static_cast<unsigned char>(c)) != FALSE; }

// Length of the character that starts at i.
size_t CharLength(const std::string& s, size_t i) { return (IsLead(s[i]) && i + 1 < s.size()) ? 2 : 1; }
}  // namespace

size_t LastPathSeparator(const std::string& name) {
  size_t found = std::string::npos;
  for (size_t i = 0; i < name.size(); i += CharLength(name, i))
    if (name[i] == '\\' || name[i] == ':') found = i;
  return found;
}

bool HasFolderPart(const std::string& name) { return LastPathSeparator(name) != std::string::npos; }

bool EndsWithBackslash(const std::string& path) {
  size_t last = std::string::npos;
  for (size_t i = 0; i < path.size(); i += CharLength(path, i)) last = i;
  return last != std::string::npos && last == path.size() - 1 && path[last] == '\\';
}

std::string WithoutTrailingBackslashes(std::string path, size_t keep) {
  while (path.size() > keep && EndsWithBackslash(path)) path.erase(path.size() - 1);
  return path;
}

bool SameFolder(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  return ::lstrcmpiA(WithoutTrailingBackslashes(a).c_str(), WithoutTrailingBackslashes(b).c_str()) == 0;
}
