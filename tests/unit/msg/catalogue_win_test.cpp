// Loader cases that need Windows itself: sharing between processes and sizes past 2 GiB.
#include <gtest/gtest.h>
#include <windows.h>

#include "msg/Clwinmsgfile.h"
#include "sys/Fileiofun.h"
#include "unit/sys/WinFiles.h"

namespace {

TEST(CatalogueLoadWin, FileHeldByAnotherProcessKeepsPrevious) {
  TempDir scratch(TempDir::InCurrentFolder);
  std::string first = scratch / "catw_first.txt";
  std::string second = scratch / "catw_second.txt";
  ASSERT_TRUE(WriteBytes(first, "15102 Uninstall\r\n"));
  ASSERT_TRUE(WriteBytes(second, "15102 Deinstallieren\r\n"));
  TclMsgFile cat;
  ASSERT_TRUE(cat.LoadFromFile(first));
  // The loader let go of the file: it can be removed at once.
  EXPECT_EQ(0u, RemoveFile(first));
  {
    FileHolder holder;
    ASSERT_TRUE(holder.Start(second)) << FileHolder::Exe();
    EXPECT_FALSE(cat.LoadFromFile(second));
    EXPECT_EQ("Uninstall", cat.MessageText(15102));
  }
  EXPECT_TRUE(cat.LoadFromFile(second));
  EXPECT_EQ("Deinstallieren", cat.MessageText(15102));
}

TEST(CatalogueLoadWin, FilesOfTwoGiBAndMoreAreRefused) {
  TempDir scratch(TempDir::InCurrentFolder);
  std::string small = scratch / "catw_small.txt";
  std::string twoGiB = scratch / "catw_2gib.txt";
  std::string past4GiB = scratch / "catw_4gib_plus.txt";
  std::string fiveGiB = scratch / "catw_5gib.txt";
  ASSERT_TRUE(WriteBytes(small, "15102 Uninstall\r\n"));
  // Each starts with a row that a loader cutting the size to 32 (or 31) bits would take in.
  const std::string head = "15102 Wrong\r\n";
  if (!MakeSizedFile(twoGiB, 2 * kGiB, head) || !MakeSizedFile(past4GiB, 4 * kGiB + 20, head) ||
      !MakeSizedFile(fiveGiB, 5 * kGiB, head)) {
    GTEST_SKIP() << "this file system cannot hold sparse files of 5 GiB";
  }
  TclMsgFile cat;
  ASSERT_TRUE(cat.LoadFromFile(small));
  for (const std::string& name : {twoGiB, past4GiB, fiveGiB}) {
    EXPECT_FALSE(cat.LoadFromFile(name)) << name;
    EXPECT_EQ("Uninstall", cat.MessageText(15102)) << name;
    EXPECT_EQ(0u, RemoveFile(name)) << name << " still open";
  }
}

TEST(CatalogueLoadWin, EmptyFileIsClosedAfterTheFailure) {
  TempDir scratch(TempDir::InCurrentFolder);
  std::string empty = scratch / "catw_empty.txt";
  ASSERT_TRUE(WriteBytes(empty, ""));
  TclMsgFile cat;
  EXPECT_FALSE(cat.LoadFromFile(empty));
  EXPECT_EQ(0u, RemoveFile(empty));
  EXPECT_FALSE(IsFile(empty));
}

}  // namespace
