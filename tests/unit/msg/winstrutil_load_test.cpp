// The remote-access library is loaded from the system folder only when a code of its range comes.
#include <gtest/gtest.h>
#include <windows.h>

#include "msg/Winstrutil.h"

TEST(RemoteAccessLibrary, LoadedOnlyForItsOwnCodes) {
  ASSERT_EQ(nullptr, GetModuleHandleA("rasapi32.dll"));
  for (int32_t code : {0, 2, 599, 799, -1, static_cast<int32_t>(0x80000258) /* 600 + top bit */})
    GetSystemErrorText(code);
  EXPECT_EQ(nullptr, GetModuleHandleA("rasapi32.dll"));
  GetSystemErrorText(798);
  HMODULE ras = GetModuleHandleA("rasapi32.dll");
  ASSERT_NE(nullptr, ras);
  char path[MAX_PATH] = {}, expected[MAX_PATH] = {};
  GetModuleFileNameA(ras, path, MAX_PATH);
  GetSystemDirectoryA(expected, MAX_PATH);
  lstrcatA(expected, "\\rasapi32.dll");
  EXPECT_EQ(0, lstrcmpiA(expected, path)) << path;
}
