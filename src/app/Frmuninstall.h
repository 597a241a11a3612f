// The uninstall window: a picture with "Uninstall" and "Quit", and during a run a progress line
// and a gauge. It owns the uninstall driver and talks to nothing else.
#pragma once
#include <cstdint>
#include <memory>

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

  // Unattended (set before creation): the run that "Uninstall" starts, without ever showing the
  // window or a box; nobody can cancel it.
  void SetSilent(bool silent) { silent_ = silent; }
  void RunSilent();
  // The program's exit code (app/Exitcode.h) by the last run, or by none.
  int ExitCode() const;

protected:
  void DoCreate() override { FormCreate(); }
  void DoShow() override { FormShow(); }
  void DoClose(TCloseAction& action) override { FormClose(action); }
  void DoDestroy() override { FormDestroy(); }
  void DoKeyDown(UINT key) override;
  void DoDpiChanged() override;

private:
  void Build();
  bool CanStart() const { return Idle && ready_ && Uninstaller && !closePending_; }
  static void OnUninstallClick(void* context);
  static void OnCloseClick(void* context);

  bool ready_ = false;          // the driver initialised: a run may start
  bool closePending_ = false;
  bool asking_ = false;         // the close question is up
  bool ran_ = false;            // a run has ended
  int32_t lastResult_ = 0;      // and this was its result
  bool silent_ = false;
};

extern TFormUninstall* FormUninstall;
