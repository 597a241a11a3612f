// Links made on the host before the run (Wine shows a folder link as a reparse point): nothing
// is removed, or scheduled for the restart, through one.
#include <gtest/gtest.h>
#include <cstdlib>
#include "setup/Uninstlist.h"
#include "sys/Fileiofun.h"
#include "sys/Pendingremoval.h"
#include "sys/Reparse.h"
#include "unit/sys/WinFiles.h"

namespace {
std::string Links() {
  const char* host = std::getenv("TARVO_LINKS");
  return host ? HostToWindowsPath(host) : std::string();
}
}  // namespace

TEST(Links, TheWayDownFromATrustedFolderIsChecked) {
  std::string root = Links(), product = root + "\\product", target = root + "\\target";
  ASSERT_TRUE(IsFile(target + "\\keep.dll")) << root;
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
}

TEST(Links, NothingBehindALinkIsRemovedOrScheduled) {
  std::string root = Links(), product = root + "\\product", target = root + "\\target";
  ASSERT_TRUE(IsFile(target + "\\keep.dll")) << root;
  EXPECT_EQ(kRemovalThroughLink, RemoveFile(product + "\\pics\\keep.dll", product));
  EXPECT_EQ(kRemovalThroughLink, RemoveFile(product + "\\pics\\keep.dll"));
  // A file link at the end: removed as a link (Windows) or, where its handle shows the target
  // (Wine), left; never the target.
  uint32_t fileLink = RemoveFile(product + "\\file.dll", product);
  EXPECT_TRUE(fileLink == 0 || fileLink == kRemovalThroughLink) << fileLink;
  RemoveFolder(product + "\\pics", product);
  EXPECT_FALSE(ScheduleFileRemoval(product + "\\pics\\keep.dll", product));
  EXPECT_FALSE(ScheduleFolderRemoval(product + "\\pics", product));

  // The steps: a name behind a link, or bare names in an installation folder that is a link, end
  // their item at once and untouched.
  TUninstList list;
  list.InstallDir = root + "\\linkdir";
  ASSERT_EQ(0, list.AddFileDeletion("keep.dll"));
  ASSERT_EQ(0, list.AddFileDeletion(product + "\\pics\\keep.dll"));
  ASSERT_EQ(0, list.AddFolderRemoval(list.InstallDir));
  EXPECT_EQ(0, list.Execute());
  for (const auto& item : list.Items) EXPECT_EQ(item->Weight, item->StepsDone) << item->Target;
  EXPECT_FALSE(IsScheduledForRemoval(target + "\\keep.dll"));
  EXPECT_FALSE(IsScheduledForRemoval(product + "\\pics\\keep.dll"));
  EXPECT_TRUE(IsFile(target + "\\keep.dll"));
  EXPECT_TRUE(IsFile(target + "\\other.dll"));
}
