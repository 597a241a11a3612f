// The restart schedule's own pieces: the swap of a file's whole content, as WININIT.INI gets its
// lines, and those lines.
#include <gtest/gtest.h>
#include <windows.h>
#include "removal/Pendingremoval.h"
#include "unit/setup/Engtestutil.h"

using namespace engtest;

TEST(ReplaceContent, NewContentTakesThePlaceAndNothingIsLeftBeside) {
  TempDir dir;
  std::string name = dir / "WININIT.INI";
  ASSERT_TRUE(ReplaceFileContent(name, "[rename]\r\n"));   // none before
  std::string old = "[rename]\r\nNUL=C:\\OTHER~1\\X.SYS\r\n";
  ASSERT_TRUE(WriteBytes(name, old));
  // A read-only file refuses the replacing move: it steps aside and the new one comes in.
  ::SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_TRUE(ReplaceFileContent(name, old + "NUL=C:\\TV\\U.EXE\r\n"));
  EXPECT_EQ(old + "NUL=C:\\TV\\U.EXE\r\n", ReadBytes(name));
  WIN32_FIND_DATAA data;
  UniqueFind find(::FindFirstFileA((dir / "*").c_str(), &data));
  int files = 0;
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++files;
  } while (::FindNextFileA(find.Get(), &data));
  EXPECT_EQ(1, files);
  EXPECT_FALSE(ReplaceFileContent(dir / "no folder\\WININIT.INI", "x"));
}

TEST(Wininit, DeletionLinesJoinTheRenameSection) {
  EXPECT_EQ("[rename]\r\nNUL=C:\\A\\B.EXE\r\n", AddWininitDeletion("", "C:\\A\\B.EXE"));
  EXPECT_EQ("[x]\r\na=1\r\n[rename]\r\nNUL=C:\\B\r\n", AddWininitDeletion("[x]\r\na=1", "C:\\B"));
  EXPECT_EQ("[Rename] \r\nNUL=C:\\B\r\nNUL=C:\\A\r\n[y]\r\n",
            AddWininitDeletion("[Rename] \r\nNUL=C:\\A\r\n[y]\r\n", "C:\\B"));
  EXPECT_EQ("[rename]\r\nNUL=C:\\B\r\n", AddWininitDeletion("[rename]", "C:\\B"));
}
