#include "app/Frmuninstall.h"

#include <new>

#include "app/Msgdlg.h"
#include "msg/Builtintext.h"
#include "msg/Msgids.h"
#include "product/Tarvolinkuninstall.h"
#include "removal/Pendingremoval.h"
#include "res/Resource.h"
#include "setup/Boundcall.h"
#include "sys/Faultpoint.h"
#include "sys/Runlog.h"
#include "sys/Scopeguard.h"
#include "toolkit/Application.h"

TFormUninstall* FormUninstall = nullptr;

namespace {
const TPictureScale kImage1Scales[] = {
    {144, MAKEINTRESOURCEA(IDR_IMAGE1_144)},
    {192, MAKEINTRESOURCEA(IDR_IMAGE1_192)},
    {288, MAKEINTRESOURCEA(IDR_IMAGE1_288)},
};
}  // namespace

TFormUninstall::TFormUninstall()
    : TFormUninstall(std::unique_ptr<TclTarvolinkUninstall>(SYS_NEW("the uninstall driver", TclTarvolinkUninstall()))) {}

TFormUninstall::TFormUninstall(std::unique_ptr<TclTarvolinkUninstall> uninstaller)
    : Image1(this), CGaugeSetup(this), LabelMsg(this), BtnClose(this), BtnUninstall(this) {
  Build();
  Idle = true;
  Uninstaller = std::move(uninstaller);
}

TFormUninstall::~TFormUninstall() { Destroy(); }

// The stored layout.
void TFormUninstall::Build() {
  // Owned by the application window, which carries the taskbar entry.
  TApplication* app = TApplication::Instance();
  CreateHandle("TFormUninstall", 396, 248, app ? app->Handle() : nullptr);
  SetCaption("Uninstall");
  HINSTANCE instance = ::GetModuleHandleA(nullptr);
  SetIcon(::LoadIconA(instance, MAKEINTRESOURCEA(IDI_MAIN)));

  Image1.SetBounds(0, 0, 396, 248);
  Image1.SetPicture({instance, MAKEINTRESOURCEA(IDB_IMAGE1), kImage1Scales, 3});

  CGaugeSetup.SetBounds(24, 136, 345, 17);
  CGaugeSetup.SetForeColor(clHighlight);

  LabelMsg.SetBounds(24, 112, 60, 16);
  LabelMsg.SetCaption("LabelMsg");
  LabelMsg.SetVisible(false);

  BtnClose.SetBounds(120, 176, 145, 24);
  BtnClose.SetCaption("Quit");
  BtnClose.SetOnClick(&TFormUninstall::OnCloseClick, this);

  BtnUninstall.SetBounds(120, 96, 145, 25);
  BtnUninstall.SetCaption("Uninstall");
  BtnUninstall.SetOnClick(&TFormUninstall::OnUninstallClick, this);

  // For screen readers, in reading order: the picture, then top to bottom.
  Accessibility().AddPicture(&Image1, "Tarvolink");
  Accessibility().AddButton(&BtnUninstall, "Enter", true);
  Accessibility().AddText(&LabelMsg);
  Accessibility().AddGauge(&CGaugeSetup);
  Accessibility().AddButton(&BtnClose, "Esc");
}

// Enter and Space press "Uninstall", which refuses while it cannot start; Escape is the close box.
void TFormUninstall::DoKeyDown(UINT key) {
  if (key == VK_ESCAPE) {
    Close();
  } else if ((key == VK_RETURN || key == VK_SPACE) && BtnUninstall.Visible()) {
    BtnUninstallClick();
  }
}

bool TFormUninstall::ClickAllowed(const TControl* control) const {
  if (control == &BtnUninstall) return CanStart();
  if (control == &BtnClose) return !closePending_ && !asking_;
  return true;
}

void TFormUninstall::OnUninstallClick(void* context) {
  static_cast<TFormUninstall*>(context)->BtnUninstallClick();
}

void TFormUninstall::OnCloseClick(void* context) {
  static_cast<TFormUninstall*>(context)->BtnCloseClick();
}

void TFormUninstall::FormCreate() {
  if (run_.Start(Uninstaller.get())) return;
  // Straight from the built-in table: without a driver there is no catalogue to ask.
  ShowError(GetBuiltinText(msgAllocFail));
  if (TApplication* app = TApplication::Instance()) app->Terminate();
}

