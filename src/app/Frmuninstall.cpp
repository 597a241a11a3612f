#include "app/Frmuninstall.h"

#include <new>

#include "app/Exitcode.h"
#include "app/Msgdlg.h"
#include "msg/Builtintext.h"
#include "msg/Msgids.h"
#include "product/Tarvolinkuninstall.h"
#include "removal/Pendingremoval.h"
#include "res/Resource.h"
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

// The log is read by support, in English whatever the window's language.
std::string EnglishText(int32_t code) {
  return code >= msgFirstOwn && code <= msgLastOwn ? GetBuiltinText(code) : RunlogErrorText(code);
}

void LogRunEnd(int32_t result) {
  if (result == 0) {
    RunlogLine("Run completed");
  } else if (result == msgCancel) {
    RunlogLine("Run cancelled: the steps after this point were not carried out");
  } else {
    RunlogJoin({"Run failed: ", EnglishText(result)});
  }
}
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
  if (Uninstaller && Uninstaller->Initialize()) {
    ready_ = true;
    return;
  }
  // Straight from the built-in table: without a driver there is no catalogue to ask.
  const std::string text = GetBuiltinText(msgAllocFail);
  RunlogJoin({"Start-up failed: ", text});
  if (!silent_) ShowError(text);
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
    Uninstaller->OnProgress = &TFormUninstall::UninstallProgress;
    Uninstaller->ProgressContext = this;
    Uninstaller->MessagePump = &TApplication::PumpMessages;
    Uninstaller->PumpContext = TApplication::Instance();

    RunlogLine("Run started");
    // A run that ends by an exception counts as failed.
    ran_ = true;
    lastResult_ = msgAllocFail;
    result = Uninstaller->BuildPlan();
    if (result == 0) result = Uninstaller->AddFile("dzips32.dll");
    if (result == 0) result = Uninstaller->AddFile("dunzips32.dll");
    if (result == 0) result = Uninstaller->ExecutePlan();
    idleShownOnThrow.Dismiss();
  }
  lastResult_ = result;
  LogRunEnd(result);

  if (result == 0) {
    CGaugeSetup.SetProgress(100);
    Repaint();
    if (!silent_) ShowInfo(Uninstaller->GetText(msgUninstallComplete));
    closePending_ = false;
    Close();
    return;
  }
  if (result != msgCancel && !silent_) ShowError(Uninstaller->GetText(result));
  ShowIdleState();
  if (closePending_) {
    // The close that the user confirmed during the run: the run is off the stack now.
    closePending_ = false;
    Close();
  }
}

void TFormUninstall::UninstallProgress(void* context, TclTarvolinkUninstall* sender) {
  auto* form = static_cast<TFormUninstall*>(context);
  if (!form || !sender) return;
  form->CGaugeSetup.SetProgress(sender->Percent);
  form->LabelMsg.SetCaption(sender->StatusText);
  // No forced repaint: the driver pumps messages at every report, and the pump paints as often
  // as the eye can follow.
  // A quit that reached the message pump from elsewhere (the session ending, say) stops the run
  // at the next report, as a confirmed close does.
  TApplication* app = TApplication::Instance();
  if (app && app->Terminated()) sender->Cancelled = true;
}

void TFormUninstall::FormClose(TCloseAction& action) {
  if (!Idle) {
    if (closePending_ || asking_ || silent_) {
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
  if (!ran_ && ready_) RunlogLine("Closed before any run: nothing was removed");
  if (Uninstaller) Uninstaller->Cancelled = true;
}

void TFormUninstall::RunSilent() {
  if (!ready_ || !Uninstaller) return;
  Idle = false;
  DoUninstall();
}

int TFormUninstall::ExitCode() const {
  if (!ready_) return kExitFailed;
  if (!ran_ || lastResult_ == msgCancel) return kExitCancelled;
  if (lastResult_ != 0) return kExitFailed;
  // A success code promises that nothing of the product stays but what the restart removes.
  if (Uninstaller && Uninstaller->OwnProgram == TOwnProgram::Stays) return kExitFailed;
  if (Uninstaller && Uninstaller->OwnProgram == TOwnProgram::WaitsForRestart) return kExitRestartNeeded;
  return RestartNeeded() ? kExitRestartNeeded : kExitSuccess;
}

void TFormUninstall::FormDestroy() {
  Uninstaller.reset();
}
