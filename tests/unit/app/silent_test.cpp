// The window's unattended run and the exit code that each way through the window ends with.
#include <gtest/gtest.h>

#include "app/Exitcode.h"
#include "app/Frmuninstall.h"
#include "product/Tarvolinkuninstall.h"
#include "setup/Uninstlist.h"
#include "unit/app/Formfixture.h"

class SilentForm : public FormFixture {
protected:
  // Created as the entry point creates it for /S: never shown.
  TFormUninstall* CreateSilent(TFormUninstall* f) {
    form.reset(f);
    f->SetSilent(true);
    app.CreateForm(f);
    return f;
  }
};

TEST_F(SilentForm, RemovesWithoutWindowOrBoxAndCannotBeClosedMeanwhile) {
  BoxAnswerer boxes({IDOK, IDOK});
  TFormUninstall* f = CreateSilent(new TFormUninstall());
  // A close that arrives during the run (it is handled at the first progress report) is refused.
  ::PostMessageA(f->Handle(), WM_CLOSE, 0, 0);
  f->RunSilent();
  EXPECT_EQ(0u, boxes.Count());
  EXPECT_FALSE(::IsWindowVisible(f->Handle()));
  EXPECT_FALSE(::IsWindowVisible(app.Handle()));
  for (const std::string& name : Throwaway::PlantedFiles()) EXPECT_FALSE(install.Exists(name)) << name;
  EXPECT_FALSE(Throwaway::UninstallKeyExists());
  EXPECT_EQ(kExitSuccess, f->ExitCode());
  // The program's own file, when no copy of it could take it over: success only while a restart
  // removes it.
  f->Uninstaller->OwnProgram = TOwnProgram::WaitsForRestart;
  EXPECT_EQ(kExitRestartNeeded, f->ExitCode());
  f->Uninstaller->OwnProgram = TOwnProgram::Stays;
  EXPECT_EQ(kExitFailed, f->ExitCode());
}

TEST_F(SilentForm, StartUpFailureShowsNothingRunsNothingAndFails) {
  auto driver = std::make_unique<TclTarvolinkUninstall>();
  driver->List.reset();
  BoxAnswerer boxes({IDOK});
  TFormUninstall* f = CreateSilent(new TFormUninstall(std::move(driver)));
  EXPECT_TRUE(app.Terminated());
  f->RunSilent();
  EXPECT_EQ(0u, boxes.Count());
  EXPECT_TRUE(install.Exists("Tarvolink.EXE"));
  EXPECT_EQ(kExitFailed, f->ExitCode());
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