void TFormUninstall::FormShow() {
  ApplyTexts();
  ShowIdleState();
  // Support learns at what scale the user saw the window, should a picture of it look wrong.
  RunlogJoin({"Window laid out for ", DecimalText(static_cast<uint32_t>(Dpi())), " DPI"});
}

void TFormUninstall::DoDpiChanged() {
  RunlogJoin({"Window laid out again for ", DecimalText(static_cast<uint32_t>(Dpi())), " DPI"});
}

void TFormUninstall::ApplyTexts() {
  if (!Uninstaller) return;   // the layout's own captions stay
  BtnClose.SetCaption(Uninstaller->GetText(msgQuit));
  BtnClose.SetCharset(Uninstaller->Charset);
  BtnUninstall.SetCaption(Uninstaller->GetText(msgUninstall));
  BtnUninstall.SetCharset(Uninstaller->Charset);
  LabelMsg.SetCharset(Uninstaller->Charset);
  SetCaption(Uninstaller->GetCaption());
}

void TFormUninstall::ShowIdleState() {
  BtnUninstall.SetVisible(true);
  LabelMsg.SetVisible(false);
  CGaugeSetup.SetVisible(false);
}

void TFormUninstall::ShowRunningState() {
  BtnUninstall.SetVisible(false);
  LabelMsg.SetVisible(true);
  CGaugeSetup.SetVisible(true);
}

void TFormUninstall::BtnUninstallClick() {
  // One run at a time, and none once a close has been asked for or without a working driver.
  if (!CanStart()) return;
  ShowRunningState();
  // What the state change touched is invalid already; only that is painted, not the picture.
  Repaint();
  Idle = false;
  DoUninstall();
}

void TFormUninstall::BtnCloseClick() { Close(); }

void TFormUninstall::DoUninstall() {
  int32_t result = 0;
  {
    // Every way out of the run, an exception shown in the error box too, leaves the window idle:
    // otherwise every later close would be refused as "during a run".
    Idle = false;
    ScopeGuard idleAgain([this] {
      Uninstaller->OnProgress = nullptr;
      Uninstaller->ProgressContext = nullptr;
      Idle = true;
    });
    ScopeGuard idleShownOnThrow([this] { ShowIdleState(); });
    CGaugeSetup.SetProgress(0);
    LabelMsg.SetCaption("");
    TBoundCall<&TFormUninstall::UninstallProgress>::Bind(Uninstaller->OnProgress, Uninstaller->ProgressContext, *this);
    result = run_.Run(&TApplication::PumpMessages, TApplication::Instance());
    idleShownOnThrow.Dismiss();
  }

  if (result == 0) {
    CGaugeSetup.SetProgress(100);
    Repaint();
    ShowInfo(Uninstaller->GetText(msgUninstallComplete));
    closePending_ = false;
    Close();
    return;
  }
  if (result != msgCancel) ShowError(Uninstaller->GetText(result));
  ShowIdleState();
  if (closePending_) {
    // The close that the user confirmed during the run: the run is off the stack now.
    closePending_ = false;
    Close();
  }
}

void TFormUninstall::UninstallProgress(TFormUninstall& context, const TclTarvolinkUninstall& sender) {
  context.CGaugeSetup.SetProgress(sender.Percent);
  context.LabelMsg.SetCaption(sender.StatusText);
  // No forced repaint: the driver pumps messages at every report, and the pump paints as often
  // as the eye can follow.
}

void TFormUninstall::FormClose(TCloseAction& action) {
  if (!Idle) {
    if (closePending_ || asking_) {
      action = caNone;
      return;
    }
    bool quit = false;
    {
      asking_ = true;
      ScopeGuard askedAlready([this] { asking_ = false; });
      quit = ShowConfirm(Uninstaller ? Uninstaller->GetText(msgUninstallNotComplete) : std::string());
    }
    if (!quit) {
      action = caNone;
      return;
    }
    if (Uninstaller) Uninstaller->Cancelled = true;
    RunlogLine("Close confirmed by the user during the run: the run stops");
    // The run is still on the stack and holds the driver: it ends with its next progress report,
    // and the close is carried out after it.
    closePending_ = true;
    action = caNone;
    return;
  }
  if (!run_.Ran() && run_.Started()) RunlogLine("Closed before any run: nothing was removed");
  if (Uninstaller) Uninstaller->Cancelled = true;
}

void TFormUninstall::FormDestroy() {
  Uninstaller.reset();
}
