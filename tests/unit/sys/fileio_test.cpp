#include <gtest/gtest.h>
#include <windows.h>

#include "sys/Fileiofun.h"
#include "unit/sys/WinFiles.h"

namespace {

constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

TEST(FileRead, NoFileMeansNoHandleAndZeros) {
  TempDir scratch(TempDir::InCurrentFolder);
  std::string folder = scratch / "fio_nofile_dir";
  ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
  EXPECT_EQ(kInvalidFileHandle, OpenFileForRead("fio_missing.bin"));
  EXPECT_EQ(kInvalidFileHandle, OpenFileForRead(""));
  EXPECT_EQ(kInvalidFileHandle, OpenFileForRead(folder));

  char buf[4] = {'x', 'x', 'x', 'x'};
  EXPECT_EQ(0u, GetOpenFileSize(kInvalidFileHandle));
  EXPECT_EQ(0u, ReadFileAt(kInvalidFileHandle, 0, 0, buf, sizeof buf));
  EXPECT_EQ('x', buf[0]);
  CloseFileHandle(kInvalidFileHandle);   // nothing to close, nothing happens
}

TEST(FileRead, OpenGrantsNoSharing) {
  TempDir scratch(TempDir::InCurrentFolder);
  std::string name = scratch / "fio_noshare.bin";
  ASSERT_TRUE(WriteBytes(name, "abc"));
  FileHandle h = OpenFileForRead(name);
  ASSERT_NE(kInvalidFileHandle, h);
  HANDLE other = ::CreateFileA(name.c_str(), GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(INVALID_HANDLE_VALUE, other);
  EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), ::GetLastError());
  if (other != INVALID_HANDLE_VALUE) ::CloseHandle(other);
  EXPECT_EQ(kInvalidFileHandle, OpenFileForRead(name));
  CloseFileHandle(h);

  h = OpenFileForRead(name);   // closed for real: it opens again
  EXPECT_NE(kInvalidFileHandle, h);
  CloseFileHandle(h);
}

TEST(FileRead, FileHeldByAnotherProcessDoesNotOpen) {
  TempDir scratch(TempDir::InCurrentFolder);
  std::string name = scratch / "fio_held.bin";
  ASSERT_TRUE(WriteBytes(name, "abc"));
  FileHolder holder;
  ASSERT_TRUE(holder.Start(name)) << FileHolder::Exe();
  EXPECT_EQ(kInvalidFileHandle, OpenFileForRead(name));
}

TEST(FileRead, SizeAndReadsAtTheEdges) {
  TempDir scratch(TempDir::InCurrentFolder);
  std::string name = scratch / "fio_ten.bin";
  std::string empty = scratch / "fio_empty.bin";
  ASSERT_TRUE(WriteBytes(name, "0123456789"));
  ASSERT_TRUE(WriteBytes(empty, ""));

  FileHandle h = OpenFileForRead(name);
  ASSERT_NE(kInvalidFileHandle, h);
  EXPECT_EQ(10u, GetOpenFileSize(h));
  char buf[32] = {};
  EXPECT_EQ(10u, ReadFileAt(h, 0, 0, buf, sizeof buf));   // more asked than there is
  EXPECT_STREQ("0123456789", buf);
  char part[4] = {};
  EXPECT_EQ(3u, ReadFileAt(h, 4, 0, part, 3));
  EXPECT_STREQ("456", part);
  EXPECT_EQ(2u, ReadFileAt(h, 8, 0, buf, 5));              // short: what remained
  EXPECT_EQ('8', buf[0]);
  EXPECT_EQ(0u, ReadFileAt(h, 10, 0, buf, 5));             // at the end
  EXPECT_EQ(0u, ReadFileAt(h, 1000, 0, buf, 5));           // beyond it
  EXPECT_EQ(3u, ReadFileAt(h, 1, 0, part, 3));             // the position is set every time
  EXPECT_STREQ("123", part);
  CloseFileHandle(h);

  h = OpenFileForRead(empty);
  ASSERT_NE(kInvalidFileHandle, h);
  EXPECT_EQ(0u, GetOpenFileSize(h));
  EXPECT_EQ(0u, ReadFileAt(h, 0, 0, buf, 1));
  CloseFileHandle(h);
}

TEST(FileRead, SizesAndOffsetsPastFourGiB) {
  TempDir scratch(TempDir::InCurrentFolder);
  std::string big = scratch / "fio_5gib.bin";
  std::string allOnes = scratch / "fio_4gib_minus_1.bin";
  const uint64_t markerAt = 4 * kGiB + 10;
  if (!MakeSizedFile(big, 5 * kGiB, "head", markerAt, "M") ||
      !MakeSizedFile(allOnes, 0xFFFFFFFFull, "head")) {
    GTEST_SKIP() << "this file system cannot hold sparse files of 5 GiB";
  }

  FileHandle h = OpenFileForRead(big);
  ASSERT_NE(kInvalidFileHandle, h);
  EXPECT_EQ(5 * kGiB, GetOpenFileSize(h));
  char c = 0;
  EXPECT_EQ(1u, ReadFileAt(h, 10, 1, &c, 1));   // the high half of the offset counts
  EXPECT_EQ('M', c);
  EXPECT_EQ(1u, ReadFileAt(h, 10, 0, &c, 1));
  EXPECT_EQ(0, c);
  EXPECT_EQ(0u, ReadFileAt(h, 0, 5, &c, 1));    // 20 GiB: past the end
  CloseFileHandle(h);

  // A low half of all ones is a size, not a failure, when no error goes with it.
  h = OpenFileForRead(allOnes);
  ASSERT_NE(kInvalidFileHandle, h);
  EXPECT_EQ(0xFFFFFFFFull, GetOpenFileSize(h));
  CloseFileHandle(h);
}

