// The unattended run and the exit code that each way through the window ends with.
#include <gtest/gtest.h>

#include "app/Exitcode.h"
#include "app/Frmuninstall.h"
#include "app/Uninstallrun.h"
#include "msg/Msgids.h"
#include "product/Tarvolinkuninstall.h"
#include "setup/Uninstlist.h"
#include "unit/app/Formfixture.h"

// The unattended run as the entry point makes it for /S: the driver alone, no window of its own.
using SilentForm = FormFixture;

TEST_F(SilentForm, RemovesWithoutWindowOrBoxAndCannotBeClosedMeanwhile) {
  BoxAnswerer boxes({IDOK, IDOK});
  TclTarvolinkUninstall driver;
  TUninstallRun run;
  ASSERT_TRUE(run.Start(&driver));
  app.RefuseClose();
  // A close that arrives during the run (it is handled at the first progress report) is refused.
  ::PostMessageA(app.Handle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(0, run.Run(&TApplication::PumpMessages, &app));
  EXPECT_EQ(0u, boxes.Count());
  EXPECT_FALSE(::IsWindowVisible(app.Handle()));
  for (const std::string& name : Throwaway::PlantedFiles()) EXPECT_FALSE(install.Exists(name)) << name;
  EXPECT_FALSE(Throwaway::UninstallKeyExists());
  EXPECT_EQ(kExitSuccess, run.ExitCode());
  // The program's own file, when no copy of it could take it over: success only while a restart
  // removes it.
  driver.OwnProgram = TOwnProgram::WaitsForRestart;
  EXPECT_EQ(kExitRestartNeeded, RunExitCode(0, driver));
  driver.OwnProgram = TOwnProgram::Stays;
  EXPECT_EQ(kExitFailed, RunExitCode(0, driver));
}

TEST_F(SilentForm, StartUpFailureShowsNothingRunsNothingAndFails) {
  auto driver = std::make_unique<TclTarvolinkUninstall>();
  driver->List.reset();
  BoxAnswerer boxes({IDOK});
  TUninstallRun run;
  EXPECT_FALSE(run.Start(driver.get()));
  EXPECT_EQ(msgAllocFail, run.Run(&TApplication::PumpMessages, &app));
  EXPECT_EQ(0u, boxes.Count());
  EXPECT_TRUE(install.Exists("Tarvolink.EXE"));
  EXPECT_EQ(kExitFailed, run.ExitCode());
}

TEST_F(SilentForm, WindowedTheLastRunDecidesAndNoRunIsACancel) {
  Create(new TFormUninstall());
  EXPECT_EQ(kExitCancelled, form->ExitCode()) << "Quit before any run";
  // A run that fails (no list to plan with) shows its error and leaves the window idle.
  std::unique_ptr<TUninstList> list = std::move(form->Uninstaller->List);
  BoxAnswerer boxes({IDOK});
  Click(form->BtnUninstall);
  ASSERT_TRUE(PumpUntil([&] { return boxes.Count() == 1 && form->Idle; }));
  EXPECT_EQ(kExitFailed, form->ExitCode());
  form->Uninstaller->List = std::move(list);
}
