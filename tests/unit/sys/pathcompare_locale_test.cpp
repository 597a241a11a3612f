// Path comparisons under the Turkish (1254) and Japanese (932) locales: ordinal, ASCII letters
// folded, double-byte characters compared whole; never the locale's linguistic casing.
#include <gtest/gtest.h>
#include <windows.h>
#include "product/Tarvolinkfilename.h"
#include "setup/Setuplist.h"
#include "sys/Pathutil.h"

TEST(PathCompare, AsciiFoldsAndNothingElse) {
  UINT acp = ::GetACP();
  ASSERT_TRUE(acp == 1254 || acp == 932) << acp;
  EXPECT_TRUE(SamePathText("C:\\WINDOWS\\SYSTEM32\\Info.ini", "c:\\windows\\system32\\INFO.INI"));
  EXPECT_TRUE(SameFolder("C:\\Program Files\\TARVOLINK\\", "c:\\PROGRAM FILES\\tarvolink"));
  EXPECT_TRUE(IsBelowFolder("c:\\program files\\tarvolink\\pics\\A.bmp", "C:\\Program Files\\Tarvolink\\"));
  EXPECT_FALSE(IsBelowFolder("C:\\Program Files\\TarvolinkX\\a", "C:\\Program Files\\Tarvolink"));
  EXPECT_FALSE(IsBelowFolder("C:\\Tv", "C:\\Tv"));
  EXPECT_EQ("c:\\TV\\Pics\\a.bmp", InfoNameToPlan("c:\\TV\\Pics\\a.bmp", "C:\\tv"));
  EXPECT_TRUE(IsUnfitInstallDir("c:\\WINDOWS\\sYsTeM32"));
  if (acp == 1254) {
    // Dotted capital I (0xDD) and dotless small i (0xFD) are other letters than i and I.
    EXPECT_FALSE(SamePathText("C:\\F\xDDLES", "C:\\files"));
    EXPECT_FALSE(SamePathText("C:\\f\xFDles", "C:\\FILES"));
    EXPECT_FALSE(SameFolder("C:\\W\xDDNDOWS", "C:\\windows"));
    EXPECT_EQ("", InfoNameToPlan("C:\\T\xDD\\a.bmp", "C:\\ti"));
    // 0x83 is a letter of its own here: the next byte is a character of its own too.
    EXPECT_TRUE(SamePathText("C:\\\x83" "A", "C:\\\x83" "a"));
  } else {
    // A second byte in the range of ASCII letters is no letter: 0x83 0x41 and 0x83 0x61 differ.
    EXPECT_FALSE(SamePathText("C:\\\x83" "A", "C:\\\x83" "a"));
    EXPECT_FALSE(SameFolder("C:\\Tv\\\x83" "A\\", "C:\\TV\\\x83" "a"));
    EXPECT_EQ("", InfoNameToPlan("C:\\\x83" "a\\x.bmp", "C:\\\x83" "A"));
    EXPECT_TRUE(IsBelowFolder("c:\\tv\\\x83\x5c\\x.bmp", "C:\\TV\\\x83\x5c"));
    EXPECT_FALSE(IsBelowFolder("C:\\\x83\x5c" "x.bmp", "C:\\\x83"));
  }
}
