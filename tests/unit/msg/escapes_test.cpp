#include <gtest/gtest.h>

#include "unit/msg/CatalogueBytes.h"

namespace {

std::string Expand(const std::string& s) { return ExpandEscapes(s, NoLeadBytes); }

TEST(Escapes, ThreeEscapesThroughTheCatalogue) {
  TclMsgFile cat;
  AdoptBytes(cat, "15301 Uninstall not\\nCompelete\\tQuit\\r?\r\n");
  EXPECT_EQ("Uninstall not\nCompelete\tQuit\r?", cat.MessageText(15301));
  // The row itself stays as the file had it.
  EXPECT_EQ("Uninstall not\\nCompelete\\tQuit\\r?", TextOf(cat, 15301));
}

TEST(Escapes, OnlyLowerCaseRTN) {
  EXPECT_EQ("\\N\\T\\R\\x\\a\\0\\ \\", Expand("\\N\\T\\R\\x\\a\\0\\ \\"));
  EXPECT_EQ("a\\", Expand("a\\"));
  EXPECT_EQ("", Expand(""));
  EXPECT_EQ("n", Expand("n"));
}

TEST(Escapes, BackslashPairsAndNeighbours) {
  EXPECT_EQ("\\\n", Expand("\\\\n"));           // the second backslash starts the escape
  EXPECT_EQ("\\\\\\\n", Expand("\\\\\\\\n"));
  EXPECT_EQ("\n\n\t", Expand("\\n\\n\\t"));
  EXPECT_EQ("\nn", Expand("\\nn"));
  EXPECT_EQ("\r\\", Expand("\\r\\"));
  // A replacement never forms a new escape with what follows.
  EXPECT_EQ("\\\rn", Expand("\\\\rn"));
}

TEST(Escapes, TrailByteBackslashIsNoEscape) {
  // 0x95 0x5C is one Shift-JIS character whose second byte is the backslash.
  EXPECT_EQ("\x95\\n", ExpandEscapes("\x95\\n", ShiftJisLead));
  EXPECT_EQ("\x95\\\n", ExpandEscapes("\x95\\\\n", ShiftJisLead));
  // A lead byte pairs with whatever follows, even another lead byte.
  EXPECT_EQ("\x81\x81\n", ExpandEscapes("\x81\x81\\n", ShiftJisLead));
  // Here 0x95 is the trail byte, so the backslash after it stands alone; only a walk from the
  // start of the text tells.
  EXPECT_EQ("\x81\x95\n", ExpandEscapes("\x81\x95\\n", ShiftJisLead));
  EXPECT_EQ("\x82\xA0\n", ExpandEscapes("\x82\xA0\\n", ShiftJisLead));
  EXPECT_EQ("ab\x95", ExpandEscapes("ab\x95", ShiftJisLead));             // lead byte at the end
  EXPECT_EQ("\n\x95\\t\t", ExpandEscapes("\\n\x95\\t\\t", ShiftJisLead));
  // The same bytes in a single-byte code page are a character and an escape.
  EXPECT_EQ("\x95\n", ExpandEscapes("\x95\\n", NoLeadBytes));
  EXPECT_EQ("\x95\n", ExpandEscapes("\x95\\n", nullptr));
}

}  // namespace
