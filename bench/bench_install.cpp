// Lays down an installed Tarvolink the way its installer would, and reports what is left of it.
//
//   bench_install install UNINSTALLER [CATALOGUE_FOLDER]
//       installs UNINSTALLER as Uninstall.EXE, the catalogues found in CATALOGUE_FOLDER (or small
//       stand-ins), the product's other files, its shortcuts and its registry records
//   bench_install check
//       prints one line per thing of the installation that still exists
#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "product_layout.h"

namespace {

std::string ShellFolder(int id) {
  char path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, id | CSIDL_FLAG_CREATE, nullptr, 0, path))) return "";
  return path;
}

std::string InstallDir() { return ShellFolder(CSIDL_PROGRAM_FILES) + "\\" + layout::kProduct; }
std::string DesktopShortcut() {
  return ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY) + "\\" + layout::kProduct + ".LNK";
}
std::string ProgramsFolder() {
  return ShellFolder(CSIDL_COMMON_PROGRAMS) + "\\" + layout::kProduct;
}

bool WriteText(const std::string& path, const std::string& text) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == text.size();
}

bool SetString(const char* key, const char* name, const std::string& value) {
  HKEY handle;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle,
                      nullptr) != ERROR_SUCCESS)
    return false;
  const LONG rc = RegSetValueExA(handle, name, 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(value.c_str()),
                                 static_cast<DWORD>(value.size() + 1));
  RegCloseKey(handle);
  return rc == ERROR_SUCCESS;
}

std::string InfoFileText() {
  std::string text = "[LOGO]\r\n";
  for (size_t i = 0; i < sizeof layout::kLogoKeys / sizeof *layout::kLogoKeys; ++i)
    text += std::string(layout::kLogoKeys[i]) + "=" + layout::kLogoFiles[i] + "\r\n";
  return text + "[Help]\r\nCHM=" + layout::kHelpFile + "\r\n";
}

int Install(const char* uninstaller, const char* catalogues) {
  const std::string dir = InstallDir();
  bool ok = CreateDirectoryA(dir.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
  ok = ok && CopyFileA(uninstaller, (dir + "\\Uninstall.EXE").c_str(), FALSE);
  for (const char* name : layout::kPlainFiles)
    if (std::strcmp(name, "Uninstall.EXE") != 0) ok = ok && WriteText(dir + "\\" + name, name);
  ok = ok && WriteText(dir + "\\Info.ini", InfoFileText());
  for (const char* name : layout::kLogoFiles) ok = ok && WriteText(dir + "\\" + name, "BM");
  ok = ok && WriteText(dir + "\\" + layout::kHelpFile, "ITSF");
  for (const char* code : layout::kLanguages) {
    const std::string catalogue = std::string("SetupMsg.") + code;
    const std::string source = catalogues ? std::string(catalogues) + "\\" + catalogue : "";
    if (source.empty() || !CopyFileA(source.c_str(), (dir + "\\" + catalogue).c_str(), FALSE))
      ok = ok && WriteText(dir + "\\" + catalogue, "15102 Uninstall\r\n15110 Quit\r\n");
    ok = ok && WriteText(dir + "\\Ex" + code + ".FRC", code);
    ok = ok && WriteText(dir + "\\Info" + code + ".Ini", InfoFileText());
  }
  for (const char* name : layout::kLibraries) ok = ok && WriteText(dir + "\\" + name, "MZ");

  ok = ok && WriteText(DesktopShortcut(), "L");
  const std::string programs = ProgramsFolder();
  ok = ok && (CreateDirectoryA(programs.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
  for (const char* name : layout::kProgramsShortcuts)
    ok = ok && WriteText(programs + "\\" + name + ".LNK", "L");

  ok = ok && SetString(layout::kUninstallKey, "UninstallString", dir + "\\Uninstall.EXE");
  ok = ok && SetString(layout::kUninstallKey, "DisplayName", layout::kProduct);
  ok = ok && SetString(layout::kMakerKey, "Version", "1.0");
  ok = ok && SetString(layout::kRunKey, layout::kProduct, dir + "\\Tarvolink.EXE");
  if (!ok) std::fprintf(stderr, "installing into %s failed: error %lu\n", dir.c_str(), GetLastError());
  return ok ? 0 : 1;
}

void ReportFolder(const std::string& dir) {
  if (GetFileAttributesA(dir.c_str()) == INVALID_FILE_ATTRIBUTES) return;
  std::printf("folder %s\n", dir.c_str());
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (std::strcmp(found.cFileName, ".") && std::strcmp(found.cFileName, ".."))
      std::printf("file %s\\%s\n", dir.c_str(), found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

void ReportKey(const char* key, const char* value) {
  HKEY handle;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return;
  if (!value) {
    std::printf("key %s\n", key);
  } else if (RegQueryValueExA(handle, value, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
    std::printf("value %s\\%s\n", key, value);
  }
  RegCloseKey(handle);
}

int Check() {
  ReportFolder(InstallDir());
  ReportFolder(ProgramsFolder());
  if (GetFileAttributesA(DesktopShortcut().c_str()) != INVALID_FILE_ATTRIBUTES)
    std::printf("file %s\n", DesktopShortcut().c_str());
  ReportKey(layout::kUninstallKey, nullptr);
  ReportKey(layout::kMakerKey, nullptr);
  ReportKey(layout::kRunKey, layout::kProduct);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "install") == 0)
    return Install(argv[2], argc >= 4 ? argv[3] : nullptr);
  if (argc == 2 && std::strcmp(argv[1], "check") == 0) return Check();
  std::fprintf(stderr, "usage: bench_install install UNINSTALLER [CATALOGUES] | bench_install check\n");
  return 2;
}
