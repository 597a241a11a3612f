// Closing a running program of the same toolkit by its window title, against a real second process.
#include <gtest/gtest.h>
#include "setup/Uninstlist.h"
#include "toolkit/Application.h"
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
  list.MessagePump = &TApplication::PumpMessages;
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
  EXPECT_EQ(ExpectedPercents(list, {{0, 2, 1}}), rec.Percents());
  EXPECT_EQ(10, list.StepsDoneOf(0));
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
  list.MessagePump = &TApplication::PumpMessages;
  ASSERT_EQ(0, list.AddCloseProgram(title));
  ASSERT_EQ(0, list.AddFileDeletion(dir / "after.txt"));
  EXPECT_EQ(0, list.Execute());
  EXPECT_EQ(ExpectedPercents(list, {{0, 10, 1}, {1, 1, 2}}), rec.Percents());
  EXPECT_EQ(10, list.StepsDoneOf(0));
  EXPECT_FALSE(PathExists(dir / "after.txt"));
  EXPECT_FALSE(product->Exited());
  EXPECT_TRUE(::FindWindowA("TApplication", title.c_str()));
}

namespace {
// A timer of this thread started at the first report, before the close request; its ticks
// counted by the second report, after it.
int g_reports = 0, g_ticks = 0, g_ticksAfterRequest = 0;
UINT_PTR g_timer = 0;
void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD) { ++g_ticks; }
void WatchTicks(void*, TSetupList*, int32_t, const std::string&, bool&) {
  if (++g_reports == 1) g_timer = ::SetTimer(nullptr, 0, 50, &CountTick);
  if (g_reports == 2) g_ticksAfterRequest = g_ticks;
}
}  // namespace

// A product whose window thread never reads a message again, shown or minimised: the request
// gives up on it, this thread's messages are served meanwhile, and the run goes to its end.
TEST(CloseProgram, AHungProgramStopsNeitherTheRunNorOurWindow) {
  for (const char* mode : {"hung", "hungmin"}) {
    std::string title = Unique("Tarvo Link hung ");
    auto product = StartProduct(mode, title);
    ASSERT_TRUE(::FindWindowA("TApplication", title.c_str())) << mode;
    TUninstList list;
    list.OnProgress = &WatchTicks;
    list.MessagePump = &TApplication::PumpMessages;
    g_reports = g_ticks = 0;
    ASSERT_EQ(0, list.AddCloseProgram(title));
    EXPECT_EQ(0, list.Execute()) << mode;
    ::KillTimer(nullptr, g_timer);
    EXPECT_EQ(10, g_reports) << mode;
    EXPECT_EQ(10, list.StepsDoneOf(0)) << mode;
    // A thread blocked in a send would see one tick at most: a timer's messages do not pile up.
    EXPECT_GE(g_ticksAfterRequest, 2) << mode;
    EXPECT_FALSE(product->Exited()) << mode;
  }
}
