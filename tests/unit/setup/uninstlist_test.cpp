// Planning operations and removal actions against real files and keys.
#include <gtest/gtest.h>
#include "msg/Msgids.h"
#include "removal/Pendingremoval.h"
#include "setup/Uninstlist.h"
#include "sys/Appregutil.h"
#include "sys/Runlog.h"
#include "sys/Systemfolder.h"
#include "unit/setup/Engtestutil.h"

using namespace engtest;

TEST(Planning, ItemsAndPathTemplates) {
  TUninstList list;
  list.ProductName = "TvEngPlan";
  std::string programs = GetProgramsFolder(), desktop = GetDesktopFolder();
  ASSERT_NE("", programs);
  EXPECT_EQ(0, list.AddFileDeletion(""));
  EXPECT_EQ(0, list.TotalWeight);
  EXPECT_EQ(0, list.AddRunEntryRemoval());
  EXPECT_EQ(0, list.AddProgramsShortcutDeletion("Uninstall"));
  EXPECT_EQ(0, list.AddProgramsShortcutDeletion("Uninstall"));
  EXPECT_EQ(0, list.AddDesktopShortcutDeletion("Tv"));
  EXPECT_EQ(0, list.AddFileDeletion(desktop + "\\Tv.LNK"));   // built path equals an earlier item
  EXPECT_EQ(0, list.AddProgramsFolderRemoval());
  EXPECT_EQ(0, list.AddFolderRemoval("C:\\Tv"));
  EXPECT_EQ(0, list.AddFolderRemoval("c:\\tv"));
  EXPECT_EQ(0, list.AddFolderRemoval(""));
  EXPECT_EQ(0, list.AddDriverRemoval("QORVDISK"));
  EXPECT_EQ((std::vector<Planned>{{15, "", 1},
                                  {12, programs + "\\TvEngPlan\\Uninstall.LNK", 5},
                                  {12, desktop + "\\Tv.LNK", 5},
                                  {11, programs + "\\TvEngPlan", 1},
                                  {11, "C:\\Tv", 1},
                                  {11, "c:\\tv", 1},
                                  {11, "", 1},
                                  {13, "QORVDISK", 5}}),
            Plan(list));
  EXPECT_EQ(20, list.TotalWeight);
}

// --- Files ---

