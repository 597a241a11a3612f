// The file that a run writes where someone else chose the path (the log): links, second names,
// devices and folders planted there are refused, and what they lead to stays as it was.
#include <gtest/gtest.h>
#include <cstdlib>
#include "sys/Ownfile.h"
#include "unit/sys/WinFiles.h"

namespace {
// Made on the host before the run (Wine cannot make links): see CMakeLists.txt.
std::string Planted() {
  const char* host = std::getenv("TARVO_OWNFILE_LINKS");
  return host ? HostToWindowsPath(host) : std::string();
}

std::string Content(const std::string& path) {
  UniqueFile f(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, 0, nullptr));
  std::string out;
  char buf[256];
  DWORD got = 0;
  while (f && ::ReadFile(f.Get(), buf, sizeof buf, &got, nullptr) && got) out.append(buf, got);
  return out;
}
}  // namespace

TEST(OwnFile, WhatIsPlantedAtThePathIsRefusedAndWhatItLeadsToStays) {
  const std::string root = Planted(), logs = root + "\\logs";
  ASSERT_TRUE(IsFile(root + "\\victim.txt")) << root;
  struct Case {
    std::string path;
    TOwnFileRefusal refusal;
  };
  // A file link looks like a plain file of one name under Wine: where its handle lies tells.
  const Case cases[] = {
      {logs + "\\link.log", TOwnFileRefusal::Elsewhere},
      {logs + "\\hard.log", TOwnFileRefusal::SecondName},
      {logs + "\\dangling.log", TOwnFileRefusal::Link},
      {root + "\\viadir\\new.log", TOwnFileRefusal::Elsewhere},
      {logs, TOwnFileRefusal::Folder},
      {"NUL", TOwnFileRefusal::UnfitName},
      {logs + "\\NUL.txt", TOwnFileRefusal::UnfitName},
      {logs + "\\nul .log", TOwnFileRefusal::UnfitName},
      {"COM1", TOwnFileRefusal::UnfitName},
      {"C:\\Work\\lpt1.log", TOwnFileRefusal::UnfitName},
      {"\\\\.\\C:", TOwnFileRefusal::UnfitName},
      {"\\\\.\\PhysicalDrive0", TOwnFileRefusal::UnfitName},
      {"\\\\?\\" + logs + "\\u.log", TOwnFileRefusal::UnfitName},
      {logs + "\\u.log:hidden", TOwnFileRefusal::UnfitName},
      {logs + "\\u|v.log", TOwnFileRefusal::UnfitName},
      {logs + "\\u\x01.log", TOwnFileRefusal::UnfitName},
      {"", TOwnFileRefusal::UnfitName},
      {"\\\\server\\share\\u.log", TOwnFileRefusal::NotLocal},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    TOwnFile f = OpenOwnFile(c.path);
    EXPECT_EQ(static_cast<int>(c.refusal), static_cast<int>(f.Status.Refusal));
    EXPECT_FALSE(f.File.Valid());
    EXPECT_TRUE(f.Place.empty());
  }
  EXPECT_EQ("victim\n", Content(root + "\\victim.txt"));
  EXPECT_EQ("other\n", Content(root + "\\other.txt"));
  // What the folder link led to got nothing, and nothing was made where the dangling link points.
  EXPECT_FALSE(PathExists(root + "\\elsewhere\\new.log"));
  EXPECT_FALSE(PathExists(root + "\\nowhere.txt"));
  EXPECT_FALSE(PathExists(logs + "\\u.log"));

  TOwnFile missing = OpenOwnFile(root + "\\missing\\u.log");
  EXPECT_EQ(static_cast<int>(TOwnFileRefusal::Failed), static_cast<int>(missing.Status.Refusal));
  EXPECT_EQ(static_cast<uint32_t>(ERROR_PATH_NOT_FOUND), missing.Status.Error);
  for (TOwnFileRefusal r : {TOwnFileRefusal::UnfitName, TOwnFileRefusal::NotLocal, TOwnFileRefusal::Folder,
                            TOwnFileRefusal::Device, TOwnFileRefusal::Link, TOwnFileRefusal::SecondName,
                            TOwnFileRefusal::Elsewhere})
    EXPECT_STRNE("", OwnFileRefusalText(r));
}

TEST(OwnFile, AnOrdinaryFileIsTakenByItsLongNameAndEmptiedOnlyWhenAsked) {
  TempDir scratch;
  const std::string dir = scratch / "Tarvo Own Logs";
  ASSERT_TRUE(::CreateDirectoryA(dir.c_str(), nullptr));
  const std::string fresh = dir + "\\fresh run.log", old = dir + "\\old.log";
  {
    TOwnFile f = OpenOwnFile(fresh);
    ASSERT_TRUE(f.Status.Opened()) << f.Status.Error;
    EXPECT_FALSE(f.Existed);
    EXPECT_EQ(fresh, f.Place);
    // Others may read it meanwhile, never write it.
    UniqueFile writer(::CreateFileA(fresh.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(writer.Valid());
    EXPECT_EQ("", Content(fresh));
  }
  ASSERT_TRUE(WriteBytes(old, "the old one\r\n"));
  char shortName[MAX_PATH] = {};
  ASSERT_NE(0u, ::GetShortPathNameA(old.c_str(), shortName, MAX_PATH));
  TOwnFile f = OpenOwnFile(shortName);
  ASSERT_TRUE(f.Status.Opened()) << shortName;
  EXPECT_TRUE(f.Existed);
  EXPECT_EQ(old, f.Place) << shortName;
  EXPECT_EQ("the old one\r\n", Content(old));
  EXPECT_TRUE(EmptyOwnFile(f));
  EXPECT_FALSE(f.Existed);
  EXPECT_EQ("", Content(old));
}

TEST(OwnFile, WhereAHandleLiesIsToldBothWays) {
  const std::string root = Planted();
  ASSERT_TRUE(IsFile(root + "\\victim.txt")) << root;
  auto open = [](const std::string& path) {
    return UniqueFile(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
  };
  UniqueFile plain = open(root + "\\victim.txt"), linked = open(root + "\\logs\\link.log");
  ASSERT_TRUE(plain.Valid());
  ASSERT_TRUE(linked.Valid());
  EXPECT_TRUE(HandleLiesAt(plain.Get(), root + "\\victim.txt"));
  EXPECT_TRUE(HandleLiesBelowVolumeAt(plain.Get(), root + "\\VICTIM.TXT"));
  for (bool (*lies)(void*, const std::string&) : {&HandleLiesAt, &HandleLiesBelowVolumeAt}) {
    EXPECT_FALSE(lies(linked.Get(), root + "\\logs\\link.log"));
    EXPECT_FALSE(lies(plain.Get(), root + "\\other.txt"));
  }
  // The same path below another volume is another file.
  TempDir scratch;
  const std::string onC = scratch / "tvown.txt";
  ASSERT_TRUE(WriteBytes(onC, "c"));
  UniqueFile c = open(onC);
  EXPECT_TRUE(HandleLiesBelowVolumeAt(c.Get(), onC));
  EXPECT_FALSE(HandleLiesBelowVolumeAt(c.Get(), "Z" + onC.substr(1)));
}
