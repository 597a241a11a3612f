// Run as Windows 98: what stays in use is handed to WININIT.INI once the run is complete, and
// folders are left alone.
#include <gtest/gtest.h>
#include "removal/Pendingremoval.h"
#include "setup/Uninstlist.h"
#include "sys/Systemfolder.h"
#include "sys/Sysutil.h"
#include "unit/setup/Engtestutil.h"

using namespace engtest;

namespace {
std::string ReadText(const std::string& path) {
  std::string out;
  UniqueFile f(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!f) return out;
  char buf[4096];
  DWORD n = 0;
  while (::ReadFile(f.Get(), buf, sizeof buf, &n, nullptr) && n > 0) out.append(buf, n);
  return out;
}
}  // namespace

TEST(Win9x, AFileInUseIsListedInWininitAndItsFolderIsNot) {
  ASSERT_EQ(TWindowsVersion::wvWin98, GetWindowsVersion());
  std::string wininit = GetWindowsFolder() + "\\WININIT.INI";
  bool had = PathExists(wininit);
  std::string before = ReadText(wininit);

  TempDir dir;
  std::string held = dir / "Uninstall.EXE";
  WriteFile(held);
  FileHolder holder;
  ASSERT_TRUE(holder.Start(held));
  TUninstList list;
  ASSERT_EQ(0, list.AddFileDeletion(held));
  ASSERT_EQ(0, list.AddFolderRemoval(dir.Path()));
  EXPECT_EQ(0, list.Execute());
  EXPECT_EQ(before, ReadText(wininit)) << "nothing is written during the run";
  // The file waits; its folder, which the restart would empty, cannot be listed: that keeps the
  // uninstall entry for a run after the restart.
  EXPECT_EQ(static_cast<uint32_t>(ERROR_NOT_SUPPORTED), list.Held().ScheduleAllBut(std::string()));
  holder.End();

  char shortName[MAX_PATH] = {};
  ASSERT_NE(0u, ::GetShortPathNameA(held.c_str(), shortName, MAX_PATH));
  std::string after = ReadText(wininit);
  // Restore at once: the next start of the prefix would carry the request out.
  if (had) WriteFile(wininit, before);
  else ::DeleteFileA(wininit.c_str());

  EXPECT_EQ(AddWininitDeletion(before, shortName), after);
  EXPECT_TRUE(IsScheduledForRemoval(held));
  EXPECT_FALSE(IsScheduledForRemoval(dir.Path()));
  EXPECT_FALSE(IsPending(held));
  EXPECT_TRUE(PathExists(held));
}

TEST(Win9x, WininitIsLeftAsItIsWhenItCannotBeTakenWholeOrTheNameHasNoShortForm) {
  std::string wininit = GetWindowsFolder() + "\\WININIT.INI";
  bool had = PathExists(wininit);
  std::string before = ReadText(wininit);
  TempDir dir;
  std::string file = dir / "Uninstall.EXE";
  WriteFile(file);

  // Others' pending renames in a file too large to be one of ours: never rewritten.
  std::string big = "[rename]\r\nC:\\WINDOWS\\SYSTEM\\X.DLL=C:\\WINDOWS\\X.NEW\r\n" + std::string(1024 * 1024, ';');
  ASSERT_TRUE(WriteBytes(wininit, big));
  EXPECT_FALSE(ScheduleFileRemoval(file));
  std::string afterBig = ReadText(wininit);
  // A name without a short form (it does not exist): nothing written, not even the long name.
  std::string small = "[rename]\r\nNUL=C:\\OTHER\\A.TMP\r\n[other]\nx = y \r\n";
  ASSERT_TRUE(WriteBytes(wininit, small));
  EXPECT_FALSE(ScheduleFileRemoval(dir / "no such file.exe"));
  std::string afterMissing = ReadText(wininit);
  EXPECT_TRUE(ScheduleFileRemoval(file));
  std::string afterGood = ReadText(wininit);
  if (had) WriteFile(wininit, before);
  else ::DeleteFileA(wininit.c_str());

  EXPECT_EQ(big, afterBig);
  EXPECT_EQ(small, afterMissing);
  char shortName[MAX_PATH] = {};
  ASSERT_NE(0u, ::GetShortPathNameA(file.c_str(), shortName, MAX_PATH));
  EXPECT_EQ("[rename]\r\nNUL=" + std::string(shortName) + "\r\nNUL=C:\\OTHER\\A.TMP\r\n[other]\nx = y \r\n", afterGood);
}

TEST(Win9x, ShortcutsComeFromTheUsersFolders) {
  TUninstList list;
  list.ProductName = "TvEng9x";
  ASSERT_EQ(0, list.AddProgramsShortcutDeletion("Uninstall"));
  ASSERT_EQ(0, list.AddDesktopShortcutDeletion("Tarvolink"));
  EXPECT_EQ(GetUserProgramsFolder() + "\\TvEng9x\\Uninstall.LNK", list.Items[0]->Target);
  EXPECT_EQ(GetUserDesktopFolder() + "\\Tarvolink.LNK", list.Items[1]->Target);
}

// A driver whose device name is a file held open, so that its unload fails: the run goes on to
// the driver file, and the maker's key goes once that is gone.
TEST(Win9x, ADeviceThatStaysStillLeavesTheFileToTry) {
  TempDir dev;
  std::string name = dev.Path() + "\\drv";
  WriteFile(name + ".VXD");
  FileHolder holder;
  ASSERT_TRUE(holder.Start(name + ".VXD"));
  MakeKey("Software\\QORV\\" + name + "\\Used");
  TUninstList list;
  Recorder rec;
  Attach(list, rec);
  list.ProductName = "TvEng9x";
  ASSERT_EQ(0, list.AddDriverRemoval(name));
  EXPECT_EQ(0, list.Execute());
  EXPECT_EQ(ExpectedPercents(list, {{0, 1, 2}, {0, 3, 1, 2}}), rec.Percents());   // device, file, key
  EXPECT_TRUE(PathExists(name + ".VXD"));
  holder.End();
  DeleteTree("Software\\QORV\\" + dev.Path().substr(0, 2));
}
