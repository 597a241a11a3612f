// A user who can write into the product's folder swaps links in and out while the uninstaller
// runs (swapper.py, on the host): a folder of the product and files of the product become, for
// moments, links to another program's files of the same names. However the moments fall, the
// deletions never reach those files.
#include <gtest/gtest.h>
#include <cstdlib>
#include "setup/Uninstlist.h"
#include "unit/setup/Engtestutil.h"

using namespace engtest;

namespace {
const int kRuns = 50;

std::string Dir() {
  const char* host = std::getenv("TARVO_RACE");
  return host ? HostToWindowsPath(host) : std::string();
}

bool WaitFor(const std::string& name, bool present) {
  for (int i = 0; i < 20000; ++i) {
    if (PathExists(name) == present) return true;
    ::Sleep(1);
  }
  return false;
}

std::string Content(const std::string& name) {
  UniqueFile f(::CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  char buf[64];
  DWORD n = 0;
  if (!f || !::ReadFile(f.Get(), buf, sizeof buf, &n, nullptr)) return std::string();
  return std::string(buf, n);
}

std::vector<std::string> Names(const char* stem, int from) {
  std::vector<std::string> names;
  char n[16];
  for (int i = from; i < from + 16; ++i) {
    ::wsprintfA(n, "%s%02d.dll", stem, i);
    names.push_back(n);
  }
  return names;
}
}  // namespace

TEST(Race, LinksSwappedInDuringTheRunNeverLeadADeletionToABystander) {
  const std::string dir = Dir(), product = dir + "\\product", bystanders = dir + "\\bystanders";
  ASSERT_TRUE(IsFolder(bystanders)) << dir;
  std::vector<std::string> inFolder = Names("f", 0), beside = Names("g", 16), all = inFolder;
  all.insert(all.end(), beside.begin(), beside.end());
  int lost = 0, removed = 0, left = 0;
  for (int run = 0; run < kRuns; ++run) {
    ASSERT_TRUE(WaitFor(dir + "\\paused", true)) << "the swapper stopped answering";
    for (const auto& n : inFolder) WriteFile(product + "\\pics\\" + n, "ours");
    for (const auto& n : beside) WriteFile(product + "\\" + n, "ours");
    TUninstList list;
    list.InstallDir = product;
    for (const auto& n : inFolder) ASSERT_EQ(0, list.AddFileDeletion("pics\\" + n));
    for (const auto& n : beside) ASSERT_EQ(0, list.AddFileDeletion(n));
    WriteFile(dir + "\\go");
    ASSERT_TRUE(WaitFor(dir + "\\paused", false));
    EXPECT_EQ(0, list.Execute());
    ::DeleteFileA((dir + "\\go").c_str());
    ASSERT_TRUE(WaitFor(dir + "\\paused", true));
    for (const auto& n : all) {
      if (Content(bystanders + "\\" + n) != "keep " + n) {
        ++lost;
        ADD_FAILURE() << "run " << run << ": bystander lost: " << n;
        WriteFile(bystanders + "\\" + n, "keep " + n);
      }
    }
    for (const auto& n : inFolder) PathExists(product + "\\pics\\" + n) ? ++left : ++removed;
    for (const auto& n : beside) PathExists(product + "\\" + n) ? ++left : ++removed;
  }
  // Refused while a link stood in the way, removed otherwise: both must have happened, or the
  // swapper never raced the run at all.
  std::printf("race: %d runs, %d removed, %d refused, %d bystanders lost\n", kRuns, removed, left, lost);
  EXPECT_EQ(0, lost);
  EXPECT_GT(removed, 0);
  EXPECT_GT(left, 0);
}
