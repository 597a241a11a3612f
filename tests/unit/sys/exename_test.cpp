// The running program's own file, which the hand-over copies: how a path is told to name it, and
// its hold from the start.
#include <gtest/gtest.h>
#include "sys/Exename.h"
#include "unit/setup/Engtestutil.h"

using namespace engtest;

TEST(SelfRemovalIdentity, NamesTheRunningProgramHoweverWrittenAndNoCopyOfIt) {
  std::string self = ExeFileName();
  ASSERT_TRUE(IsFile(self));
  EXPECT_TRUE(IsThisProgram(self));
  std::string lower = self;
  for (char& c : lower) c = static_cast<char>(::tolower(static_cast<unsigned char>(c)));
  EXPECT_TRUE(IsThisProgram(lower));
  TempDir dir;
  ASSERT_TRUE(::CopyFileA(self.c_str(), (dir / "copy.exe").c_str(), FALSE));
  EXPECT_FALSE(IsThisProgram(dir / "copy.exe"));
  EXPECT_FALSE(IsThisProgram(dir / "missing.exe"));
}

// What the hand-over copies: the program's own file, held from the start, that nobody can rename
// or replace meanwhile and that no program started from here inherits.
TEST(ProgramFile, HeldItCannotBeRenamedNorDeletedAndIsTheFileThatRuns) {
  std::string self = ExeFileName();
  ASSERT_EQ(0u, HoldProgramFile());
  EXPECT_EQ(0u, HoldProgramFile());   // held once
  EXPECT_EQ(0u, ProgramFileHoldError());
  HANDLE held = static_cast<HANDLE>(HeldProgramFile());
  ASSERT_NE(nullptr, held);
  DWORD flags = 0;
  ASSERT_TRUE(::GetHandleInformation(held, &flags));
  EXPECT_EQ(0u, flags & HANDLE_FLAG_INHERIT);
  TFileIdentity viaHandle, viaName;
  ASSERT_TRUE(FileIdentityOf(held, viaHandle));
  ASSERT_TRUE(ReadFileIdentity(self, viaName));
  EXPECT_TRUE(viaHandle == viaName);
  std::string aside = self + ".aside";
  EXPECT_FALSE(::MoveFileA(self.c_str(), aside.c_str()));
  EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), ::GetLastError());
  EXPECT_FALSE(::DeleteFileA(self.c_str()));
  EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), ::GetLastError());
  EXPECT_TRUE(IsFile(self));

  // The image's name and the held file's, as the system gives them now.
  auto same = [](const std::wstring& a, const std::wstring& b) {
    return SameObjectName(a.c_str(), a.size(), b.c_str(), b.size());
  };
  const std::wstring image = L"\\Device\\HarddiskVolume2\\Program Files\\Tarvolink\\Uninstall.EXE";
  EXPECT_TRUE(same(image, L"\\device\\harddiskvolume2\\program files\\tarvolink\\UNINSTALL.exe"));
  EXPECT_FALSE(same(L"\\Device\\HarddiskVolume2\\Program Files\\Tarvolink\\Uninstall.old", image));
  EXPECT_FALSE(same(image, L"\\Device\\HarddiskVolume3\\Program Files\\Tarvolink\\Uninstall.EXE"));
  EXPECT_FALSE(same(image, image + L"x"));
  EXPECT_TRUE(same(L"", image));   // not told: the hold stands
}