TEST(FileDeletion, ReadOnlyAndHiddenFilesGoAtTheFirstAttempt) {
  TempDir dir;
  WriteFile(dir / "ro.txt", "x", FILE_ATTRIBUTE_READONLY);
  WriteFile(dir / "hid.txt", "x", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  TUninstList list;
  Recorder rec;
  Attach(list, rec);
  ASSERT_EQ(0, list.AddFileDeletion(dir / "ro.txt"));
  ASSERT_EQ(0, list.AddFileDeletion(dir / "hid.txt"));
  ASSERT_EQ(0, list.AddFileDeletion(dir / "missing.txt"));
  EXPECT_EQ(0, list.Execute());
  EXPECT_FALSE(PathExists(dir / "ro.txt"));
  EXPECT_FALSE(PathExists(dir / "hid.txt"));
  EXPECT_EQ(6u, rec.reports.size());   // two per item
}

TEST(FileDeletion, BareNamesLieInTheInstallFolderOfRunTime) {
  TempDir planned, actual, cwd;
  WriteFile(planned / "a.txt");
  WriteFile(actual / "a.txt");
  ::CreateDirectoryA((cwd / "sub").c_str(), nullptr);
  ::CreateDirectoryA((actual / "sub").c_str(), nullptr);
  WriteFile(cwd / "sub\\b.txt");
  WriteFile(actual / "sub\\b.txt");
  WriteFile(cwd / "c.txt");
  char old[MAX_PATH] = {};
  ::GetCurrentDirectoryA(MAX_PATH, old);
  ASSERT_TRUE(::SetCurrentDirectoryA(cwd.Path().c_str()));

  TUninstList list;
  list.InstallDir = planned.Path();
  Recorder rec;
  Attach(list, rec);
  ASSERT_EQ(0, list.AddFileDeletion("a.txt"));
  ASSERT_EQ(0, list.AddFileDeletion("sub\\b.txt"));   // a folder part is never joined
  list.InstallDir = actual.Path();
  EXPECT_EQ(0, list.Execute());
  EXPECT_TRUE(PathExists(planned / "a.txt"));
  EXPECT_FALSE(PathExists(actual / "a.txt"));
  EXPECT_FALSE(PathExists(cwd / "sub\\b.txt"));
  EXPECT_TRUE(PathExists(actual / "sub\\b.txt"));
  EXPECT_EQ("Delete a.txt", rec.reports[1].text);   // the name as planned

  list.Clear();
  list.InstallDir.clear();   // without a folder, the current one
  ASSERT_EQ(0, list.AddFileDeletion("c.txt"));
  EXPECT_EQ(0, list.Execute());
  EXPECT_FALSE(PathExists(cwd / "c.txt"));
  ::SetCurrentDirectoryA(old);
}

// Names that can be no file, and a place too long to be checked: one step each, nothing waits for
// the restart (a false 3010), and the log says which is nothing of ours and which failed.
TEST(FileDeletion, NoFileNamesAreLeftAloneAndUncheckedPlacesFailAtOnce) {
  TempDir dir, logs;
  WriteFile(dir / "keep.txt");
  const std::string tooLong = dir.Path() + "\\" + std::string(600, 'x') + ".dll";
  ASSERT_TRUE(RunlogOpen(logs / "run.log").Opened());
  TUninstList list;
  Recorder rec;
  Attach(list, rec);
  list.InstallDir = dir.Path();
  for (const std::string& n : {std::string("CON"), std::string("NUL"), std::string("CONIN$"), std::string("pics\\NUL.bmp"),
                               std::string("a>b.txt"), tooLong})
    ASSERT_EQ(0, list.AddFileDeletion(n));
  ASSERT_EQ(0, list.AddFolderRemoval(dir.Path() + "/x|y"));
  EXPECT_EQ(0, list.Execute());
  RunlogClose();
  EXPECT_EQ(2u * 7, rec.reports.size());
  for (size_t i = 0; i + 2 < list.Items.size(); ++i) EXPECT_EQ(5, list.StepsDoneOf(i)) << i;
  EXPECT_EQ(6, list.StepsDoneOf(5));   // failed: the dispatch's step beyond the weight
  EXPECT_TRUE(list.Held().Files().empty());
  EXPECT_TRUE(list.Held().Folders().empty());
  EXPECT_TRUE(PathExists(dir / "keep.txt"));
  UniqueFile f(::CreateFileA((logs / "run.log").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  char buf[8192] = {};
  DWORD got = 0;
  ASSERT_TRUE(::ReadFile(f.Get(), buf, sizeof buf - 1, &got, nullptr));
  const std::string log(buf, got);
  for (const std::string& n : {dir / "CON", dir / "NUL", dir / "CONIN$", std::string("pics\\NUL.bmp"), dir / "a>b.txt"})
    EXPECT_NE(std::string::npos, log.find("Delete file " + n + ": left alone, no file can have that name\r\n")) << n;
  EXPECT_NE(std::string::npos, log.find("Delete file " + tooLong + ": failed, its place could not be checked (error 1920")) << log;
  EXPECT_NE(std::string::npos, log.find("Remove folder " + dir.Path() + "/x|y: left alone, no file can have that name")) << log;
  EXPECT_EQ(std::string::npos, log.find("removed")) << log;
}

// Runs as one test: scheduling, and the restart that carries it out, concern the whole prefix.
TEST(FileDeletion, AFileInUseIsTriedFiveTimesNotedAndGoesAtTheRestartOnlyWhenScheduled) {
  TempDir keep;   // only for the bystander
  std::string folder = "C:\\" + Unique("tvengheld");
  MakeDirs(folder);
  std::string held = folder + "\\Uninstall.EXE";
  WriteFile(held);
  WriteFile(keep / "bystander.txt");
  FileHolder holder;
  ASSERT_TRUE(holder.Start(held));

  TUninstList list;
  Recorder rec;
  Attach(list, rec);
  ASSERT_EQ(0, list.AddFileDeletion(held));
  ASSERT_EQ(0, list.AddFolderRemoval(folder));
  ASSERT_EQ(0, list.AddFolderRemoval(keep.Path()));
  EXPECT_EQ(0, list.Execute());
  EXPECT_EQ(5 * 2 + 2 + 2, static_cast<int>(rec.reports.size()));
  EXPECT_EQ(ExpectedPercents(list, {{0, 5, 2}, {1, 1, 2}, {2, 1, 2}}), rec.Percents());
  EXPECT_EQ(6, list.StepsDoneOf(0));   // the last failure is one more used step
  EXPECT_EQ(1, list.StepsDoneOf(1));
  EXPECT_TRUE(PathExists(held));
  EXPECT_TRUE(PathExists(folder));
  EXPECT_TRUE(PathExists(keep / "bystander.txt"));

  // The run itself schedules nothing: it only notes what stayed.
  EXPECT_EQ(std::vector<std::string>{held}, list.Held().Files());
  EXPECT_EQ((std::vector<std::string>{folder, keep.Path()}), list.Held().Folders());
  EXPECT_FALSE(IsPending(held));
  EXPECT_FALSE(IsPending(folder));

  // All but the running program's own file and its folder, whose way is decided once the uninstall
  // entry is gone. Handed to another process, that file counts as going but is not scheduled, and
  // its folder, which waits for nothing else, is left to that process too.
  EXPECT_EQ(0u, list.Held().ScheduleAllBut(held));
  EXPECT_FALSE(IsPending(held));
  EXPECT_FALSE(IsPending(folder));
  EXPECT_EQ(0u, list.Held().ScheduleFolderOf(held, true));
  EXPECT_FALSE(IsPending(held));
  EXPECT_FALSE(IsPending(folder));
  EXPECT_TRUE(IsScheduledForRemoval(held));

  EXPECT_EQ(0u, list.Held().ScheduleAllBut(std::string()));
  EXPECT_TRUE(IsPending(held));
  EXPECT_TRUE(IsPending(folder));   // all it holds is scheduled
  EXPECT_FALSE(IsScheduledForRemoval(keep.Path()));
  EXPECT_FALSE(IsPending(keep.Path()));

  holder.End();
  Process restart("wineboot.exe -r");
  ASSERT_TRUE(restart.Started());
  ASSERT_TRUE(restart.Exited(120000));
  EXPECT_FALSE(PathExists(held));
  EXPECT_FALSE(PathExists(folder));
  EXPECT_TRUE(PathExists(keep / "bystander.txt"));
  EXPECT_FALSE(IsPending(held));
}

// The folder of a handed-over file still goes at the restart when it waits for another held file.
TEST(FileDeletion, AHandedOverFilesFolderIsScheduledForTheOthersItHolds) {
  std::string folder = "C:\\" + Unique("tvenghand");
  MakeDirs(folder);
  THeldRemovals held;
  held.AddFile(folder + "\\Uninstall.EXE");
  held.AddFile(folder + "\\Backup.log");
  held.AddFolder(folder);
  WriteFile(folder + "\\Uninstall.EXE");
  WriteFile(folder + "\\Backup.log");
  EXPECT_EQ(0u, held.ScheduleAllBut(folder + "\\Uninstall.EXE"));
  EXPECT_FALSE(IsPending(folder));
  EXPECT_EQ(0u, held.ScheduleFolderOf(folder + "\\Uninstall.EXE", true));
  EXPECT_FALSE(IsPending(folder + "\\Uninstall.EXE"));
  EXPECT_TRUE(IsPending(folder + "\\Backup.log"));
  EXPECT_TRUE(IsPending(folder));
  RemoveTree(folder);
}

TEST(FolderRemoval, AFolderWithContentStaysAfterOneStep) {
  TempDir dir;
  ::CreateDirectoryA((dir / "full").c_str(), nullptr);
  WriteFile(dir / "full\\x.txt");
  ::CreateDirectoryA((dir / "empty").c_str(), nullptr);
  TUninstList list;
  Recorder rec;
  Attach(list, rec);
  ASSERT_EQ(0, list.AddFolderRemoval(dir / "full"));
  ASSERT_EQ(0, list.AddFolderRemoval(dir / "empty"));
  ASSERT_EQ(0, list.AddFolderRemoval(dir / "missing"));
  ASSERT_EQ(0, list.AddFolderRemoval(""));
  EXPECT_EQ(0, list.Execute());
  EXPECT_TRUE(PathExists(dir / "full\\x.txt"));
  EXPECT_FALSE(PathExists(dir / "empty"));
  EXPECT_EQ(ExpectedPercents(list, {{0, 1, 2}, {1, 1, 2}, {2, 1, 2}, {3, 1, 2}}), rec.Percents());
  EXPECT_EQ("Remove Folder " + (dir / "full"), rec.reports[1].text);
  EXPECT_EQ(std::vector<std::string>{dir / "full"}, list.Held().Folders());
  EXPECT_FALSE(IsScheduledForRemoval(dir / "full"));   // nothing is scheduled during a run
}

// --- Run entry and unknown kinds ---

TEST(RunEntry, OnlyTheProductsValueGoes) {
  std::string product = Unique("TvEngRun"), other = Unique("TvEngBystander");
  SetString(kRunKey, product, "C:\\x.exe");
  SetString(kRunKey, other, "C:\\y.exe");
  TUninstList list;
  list.ProductName = "before";
  Recorder rec;
  Attach(list, rec);
  ASSERT_EQ(0, list.AddRunEntryRemoval());
  ASSERT_TRUE(list.AddItem(std::unique_ptr<TSetupItem>(new TSetupItem(static_cast<TItemKind>(99), "odd", 2))));
  list.ProductName = product;   // read when the step runs
  EXPECT_EQ(0, list.Execute());
  EXPECT_FALSE(ValueExists(kRunKey, product));
  EXPECT_TRUE(ValueExists(kRunKey, other));
  EXPECT_EQ(2, list.StepsDoneOf(1));   // one step each, nothing done
  EXPECT_EQ(4u, rec.reports.size());
  DeleteValue(kRunKey, other);
}

// --- Shared driver ---

class Driver : public ::testing::Test {
protected:
  void SetUp() override {
    driver = Unique("TVENGVXD");
    product = Unique("TvEngProduct");
    key = "Software\\QORV\\" + driver;
    file = GetSystemFolder() + "\\" + driver + ".VXD";
    MakeDirs(GetSystemFolder());
    WriteFile(file);
    MakeKey(key + "\\Config");
    list.ProductName = product;
    Attach(list, rec);
    ASSERT_EQ(0, list.AddDriverRemoval(driver));
  }
  void TearDown() override {
    DeleteTree(key);
    ::SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileA(file.c_str());
  }
  std::string driver, product, key, file;
  TUninstList list;
  Recorder rec;
};

TEST_F(Driver, StillUsedByAnotherProductOnlyLosesThisProductsMark) {
  SetString(key + "\\Used", product, "");
  SetString(key + "\\Used", "OtherProduct", "");
  EXPECT_EQ(0, list.Execute());
  EXPECT_FALSE(ValueExists(key + "\\Used", product));
  EXPECT_TRUE(ValueExists(key + "\\Used", "OtherProduct"));
  EXPECT_TRUE(PathExists(file));
  EXPECT_EQ(ExpectedPercents(list, {{0, 1, 2}, {0, 1, 1, 1}}), rec.Percents());   // the mark, then the end
  EXPECT_EQ("Delete Service " + driver, rec.reports[1].text);
  EXPECT_EQ("Delete Service " + driver, rec.reports[2].text);
}

TEST_F(Driver, AMissingUsedKeyCountsAsUsedElsewhere) {
  EXPECT_EQ(0, list.Execute());
  EXPECT_TRUE(PathExists(file));
  EXPECT_TRUE(KeyExists(key + "\\Config"));
  EXPECT_EQ(3u, rec.reports.size());
}

TEST_F(Driver, NoOtherUserRemovesDeviceFileAndKeyInFourSteps) {
  for (int variant = 0; variant < 2; ++variant) {
    MakeKey(key + "\\Used");
    MakeKey(key + "\\Config");
    WriteFile(file);
    if (variant == 1) SetString(key + "\\Used", product, "");
    rec.reports.clear();
    EXPECT_EQ(0, list.Execute());
    EXPECT_FALSE(PathExists(file)) << variant;
    EXPECT_FALSE(KeyExists(key)) << variant;
    EXPECT_EQ(ExpectedPercents(list, {{0, 1, 2}, {0, 3, 1, 2}}), rec.Percents()) << variant;
  }
}

TEST_F(Driver, ADriverFileThatStaysKeepsTheMakersKey) {
  MakeKey(key + "\\Used");
  FileHolder holder;
  ASSERT_TRUE(holder.Start(file));
  EXPECT_EQ(0, list.Execute());
  EXPECT_EQ(5, list.StepsDoneOf(0));
  EXPECT_TRUE(PathExists(file));
  EXPECT_TRUE(KeyExists(key + "\\Config"));
  EXPECT_EQ(4u, rec.reports.size());   // state 4 never ran
  holder.End();
}

// The NT family has no 9x drivers: a device name is left alone, even one that leads to a file (the
// unload by that name is the 9x family's own, uninstlist_9x_test). The odd driver file name that
// such a driver name makes can be no file, and none keeps the maker's key.
TEST_F(Driver, ADeviceNameIsNoFileOnTheNtFamily) {
  TempDir dev;
  std::string name = dev.Path() + "\\drv";
  WriteFile(name + ".VXD", "keep", FILE_ATTRIBUTE_READONLY);
  MakeKey("Software\\QORV\\" + name + "\\Used");
  list.Clear();
  ASSERT_EQ(0, list.AddDriverRemoval(name));
  EXPECT_EQ(0, list.Execute());
  EXPECT_EQ(ExpectedPercents(list, {{0, 1, 2}, {0, 3, 1, 2}}), rec.Percents());   // device, file, key
  EXPECT_TRUE(PathExists(name + ".VXD"));
  EXPECT_NE(0u, ::GetFileAttributesA((name + ".VXD").c_str()) & FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(KeyExists("Software\\QORV\\" + name));
  DeleteTree("Software\\QORV\\" + dev.Path().substr(0, 2));
}

TEST_F(Driver, ACancelAtItsFirstReportRemovesNothing) {
  SetString(key + "\\Used", product, "");
  rec.cancelAt = 1;
  rec.sticky = true;
  EXPECT_EQ(msgCancel, list.Execute());
  EXPECT_EQ(2, list.StepsDoneOf(0));
  EXPECT_TRUE(ValueExists(key + "\\Used", product));
  EXPECT_TRUE(PathExists(file));
}

TEST_F(Driver, AnUnnamedDriverEndsAtOnceAndTouchesNothing) {
  MakeKey(key + "\\Used");
  list.Clear();
  ASSERT_EQ(0, list.AddDriverRemoval(""));
  EXPECT_EQ(0, list.Execute());
  EXPECT_TRUE(KeyExists("Software\\QORV"));
  EXPECT_TRUE(KeyExists(key));
  EXPECT_EQ(1u, rec.reports.size());
}

TEST_F(Driver, TheLogSaysWhatTheItemDidAndWhatItLeftAlone) {
  TempDir logs;
  ASSERT_TRUE(RunlogOpen(logs / "run.log").Opened());
  SetString(key + "\\Used", product, "");
  SetString(key + "\\Used", "OtherProduct", "");
  EXPECT_EQ(0, list.Execute());   // only this product's mark goes
  DeleteValue(key + "\\Used", "OtherProduct");
  EXPECT_EQ(0, list.Execute());   // the last user: device, file, key
  RunlogClose();
  UniqueFile f(::CreateFileA((logs / "run.log").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  char buf[4096] = {};
  DWORD got = 0;
  ASSERT_TRUE(::ReadFile(f.Get(), buf, sizeof buf - 1, &got, nullptr));
  // No such driver is loaded here: whether its device reads as absent or as refusing the unload
  // is the system's word, so only the line's start is fixed.
  std::string log(buf, got);
  size_t at = log.find("Unload driver ");
  ASSERT_NE(std::string::npos, at);
  const std::string unload = "Unload driver \\\\.\\" + driver + ".VXD: ";
  EXPECT_EQ(unload, log.substr(at, unload.size()));
  log.erase(at, log.find("\r\n", at) + 2 - at);
  EXPECT_EQ("Remove driver " + driver + ": left alone, another product may still use it\r\n"
            "Remove driver use mark HKLM\\" + key + "\\Used, value " + product + ": removed\r\n"
            "Delete file " + file + ": removed\r\n"
            "Remove registry key HKLM\\" + key + ": removed\r\n",
            log);
}

// A key that will not go is logged with the deletion's error, which is passed on.
TEST_F(Driver, AKeyThatStaysIsLoggedWithItsError) {
  TempDir logs;
  ASSERT_TRUE(RunlogOpen(logs / "run.log").Opened());
  uint32_t (*refuse)(const std::string&) = [](const std::string&) -> uint32_t { return ERROR_ACCESS_DENIED; };
  EXPECT_EQ(static_cast<uint32_t>(ERROR_ACCESS_DENIED), RemoveMachineKeyLogged(key, refuse, driver));
  EXPECT_EQ(0u, RemoveMachineKeyLogged(key + "X", &DeleteProductKey, driver + "X"));   // nothing there
  RunlogClose();
  UniqueFile f(::CreateFileA((logs / "run.log").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  char buf[4096] = {};
  DWORD got = 0;
  ASSERT_TRUE(::ReadFile(f.Get(), buf, sizeof buf - 1, &got, nullptr));
  const std::string log(buf, got);
  EXPECT_EQ(0u, log.find("Remove registry key HKLM\\" + key + ": failed, still there (error 5: ")) << log;
  EXPECT_NE(std::string::npos, log.find(")\r\nRemove registry key HKLM\\" + key + "X: absent\r\n")) << log;
  EXPECT_TRUE(KeyExists(key));
}
