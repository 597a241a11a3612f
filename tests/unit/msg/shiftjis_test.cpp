#include <gtest/gtest.h>

#include "unit/msg/CatalogueBytes.h"

namespace {

TEST(ShiftJisCatalogue, TrailByteBackslashStaysWhole) {
  ASSERT_EQ(932, SelectShiftJis());
  EXPECT_TRUE(SystemIsLeadByte(0x95));
  EXPECT_TRUE(SystemIsLeadByte(0xE0));
  EXPECT_FALSE(SystemIsLeadByte('\\'));
  EXPECT_FALSE(SystemIsLeadByte('A'));
  EXPECT_FALSE(SystemIsLeadByte(0xA0));

  TclMsgFile cat;
  // 0x95 0x5C then "n", then a real escape; 0x83 0x5C is another such character.
  AdoptBytes(cat, "15302 \x95\\n\\n\x83\\\r\n15102 \x83\x41\\t\r\n");
  EXPECT_EQ("\x95\\n\n\x83\\", cat.MessageText(15302));
  EXPECT_EQ("\x83\x41\t", cat.MessageText(15102));
}

}  // namespace
