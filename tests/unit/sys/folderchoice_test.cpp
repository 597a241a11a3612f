#include <gtest/gtest.h>

#include <map>
#include <set>

#include "sys/Asciicase.h"
#include "sys/Folderchoice.h"
#include "sys/Sysutil.h"

namespace {

// A platform whose shell knows only the given ids and records every id it is asked for.
struct FakePlatform {
  std::map<int, std::string> shell;
  std::string windowsUpper;
  std::set<int> asked;
  FolderFacts Facts() {
    return FolderFacts{[this](int id) {
                         asked.insert(id);
                         auto it = shell.find(id);
                         return it == shell.end() ? std::string() : it->second;
                       },
                       [this] { return windowsUpper; }};
  }
};

}  // namespace

TEST(FolderChoice, FailingWindowsCallAndShellGiveTheFixedFallbacks) {
  FakePlatform p;
  p.windowsUpper = UpperAscii(WindowsFolderFromCall(0, "D:\\ignored"));
  ASSERT_EQ("C:\\WINDOWS", p.windowsUpper);
  EXPECT_EQ('C', DriveLetterOf(p.windowsUpper));
  FolderFacts f = p.Facts();
  EXPECT_EQ("C:\\WINDOWS\\Desktop", ChooseDesktopFolder(TWindowsVersion::wvWin98, f));
  EXPECT_EQ("C:\\WINDOWS\\Start Menu\\Programs", ChooseProgramsFolder(TWindowsVersion::wvWinMe, f));
  EXPECT_EQ("C:\\WINDOWS\\system", ComposeSystemFolder(p.windowsUpper));
  EXPECT_EQ("C:\\Program Files", ChooseProgramFilesFolder(f));
  EXPECT_EQ((std::set<int>{0x8000, 0x8002, 0x8026}), p.asked);
}

TEST(FolderChoice, NtFallbacksUseTheDriveOfALowerCaseWindowsFolder) {
  FakePlatform p;
  p.windowsUpper = UpperAscii(WindowsFolderFromCall(10, "d:\\winnt"));
  ASSERT_EQ("D:\\WINNT", p.windowsUpper);
  FolderFacts f = p.Facts();
  EXPECT_EQ("D:\\Program Files", ChooseProgramFilesFolder(f));
  EXPECT_EQ("D:\\Documents and Settings\\All Users\\Desktop", ChooseDesktopFolder(TWindowsVersion::wvWinNT4, f));
  EXPECT_EQ("D:\\Documents and Settings\\All Users\\Start Menu\\Programs",
            ChooseProgramsFolder(TWindowsVersion::wvWin2000, f));
  EXPECT_EQ((std::set<int>{0x8000, 0x8002, 0x8017, 0x8019, 0x8026}), p.asked);
}

TEST(FolderChoice, AllUsersFoldersFallBackToTheUsersOwn) {
  FakePlatform p;
  p.windowsUpper = "C:\\WINDOWS";
  p.shell = {{0x8000, "C:\\u\\Desktop"}, {0x8002, "C:\\u\\Programs"}};
  EXPECT_EQ("C:\\u\\Desktop", ChooseCommonDesktopFolder(p.Facts()));
  EXPECT_EQ("C:\\u\\Programs", ChooseCommonProgramsFolder(p.Facts()));
}

TEST(FolderChoice, VersionPicksAllUsersOnNtAndTheUserOn9x) {
  FakePlatform p;
  p.windowsUpper = "C:\\WINDOWS";
  p.shell = {{0x8000, "ud"}, {0x8002, "up"}, {0x8017, "cp"}, {0x8019, "cd"}};
  using V = TWindowsVersion;
  struct Row { V version; const char* desktop; const char* programs; };
  const Row rows[] = {{V::wvWinNT4, "cd", "cp"}, {V::wvWin2000, "cd", "cp"}, {V::wvWinXP, "cd", "cp"},
                      {V::wvWin95, "ud", "up"},  {V::wvWin98, "ud", "up"},   {V::wvWinMe, "ud", "up"},
                      {V::wvUnknown, "", ""},    {V(6), "", ""},             {V(-2), "", ""}};
  for (const Row& r : rows) {
    EXPECT_EQ(r.desktop, ChooseDesktopFolder(r.version, p.Facts())) << static_cast<int32_t>(r.version);
    EXPECT_EQ(r.programs, ChooseProgramsFolder(r.version, p.Facts())) << static_cast<int32_t>(r.version);
  }
}

TEST(FolderChoice, ShellAnswersAreTrimmedOnlyAtTheEnds) {
  char buf[64] = " \t C:\\Program Files \r\n";
  EXPECT_EQ("C:\\Program Files", ShellAnswer(0, buf, sizeof buf));
  EXPECT_EQ("", ShellAnswer(1 /* S_FALSE */, buf, sizeof buf));
  EXPECT_EQ("", ShellAnswer(static_cast<long>(0x80004005), buf, sizeof buf));
  char blanks[16] = "  \x01\x1f ";
  EXPECT_EQ("", ShellAnswer(0, blanks, sizeof blanks));
  // Bytes after the terminator are no part of the path.
  const char tail[] = {'C', ':', '\\', 'x', ' ', '\0', 'j', 'u', 'n', 'k'};
  EXPECT_EQ("C:\\x", ShellAnswer(0, tail, sizeof tail));
  // Byte 33 ('!') and high bytes are path characters.
  char edge[16] = "!a\xE9";
  EXPECT_EQ("!a\xE9", ShellAnswer(0, edge, sizeof edge));
}

TEST(FolderChoice, UpperCasingTouchesOnlyAsciiLetters) {
  EXPECT_EQ("C:\\ABZ`{@[\xE9\x81", UpperAscii("c:\\abz`{@[\xE9\x81"));
}

TEST(FolderChoice, CacheKeepsTheFirstUpperCasedAnswer) {
  TUpperCache cache;
  int calls = 0;
  std::string answer = "c:\\program files";
  auto compute = [&] { ++calls; return answer; };
  EXPECT_FALSE(cache.Filled());
  EXPECT_EQ("C:\\PROGRAM FILES", cache.Get(compute));
  answer = "d:\\elsewhere";
  EXPECT_EQ("C:\\PROGRAM FILES", cache.Get(compute));
  EXPECT_TRUE(cache.Filled());
  EXPECT_EQ(1, calls);
}
