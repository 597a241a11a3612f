#include <gtest/gtest.h>

#include "sys/Sysutil.h"

namespace {
using V = TWindowsVersion;
}  // namespace

TEST(ClassifyVersion, EveryRowAndEdgeOfTheTable) {
  struct Row { uint32_t platform, major, minor; V code; };
  const Row rows[] = {
      {1, 4, 0, V::wvWin95},   {1, 4, 10, V::wvWin98},  {1, 4, 90, V::wvWinMe},    {1, 4, 3, V::wvWinMe},
      {1, 4, 1, V::wvWinMe},   {1, 5, 0, V::wvUnknown}, {1, 3, 95, V::wvUnknown},  {1, 0, 0, V::wvUnknown},
      {2, 3, 51, V::wvWinNT4}, {2, 4, 0, V::wvWinNT4},  {2, 0, 0, V::wvWinNT4},    {2, 5, 0, V::wvWin2000},
      {2, 5, 1, V::wvWinXP},   {2, 5, 2, V::wvWinXP},   {2, 6, 0, V::wvWinXP},     {2, 10, 0, V::wvWinXP},
      // The major version compares unsigned: a huge one is a late NT, not an early one.
      {2, 0xFFFFFFFFu, 0, V::wvWinXP}, {0, 4, 0, V::wvUnknown}, {3, 5, 0, V::wvUnknown},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(r.code, ClassifyVersion(r.platform, r.major, r.minor))
        << r.platform << " " << r.major << "." << r.minor;
  }
}

namespace {
int g_classifyCalls = 0;
V UnknownTwiceThenWin98() { return ++g_classifyCalls <= 2 ? V::wvUnknown : V::wvWin98; }
}  // namespace

TEST(WindowsVersion, AsksAgainWhileUnknownThenKeepsTheCode) {
  V cache = V::wvUnknown;
  EXPECT_EQ(V::wvUnknown, ResolveWindowsVersion(cache, &UnknownTwiceThenWin98));
  EXPECT_EQ(V::wvUnknown, ResolveWindowsVersion(cache, &UnknownTwiceThenWin98));
  EXPECT_EQ(V::wvWin98, ResolveWindowsVersion(cache, &UnknownTwiceThenWin98));
  EXPECT_EQ(V::wvWin98, ResolveWindowsVersion(cache, &UnknownTwiceThenWin98));
  EXPECT_EQ(3, g_classifyCalls);
}

TEST(WindowsVersion, LiveSystemIsALateNt) {
  // Wine's default report is 6.1.
  EXPECT_EQ(V::wvWinXP, ClassifyWindowsVersion());
  EXPECT_EQ(V::wvWinXP, GetWindowsVersion());
}

// A compatibility mode changes what the program is told, not what the machine does.
TEST(WindowsVersion, TheMachinesFamilyIsTheRealOne) {
  EXPECT_TRUE(IsNtMachineFrom(true, 2, 1));    // NT in a mode for 98 or Me
  EXPECT_FALSE(IsNtMachineFrom(true, 1, 1));
  EXPECT_FALSE(IsNtMachineFrom(false, 0, 1));  // 9x: no RtlGetVersion
  EXPECT_TRUE(IsNtMachineFrom(false, 0, 2));   // NT 4
  EXPECT_TRUE(IsNtMachineFrom(false, 0, 0));   // nothing answered: as before, not the 9x family
  EXPECT_TRUE(IsNtMachine());
  // Links come with NT 5: a mode for NT 4 reports 4.0 where they exist; only NT 4 itself and the
  // 9x family lack RtlGetVersion, and lack links.
  EXPECT_TRUE(HasReparsePointsFrom(true, 2, 5));
  EXPECT_TRUE(HasReparsePointsFrom(true, 2, 10));
  EXPECT_FALSE(HasReparsePointsFrom(true, 2, 4));
  EXPECT_FALSE(HasReparsePointsFrom(true, 1, 5));
  EXPECT_FALSE(HasReparsePointsFrom(false, 2, 6));
}
