// The removal plan as (kind, target, weight), built once per Windows version (this exe's own).
#include <gtest/gtest.h>
#include "product/Tarvolinkuninstall.h"
#include "setup/Boundcall.h"
#include "setup/Uninstlist.h"
#include "sys/Systemfolder.h"
#include "sys/Sysutil.h"
#include "unit/setup/Engtestutil.h"

#ifndef EXPECTED_VERSION
#error EXPECTED_VERSION names the version code this exe runs as
#endif

using namespace engtest;

constexpr TWindowsVersion kExpected = static_cast<TWindowsVersion>(EXPECTED_VERSION);

namespace {


const char* const kCodes[] = {"CHT", "CHS", "JPN", "KOR", "FRA", "ESN", "DEU", "ITA", "PTG", "TRK", "ENG"};

class PlanTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_EQ(EXPECTED_VERSION, static_cast<int32_t>(GetWindowsVersion()));
    ASSERT_TRUE(driver.Initialize());
    product = Unique("TvEngPlan");
    driver.List->SetProductName(product);
    driver.List->InstallDir = dir.Path();
  }

  // What the plan holds without any information file; `info` maps a file to what it adds.
  std::vector<Planned> Expected(const std::vector<std::pair<std::string, std::vector<std::string>>>& info = {}) {
    std::string programs = GetProgramsFolder(), desktop = GetDesktopFolder();
    std::vector<Planned> p = {{1, "Tarvo Link", 10}, {15, "", 1}};
    auto file = [&p](const std::string& f) {
      for (const auto& q : p)
        if (q.kind == 12 && q.target == f) return;
      p.push_back({12, f, 5});
    };
    auto infoFile = [&](const std::string& name) {
      for (const auto& i : info)
        if (i.first == name) {
          for (const auto& n : i.second) file(n);
          file(name);
        }
    };
    if (!desktop.empty()) file(desktop + "\\Tarvolink.LNK");
    if (!programs.empty()) {
      file(programs + "\\" + product + "\\Tarvolink.LNK");
      file(programs + "\\" + product + "\\Uninstall.LNK");
    }
    for (const char* f : {"Tarvolink.EXE", "Uninstall.EXE", "setup.ini", "Files.ini", "Backup.log", "Busprobe.exe"})
      file(f);
    if (!programs.empty()) file(programs + "\\" + product + "\\Port Speed Probe.LNK");
    infoFile("Info.ini");
    for (const char* code : kCodes) {
      file(std::string("SetupMsg.") + code);
      file(std::string("Ex") + code + ".FRC");
      infoFile(std::string("Info") + code + ".Ini");
    }
    if (kExpected == TWindowsVersion::wvWin98 || kExpected == TWindowsVersion::wvWinMe) p.push_back({13, "QORVDISK", 5});
    if (!programs.empty()) p.push_back({11, programs + "\\" + product, 1});
    file("dzips32.dll");
    file("dunzips32.dll");
    p.push_back({11, dir.Path(), 1});
    return p;
  }

  TempDir dir;
  TclTarvolinkUninstall driver;
  std::string product;
};

}  // namespace

TEST_F(PlanTest, FixedOrderForThisWindows) {
  ASSERT_EQ(0, driver.BuildPlan());
  EXPECT_EQ(Expected(), Plan(*driver.List));
  // The window's two libraries are already planned: nothing more, nothing moved.
  size_t before = driver.List->Items.size();
  EXPECT_EQ(0, driver.AddFile("dzips32.dll"));
  EXPECT_EQ(0, driver.AddFile("dunzips32.dll"));
  EXPECT_EQ(before, driver.List->Items.size());
  EXPECT_EQ(TItemKind::skRemoveFolder, driver.List->Items.back()->Kind);

  bool hasDriver = false, hasShortcut = false;
  for (const auto& i : driver.List->Items) {
    hasDriver |= i->Kind == TItemKind::skRemoveVxd;
    hasShortcut |= i->Target.find(".LNK") != std::string::npos;
  }
  EXPECT_EQ(kExpected == TWindowsVersion::wvWin98 || kExpected == TWindowsVersion::wvWinMe, hasDriver);
  EXPECT_EQ(kExpected != TWindowsVersion::wvUnknown, hasShortcut);

  // A second plan starts afresh.
  ASSERT_EQ(0, driver.BuildPlan());
  EXPECT_EQ(Expected(), Plan(*driver.List));
}

#if EXPECTED_VERSION == 4
TEST_F(PlanTest, InformationFilesAddWhatTheyNameOnceAndOnlyInsideTheProduct) {
  WriteFile(dir / "Info.ini",
            "[LOGO]\r\nAbout=about.bmp\r\nLoading=pics\\load.bmp\r\nMain=" + dir.Path() +
                "\\main.bmp\r\n[Help]\r\nCHM=\r\n");
  WriteFile(dir / "InfoJPN.Ini",
            "[LOGO]\r\nAbout=about.bmp\r\nLoading=..\\..\\Windows\\win.ini\r\nMain=C:\\Windows\\notepad.exe\r\n"
            "[Help]\r\nCHM=help_jpn.chm\r\n");
  WriteFile(dir / "InfoENG.Ini",
            "[LOGO]\r\nAbout=\\\\server\\share\\x.bmp\r\nLoading=C:x.bmp\r\nMain=about.bmp\r\n"
            "[Help]\r\nCHM=help.chm\r\n");
  ASSERT_EQ(0, driver.BuildPlan());
  EXPECT_EQ(Expected({{"Info.ini", {"about.bmp", dir / "pics\\load.bmp", dir / "main.bmp"}},
                      {"InfoJPN.Ini", {"about.bmp", "help_jpn.chm"}},
                      {"InfoENG.Ini", {"about.bmp", "help.chm"}}}),
            Plan(*driver.List));
  int aboutCount = 0;
  for (const auto& i : driver.List->Items) aboutCount += i->Target == "about.bmp";
  EXPECT_EQ(1, aboutCount);
}
#endif
