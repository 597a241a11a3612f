// Links made on the host before the run (links.sh; Wine shows a folder link as a reparse point):
// nothing is removed, or scheduled for the restart, through one. Under Wine no link can be removed
// as a link (its handle is its target's): there every link in the way is refused.
#include <gtest/gtest.h>
#include <cstdlib>
#include "removal/Pendingremoval.h"
#include "setup/Uninstlist.h"
#include "sys/Fileiofun.h"
#include "sys/Nativefile.h"
#include "sys/Pathutil.h"
#include "sys/Reparse.h"
#include "sys/Runlog.h"
#include "sys/Sysutil.h"
#include "unit/setup/Engtestutil.h"

using namespace engtest;

namespace {
std::string LinksRoot() {
  const char* host = std::getenv("TARVO_LINKS");
  return host ? HostToWindowsPath(host) : std::string();
}

bool UnderWine() { return ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr; }

// What a link at the end comes to: removed as the link on Windows, refused under Wine.
uint32_t LinkAtTheEnd() { return UnderWine() ? kRemovalThroughLink : 0; }

std::string ReadAll(const std::string& path) {
  UniqueFile f(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  std::string out;
  char buf[4096];
  DWORD n = 0;
  while (f && ::ReadFile(f.Get(), buf, sizeof buf, &n, nullptr) && n > 0) out.append(buf, n);
  return out;
}

class Links : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_TRUE(IsFile(target + "\\keep.dll")) << root; }
  // Someone else's file, as links.sh made it.
  void Kept(const std::string& name) {
    EXPECT_EQ("keep " + name.substr(name.find_last_of('\\') + 1), ReadAll(name)) << name;
  }
  std::string root = LinksRoot(), product = root + "\\product", target = root + "\\target";
};
}  // namespace

TEST_F(Links, TheWayDownFromATrustedFolderIsChecked) {
  EXPECT_TRUE(IsReparsePoint(product + "\\pics"));
  EXPECT_FALSE(IsReparsePoint(target));
  EXPECT_TRUE(CrossesReparsePoint(product + "\\pics\\keep.dll", product));
  EXPECT_TRUE(CrossesReparsePoint(product + "\\pics\\keep.dll", ""));
  EXPECT_TRUE(CrossesReparsePoint(root + "\\linkdir\\keep.dll", root));
  EXPECT_TRUE(CrossesReparsePoint(root + "\\linkdir\\keep.dll", "D:\\elsewhere"));   // not below: from the root
  EXPECT_FALSE(CrossesReparsePoint(product + "\\pics", product));   // the last part is no way down
  EXPECT_FALSE(CrossesReparsePoint(product + "\\pics\\keep.dll", product + "\\pics"));
  EXPECT_FALSE(CrossesReparsePoint(target + "\\keep.dll", root));
  EXPECT_FALSE(CrossesReparsePoint(product + "\\none\\x.dll", product));
  // "/" is a separator too, in the path and in the trusted folder.
  EXPECT_TRUE(CrossesReparsePoint(product + "/pics/keep.dll", product));
  EXPECT_TRUE(CrossesReparsePoint(product + "\\pics/keep.dll", WithBackslashes(product) + "/"));
}

TEST_F(Links, NothingBehindALinkIsRemovedOrScheduled) {
  EXPECT_EQ(kRemovalThroughLink, RemoveFile(product + "\\pics\\keep.dll", product));
  EXPECT_EQ(kRemovalThroughLink, RemoveFile(product + "\\pics\\keep.dll"));
  EXPECT_EQ(kRemovalThroughLink, RemoveFile(product + "/pics/keep.dll", product));
  EXPECT_EQ(kRemovalThroughLink, RemoveFile(root + "/linkdir\\keep.dll", root));
  EXPECT_EQ(kRemovalThroughLink, RemoveFolder(product + "\\pics\\sub", product));
  EXPECT_EQ(LinkAtTheEnd(), RemoveFile(product + "\\file.dll", product));
  EXPECT_EQ(LinkAtTheEnd(), RemoveFolder(product + "\\pics", product));
  EXPECT_FALSE(ScheduleFileRemoval(product + "\\pics\\keep.dll", product));
  EXPECT_FALSE(ScheduleFileRemoval(product + "/pics/keep.dll", product));
  EXPECT_FALSE(ScheduleFolderRemoval(product + "\\pics", product));
  for (const char* n : {"keep.dll", "other.dll"}) Kept(target + "\\" + n);
  EXPECT_TRUE(IsFolder(target));

  // The steps: a name behind a link, written with either separator, or bare names in an
  // installation folder that is a link, end their item at once and untouched.
  TempDir logs;
  ASSERT_TRUE(RunlogOpen(logs / "run.log").Opened());
  TUninstList list;
  list.InstallDir = root + "\\linkdir";
  ASSERT_EQ(0, list.AddFileDeletion("keep.dll"));
  ASSERT_EQ(0, list.AddFileDeletion(product + "\\pics\\keep.dll"));
  ASSERT_EQ(0, list.AddFolderRemoval(list.InstallDir));
  EXPECT_EQ(0, list.Execute());
  list.InstallDir = product;
  list.Clear();
  ASSERT_EQ(0, list.AddFileDeletion("pics/keep.dll"));
  EXPECT_EQ(0, list.Execute());
  RunlogClose();
  for (const auto& item : list.Items) EXPECT_EQ(item->Weight, item->StepsDone) << item->Target;
  EXPECT_TRUE(list.Held().Files().empty());
  EXPECT_FALSE(IsScheduledForRemoval(target + "\\keep.dll"));
  EXPECT_FALSE(IsScheduledForRemoval(product + "\\pics\\keep.dll"));
  Kept(target + "\\keep.dll");
  const std::string log = ReadAll(logs / "run.log");
  EXPECT_NE(std::string::npos,
            log.find("Delete file " + product + "\\pics/keep.dll: left alone, a link is in the way\r\n")) << log;
  EXPECT_EQ(std::string::npos, log.find("removed")) << log;
}

