// The weighted run, its reports and cancels, item identity, message texts and the installation folder.
#include <gtest/gtest.h>
#include "msg/Msgids.h"
#include "msg/Winstrutil.h"
#include "setup/Uninstlist.h"
#include "sys/Systemfolder.h"
#include "unit/setup/Engtestutil.h"

using namespace engtest;

namespace {

std::unique_ptr<TSetupItem> Item(TItemKind kind, const std::string& target, int32_t weight) {
  return std::unique_ptr<TSetupItem>(new TSetupItem(kind, target, weight));
}

}  // namespace

TEST(SetupItem, IdentityIsKindParamAndBothTextsExactly) {
  TSetupItem a(TItemKind::skDeleteFile, "C:\\A\\x.txt", 5), b(TItemKind::skDeleteFile, "C:\\A\\x.txt", 1);
  b.StepsDone = 3;
  EXPECT_TRUE(a.IsEqual(b));   // weight and progress play no part
  b.Param = 1;
  EXPECT_FALSE(a.IsEqual(b));
  b.Param = 0;
  b.Target2 = "y";
  EXPECT_FALSE(a.IsEqual(b));
  TSetupItem upper(TItemKind::skDeleteFile, "C:\\A\\X.TXT", 5), folder(TItemKind::skRemoveFolder, "C:\\A\\x.txt", 5);
  EXPECT_FALSE(a.IsEqual(upper));
  EXPECT_FALSE(a.IsEqual(folder));
}

TEST(SetupList, EqualItemsAreStoredOnceWithTheFirstWeight) {
  TUninstList list;
  EXPECT_EQ(0, list.AddFileDeletion("C:\\A\\x.txt"));
  EXPECT_EQ(0, list.AddFileDeletion("C:\\A\\x.txt"));
  EXPECT_EQ(0, list.AddFileDeletion("C:\\A\\X.txt"));   // another item: case counts
  ASSERT_EQ(2u, list.Items.size());
  EXPECT_EQ(10, list.TotalWeight);
  EXPECT_TRUE(list.AddItem(Item(TItemKind::skDeleteFile, "C:\\A\\x.txt", 50)));
  EXPECT_EQ(2u, list.Items.size());
  EXPECT_EQ(5, list.Items[0]->Weight);
  EXPECT_EQ(10, list.TotalWeight);
  EXPECT_EQ(0, list.AddRunEntryRemoval());
  EXPECT_EQ(0, list.AddRunEntryRemoval());
  EXPECT_EQ(11, list.TotalWeight);
  EXPECT_FALSE(list.AddItem(nullptr));
}

// A close item whose window is absent (10), then a Run entry (1), a file (5) and a folder (1).
class RunSequence : public ::testing::Test {
protected:
  void SetUp() override {
    list.ProductName = Unique("TvEngNoSuchRunValue");
    file = dir / "gone.txt";
    folder = dir / "empty";
    WriteFile(file);
    ::CreateDirectoryA(folder.c_str(), nullptr);
    ASSERT_EQ(0, list.AddCloseProgram(Unique("No such window ")));
    ASSERT_EQ(0, list.AddRunEntryRemoval());
    ASSERT_EQ(0, list.AddFileDeletion(file));
    ASSERT_EQ(0, list.AddFolderRemoval(folder));
    Attach(list, rec);
  }
  TempDir dir;
  TUninstList list;
  Recorder rec;
  std::string file, folder;
};

TEST_F(RunSequence, ReportsBeforeEveryStepAndInsideEveryAction) {
  EXPECT_EQ(0, list.Execute());
  // The absent window ends its item at the first step; every action reports again.
  EXPECT_EQ(ExpectedPercents(list, {{0, 1, 1}, {1, 1, 2}, {2, 1, 2}, {3, 1, 2}}), rec.Percents());
  std::vector<std::string> texts;
  for (const auto& r : rec.reports) texts.push_back(r.text);
  EXPECT_EQ((std::vector<std::string>{"", "", "Write Registry", "Write Registry", "Delete " + file,
                                      "Delete " + file, "Remove Folder " + folder}),
            texts);
  EXPECT_FALSE(PathExists(file));
  EXPECT_FALSE(PathExists(folder));
  EXPECT_EQ(PercentBefore(list, 3, 0), list.Percent);
}

