// Closing a running program of the same toolkit by its window title, against a real second process.
#include <gtest/gtest.h>
#include "setup/Uninstlist.h"
#include "unit/setup/Engtestutil.h"

using namespace engtest;

namespace {

// Starts the stand-in product and waits until its window is there.
std::unique_ptr<Process> StartProduct(const std::string& mode, const std::string& title) {
  std::unique_ptr<Process> p(new Process("\"" + HelperExe("fake_product.exe") + "\" window " + mode + " \"" + title + "\""));
  for (int i = 0; i < 600 && !::FindWindowA("TApplication", title.c_str()); ++i) ::Sleep(50);
  return p;
}

int32_t RunClose(const std::string& title, Recorder& rec, TUninstList& list) {
  Attach(list, rec);
  EXPECT_EQ(0, list.AddCloseProgram(title));
  return list.Execute();
}

}  // namespace

TEST(CloseProgram, AProgramThatClosesEndsTheItemAtTheNextStep) {
  std::string title = Unique("Tarvo Link test ");
  auto product = StartProduct("close", title);
  ASSERT_TRUE(::FindWindowA("TApplication", title.c_str()));
  TUninstList list;
  Recorder rec;
  EXPECT_EQ(0, RunClose(title, rec, list));
  EXPECT_TRUE(product->Exited(30000));
  EXPECT_FALSE(::FindWindowA("TApplication", title.c_str()));
  // The request, then one report that finds the window gone.
  EXPECT_EQ((std::vector<int32_t>{0, 10}), rec.Percents());
  EXPECT_EQ(10, list.Items[0]->StepsDone);
}

TEST(CloseProgram, AMinimisedProgramIsRestoredBeforeTheRequest) {
  std::string title = Unique("Tarvo Link min ");
  auto product = StartProduct("minimized", title);
  HWND wnd = ::FindWindowA("TApplication", title.c_str());
  ASSERT_TRUE(wnd);
  for (int i = 0; i < 100 && !::IsIconic(wnd); ++i) ::Sleep(50);
  ASSERT_TRUE(::IsIconic(wnd));
  TUninstList list;
  Recorder rec;
  EXPECT_EQ(0, RunClose(title, rec, list));
  EXPECT_TRUE(product->Exited(30000));   // it refuses to close while minimised
  EXPECT_EQ(2u, rec.reports.size());
}

TEST(CloseProgram, AbsentWindowsAndEmptyTitlesFinishAtOnce) {
  std::string title = Unique("Tarvo Link stays ");
  auto product = StartProduct("close", title);
  ASSERT_TRUE(::FindWindowA("TApplication", title.c_str()));
  TUninstList list;
  Recorder rec;
  EXPECT_EQ(0, RunClose(Unique("No such title "), rec, list));
  list.Clear();
  EXPECT_EQ(0, RunClose("", rec, list));   // an empty title, not "any title"
  EXPECT_EQ(2u, rec.reports.size());
  EXPECT_TRUE(::FindWindowA("TApplication", title.c_str()));
  EXPECT_FALSE(product->Exited());
}

// About nine seconds: one close request, then nine waits, each after its own report.
TEST(CloseProgram, AProgramThatRefusesNeverStopsTheRun) {
  std::string title = Unique("Tarvo Link refuses ");
  auto product = StartProduct("refuse", title);
  ASSERT_TRUE(::FindWindowA("TApplication", title.c_str()));
  TempDir dir;
  WriteFile(dir / "after.txt");
  TUninstList list;
  Recorder rec;
  Attach(list, rec);
  ASSERT_EQ(0, list.AddCloseProgram(title));
  ASSERT_EQ(0, list.AddFileDeletion(dir / "after.txt"));
  EXPECT_EQ(0, list.Execute());
  EXPECT_EQ((std::vector<int32_t>{0, 6, 13, 20, 26, 33, 40, 46, 53, 60, 66, 66}), rec.Percents());
  EXPECT_EQ(10, list.Items[0]->StepsDone);
  EXPECT_FALSE(PathExists(dir / "after.txt"));
  EXPECT_FALSE(product->Exited());
  EXPECT_TRUE(::FindWindowA("TApplication", title.c_str()));
}
