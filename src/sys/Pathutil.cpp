#include "sys/Pathutil.h"

#include <windows.h>

#include "sys/Asciicase.h"

namespace {
// The system's ANSI code page is fixed for the life of the process: its lead bytes are asked once,
// not once per byte of every path.
struct LeadBytes {
  bool Lead[256];
  LeadBytes() {
    for (int b = 0; b < 256; ++b) Lead[b] = b >= 0x80 && ::IsDBCSLeadByte(static_cast<BYTE>(b)) != FALSE;
  }
};
}  // namespace

size_t CharLengthAt(const std::string& text, size_t i) {
  static const LeadBytes table;
  const bool lead = table.Lead[static_cast<unsigned char>(text[i])];
  return (lead && i + 1 < text.size()) ? 2 : 1;
}

std::string WithBackslashes(std::string path) {
  for (size_t i = 0; i < path.size(); i += CharLengthAt(path, i))
    if (path[i] == '/') path[i] = '\\';
  return path;
}

size_t LastPathSeparator(const std::string& name) {
  size_t found = std::string::npos;
  for (size_t i = 0; i < name.size(); i += CharLengthAt(name, i))
    if (name[i] == '\\' || name[i] == ':') found = i;
  return found;
}

std::string ParentFolder(const std::string& path) {
  size_t sep = LastPathSeparator(path);
  return sep == std::string::npos ? std::string() : path.substr(0, sep);
}

bool HasFolderPart(const std::string& name) { return LastPathSeparator(name) != std::string::npos; }

bool EndsWithBackslash(const std::string& path) {
  size_t last = std::string::npos;
  for (size_t i = 0; i < path.size(); i += CharLengthAt(path, i)) last = i;
  return last != std::string::npos && last == path.size() - 1 && path[last] == '\\';
}

std::string WithoutTrailingBackslashes(std::string path, size_t keep) {
  while (path.size() > keep && EndsWithBackslash(path)) path.erase(path.size() - 1);
  return path;
}

bool IsRootPath(const std::string& path) {
  std::string p = WithoutTrailingBackslashes(path);
  if (p == "\\" || p == "/") return true;
  if (p.size() == 2 && p[1] == ':') return true;   // "C:" and "C:\"
  if (p.size() > 2 && p[0] == '\\' && p[1] == '\\') {
    // "\\server" or "\\server\share" is the root of a share.
    int separators = 0;
    for (size_t i = 2; i < p.size(); i += CharLengthAt(p, i))
      if (p[i] == '\\') ++separators;
    return separators <= 1;
  }
  return false;
}


bool SamePathText(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0, n = 0; i < a.size(); i += n) {
    n = CharLengthAt(a, i);
    if (n != CharLengthAt(b, i)) return false;
    if (n == 2) {
      if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
    } else if (FoldAscii(a[i]) != FoldAscii(b[i])) {
      return false;
    }
  }
  return true;
}

bool SameFolder(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  return SamePathText(WithoutTrailingBackslashes(a), WithoutTrailingBackslashes(b));
}

bool IsBelowFolder(const std::string& path, const std::string& folder) {
  std::string dir = WithoutTrailingBackslashes(folder, 0);
  if (dir.empty() || path.size() <= dir.size() + 1) return false;
  // The cut must fall between characters, on a single-byte backslash.
  size_t i = 0;
  while (i < dir.size()) i += CharLengthAt(path, i);
  if (i != dir.size() || path[i] != '\\') return false;
  return SamePathText(path.substr(0, i), dir);
}