TEST_F(RunSequence, CancelAtAStepsReportStopsBeforeThatStep) {
  rec.cancelAt = 3;   // the report before the file's first step
  EXPECT_EQ(msgCancel, list.Execute());
  EXPECT_EQ(4u, rec.reports.size());
  EXPECT_TRUE(PathExists(file));
  EXPECT_TRUE(PathExists(folder));
  EXPECT_EQ(0, list.StepsDoneOf(2));
}

TEST_F(RunSequence, CancelAtAnActionsReportSkipsOnlyThatStepUnlessAskedAgain) {
  rec.cancelAt = 6;   // the folder's own report, in the last step of the last item: never seen
  EXPECT_EQ(0, list.Execute());
  EXPECT_TRUE(PathExists(folder));
  EXPECT_FALSE(PathExists(file));

  Recorder again;
  again.cancelAt = 4;   // the file's own report; the next attempt deletes it
  Attach(list, again);
  WriteFile(file);
  EXPECT_EQ(0, list.Execute());
  EXPECT_FALSE(PathExists(file));
  EXPECT_EQ(ExpectedPercents(list, {{0, 1, 1}, {1, 1, 2}, {2, 2, 2}, {3, 1, 2}}), again.Percents());

  Recorder sticky;
  sticky.cancelAt = 4;
  sticky.sticky = true;   // a window's close: every later report is refused too
  Attach(list, sticky);
  WriteFile(file);
  EXPECT_EQ(msgCancel, list.Execute());
  EXPECT_EQ(6u, sticky.reports.size());
  EXPECT_TRUE(PathExists(file));
}

TEST(SetupList, ZeroWeightItemsRunNoStep) {
  TempDir dir;
  WriteFile(dir / "kept.txt");
  WriteFile(dir / "gone.txt");
  TUninstList list;
  Recorder rec;
  Attach(list, rec);
  ASSERT_TRUE(list.AddItem(Item(TItemKind::skDeleteFile, dir / "kept.txt", 0)));
  ASSERT_EQ(0, list.AddFileDeletion(dir / "gone.txt"));
  EXPECT_EQ(0, list.Execute());
  EXPECT_TRUE(PathExists(dir / "kept.txt"));
  EXPECT_FALSE(PathExists(dir / "gone.txt"));
  EXPECT_EQ(ExpectedPercents(list, {{1, 1, 2}}), rec.Percents());
}

TEST(SetupList, WithoutCallbackEverythingRunsAndNothingCancels) {
  TempDir dir;
  WriteFile(dir / "a.txt");
  TUninstList list;
  ASSERT_EQ(0, list.AddFileDeletion(dir / "a.txt"));
  ASSERT_EQ(0, list.AddFolderRemoval(dir.Path()));
  EXPECT_EQ(0, list.ReportProgress());
  EXPECT_EQ(0, list.Execute());
  EXPECT_FALSE(PathExists(dir.Path()));
}

TEST(SetupList, ClearEmptiesButKeepsNamesAndARunOfNothingReportsNothing) {
  TUninstList list;
  Recorder rec;
  Attach(list, rec);
  EXPECT_EQ(0, list.Execute());   // empty list
  list.ProductName = "P";
  list.InstallDir = "C:\\P";
  list.StatusText = "last";
  ASSERT_EQ(0, list.AddFileDeletion("C:\\nowhere\\x"));
  list.Clear();
  EXPECT_TRUE(list.Items.empty());
  EXPECT_EQ(-1, list.StepsDoneOf(0));
  EXPECT_EQ(0, list.TotalWeight);
  EXPECT_EQ(0, list.Execute());
  EXPECT_TRUE(rec.reports.empty());
  EXPECT_EQ("P", list.ProductName);
  EXPECT_EQ("C:\\P", list.InstallDir);
  EXPECT_EQ("", list.StatusText);   // a run starts with an empty line
}

TEST(SetupList, ASecondRunStartsEveryItemAgain) {
  TempDir dir;
  TUninstList list;
  ASSERT_EQ(0, list.AddFileDeletion(dir / "a.txt"));
  WriteFile(dir / "a.txt");
  EXPECT_EQ(0, list.Execute());
  EXPECT_EQ(5, list.StepsDoneOf(0));
  WriteFile(dir / "a.txt");
  EXPECT_EQ(0, list.Execute());
  EXPECT_FALSE(PathExists(dir / "a.txt"));
}