TEST(FileRemove, AttributesDoNotStopTheDelete) {
  TempDir scratch(TempDir::InCurrentFolder);
  for (DWORD attrs : {DWORD(FILE_ATTRIBUTE_READONLY), DWORD(FILE_ATTRIBUTE_HIDDEN), kKeptAttributes}) {
    std::string name = scratch / ("fio_attr_" + std::to_string(attrs) + ".bin");
    ASSERT_TRUE(WriteBytes(name, "x"));
    ASSERT_TRUE(::SetFileAttributesA(name.c_str(), attrs));
    EXPECT_EQ(0u, RemoveFile(name)) << attrs;
    EXPECT_FALSE(IsFile(name)) << attrs;
  }
}

TEST(FileRemove, NothingToRemoveIsSuccess) {
  TempDir scratch(TempDir::InCurrentFolder);
  std::string folder = scratch / "fio_rm_folder";
  ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
  EXPECT_EQ(0u, RemoveFile("fio_rm_missing.bin"));
  EXPECT_EQ(0u, RemoveFile(""));
  EXPECT_EQ(0u, RemoveFile(folder));   // a folder is not a file: left alone
  EXPECT_TRUE(IsFolder(folder));

  std::string name = scratch / "fio_rm_twice.bin";
  ASSERT_TRUE(WriteBytes(name, "x"));
  EXPECT_EQ(0u, RemoveFile(name));
  EXPECT_EQ(0u, RemoveFile(name));
}

TEST(FileRemove, ANameThatCannotBeExaminedIsNoMissingFile) {
  // Only "file not found" and "path not found" mean absent: a name that can be no file is none of
  // ours (nothing is asked of the system), and one whose place cannot be checked fails.
  for (const std::string& name : {std::string("fio_rm_bad?.bin"), std::string("fio_rm_*"),
                                  "C:\\" + std::string(300, 'x') + "\\x.bin"}) {
    EXPECT_NE(0u, RemoveFile(name)) << name;
    EXPECT_NE(0u, RemoveFolder(name)) << name;
  }
  EXPECT_EQ(0u, RemoveFile("fio_rm_no_folder\\x.bin"));
  EXPECT_EQ(0u, RemoveFolder("fio_rm_no_folder\\x"));
  EXPECT_EQ(kRemovalUnchecked, RemoveFile("C:\\" + std::string(600, 'x') + "\\x.bin"));
}

TEST(FileRemove, DevicesAndForbiddenCharactersNameNothingOfOurs) {
  TempDir scratch(TempDir::InCurrentFolder);
  std::string folder = scratch / "fio_rm_names";
  ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
  for (const std::string& name : {std::string("CON"), std::string("nul"), std::string("CONIN$"), std::string("LPT1.txt"),
                                  folder + "\\NUL.bmp", folder + "/com9 .log", folder + "\\a>b.txt",
                                  folder + "\\a|b", std::string("C:\\x:stream"), std::string("\\\\?\\C:\\x.bin")}) {
    EXPECT_EQ(kRemovalNoFileName, RemoveFile(name)) << name;
    EXPECT_EQ(kRemovalNoFileName, RemoveFolder(name)) << name;
  }
  EXPECT_TRUE(IsFolder(folder));
}

TEST(FileRemove, FileInUseStaysWithNormalAttributes) {
  TempDir scratch(TempDir::InCurrentFolder);
  std::string name = scratch / "fio_rm_held.bin";
  ASSERT_TRUE(WriteBytes(name, "x"));
  ASSERT_TRUE(::SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
  FileHolder holder;
  ASSERT_TRUE(holder.Start(name)) << FileHolder::Exe();
  EXPECT_EQ(static_cast<uint32_t>(ERROR_SHARING_VIOLATION), RemoveFile(name));
  EXPECT_TRUE(IsFile(name));
  EXPECT_EQ(0u, ::GetFileAttributesA(name.c_str()) & kKeptAttributes);
}

TEST(FolderRemove, OnlyEmptyFoldersGo) {
  TempDir scratch(TempDir::InCurrentFolder);
  std::string empty = scratch / "fio_dir_empty";
  std::string full = scratch / "fio_dir_full";
  std::string inside = full + "\\keep.txt";
  ASSERT_TRUE(::CreateDirectoryA(empty.c_str(), nullptr));
  ASSERT_TRUE(::CreateDirectoryA(full.c_str(), nullptr));
  ASSERT_TRUE(WriteBytes(inside, "x"));

  EXPECT_EQ(0u, RemoveFolder(empty));
  EXPECT_FALSE(IsFolder(empty));
  EXPECT_EQ(static_cast<uint32_t>(ERROR_DIR_NOT_EMPTY), RemoveFolder(full));
  EXPECT_TRUE(IsFolder(full));
  EXPECT_TRUE(IsFile(inside));
}

TEST(FolderRemove, FilesAndMissingPathsAreLeftAlone) {
  TempDir scratch(TempDir::InCurrentFolder);
  std::string file = scratch / "fio_dir_is_file.txt";
  ASSERT_TRUE(WriteBytes(file, "x"));
  EXPECT_EQ(0u, RemoveFolder(file));
  EXPECT_TRUE(IsFile(file));
  EXPECT_EQ(0u, RemoveFolder("fio_dir_missing"));
  EXPECT_EQ(0u, RemoveFolder(""));
}

}  // namespace
