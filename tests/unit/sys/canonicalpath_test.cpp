// Folder names from outside made canonical.
#include <gtest/gtest.h>
#include <windows.h>
#include "sys/Canonicalpath.h"
#include "sys/Pathutil.h"
#include "unit/setup/Engtestutil.h"

using namespace engtest;

TEST(CanonicalPath, DotsSlashesAndRepeatsResolveInText) {
  const char* const rows[][2] = {
      {"C:\\windows\\.", "C:\\windows"},
      {"C:\\windows\\.\\", "C:\\windows"},
      {"C:\\Program Files\\Tarvolink\\..", "C:\\Program Files"},
      {"C:/a//b/./c/../", "C:\\a\\b"},
      {"C:\\..\\..", "C:\\"},
      {"c:\\", "c:\\"},
      {"\\\\srv\\share\\a\\..\\b", "\\\\srv\\share\\b"},
      {"\\\\srv\\share\\..", "\\\\srv\\share"},
      {"C:\\...x\\ a", "C:\\...x\\ a"},
  };
  for (const auto& row : rows) EXPECT_EQ(row[1], CanonicalPathText(row[0])) << row[0];
}

TEST(CanonicalPath, WhatIsNoPlainAbsoluteFolderIsRefused) {
  for (const char* p : {"", ".", ".\\", "Uninstall", "tv\\x", "C:", "C:x", "\\x", "\\\\srv", "\\\\srv\\",
                        "\\\\?\\C:\\Windows", "\\\\.\\C:\\Windows", "\\\\?\\UNC\\srv\\share\\x", "//?/C:/x",
                        "\\\\localhost\\C$\\Windows", "\\\\127.0.0.1\\d$", "\\\\srv\\ADMIN$\\x", "C:\\a\\NUL",
                        "C:\\a\\com1.txt", "C:\\con \\x", "C:\\a\\LPT9", "C:\\windows.", "C:\\windows \\x",
                        "C:\\a*", "C:\\a?b", "C:\\a:stream", "C:\\a|b", "C:\\a\x01"})
    EXPECT_EQ("", CanonicalPathText(p)) << p;
  for (const char* p : {"C:\\com10", "C:\\nulx", "C:\\a\\lpt0", "C:\\conx.txt"})
    EXPECT_NE("", CanonicalPathText(p)) << p;
}

// Names that no removal and no log may be given: devices in any folder and with any extension,
// characters that no file name holds, the device and raw forms; "/" separates as "\" does.
TEST(CanonicalPath, NamesThatCanBeNoDiskFileAreUnfit) {
  for (const char* n : {"CON", "nul", "NUL.txt", "nul .txt", "Con.", "pics\\NUL.bmp", "pics/aux.x.y", "C:\\w\\COM1",
                        "lpt9.log", "CONIN$", "conout$.dat", "a>b", "a<b", "pics\\x|y", "x?", "*.dll", "C:\\a\"b",
                        "C:\\a:stream", "a\x01" "b", "\\\\.\\C:", "\\\\.\\PhysicalDrive0", "//./COM1", "\\\\?\\C:\\x.log"})
    EXPECT_TRUE(IsUnfitFileName(n)) << n;
  for (const char* n : {"C:\\Work\\u.log", "pics\\keep.dll", "pics/keep.dll", "COM10", "nulx.txt", "LPT0", "x.con",
                        "CONSOLE", "\\\\srv\\share\\u.log", "\x83\x5c.txt"})
    EXPECT_FALSE(IsUnfitFileName(n)) << n;
}

TEST(CanonicalPath, ShortNamesExpandAsFarAsThePartsExist) {
  TempDir dir;
  std::string longName = dir / "A long folder name";
  ASSERT_TRUE(::CreateDirectoryA(longName.c_str(), nullptr));
  char shortName[MAX_PATH] = {};
  ASSERT_NE(0u, ::GetShortPathNameA(longName.c_str(), shortName, MAX_PATH));
  ASSERT_NE(std::string::npos, std::string(shortName).find('~')) << shortName;
  EXPECT_TRUE(SamePathText(longName, CanonicalPath(shortName))) << CanonicalPath(shortName);
  EXPECT_TRUE(SamePathText(longName + "\\not yet", ExpandShortNames(std::string(shortName) + "\\not yet")));
  EXPECT_TRUE(SamePathText(longName, CanonicalPath(std::string(shortName) + "\\sub\\..")));
  EXPECT_EQ(dir / "NOSUCH~1\\x", ExpandShortNames(dir / "NOSUCH~1\\x"));
}
