// Run with Wine reporting a 9x version; the expected code comes from the test's environment.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>

#include "sys/Systemfolder.h"
#include "sys/Sysutil.h"

TEST(SystemFolder9x, DesktopAndProgramsAreTheUsersOwn) {
  const char* expected = std::getenv("TARVO_EXPECT_VERSION");
  ASSERT_NE(nullptr, expected);
  EXPECT_EQ(std::atoi(expected), static_cast<int32_t>(GetWindowsVersion()));
  std::string userDesktop = GetShellFolder(0x8000);
  ASSERT_FALSE(userDesktop.empty());
  EXPECT_EQ(userDesktop, GetDesktopFolder());
  EXPECT_NE(GetShellFolder(0x8019), GetDesktopFolder());
  std::string userPrograms = GetShellFolder(0x8002);
  ASSERT_FALSE(userPrograms.empty());
  EXPECT_EQ(userPrograms, GetProgramsFolder());
  EXPECT_NE(GetShellFolder(0x8017), GetProgramsFolder());
  EXPECT_EQ("C:\\WINDOWS\\system", GetSystemFolder());
}