TEST(SetupList, ConstructionStartsAtTheProgramFilesFolder) {
  TUninstList list;
  EXPECT_EQ(GetProgramFilesFolderUpper(), list.InstallDir);
  EXPECT_EQ(0, list.TotalWeight);
  EXPECT_EQ(nullptr, list.OnProgress);
  EXPECT_FALSE(list.Messages);
}

// --- Texts ---

class Texts : public ::testing::Test {
protected:
  void Load(const std::string& content) {
    WriteFile(dir / "SetupMsg.TST", content);
    list.LoadMessageFile(dir / "SetupMsg.TST");
  }
  TempDir dir;
  TUninstList list;
};

TEST_F(Texts, NoCatalogueMeansNoTextOfTheProgramsOwn) {
  EXPECT_EQ("", list.GetText(msgDeleteFile));
  EXPECT_EQ("", list.FormatText(msgDeleteFile, "x"));
}

TEST_F(Texts, OwnIdentifiersNeverComeFromTheSystemTable) {
  EXPECT_FALSE(list.LoadMessageFile(dir / "missing.TST"));   // a failed load still makes the catalogue
  EXPECT_EQ("Alocated Memory Fail !", list.GetText(msgAllocFail));
  EXPECT_EQ("Cancel !", list.GetText(msgCancel));
  EXPECT_EQ("Uninstall", list.GetText(msgUninstall));
  EXPECT_EQ("Uninstall Compelete !", list.GetText(msgUninstallComplete));
  EXPECT_EQ("", list.GetText(15300));   // known to no source
  EXPECT_EQ("", list.FormatText(15300, "arg"));
}

TEST_F(Texts, SystemTextsComeFirstOutsideTheOwnRange) {
  Load("2 catalogue two\r\n15002 Abbruch\r\n");
  std::string system = GetSystemErrorText(2);
  ASSERT_NE("", system);
  EXPECT_EQ(system, list.GetText(2));
  EXPECT_EQ("Abbruch", list.GetText(msgCancel));
  EXPECT_EQ("Uninstall", list.GetText(msgUninstall));   // lacking in the catalogue
}

TEST_F(Texts, FormattingInsertsTheArgumentOnceAndReadsNothingElse) {
  Load("15208 Ordner %s entfernen\r\n15211 %d %x %n %p %s %% 100%\r\n");
  EXPECT_EQ("Ordner C:\\A entfernen", list.FormatText(msgRemoveFolder, "C:\\A"));
  EXPECT_EQ("Delete a%sb%%c", list.FormatText(msgDeleteFile, "a%sb%%c"));
  EXPECT_EQ("%d %x %n %p DRV % 100%", list.FormatText(msgDeleteService, "DRV"));
  EXPECT_EQ("Write Registry", list.FormatText(msgWriteRegistry, "ignored"));
  EXPECT_EQ("x x", FormatOneArgument("%s %s", "x"));
  EXPECT_EQ("%", FormatOneArgument("%", "x"));
}

TEST_F(Texts, AFormattedTextStopsAtFourKibibytes) {
  std::string many;
  for (int i = 0; i < 2000000; ++i) many += "%s";
  Load("15208 " + many + "\r\n");
  const std::string argument(100, 'a');
  std::string text = list.FormatText(msgRemoveFolder, argument);   // 200 MB uncapped
  EXPECT_TRUE(std::string(4096, 'a') == text) << text.size();
  EXPECT_TRUE("x" + std::string(4095, 'b') == FormatOneArgument("x%s%s", std::string(1 << 20, 'b')));
  EXPECT_TRUE(std::string(4096, '%') == FormatOneArgument(std::string(20000, '%'), ""));
}

// --- Installation folder ---

