#include "sys/Systemfolder.h"

#include <windows.h>

#include "sys/Faultpoint.h"
#include "sys/Folderchoice.h"
#include "sys/Handle.h"
#include "sys/Syslibrary.h"
#include "sys/Sysutil.h"

namespace {

using SHGetFolderPathAFn = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);

// Loaded on first need and kept for the life of the process; without it the shell knows nothing.
SHGetFolderPathAFn ShellFolderFunction() {
  static UniqueModule module(LoadSystemLibrary("shfolder.dll"));
  static SHGetFolderPathAFn function =
      GetSystemProc<SHGetFolderPathAFn>(module.Get(), "SHGetFolderPathA");
  return function;
}

TUpperCache g_windowsUpper;
TUpperCache g_programFilesUpper;

FolderFacts LiveFacts() {
  return FolderFacts{&GetShellFolder, &GetWindowsFolderUpper};
}

}  // namespace

std::string GetWindowsFolder() {
  char buffer[512] = {};
  UINT result = SYS_ZERO("the Windows folder", GetWindowsDirectoryA, (buffer, sizeof buffer));
  if (result >= sizeof buffer) result = 0;   // did not fit: the buffer holds nothing usable
  return WindowsFolderFromCall(result, buffer);
}

std::string GetWindowsFolderUpper() {
  return g_windowsUpper.Get(&GetWindowsFolder);
}

char GetSystemDriveLetter() {
  return DriveLetterOf(GetWindowsFolderUpper());
}

std::string GetShellFolder(int folderId) {
  SHGetFolderPathAFn function = ShellFolderFunction();
  if (!function) return std::string();
  char buffer[1024] = {};
  HRESULT result = SYS_CALL(E_FAIL, "SHGetFolderPathA", "a shell folder",
                            function(nullptr, folderId, nullptr, 0 /* SHGFP_TYPE_CURRENT */, buffer));
  return ShellAnswer(static_cast<long>(result), buffer, sizeof buffer);
}

std::string GetProgramFilesFolder() { return ChooseProgramFilesFolder(LiveFacts()); }

std::string GetProgramFilesFolderUpper() {
  return g_programFilesUpper.Get(&GetProgramFilesFolder);
}

std::string GetCommonDesktopFolder() { return ChooseCommonDesktopFolder(LiveFacts()); }
std::string GetUserDesktopFolder() { return ChooseUserDesktopFolder(LiveFacts()); }
std::string GetCommonProgramsFolder() { return ChooseCommonProgramsFolder(LiveFacts()); }
std::string GetUserProgramsFolder() { return ChooseUserProgramsFolder(LiveFacts()); }

std::string GetDesktopFolder() {
  return ChooseDesktopFolder(GetWindowsVersion(), LiveFacts());
}

std::string GetProgramsFolder() {
  return ChooseProgramsFolder(GetWindowsVersion(), LiveFacts());
}

std::string GetSystemFolder() { return ComposeSystemFolder(GetWindowsFolderUpper()); }
