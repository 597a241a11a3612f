// The uninstall window: a picture with "Uninstall" and "Quit", and during a run a progress line
// and a gauge. It owns the uninstall driver and talks to nothing else.
#pragma once
#include <cstdint>
#include <memory>

#include "app/Uninstallrun.h"
#include "toolkit/Form.h"
#include "toolkit/Gauge.h"
#include "toolkit/Image.h"
#include "toolkit/Label.h"
#include "toolkit/Speedbutton.h"

class TclTarvolinkUninstall;

class TFormUninstall : public TForm {
public:
  TFormUninstall();   // creates its driver
  // Takes the given driver (which may be null, as when it could not be created).
  explicit TFormUninstall(std::unique_ptr<TclTarvolinkUninstall> uninstaller);
  ~TFormUninstall() override;

  // Components, in creation and drawing order.
  TImage Image1;
  TCGauge CGaugeSetup;
  TLabel LabelMsg;
  TSpeedButton BtnClose;
  TSpeedButton BtnUninstall;

  std::unique_ptr<TclTarvolinkUninstall> Uninstaller;
  bool Idle = true;

  void FormCreate();
  void FormShow();
  void FormClose(TCloseAction& action);
  void FormDestroy();
  void BtnUninstallClick();
  void BtnCloseClick();
  void ApplyTexts();
  void ShowIdleState();
  void ShowRunningState();
  void DoUninstall();
  static void UninstallProgress(TFormUninstall& context, const TclTarvolinkUninstall& sender);

  // A close confirmed during a run, carried out once the run has unwound.
  bool ClosePending() const { return closePending_; }
  bool ClickAllowed(const TControl* control) const override;

  // The program's exit code (app/Exitcode.h) by the last run, or by none.
  int ExitCode() const { return run_.ExitCode(); }

protected:
  void DoCreate() override { FormCreate(); }
  void DoShow() override { FormShow(); }
  void DoClose(TCloseAction& action) override { FormClose(action); }
  void DoDestroy() override { FormDestroy(); }
  void DoKeyDown(UINT key) override;
  void DoDpiChanged() override;

private:
  void Build();
  bool CanStart() const { return Idle && run_.Started() && Uninstaller && !closePending_; }
  static void OnUninstallClick(void* context);
  static void OnCloseClick(void* context);

  TUninstallRun run_;           // started once the driver initialised: a run may start
  bool closePending_ = false;
  bool asking_ = false;         // the close question is up
};

extern TFormUninstall* FormUninstall;
