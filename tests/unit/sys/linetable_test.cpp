#include <gtest/gtest.h>

#include <climits>

#include "unit/msg/CatalogueBytes.h"

namespace {

std::string Bytes(const char* data, size_t n) { return std::string(data, n); }

TEST(CatalogueParse, NumberSeparatorAndText) {
  TclMsgFile cat;
  AdoptBytes(cat, "15101 Welcome to use\r\n15102\tUninstall");
  EXPECT_EQ((std::vector<int32_t>{15101, 15102}), RowNumbers(cat));
  EXPECT_EQ("Welcome to use", TextOf(cat, 15101));
  EXPECT_EQ("Uninstall", TextOf(cat, 15102));   // last line without a line end
  EXPECT_EQ("Uninstall", cat.MessageText(15102));
  EXPECT_EQ("", cat.MessageText(15103));
}

TEST(CatalogueParse, OnlyLineEndsGiveNoRows) {
  TclMsgFile cat;
  AdoptBytes(cat, "\r\n\n\r\x1a\r\n");
  EXPECT_NE(nullptr, cat.Buffer);
  EXPECT_EQ(nullptr, cat.Entries);
  EXPECT_EQ(0, cat.EntryCount);
  EXPECT_EQ(nullptr, cat.FindText(0));
  EXPECT_EQ("", cat.MessageText(15302));
}

TEST(CatalogueParse, LinesWithoutRows) {
  TclMsgFile cat;
  AdoptBytes(cat,
             " 15101 leading space\n"
             "\t15102 leading tab\n"
             "15103\n"
             "15104digits-then-word\n"
             "15105 kept\n");
  EXPECT_EQ(std::vector<int32_t>{15105}, RowNumbers(cat));
  for (int32_t id : {15101, 15102, 15103, 15104}) EXPECT_EQ(nullptr, cat.FindText(id)) << id;
  EXPECT_EQ("kept", TextOf(cat, 15105));
}

TEST(CatalogueParse, TextRunsFromFirstSeparatorToLineEnd) {
  TclMsgFile cat;
  AdoptBytes(cat, "15301 \n15302  two spaces  \r\n15303\t \tmixed\n15304 a\tb c");
  ASSERT_EQ(4, cat.EntryCount);
  ASSERT_NE(nullptr, cat.FindText(15301));   // a row, with the empty text
  EXPECT_EQ("", TextOf(cat, 15301));
  EXPECT_EQ("", cat.MessageText(15301));
  EXPECT_EQ(" two spaces  ", TextOf(cat, 15302));
  EXPECT_EQ(" \tmixed", TextOf(cat, 15303));
  EXPECT_EQ("a\tb c", TextOf(cat, 15304));
}

TEST(CatalogueParse, NumberForms) {
  TclMsgFile cat;
  AdoptBytes(cat,
             "abc letters\n"
             "-42 minus\n"
             "+7 plus\n"
             "12ab tail ignored\n"
             "\x0b" " 9 vertical tab\n"
             "-x sign only\n");
  // Byte 11 is white space to the number but no separator: the number comes from the text.
  EXPECT_EQ((std::vector<int32_t>{0, -42, 7, 12, 9, 0}), RowNumbers(cat));
  EXPECT_EQ("9 vertical tab", TextOf(cat, 9));
  EXPECT_EQ("letters", TextOf(cat, 0));   // first of the two rows numbered 0
  EXPECT_EQ("minus", TextOf(cat, -42));
}

TEST(CatalogueParse, NumbersOutsideThirtyTwoBitsWrap) {
  TclMsgFile cat;
  AdoptBytes(cat,
             "4294967297 one\n"
             "2147483648 min\n"
             "-2147483648 min again\n"
             "4294967295 minus one\n"
             "-4294967295 one again\n"
             "99999999999999999999 big\n");
  EXPECT_EQ((std::vector<int32_t>{1, INT32_MIN, INT32_MIN, -1, 1, 1661992959}), RowNumbers(cat));
}

TEST(CatalogueParse, FirstOfDuplicateNumbersWins) {
  TclMsgFile cat;
  AdoptBytes(cat, "7 first\n8 other\n7 second\n");
  EXPECT_EQ((std::vector<int32_t>{7, 8, 7}), RowNumbers(cat));   // both rows stay, in file order
  EXPECT_EQ("first", TextOf(cat, 7));
  EXPECT_EQ("first", cat.MessageText(7));
}

TEST(CatalogueParse, SubAndZeroEndLinesButNotTheFile) {
  TclMsgFile cat;
  AdoptBytes(cat, Bytes("1 a\x1a" "2 b\0" "3 c\r4 d", 15));
  ASSERT_EQ(4, cat.EntryCount);
  EXPECT_EQ("a", TextOf(cat, 1));
  EXPECT_EQ("b", TextOf(cat, 2));
  EXPECT_EQ("c", TextOf(cat, 3));
  EXPECT_EQ("d", TextOf(cat, 4));
}

TEST(CatalogueParse, BlockHoldsOnlyTerminatedTexts) {
  const std::string bytes = "15101 x\r\n\x1a 5 no\n\n9\t\r\n-3 y\n\n\nlast words";
  TclMsgFile cat;
  AdoptBytes(cat, bytes);
  ASSERT_EQ(static_cast<int32_t>(bytes.size()), cat.BufferLength);
  for (int32_t i = 0; i < cat.BufferLength; ++i) {
    char c = cat.Buffer[i];
    EXPECT_TRUE(c != 10 && c != 13 && c != 26) << "byte " << i;
  }
  EXPECT_EQ(0, cat.Buffer[cat.BufferLength]);
  ASSERT_EQ(4, cat.EntryCount);
  for (int32_t i = 0; i < cat.EntryCount; ++i) {
    const char* t = cat.Entries[i].Text;
    EXPECT_GE(t, cat.Buffer);
    EXPECT_LE(t + std::strlen(t), cat.Buffer + cat.BufferLength);
  }
  EXPECT_EQ("words", TextOf(cat, 0));   // "last" reads as number 0
}

TEST(CatalogueParse, ClearAndReplace) {
  TclMsgFile cat;
  AdoptBytes(cat, "1 one\n2 two\n");
  cat.ParseLines();   // a second parse of the same bytes keeps the same rows
  EXPECT_EQ(2, cat.EntryCount);
  EXPECT_EQ("two", cat.MessageText(2));

  AdoptBytes(cat, "3 three\n");
  EXPECT_EQ("", cat.MessageText(1));
  EXPECT_EQ("three", cat.MessageText(3));

  cat.ClearContent();
  EXPECT_EQ(nullptr, cat.Buffer);
  EXPECT_EQ(nullptr, cat.Entries);
  EXPECT_EQ(0, cat.BufferLength);
  EXPECT_EQ(0, cat.EntryCount);
  EXPECT_EQ("", cat.MessageText(3));
  cat.ParseLines();   // nothing loaded: nothing to do
  EXPECT_EQ(nullptr, cat.Entries);
}

}  // namespace
