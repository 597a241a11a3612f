#include "setup/Installfolder.h"

#include <windows.h>
#include "sys/Appregutil.h"
#include "sys/Canonicalpath.h"
#include "sys/Faultpoint.h"
#include "sys/Pathutil.h"
#include "sys/Reparse.h"
#include "sys/Systemfolder.h"

namespace {

std::string SystemDirectory() {
  char buf[MAX_PATH + 1] = {};
  UINT n = SYS_ZERO("the system's own folders", GetSystemDirectoryA, (buf, MAX_PATH));
  return (n > 0 && n < MAX_PATH) ? std::string(buf, n) : std::string();
}

std::string EnvironmentValue(const char* name) {
  char buf[MAX_PATH * 2] = {};
  DWORD n = SYS_ZERO("the system's own folders", GetEnvironmentVariableA, (name, buf, sizeof buf));
  return (n > 0 && n < sizeof buf) ? std::string(buf, n) : std::string();
}

// Where the NT family keeps the user profiles, as it says itself.
std::string ProfilesDirectory() {
  return ReadMachineString("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList", "ProfilesDirectory");
}

}  // namespace

std::string UninstallCommandFolder(const std::string& command) {
  size_t begin = command.find_first_not_of(" \t");
  size_t end = command.find_last_not_of(" \t");
  std::string value = begin == std::string::npos ? std::string() : command.substr(begin, end - begin + 1);
  if (!value.empty() && value[0] == '"') {
    size_t close = value.find('"', 1);
    value = value.substr(1, close == std::string::npos ? std::string::npos : close - 1);
  }
  size_t sep = LastPathSeparator(value);
  if (sep == std::string::npos) return std::string();
  std::string folder = value.substr(0, sep + 1);
  if (EndsWithBackslash(folder) && folder.size() >= 2) {
    char before = folder[folder.size() - 2];
    bool keep = before == ':' || (before == '\\' && EndsWithBackslash(folder.substr(0, folder.size() - 1)));
    if (!keep) folder.erase(folder.size() - 1);
  }
  return folder;
}

bool IsUnfitFolder(const std::string& canonical, const std::vector<std::string>& systemFolders) {
  if (canonical.empty() || IsRootPath(canonical)) return true;
  for (const auto& named : systemFolders) {
    std::string system = CanonicalPathText(named);
    if (!system.empty() && (SameFolder(canonical, system) || IsBelowFolder(system, canonical))) return true;
  }
  return false;
}

std::vector<std::string> SystemOwnedFolders() {
  std::string windows = GetWindowsFolder();
  std::string drive = windows.size() >= 2 && windows[1] == ':' ? windows.substr(0, 2) : std::string("C:");
  std::vector<std::string> folders = {
      windows, SystemDirectory(), GetSystemFolder(), windows + "\\SysWOW64", windows + "\\Sysnative",
      GetProgramFilesFolder(), EnvironmentValue("ProgramFiles"), EnvironmentValue("ProgramFiles(x86)"),
      EnvironmentValue("ProgramW6432"), ProfilesDirectory(),
      ParentFolder(WithoutTrailingBackslashes(EnvironmentValue("USERPROFILE"))),
      drive + "\\Documents and Settings", drive + "\\Users", windows + "\\Profiles"};
  // The system's own names may be short ones.
  for (auto& f : folders) {
    std::string canonical = CanonicalPath(f);
    if (!canonical.empty()) f = canonical;
  }
  return folders;
}

bool IsUnfitInstallDir(const std::string& folder) {
  if (folder.empty()) return false;
  return IsUnfitFolder(CanonicalPath(folder), SystemOwnedFolders());
}

std::string ChooseInstallFolder(const std::string& command, const TInstallFolderFacts& facts) {
  const std::string named = UninstallCommandFolder(command);
  if (named.empty()) return std::string();
  // Bare names are deleted from this folder: only a real folder, never a root or a folder of the
  // system, nor one reached through a link.
  std::string folder = facts.canonical(named);
  if (folder.empty() || IsUnfitFolder(folder, facts.systemFolders()) || facts.isLink(folder) ||
      facts.crossesLink(folder, std::string(), nullptr))
    return std::string();
  return folder;
}

std::string LocateInstallFolder(const std::string& productName) {
  static const TInstallFolderFacts kSystem = {&CanonicalPath, &SystemOwnedFolders, &IsReparsePoint, &CrossesReparsePoint};
  return ChooseInstallFolder(ReadUninstallString(productName), kSystem);
}
