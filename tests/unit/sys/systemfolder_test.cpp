#include <gtest/gtest.h>
#include <windows.h>

#include "sys/Systemfolder.h"
#include "sys/Sysutil.h"

namespace {
bool IsFolder(const std::string& path) {
  DWORD attr = GetFileAttributesA(path.c_str());
  return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}
}  // namespace

TEST(SystemFolder, WindowsFolderAndWhatIsBuiltOnIt) {
  char expected[MAX_PATH] = {};
  ASSERT_NE(0u, GetWindowsDirectoryA(expected, MAX_PATH));
  EXPECT_EQ(expected, GetWindowsFolder());   // Wine answers "C:\windows", case kept
  EXPECT_EQ("C:\\WINDOWS", GetWindowsFolderUpper());
  EXPECT_EQ('C', GetSystemDriveLetter());
  EXPECT_EQ("C:\\WINDOWS\\system", GetSystemFolder());
}

TEST(SystemFolder, ShellFoldersOfALateNt) {
  ASSERT_EQ(TWindowsVersion::wvWinXP, GetWindowsVersion());
  EXPECT_EQ("C:\\Program Files", GetProgramFilesFolder());
  EXPECT_EQ("C:\\PROGRAM FILES", GetProgramFilesFolderUpper());
  std::string commonDesktop = GetShellFolder(0x8019);
  std::string userDesktop = GetShellFolder(0x8000);
  ASSERT_FALSE(commonDesktop.empty());
  ASSERT_NE(commonDesktop, userDesktop);
  EXPECT_TRUE(IsFolder(commonDesktop));
  EXPECT_EQ(commonDesktop, GetDesktopFolder());
  EXPECT_EQ(userDesktop, GetUserDesktopFolder());
  std::string commonPrograms = GetShellFolder(0x8017);
  ASSERT_FALSE(commonPrograms.empty());
  EXPECT_EQ(commonPrograms, GetProgramsFolder());
  EXPECT_EQ(GetShellFolder(0x8002), GetUserProgramsFolder());
  EXPECT_EQ("", GetShellFolder(0x80FE));   // no such folder
}

TEST(SystemFolder, ShellLibraryComesFromTheSystemFolder) {
  GetShellFolder(0x8026);
  HMODULE shfolder = GetModuleHandleA("shfolder.dll");
  ASSERT_NE(nullptr, shfolder);
  char path[MAX_PATH] = {}, system[MAX_PATH] = {};
  GetModuleFileNameA(shfolder, path, MAX_PATH);
  GetSystemDirectoryA(system, MAX_PATH);
  lstrcatA(system, "\\shfolder.dll");
  EXPECT_EQ(0, lstrcmpiA(system, path)) << path;
}
