// The uninstall window with its real driver and no message catalogue: states, texts, runs, the
// close question, and start-up failure.
#include <gtest/gtest.h>

#include <new>

#include "app/Frmuninstall.h"
#include "product/Tarvolinkuninstall.h"
#include "setup/Uninstlist.h"
#include "unit/app/Formfixture.h"
#include "unit/toolkit/Paintprobe.h"

namespace {
void ExpectBounds(const TControl& c, int l, int t, int w, int h) {
  EXPECT_EQ(l, c.Left());
  EXPECT_EQ(t, c.Top());
  EXPECT_EQ(w, c.Width());
  EXPECT_EQ(h, c.Height());
}
}  // namespace

using UninstallForm = FormFixture;

TEST_F(UninstallForm, IdleWithBuiltInTextsAndDefaultCharsets) {
  Create(new TFormUninstall());
  ASSERT_FALSE(app.Terminated());
  EXPECT_EQ(form.get(), app.MainForm());
  EXPECT_TRUE(form->Idle);
  EXPECT_TRUE(IdleShown());
  EXPECT_EQ("Quit", form->BtnClose.Caption());
  EXPECT_EQ("Uninstall", form->BtnUninstall.Caption());
  EXPECT_EQ("Uninstall Tarvolink", form->Caption());
  EXPECT_EQ(1, form->Uninstaller->Charset);
  EXPECT_EQ(DEFAULT_CHARSET, CharsetOf(form->BtnClose.Font()));
  EXPECT_EQ(DEFAULT_CHARSET, CharsetOf(form->BtnUninstall.Font()));
  EXPECT_EQ(DEFAULT_CHARSET, CharsetOf(form->LabelMsg.Font()));
  EXPECT_EQ(DEFAULT_CHARSET, CharsetOf(form->Font()));

  ExpectBounds(form->Image1, 0, 0, 396, 248);
  ExpectBounds(form->CGaugeSetup, 24, 136, 345, 17);
  ExpectBounds(form->BtnClose, 120, 176, 145, 24);
  ExpectBounds(form->BtnUninstall, 120, 96, 145, 25);
  EXPECT_EQ(24, form->LabelMsg.Left());
  EXPECT_EQ(112, form->LabelMsg.Top());
  EXPECT_EQ(clHighlight, form->CGaugeSetup.ForeColor());
}

TEST_F(UninstallForm, ClosingWhileIdleAsksNothingAndEnds) {
  Create(new TFormUninstall());
  BoxAnswerer boxes({});
  Click(form->BtnClose);
  ASSERT_TRUE(PumpUntilTerminated());
  EXPECT_EQ(0u, boxes.Count());
  EXPECT_FALSE(form->Visible());
  EXPECT_TRUE(install.Exists("Tarvolink.EXE"));
}

TEST_F(UninstallForm, CompleteRunShowsTheBoxOverTheFullGaugeThenCloses) {
  Create(new TFormUninstall());
  BoxAnswerer boxes({IDOK}, form->Handle());
  Click(form->BtnUninstall);
  Click(form->BtnUninstall);   // a second press while the first run is on: no second run
  ASSERT_TRUE(PumpUntilTerminated());

  auto seen = boxes.Seen();
  ASSERT_EQ(1u, seen.size());
  EXPECT_EQ("Uninstall Compelete !", seen[0].text);
  EXPECT_EQ("Tarvolink Uninstall", seen[0].title);
  EXPECT_EQ(app.Handle(), seen[0].owner);
  EXPECT_EQ(::LoadIconA(nullptr, IDI_INFORMATION), seen[0].icon);
  EXPECT_TRUE(seen[0].watchedVisible) << "the window closes only after the box";
  EXPECT_FALSE(seen[0].watchedEnabled);
  // Finished: the running layout with the gauge at 100 and the last progress line.
  EXPECT_EQ(100, form->CGaugeSetup.Progress());
  EXPECT_TRUE(form->CGaugeSetup.Visible());
  EXPECT_FALSE(form->BtnUninstall.Visible());
  EXPECT_FALSE(form->LabelMsg.Caption().empty());
  EXPECT_EQ(nullptr, form->Uninstaller->OnProgress);
  EXPECT_FALSE(form->Visible());

  for (const std::string& f : Throwaway::PlantedFiles()) EXPECT_FALSE(install.Exists(f)) << f;
  EXPECT_FALSE(Throwaway::UninstallKeyExists());
  EXPECT_FALSE(Throwaway::ProductKeyExists());
}