// Where the place cannot be had in full (a target path longer than any buffer of the program), or
// the file is held, nothing goes by name and no attribute changes.
TEST_F(Links, ALongTargetOrAHeldFileBehindALinkChangesNothing) {
  // The target lies too deep for the ANSI calls to reach by its own name: read through the link.
  const std::string deep = product + "\\far\\far.dll";
  ASSERT_TRUE(IsFile(deep));
  EXPECT_EQ(LinkAtTheEnd(), RemoveFile(product + "\\far.dll", product));
  EXPECT_EQ(kRemovalThroughLink, RemoveFile(product + "\\far\\far.dll", product));
  Kept(deep);

  const std::string held = target + "\\held.dll";
  const DWORD kept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
  ASSERT_TRUE(::SetFileAttributesA(held.c_str(), kept));
  FileHolder holder;
  ASSERT_TRUE(holder.Start(held)) << FileHolder::Exe();
  EXPECT_EQ(LinkAtTheEnd(), RemoveFile(product + "\\held.dll", product));
  holder.End();
  EXPECT_EQ(kept, ::GetFileAttributesA(held.c_str()) & (kept | FILE_ATTRIBUTE_SYSTEM));
  ::SetFileAttributesA(held.c_str(), FILE_ATTRIBUTE_NORMAL);
  Kept(held);
}

// A second name of someone else's read-only file: the name goes, the file keeps its attributes.
TEST_F(Links, AnotherNameOfAReadOnlyFileGoesAndTheFileStaysReadOnly) {
  EXPECT_EQ(0u, RemoveFile(product + "\\hard.dll", product));
  EXPECT_FALSE(PathExists(product + "\\hard.dll"));
  Kept(target + "\\ro.dll");
  EXPECT_NE(0u, ::GetFileAttributesA((target + "\\ro.dll").c_str()) & FILE_ATTRIBUTE_READONLY);
}

namespace {
// Stand-ins for the native calls, each wrong in one way.
LONG WINAPI NoAnswer(HANDLE, void*, void*, ULONG, int) { return static_cast<LONG>(0xC0000001); }
int g_nameAsks = 0;
// Every name after the first (the trusted folder's) on another volume: its device part changed.
LONG WINAPI SecondVolume(HANDLE handle, int infoClass, void* info, ULONG length, ULONG* returned) {
  LONG status = SystemNativeCalls().QueryObject(handle, infoClass, info, length, returned);
  TNtUnicodeString* name = static_cast<TNtUnicodeString*>(info);
  if (status == 0 && ++g_nameAsks > 1 && name->Length > 8) name->Buffer[4] ^= 1;
  return status;
}
}  // namespace

TEST_F(Links, APlaceThatCannotBeCheckedIsNeverRemovedByName) {
  const std::string ours = product + "\\real\\ours.dll";
  ASSERT_TRUE(IsFile(ours));
  TNativeCalls calls = SystemNativeCalls();
  ASSERT_TRUE(calls.Complete());
  // Without links opened as themselves (NT 4), the handles' places still refuse every link.
  calls.OpenLinksAsThemselves = false;
  EXPECT_EQ(kRemovalThroughLink, RemoveThroughCheckedHandle(calls, product + "\\pics\\keep.dll", product, false, nullptr));
  if (UnderWine())
    EXPECT_EQ(kRemovalThroughLink, RemoveThroughCheckedHandle(calls, product + "\\file.dll", product, false, nullptr));
  // A file on another volume where the name says: elsewhere.
  calls.QueryObject = &SecondVolume;
  EXPECT_EQ(kRemovalThroughLink, RemoveThroughCheckedHandle(calls, ours, product, false, nullptr));
  // No answer on the place, or no calls at all: nothing done, and said so.
  calls = SystemNativeCalls();
  calls.QueryInformation = &NoAnswer;
  EXPECT_EQ(kRemovalUnchecked, RemoveThroughCheckedHandle(calls, ours, product, false, nullptr));
  calls = SystemNativeCalls();
  calls.OpenFile = nullptr;
  EXPECT_EQ(kRemovalUnchecked, RemoveThroughCheckedHandle(calls, ours, product, false, nullptr));
  EXPECT_TRUE(IsFile(ours));
  // The same file, checked: removed, and then absent.
  TCheckedFolders folders;
  EXPECT_EQ(0u, RemoveThroughCheckedHandle(SystemNativeCalls(), ours, product, false, &folders));
  EXPECT_EQ(0u, RemoveThroughCheckedHandle(SystemNativeCalls(), ours, product, false, &folders));
  EXPECT_FALSE(PathExists(ours));
  // A folder that a kept handle checked goes all the same, and its name with it.
  EXPECT_EQ(0u, RemoveThroughCheckedHandle(SystemNativeCalls(), product + "\\real", product, true, &folders));
  EXPECT_FALSE(PathExists(product + "\\real"));
}
