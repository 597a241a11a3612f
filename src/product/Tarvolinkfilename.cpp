#include "product/Tarvolinkfilename.h"

#include <windows.h>
#include <vector>
#include "sys/Exename.h"
#include "sys/Faultpoint.h"
#include "sys/Pathutil.h"

namespace {

// The platform's reading of an initialisation file; a value longer than the buffer gets a larger one.
std::string ReadIniString(const std::string& path, const char* section, const char* key) {
  if (path.empty()) return std::string();
  for (DWORD size = 1024; size <= 65536; size *= 4) {
    std::vector<char> buf(size, '\0');
    DWORD n = SYS_ZERO("an information file's read", GetPrivateProfileStringA,
                       (section, key, "", buf.data(), size, path.c_str()));
    if (n < size - 1) return std::string(buf.data(), n);
  }
  return std::string();
}

}  // namespace

std::string AppFilePath(const std::string& fileName) {
  if (fileName.empty()) return std::string();
  std::string exe = ExeFileName();
  size_t sep = LastPathSeparator(exe);
  // Without the program's own folder, a bare name would be looked for in the current one.
  if (sep == std::string::npos) return std::string();
  return exe.substr(0, sep + 1) + fileName;
}

std::string MessageFileName(const std::string& code) { return "SetupMsg." + code; }
std::string InfoFileName(const std::string& code) { return "Info" + code + ".Ini"; }
std::string ExFileName(const std::string& code) { return "Ex" + code + ".FRC"; }

std::string ReadLogoName(const std::string& infoPath, const std::string& key) {
  return ReadIniString(infoPath, "LOGO", key.c_str());
}
std::string AboutImageName(const std::string& infoPath) { return ReadLogoName(infoPath, "About"); }
std::string LoadingImageName(const std::string& infoPath) { return ReadLogoName(infoPath, "Loading"); }
std::string MainImageName(const std::string& infoPath) { return ReadLogoName(infoPath, "Main"); }
std::string HelpFileName(const std::string& infoPath) { return ReadIniString(infoPath, "Help", "CHM"); }

namespace {

bool IsSlash(char c) { return c == '\\' || c == '/'; }

// Splits at backslashes and slashes outside double-byte characters.
std::vector<std::string> Segments(const std::string& path) {
  std::vector<std::string> parts(1);
  for (size_t i = 0, n = 0; i < path.size(); i += n) {
    n = CharLengthAt(path, i);
    if (n == 1 && IsSlash(path[i])) {
      parts.emplace_back();
    } else {
      parts.back().append(path, i, n);
    }
  }
  return parts;
}

// ".." and its older spellings ("...", ". .") climb out of a folder.
bool ClimbsUp(const std::string& segment) {
  int dots = 0;
  for (char c : segment) {
    if (c == '.') ++dots;
    else if (c != ' ') return false;
  }
  return dots >= 2;
}

bool HasSeparatorOrColon(const std::string& name) {
  return HasFolderPart(name) || name.find('/') != std::string::npos;
}

}  // namespace

std::string InfoNameToPlan(const std::string& name, const std::string& installDir) {
  if (name.empty() || !HasSeparatorOrColon(name)) return name;
  std::vector<std::string> parts = Segments(name);
  for (const auto& part : parts)
    if (ClimbsUp(part)) return std::string();

  bool driveAbsolute = name.size() >= 3 && name[1] == ':' && IsSlash(name[2]) &&
                       ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z'));
  bool unc = name.size() >= 2 && IsSlash(name[0]) && IsSlash(name[1]);
  if (driveAbsolute || unc) {
    std::string dir = WithoutTrailingBackslashes(installDir, 0);
    if (dir.empty() || name.size() <= dir.size() + 1 || !IsSlash(name[dir.size()])) return std::string();
    if (!SameFolder(name.substr(0, dir.size()), dir)) return std::string();
    return name;
  }
  // Rooted on the current drive, or relative to a drive's current folder.
  if (IsSlash(name[0]) || name.find(':') != std::string::npos) return std::string();
  if (installDir.empty()) return std::string();
  return installDir + "\\" + name;
}