TEST(InstallFolder, FolderPartOfTheUninstallCommand) {
  EXPECT_EQ("C:\\Program Files\\Tv", UninstallCommandFolder("C:\\Program Files\\Tv\\Uninstall.EXE"));
  EXPECT_EQ("C:\\Program Files\\Tv", UninstallCommandFolder("\"C:\\Program Files\\Tv\\Uninstall.EXE\" /x"));
  EXPECT_EQ("C:\\Program Files\\Tv", UninstallCommandFolder("\"C:\\Program Files\\Tv\\Uninstall.EXE"));
  EXPECT_EQ("C:\\", UninstallCommandFolder("C:\\Uninstall.EXE"));
  EXPECT_EQ("C:", UninstallCommandFolder("C:Uninstall.EXE"));
  EXPECT_EQ("\\\\", UninstallCommandFolder("\\\\x"));
  EXPECT_EQ("", UninstallCommandFolder("Uninstall.EXE"));
  EXPECT_EQ("", UninstallCommandFolder("\"Uninstall.EXE\" C:\\x"));
  // Unquoted values are taken as they are, arguments included.
  EXPECT_EQ("C:\\Tv\\Uninstall.EXE /d:C:\\Other", UninstallCommandFolder("C:\\Tv\\Uninstall.EXE /d:C:\\Other\\x"));
}

TEST(InstallFolder, RootsAndSystemFoldersAreNoInstallationFolder) {
  std::string windows = GetWindowsFolder();
  char system[MAX_PATH] = {};
  ::GetSystemDirectoryA(system, MAX_PATH);
  for (const std::string& f : {std::string("C:\\"), std::string("C:"), std::string("D:\\"), std::string("\\"),
                               std::string("\\\\server\\share"), windows, windows + "\\", std::string(system),
                               GetSystemFolder(), GetProgramFilesFolder(), GetProgramFilesFolderUpper()})
    EXPECT_TRUE(IsUnfitInstallDir(f)) << f;
  std::string lower = windows;
  for (char& c : lower) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  EXPECT_TRUE(IsUnfitInstallDir(lower));
  for (const std::string& f : {GetProgramFilesFolder() + "\\Tarvolink", windows + "\\Temp\\Tv",
                               std::string("\\\\server\\share\\Tv"), std::string("")})
    EXPECT_FALSE(IsUnfitInstallDir(f)) << f;
}

TEST(InstallFolder, EverySpellingOfASystemFolderIsRefused) {
  std::string windows = GetWindowsFolder();
  std::string programFiles = GetProgramFilesFolder();
  char shortName[MAX_PATH] = {};
  ASSERT_NE(0u, ::GetShortPathNameA(programFiles.c_str(), shortName, MAX_PATH));
  char profile[MAX_PATH] = {};
  ASSERT_NE(0u, ::GetEnvironmentVariableA("USERPROFILE", profile, MAX_PATH));
  std::string profiles(profile, std::string(profile).find_last_of('\\'));
  for (const std::string& f :
       {windows + "\\.", windows + "\\.\\", programFiles + "\\Tarvolink\\..", std::string(shortName),
        "\\\\?\\" + windows, std::string("\\\\localhost\\C$\\Windows"), std::string("."), std::string(".\\"),
        windows + "\\SysWOW64", windows + "\\Sysnative", profiles, profiles + "\\", windows.substr(0, 2) + "\\Users",
        windows.substr(0, 2) + "\\Documents and Settings", windows + "\\System32\\..\\system"})
    EXPECT_TRUE(IsUnfitInstallDir(f)) << f;
  EXPECT_FALSE(IsUnfitInstallDir(std::string(shortName) + "\\Tarvolink"));
  EXPECT_FALSE(IsUnfitInstallDir(profile));   // one user's own folder is no system folder
  // The spellings of the uninstall entry reach the refusal as folders.
  EXPECT_EQ(".", UninstallCommandFolder(".\\Uninstall.EXE"));
  EXPECT_EQ("C:\\Tv", UninstallCommandFolder("  \t\"C:\\Tv\\Uninstall.EXE\" /x "));
  EXPECT_EQ("C:\\windows\\.", UninstallCommandFolder(" C:\\windows\\.\\Uninstall.EXE\t"));
}

TEST(InstallFolder, UnfitOverTheSystemsFacts) {
  const std::vector<std::string> facts = {"C:\\WinNT", "C:\\WinNT\\System32", "D:\\Apps", "", "C:\\Users",
                                          "relative\\ignored"};
  for (const char* f : {"", "C:\\", "\\\\srv\\share", "c:\\winnt", "C:\\WINNT\\system32", "d:\\apps",
                        "C:\\users"})
    EXPECT_TRUE(IsUnfitFolder(f, facts)) << f;
  // A folder that holds a folder of the system is no product's either.
  EXPECT_TRUE(IsUnfitFolder("C:\\Os", {"C:\\Os\\WinNT"}));
  EXPECT_FALSE(IsUnfitFolder("C:\\WinNT", {"C:\\Os\\WinNT"}));
  for (const char* f : {"C:\\WinNT\\Temp", "D:\\Apps\\Tv", "C:\\Users\\me", "C:\\WinNTx", "\\\\srv\\share\\Tv",
                        "C:\\relative"})
    EXPECT_FALSE(IsUnfitFolder(f, facts)) << f;
}

