#include <gtest/gtest.h>

#include "sys/Sysutil.h"

TEST(ClassifyVersion, EveryRowAndEdgeOfTheTable) {
  struct Row { uint32_t platform, major, minor; int32_t code; };
  const Row rows[] = {
      {1, 4, 0, wvWin95},   {1, 4, 10, wvWin98},  {1, 4, 90, wvWinMe},    {1, 4, 3, wvWinMe},
      {1, 4, 1, wvWinMe},   {1, 5, 0, wvUnknown}, {1, 3, 95, wvUnknown},  {1, 0, 0, wvUnknown},
      {2, 3, 51, wvWinNT4}, {2, 4, 0, wvWinNT4},  {2, 0, 0, wvWinNT4},    {2, 5, 0, wvWin2000},
      {2, 5, 1, wvWinXP},   {2, 5, 2, wvWinXP},   {2, 6, 0, wvWinXP},     {2, 10, 0, wvWinXP},
      // The major version compares unsigned: a huge one is a late NT, not an early one.
      {2, 0xFFFFFFFFu, 0, wvWinXP}, {0, 4, 0, wvUnknown}, {3, 5, 0, wvUnknown},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(r.code, ClassifyVersion(r.platform, r.major, r.minor))
        << r.platform << " " << r.major << "." << r.minor;
  }
}

namespace {
int g_classifyCalls = 0;
int32_t UnknownTwiceThenWin98() { return ++g_classifyCalls <= 2 ? wvUnknown : wvWin98; }
}  // namespace

TEST(WindowsVersion, AsksAgainWhileUnknownThenKeepsTheCode) {
  int32_t cache = wvUnknown;
  EXPECT_EQ(wvUnknown, ResolveWindowsVersion(cache, &UnknownTwiceThenWin98));
  EXPECT_EQ(wvUnknown, ResolveWindowsVersion(cache, &UnknownTwiceThenWin98));
  EXPECT_EQ(wvWin98, ResolveWindowsVersion(cache, &UnknownTwiceThenWin98));
  EXPECT_EQ(wvWin98, ResolveWindowsVersion(cache, &UnknownTwiceThenWin98));
  EXPECT_EQ(3, g_classifyCalls);
}

TEST(WindowsVersion, LiveSystemIsALateNt) {
  // Wine's default report is 6.1.
  EXPECT_EQ(wvWinXP, ClassifyWindowsVersion());
  EXPECT_EQ(wvWinXP, GetWindowsVersion());
}