TEST_F(UninstallForm, CloseDuringARunAnsweredCancelKeepsTheRunGoing) {
  Create(new TFormUninstall());
  BoxAnswerer boxes({IDCANCEL, IDOK}, form->Handle());
  Click(form->BtnUninstall);
  ::PostMessageA(form->Handle(), WM_CLOSE, 0, 0);   // handled at the run's first report
  ASSERT_TRUE(PumpUntilTerminated());

  auto seen = boxes.Seen();
  ASSERT_EQ(2u, seen.size());
  EXPECT_EQ("Uninstall not Compelete, Quit ?", seen[0].text);
  EXPECT_TRUE(seen[0].hasCancel);
  EXPECT_EQ(IDCANCEL, seen[0].defaultId);
  EXPECT_EQ(::LoadIconA(nullptr, IDI_QUESTION), seen[0].icon);
  EXPECT_EQ("Uninstall Compelete !", seen[1].text);
  EXPECT_FALSE(install.Exists("Tarvolink.EXE"));
  EXPECT_FALSE(Throwaway::UninstallKeyExists());
}

TEST_F(UninstallForm, CloseDuringARunAnsweredOkStopsTheRunAndEnds) {
  Create(new TFormUninstall());
  BoxAnswerer boxes({IDOK}, form->Handle());
  Click(form->BtnUninstall);
  ::PostMessageA(form->Handle(), WM_CLOSE, 0, 0);
  ASSERT_TRUE(PumpUntilTerminated());

  auto seen = boxes.Seen();
  ASSERT_EQ(1u, seen.size()) << "a cancelled run shows nothing";
  EXPECT_EQ("Uninstall not Compelete, Quit ?", seen[0].text);
  // The run unwound before the end: the driver is still there, no step was taken after the
  // close, and the registry keys stay.
  ASSERT_NE(nullptr, form->Uninstaller);
  EXPECT_TRUE(form->Uninstaller->Cancelled);
  EXPECT_TRUE(form->Idle);
  EXPECT_FALSE(form->ClosePending());
  EXPECT_FALSE(form->Visible());
  for (const std::string& f : Throwaway::PlantedFiles()) EXPECT_TRUE(install.Exists(f)) << f;
  EXPECT_TRUE(Throwaway::UninstallKeyExists());
  EXPECT_TRUE(Throwaway::ProductKeyExists());
}

TEST_F(UninstallForm, QuitButtonDuringARunAsksLikeTheCloseBox) {
  Create(new TFormUninstall());
  BoxAnswerer boxes({IDOK}, form->Handle());
  Click(form->BtnUninstall);
  Click(form->BtnClose);
  ASSERT_TRUE(PumpUntilTerminated());

  auto seen = boxes.Seen();
  ASSERT_EQ(1u, seen.size());
  EXPECT_EQ("Uninstall not Compelete, Quit ?", seen[0].text);
  EXPECT_TRUE(Throwaway::UninstallKeyExists());
  EXPECT_TRUE(install.Exists("Backup.log"));
  EXPECT_NE(nullptr, form->Uninstaller);
}