namespace {
std::vector<std::string> g_asked;   // what the choice asked of the system
}  // namespace

// Answers that a live system rarely gives: no canonical form, a link on the way. The link checks
// see the canonical folder, and a command that names no folder asks the system nothing.
TEST(InstallFolder, ChosenOverTheSystemsAnswers) {
  std::vector<std::string>& asked = g_asked;
  const TInstallFolderFacts facts = {
      [](const std::string& p) { return p.find('?') != std::string::npos ? std::string() : "C:\\Canon" + p.substr(2); },
      [] { g_asked.push_back("system"); return std::vector<std::string>{"C:\\Canon\\Win"}; },
      [](const std::string& f) { g_asked.push_back(f); return f.find("Link") != std::string::npos; },
      [](const std::string& f, const std::string& trusted, uint32_t*) {
        g_asked.push_back(f + "|" + trusted);
        return f.find("Below") != std::string::npos;
      }};
  EXPECT_EQ("C:\\Canon\\Apps\\Tv", ChooseInstallFolder("\"C:\\Apps\\Tv\\Uninstall.EXE\" /S", facts));
  EXPECT_EQ((std::vector<std::string>{"system", "C:\\Canon\\Apps\\Tv", "C:\\Canon\\Apps\\Tv|"}), asked);
  asked.clear();
  for (const char* command : {"", "Uninstall.EXE", "C:\\Apps?\\U.exe"}) EXPECT_EQ("", ChooseInstallFolder(command, facts)) << command;
  EXPECT_TRUE(asked.empty());
  for (const char* command : {"C:\\Link\\U.exe", "C:\\Below\\U.exe", "C:\\Win\\U.exe"})
    EXPECT_EQ("", ChooseInstallFolder(command, facts)) << command;
}

TEST(InstallFolder, SetProductNameLocatesOrFallsBack) {
  std::string name = Unique("TvEngLocate");
  std::string key = std::string(kUninstallKey) + "\\" + name;
  std::string fallback = GetProgramFilesFolderUpper() + "\\" + name;
  struct Case {
    const char* value;
    std::string expected;
  };
  std::string windows = GetWindowsFolder();
  const std::vector<Case> cases = {
      {"C:\\Apps\\Tv\\Uninstall.EXE", "C:\\Apps\\Tv"},
      {"\"C:\\Apps\\Tv Two\\Uninstall.EXE\" /silent", "C:\\Apps\\Tv Two"},
      {"Uninstall.EXE", fallback},
      {"", fallback},
      {"C:\\Uninstall.EXE", fallback},
      {"\"C:\\Uninstall.EXE\"", fallback},
      {"  C:\\Apps\\Tv\\.\\sub\\..\\Uninstall.EXE ", "C:\\Apps\\Tv"},   // made canonical
  };
  for (const auto& c : cases) {
    SetString(key, "UninstallString", c.value);
    TUninstList list;
    list.SetProductName(name);
    EXPECT_EQ(c.expected, list.InstallDir) << c.value;
    EXPECT_EQ(name, list.ProductName);
  }
  for (const std::string& v : {windows + "\\Uninstall.EXE", GetSystemFolder() + "\\u.exe",
                               GetProgramFilesFolder() + "\\Uninstall.EXE", windows + "\\.\\Uninstall.EXE",
                               std::string(".\\Uninstall.EXE"), "  \"" + windows + "\\U.exe\""}) {
    SetString(key, "UninstallString", v);
    TUninstList list;
    list.SetProductName(name);
    EXPECT_EQ(fallback, list.InstallDir) << v;
  }
  DeleteTree(key);
  TUninstList list;
  list.SetProductName(name);
  EXPECT_EQ(fallback, list.InstallDir);
  list.LocateInstallDir();
  EXPECT_EQ("", list.InstallDir);   // located alone: no fallback
}
