#include "unit/app/Throwaway.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "sys/Handle.h"

namespace {
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarvolink";
const char kProductKey[] = "Software\\QORV\\Tarvolink";

bool KeyExists(const char* path) {
  UniqueHKey key;
  return ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, key.Put()) == ERROR_SUCCESS;
}
}  // namespace

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

  UniqueHKey key;
  ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    key.Put(), nullptr);
  std::string command = InInstall("Uninstall.EXE");
  ::RegSetValueExA(key.Get(), "UninstallString", 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(command.c_str()), static_cast<DWORD>(command.size() + 1));
  ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kProductKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    key.Put(), nullptr);
}

Throwaway::~Throwaway() {
  ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey);
  ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, kProductKey);
  RemoveTree(root_);
}

bool Throwaway::Exists(const std::string& name) const { return PathExists(InInstall(name)); }

bool Throwaway::UninstallKeyExists() { return KeyExists(kUninstallKey); }
bool Throwaway::ProductKeyExists() { return KeyExists(kProductKey); }

void Throwaway::Write(const std::string& path, const std::string& bytes) const {
  WriteBytes(path, bytes);
}
