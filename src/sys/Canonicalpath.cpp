#include "sys/Canonicalpath.h"

#include <windows.h>
#include <vector>

#include "sys/Asciicase.h"
#include "sys/Faultpoint.h"
#include "sys/Folderchoice.h"
#include "sys/Handle.h"
#include "sys/Pathutil.h"
#include "sys/Syslibrary.h"

namespace {

using GetLongPathNameFn = DWORD(WINAPI*)(LPCSTR, LPSTR, DWORD);

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Splits at single-byte backslashes; slashes were made backslashes before.
std::vector<std::string> Parts(const std::string& path) {
  std::vector<std::string> parts(1);
  for (size_t i = 0, n = 0; i < path.size(); i += n) {
    n = CharLengthAt(path, i);
    if (n == 1 && path[i] == '\\') parts.emplace_back();
    else parts.back().append(path, i, n);
  }
  return parts;
}

bool IsDeviceName(const std::string& part) {
  std::string base = UpperAscii(part.substr(0, part.find('.')));
  while (!base.empty() && base[base.size() - 1] == ' ') base.erase(base.size() - 1);
  static const char* const kNames[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
  for (const char* name : kNames)
    if (base == name) return true;
  return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
         base[3] >= '1' && base[3] <= '9';
}

bool IsForbiddenByte(char c) {
  return static_cast<unsigned char>(c) < 32 || std::string("<>:\"|?*").find(c) != std::string::npos;
}

// A name that the file system takes as it stands.
bool IsPlainPart(const std::string& part) {
  if (part.empty()) return false;
  for (size_t i = 0, n = 0; i < part.size(); i += n) {
    n = CharLengthAt(part, i);
    if (n == 1 && IsForbiddenByte(part[i])) return false;
  }
  // The last character is a single-byte one unless a double-byte character ends the part.
  size_t last = 0;
  for (size_t i = 0; i < part.size(); i += CharLengthAt(part, i)) last = i;
  if (last == part.size() - 1 && (part[last] == '.' || part[last] == ' ')) return false;
  return !IsDeviceName(part);
}

bool IsAdministrativeShare(const std::string& share) {
  std::string s = UpperAscii(share);
  return s == "ADMIN$" || (s.size() == 2 && IsAsciiLetter(s[0]) && s[1] == '$');
}

std::string LongNameOfPart(const std::string& folder, const std::string& part) {
  WIN32_FIND_DATAA data;
  UniqueFind find(SYS_INVALID("a short name's long form", FindFirstFileA, ((folder + "\\" + part).c_str(), &data)));
  return find ? std::string(data.cFileName) : std::string();
}

}  // namespace

std::string CanonicalPathText(const std::string& path) {
  std::string p;
  p.reserve(path.size());
  for (size_t i = 0, n = 0; i < path.size(); i += n) {
    n = CharLengthAt(path, i);
    if (n == 1 && path[i] == '/') p += '\\';
    else p.append(path, i, n);
  }

  std::string head;
  std::vector<std::string> parts = Parts(p);
  size_t first = 0;
  if (p.size() >= 2 && p[0] == '\\' && p[1] == '\\') {
    // parts: "", "", server, share, ...
    if (parts.size() < 4 || !IsPlainPart(parts[2]) || !IsPlainPart(parts[3])) return std::string();
    if (IsAdministrativeShare(parts[3])) return std::string();
    head = "\\\\" + parts[2] + "\\" + parts[3];
    first = 4;
  } else if (p.size() >= 3 && IsAsciiLetter(p[0]) && p[1] == ':' && p[2] == '\\') {
    head = p.substr(0, 2);
    first = 1;
  } else {
    return std::string();
  }

  std::vector<std::string> kept;
  for (size_t i = first; i < parts.size(); ++i) {
    const std::string& part = parts[i];
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!kept.empty()) kept.pop_back();
      continue;
    }
    if (!IsPlainPart(part)) return std::string();
    kept.push_back(part);
  }
  std::string out = head;
  for (const auto& part : kept) out += "\\" + part;
  if (kept.empty() && head.size() == 2) out += "\\";
  return out;
}

std::string ExpandShortNames(const std::string& path) {
  // Generated short names always carry a tilde; without one there is nothing to look up.
  if (path.find('~') == std::string::npos) return path;
  auto getLong = GetSystemProc<GetLongPathNameFn>(::GetModuleHandleA("kernel32.dll"), "GetLongPathNameA");
  if (getLong) {
    char buf[MAX_PATH * 2] = {};
    DWORD n = SYS_ZERO_P("a short name's long form", "GetLongPathNameA", getLong(path.c_str(), buf, sizeof buf));
    if (n > 0 && n < sizeof buf) return std::string(buf, n);
  }
  // Windows 95 and NT 4, or a path whose end does not exist: part by part, as far as they exist.
  std::vector<std::string> parts = Parts(path);
  size_t first = (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') ? 4 : 1;
  if (parts.size() <= first) return path;
  std::string out = parts[0];
  for (size_t i = 1; i < first; ++i) out += "\\" + parts[i];
  bool found = true;
  for (size_t i = first; i < parts.size(); ++i) {
    std::string part = parts[i];
    if (found && part.find('~') != std::string::npos && part.find_first_of("*?") == std::string::npos) {
      std::string name = LongNameOfPart(out, part);
      if (name.empty()) found = false;
      else part = name;
    }
    out += "\\" + part;
  }
  return out;
}

std::string CanonicalPath(const std::string& path) {
  std::string text = CanonicalPathText(path);
  if (text.empty()) return text;
  // Expanding may bring in nothing that the text test refused: a long name is a plain name.
  return CanonicalPathText(ExpandShortNames(text));
}

std::string FullPathName(const std::string& name) {
  if (name.empty()) return std::string();
  char buf[MAX_PATH * 2] = {};
  DWORD n = SYS_ZERO("a name's full path", GetFullPathNameA, (name.c_str(), sizeof buf, buf, nullptr));
  if (n == 0 || n >= sizeof buf) return std::string();
  return std::string(buf, n);
}

bool IsUnfitFileName(const std::string& name) {
  if (name.size() >= 4 && (name[0] == '\\' || name[0] == '/') && (name[1] == '\\' || name[1] == '/') &&
      (name[2] == '.' || name[2] == '?') && (name[3] == '\\' || name[3] == '/'))
    return true;
  const bool drive = name.size() >= 2 && IsAsciiLetter(name[0]) && name[1] == ':';
  size_t lastPart = 0;
  for (size_t i = 0, n = 0; i < name.size(); i += n) {
    n = CharLengthAt(name, i);
    if (n == 2) continue;
    if (name[i] == '\\' || name[i] == '/') lastPart = i + 1;
    else if (IsForbiddenByte(name[i]) && !(drive && i == 1)) return true;
  }
  return IsDeviceName(name.substr(lastPart));
}
