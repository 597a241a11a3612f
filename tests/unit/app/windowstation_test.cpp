// A windowed start where nobody can see a window: refused only where the NT family says so.
#include <gtest/gtest.h>
#include <windows.h>

#include "app/Windowstation.h"

TEST(WindowStation, OnlyAStationKnownToBeUnseenRefusesAWindow) {
  EXPECT_FALSE(IsStationVisibleFrom(true, true, 0));
  EXPECT_FALSE(IsStationVisibleFrom(true, true, ~static_cast<uint32_t>(WSF_VISIBLE)));
  EXPECT_TRUE(IsStationVisibleFrom(true, true, WSF_VISIBLE));
  EXPECT_TRUE(IsStationVisibleFrom(true, false, 0));    // the flags could not be had
  EXPECT_TRUE(IsStationVisibleFrom(false, true, 0));    // the 9x family: one station, the screen
  // The tests run in the station of the display.
  EXPECT_TRUE(IsWindowStationVisible());
}
