// Paths in a double-byte code page (932): a second byte 0x5C is no backslash.
#include <gtest/gtest.h>
#include <windows.h>
#include "product/Tarvolinkfilename.h"
#include "setup/Uninstlist.h"
#include "sys/Pathutil.h"

namespace {
const std::string kHyo = "\x95\x5c";   // a character whose second byte is a backslash
const std::string kSo = "\x83\x5c";
}  // namespace

TEST(DoubleByte, SecondBytesAreNoSeparators) {
  ASSERT_EQ(932u, ::GetACP());
  EXPECT_EQ("C:\\" + kHyo, UninstallCommandFolder("C:\\" + kHyo + "\\Uninstall.EXE"));
  EXPECT_EQ("C:\\" + kSo, UninstallCommandFolder("C:\\" + kSo + "\\"));   // trailing separator dropped
  EXPECT_EQ("", UninstallCommandFolder(kHyo + "Uninstall.EXE"));
  EXPECT_EQ("C:\\", UninstallCommandFolder("C:\\" + kHyo));
  EXPECT_FALSE(HasFolderPart(kSo + ".txt"));
  EXPECT_TRUE(HasFolderPart(kSo + "\\x.txt"));
  EXPECT_EQ(kSo + ".bmp", InfoNameToPlan(kSo + ".bmp", "C:\\Tv"));
  EXPECT_EQ("C:\\Tv\\" + kSo + "\\a.bmp", InfoNameToPlan(kSo + "\\a.bmp", "C:\\Tv"));

  TUninstList list;
  list.InstallDir = "C:\\Tv";
  EXPECT_EQ("C:\\Tv\\" + kHyo + ".txt", list.ResolveFilePath(kHyo + ".txt"));
  EXPECT_FALSE(IsUnfitInstallDir("C:\\" + kHyo));
}

TEST(DoubleByte, TrailingBackslashesAreSingleByteOnes) {
  ASSERT_EQ(932u, ::GetACP());
  EXPECT_FALSE(EndsWithBackslash("C:\\" + kSo));
  EXPECT_EQ("C:\\" + kSo, WithoutTrailingBackslashes("C:\\" + kSo + "\\\\", 3));
  EXPECT_EQ("C:\\", WithoutTrailingBackslashes("C:\\", 3));
  EXPECT_TRUE(SameFolder("C:\\Tv\\" + kSo, "c:\\tv\\" + kSo + "\\"));
  EXPECT_FALSE(SameFolder("C:\\Tv\\" + kSo, "C:\\Tv\\" + kHyo));
  // An installation folder ending in such a character still contains its own files.
  EXPECT_EQ("C:\\" + kSo + "\\a.bmp", InfoNameToPlan("C:\\" + kSo + "\\a.bmp", "C:\\" + kSo));
}

TEST(DoubleByte, AFormattedTextIsCutAtACharactersEnd) {
  ASSERT_EQ(932u, ::GetACP());
  std::string wide;
  for (int i = 0; i < 3000; ++i) wide += kSo;
  EXPECT_TRUE(wide.substr(0, 4096) == FormatOneArgument("%s", wide));
  // One single byte first: the character that would straddle the limit goes whole.
  EXPECT_TRUE("a" + wide.substr(0, 4094) == FormatOneArgument("a%s", wide));
}