TEST_F(UninstallForm, FailedRunReturnsToIdleAndCanRunAgain) {
  Create(new TFormUninstall());
  // Without its list the driver cannot plan: the run fails with 15001.
  TclTarvolinkUninstall* driver = form->Uninstaller.get();
  std::unique_ptr<TUninstList> list = std::move(driver->List);
  {
    BoxAnswerer boxes({IDOK}, form->Handle());
    Click(form->BtnUninstall);
    ASSERT_TRUE(PumpUntil([&] { return boxes.Count() == 1 && form->Idle && IdleShown(); }));
    auto seen = boxes.Seen();
    EXPECT_EQ(::LoadIconA(nullptr, IDI_ERROR), seen[0].icon);
    EXPECT_FALSE(seen[0].hasCancel);
  }
  EXPECT_FALSE(app.Terminated());
  EXPECT_EQ(nullptr, driver->OnProgress);
  EXPECT_TRUE(install.Exists("Tarvolink.EXE"));

  driver->List = std::move(list);
  BoxAnswerer boxes({IDOK});
  Click(form->BtnUninstall);
  ASSERT_TRUE(PumpUntilTerminated());
  auto seen = boxes.Seen();
  ASSERT_EQ(1u, seen.size());
  EXPECT_EQ("Uninstall Compelete !", seen[0].text);
  EXPECT_FALSE(install.Exists("Tarvolink.EXE"));
}

namespace {
// Removals that throw, as an allocation failure deep in a run would.
class ThrowingList : public TUninstList {
public:
  int32_t DoItemStep(TSetupItem&) override { throw std::bad_alloc(); }
};
}  // namespace

TEST_F(UninstallForm, AnExceptionInARunLeavesTheWindowIdleAndClosable) {
  Create(new TFormUninstall());
  TclTarvolinkUninstall* driver = form->Uninstaller.get();
  std::unique_ptr<TUninstList> list = std::move(driver->List);
  driver->List.reset(new ThrowingList);
  {
    BoxAnswerer boxes({IDOK}, form->Handle());
    Click(form->BtnUninstall);
    ASSERT_TRUE(PumpUntil([&] { return boxes.Count() == 1 && form->Idle && IdleShown(); }));
    EXPECT_EQ(::LoadIconA(nullptr, IDI_ERROR), boxes.Seen()[0].icon);
  }
  EXPECT_EQ(nullptr, driver->OnProgress);
  EXPECT_EQ(nullptr, driver->ProgressContext);
  driver->List = std::move(list);
  BoxAnswerer boxes({});
  Click(form->BtnClose);
  ASSERT_TRUE(PumpUntilTerminated());
  EXPECT_EQ(0u, boxes.Count()) << "an idle window closes without a question";
  EXPECT_FALSE(form->Visible());
  EXPECT_TRUE(install.Exists("Tarvolink.EXE"));
}

TEST_F(UninstallForm, DriverThatCannotStartEndsTheProgramWithTheBuiltInText) {
  auto driver = std::make_unique<TclTarvolinkUninstall>();
  driver->List.reset();
  BoxAnswerer boxes({IDOK});
  Create(new TFormUninstall(std::move(driver)));
  EXPECT_TRUE(app.Terminated());
  auto seen = boxes.Seen();
  ASSERT_EQ(1u, seen.size());
  EXPECT_EQ("Alocated Memory Fail !", seen[0].text);
  EXPECT_EQ(::LoadIconA(nullptr, IDI_ERROR), seen[0].icon);
  app.Run();   // collects the quit; nothing is shown
  EXPECT_FALSE(form->Visible());
  form->BtnUninstallClick();   // no run can start
  EXPECT_TRUE(form->Idle);
  EXPECT_EQ(1u, boxes.Count());
  EXPECT_TRUE(install.Exists("Tarvolink.EXE"));
}

TEST_F(UninstallForm, NoDriverAtAllIsNeverTouched) {
  BoxAnswerer boxes({IDOK});
  Create(new TFormUninstall(nullptr));
  EXPECT_TRUE(app.Terminated());
  ASSERT_EQ(1u, boxes.Seen().size());
  EXPECT_EQ("Alocated Memory Fail !", boxes.Seen()[0].text);
  form->FormShow();
  EXPECT_EQ("Uninstall", form->BtnUninstall.Caption());
  form->BtnUninstallClick();
  TCloseAction action = caHide;
  form->FormClose(action);
  EXPECT_EQ(caHide, action);
  EXPECT_EQ(1u, boxes.Count());
}
