#include "unit/app/Throwaway.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarvolink";
const char kProductKey[] = "Software\\QORV\\Tarvolink";

bool KeyExists(const char* path) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  ::RegCloseKey(key);
  return true;
}
}  // namespace

std::string HostToWindowsPath(const std::string& path) {
  std::string out = path;
  if (!out.empty() && out[0] == '/') out = "Z:" + out;   // Wine maps the host's root to Z:
  for (char& c : out)
    if (c == '/') c = '\\';
  return out;
}

void RemoveTree(const std::string& path) {
  WIN32_FIND_DATAA fd;
  HANDLE h = ::FindFirstFileA((path + "\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::string name = fd.cFileName;
      if (name == "." || name == "..") continue;
      std::string full = path + "\\" + name;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(full);
      } else {
        ::SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileA(full.c_str());
      }
    } while (::FindNextFileA(h, &fd));
    ::FindClose(h);
  }
  ::RemoveDirectoryA(path.c_str());
}

const std::vector<std::string>& Throwaway::PlantedFiles() {
  static const std::vector<std::string> files = {"Tarvolink.EXE", "setup.ini", "Files.ini",
                                                 "Backup.log", "Busprobe.exe", "SetupMsg.DEU",
                                                 "dzips32.dll"};
  return files;
}

Throwaway::Throwaway(const std::string& tag) {
  char temp[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, temp);
  root_ = temp;
  // Never anything on the host's own file system: the prefix's drive C only.
  if (root_.size() < 3 || (root_[0] != 'C' && root_[0] != 'c') || root_[1] != ':') std::abort();
  if (root_.back() == '\\') root_.pop_back();
  char unique[64];
  std::snprintf(unique, sizeof unique, "\\tarvo-%s-%lu", tag.c_str(), ::GetCurrentProcessId());
  root_ += unique;
  RemoveTree(root_);
  ::CreateDirectoryA(root_.c_str(), nullptr);
  inst_ = root_ + "\\Tarvolink";
  ::CreateDirectoryA(inst_.c_str(), nullptr);
  for (const std::string& f : PlantedFiles()) Write(InInstall(f), "x");

  HKEY key = nullptr;
  ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                    nullptr);
  std::string command = InInstall("Uninstall.EXE");
  ::RegSetValueExA(key, "UninstallString", 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                   static_cast<DWORD>(command.size() + 1));
  ::RegCloseKey(key);
  ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kProductKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                    nullptr);
  ::RegCloseKey(key);
}

Throwaway::~Throwaway() {
  ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey);
  ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, kProductKey);
  RemoveTree(root_);
}

bool Throwaway::PathExists(const std::string& path) {
  return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool Throwaway::Exists(const std::string& name) const { return PathExists(InInstall(name)); }

bool Throwaway::UninstallKeyExists() { return KeyExists(kUninstallKey); }
bool Throwaway::ProductKeyExists() { return KeyExists(kProductKey); }

void Throwaway::Write(const std::string& path, const std::string& bytes) const {
  HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  DWORD n = 0;
  ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
  ::CloseHandle(h);
}
