// Product file names and what the information files may name.
#include <gtest/gtest.h>
#include <cstdlib>
#include "product/Tarvolinkfilename.h"
#include "toolkit/Application.h"
#include "unit/setup/Engtestutil.h"

using namespace engtest;

TEST(ProductFileNames, InTheProgramsFolder) {
  EXPECT_EQ("", AppFilePath(""));
  std::string exe = TApplication::ExeName();
  std::string folder = exe.substr(0, exe.find_last_of('\\') + 1);
  EXPECT_EQ(folder + "SetupMsg.ENG", AppFilePath(MessageFileName("ENG")));
  EXPECT_NE('\\', folder[folder.size() - 2]);
}

// Run once more from a folder whose path does not fit MAX_PATH: a cut path names another folder.
TEST(ProductFileNames, ACutProgramPathIsNoPath) {
  if (!std::getenv("TARVO_DEEP_FOLDER")) GTEST_SKIP() << "only in the copy run from a deep folder";
  EXPECT_EQ("", TApplication::ExeName());
  EXPECT_EQ("", AppFilePath(MessageFileName("ENG")));
}

TEST(ProductFileNames, InformationFileValuesAsThePlatformReadsThem) {
  TempDir dir;
  WriteFile(dir / "Info.ini",
            "[LOGO]\r\nAbout=about.bmp\r\nLoading = C:\\Pics\\load.bmp \r\nMain=\r\n"
            "[Help]\r\nCHM=\"Help File.chm\"\r\n");
  std::string info = dir / "Info.ini";
  EXPECT_EQ("about.bmp", AboutImageName(info));
  EXPECT_EQ("C:\\Pics\\load.bmp", LoadingImageName(info));   // folder part kept, blanks trimmed
  EXPECT_EQ("", MainImageName(info));
  EXPECT_EQ("Help File.chm", HelpFileName(info));
  EXPECT_EQ("", ReadLogoName(info, "Nothing"));
  EXPECT_EQ("", AboutImageName(dir / "missing.ini"));
  EXPECT_EQ("", HelpFileName(""));
  std::string longName(3000, 'a');
  WriteFile(dir / "Long.ini", "[LOGO]\r\nMain=" + longName + "\r\n");
  EXPECT_EQ(longName, MainImageName(dir / "Long.ini"));
}

TEST(ProductFileNames, OnlyNamesInsideTheInstallationFolderArePlanned) {
  const std::string dir = "C:\\Program Files\\Tarvolink";
  // Bare names stay bare; safe relative names are joined; absolute names only inside.
  EXPECT_EQ("about.bmp", InfoNameToPlan("about.bmp", dir));
  EXPECT_EQ("", InfoNameToPlan("", dir));
  EXPECT_EQ(dir + "\\pics\\a.bmp", InfoNameToPlan("pics\\a.bmp", dir));
  EXPECT_EQ(dir + "\\pics/a.bmp", InfoNameToPlan("pics/a.bmp", dir));
  EXPECT_EQ("c:\\program files\\TARVOLINK\\a.bmp", InfoNameToPlan("c:\\program files\\TARVOLINK\\a.bmp", dir));
  EXPECT_EQ(dir + "\\x\\.\\a.bmp", InfoNameToPlan(dir + "\\x\\.\\a.bmp", dir + "\\"));
  for (const std::string& hostile :
       {std::string("..\\boot.ini"), std::string("pics\\..\\..\\x.dll"), std::string("../x.dll"),
        std::string("a\\...\\x"), std::string("C:\\Windows\\system32\\kernel32.dll"), std::string("C:boot.ini"),
        std::string("\\boot.ini"), std::string("/boot.ini"), std::string("\\\\server\\share\\x.bmp"),
        std::string("C:\\Program Files\\TarvolinkOther\\a.bmp"), std::string("C:\\Program Files\\Tarvolink"),
        dir + "\\..\\Other\\a.bmp", std::string("a.bmp:stream"), std::string("D:\\Program Files\\Tarvolink\\a")})
    EXPECT_EQ("", InfoNameToPlan(hostile, dir)) << hostile;
  EXPECT_EQ("", InfoNameToPlan("pics\\a.bmp", ""));
  EXPECT_EQ("", InfoNameToPlan("C:\\a.bmp", ""));
  EXPECT_EQ("\\\\srv\\share\\Tv\\a.bmp", InfoNameToPlan("\\\\srv\\share\\Tv\\a.bmp", "\\\\srv\\share\\Tv"));
}
