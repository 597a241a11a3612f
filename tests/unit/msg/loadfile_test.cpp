#include <gtest/gtest.h>

#include "unit/msg/CatalogueBytes.h"

namespace {

const char kGood[] = "15101 Welcome to use\r\n15102\tUninstall\r\n15302 Done\\n!";

TEST(CatalogueLoad, ReadsWholeFile) {
  ScratchFile file("cat_load_good.txt", kGood);
  TclMsgFile cat;
  ASSERT_TRUE(cat.LoadFromFile(file.Name()));
  EXPECT_EQ(static_cast<int32_t>(sizeof kGood - 1), cat.BufferLength);
  EXPECT_EQ(3, cat.EntryCount);
  EXPECT_EQ("Welcome to use", cat.MessageText(15101));
  EXPECT_EQ("Uninstall", cat.MessageText(15102));
  EXPECT_EQ("Done\n!", cat.MessageText(15302));
}

TEST(CatalogueLoad, FailuresKeepPreviousContent) {
  ScratchFile good("cat_keep_good.txt", kGood);
  ScratchFile empty("cat_keep_empty.txt", "");
  TclMsgFile cat;
  ASSERT_TRUE(cat.LoadFromFile(good.Name()));
  const char* before = cat.Buffer;

  EXPECT_FALSE(cat.LoadFromFile("cat_keep_missing.txt"));
  EXPECT_FALSE(cat.LoadFromFile(empty.Name()));
  EXPECT_FALSE(cat.LoadFromFile("."));   // a folder cannot be read as a file
  EXPECT_FALSE(cat.LoadFromFile(""));

  EXPECT_EQ(before, cat.Buffer);
  EXPECT_EQ(3, cat.EntryCount);
  EXPECT_EQ("Uninstall", cat.MessageText(15102));
}

TEST(CatalogueLoad, NothingLoadedAnswersEmpty) {
  TclMsgFile cat;
  EXPECT_FALSE(cat.LoadFromFile("cat_never_there.txt"));
  EXPECT_EQ(nullptr, cat.Buffer);
  EXPECT_EQ("", cat.MessageText(15101));
}

TEST(CatalogueLoad, SuccessfulLoadReplacesWhole) {
  ScratchFile good("cat_replace_good.txt", kGood);
  ScratchFile ends("cat_replace_ends.txt", "\r\n\r\n\x1a");
  ScratchFile other("cat_replace_other.txt", "15110 Quit");
  TclMsgFile cat;
  ASSERT_TRUE(cat.LoadFromFile(good.Name()));

  // Only line ends: loaded, and no identifier answers any more.
  ASSERT_TRUE(cat.LoadFromFile(ends.Name()));
  EXPECT_EQ(0, cat.EntryCount);
  EXPECT_EQ("", cat.MessageText(15101));

  ASSERT_TRUE(cat.LoadFromFile(other.Name()));
  EXPECT_EQ("Quit", cat.MessageText(15110));
  EXPECT_EQ("", cat.MessageText(15102));
  EXPECT_EQ(0, cat.Buffer[cat.BufferLength]);
}

}  // namespace
