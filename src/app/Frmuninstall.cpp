#include "app/Frmuninstall.h"

#include <new>

#include "app/Msgdlg.h"
#include "msg/Builtintext.h"
#include "msg/Msgids.h"
#include "product/Tarvolinkuninstall.h"
#include "res/Resource.h"
#include "toolkit/Application.h"

TFormUninstall* FormUninstall = nullptr;

TFormUninstall::TFormUninstall() : TFormUninstall(new (std::nothrow) TclTarvolinkUninstall()) {}

TFormUninstall::TFormUninstall(TclTarvolinkUninstall* uninstaller)
    : Image1(this), CGaugeSetup(this), LabelMsg(this), BtnClose(this), BtnUninstall(this) {
  Build();
  Idle = true;
  Uninstaller = uninstaller;
}

TFormUninstall::~TFormUninstall() { Destroy(); }

// The stored layout.
void TFormUninstall::Build() {
  CreateHandle("TFormUninstall", 396, 248);
  SetCaption("Uninstall");
  HINSTANCE instance = ::GetModuleHandleA(nullptr);
  SetIcon(::LoadIconA(instance, MAKEINTRESOURCEA(IDI_MAIN)));

  Image1.SetBounds(0, 0, 396, 248);
  Image1.LoadFromResource(instance, MAKEINTRESOURCEA(IDB_IMAGE1));

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
  ShowError(GetBuiltinText(msgAllocFail));
  if (TApplication* app = TApplication::Instance()) app->Terminate();
}

void TFormUninstall::FormShow() {
  ApplyTexts();
  ShowIdleState();
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
  CGaugeSetup.SetProgress(0);
  LabelMsg.SetCaption("");
  Idle = false;
  Uninstaller->OnProgress = &TFormUninstall::UninstallProgress;
  Uninstaller->ProgressContext = this;

  int32_t result = Uninstaller->BuildPlan();
  if (result == 0) result = Uninstaller->AddFile("dzips32.dll");
  if (result == 0) result = Uninstaller->AddFile("dunzips32.dll");
  if (result == 0) result = Uninstaller->ExecutePlan();

  Uninstaller->OnProgress = nullptr;
  Uninstaller->ProgressContext = nullptr;
  Idle = true;

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
    if (closePending_ || asking_) {
      action = caNone;
      return;
    }
    asking_ = true;
    bool quit = ShowConfirm(Uninstaller ? Uninstaller->GetText(msgUninstallNotComplete) : std::string());
    asking_ = false;
    if (!quit) {
      action = caNone;
      return;
    }
    if (Uninstaller) Uninstaller->Cancelled = true;
    // The run is still on the stack and holds the driver: it ends with its next progress report,
    // and the close is carried out after it.
    closePending_ = true;
    action = caNone;
    return;
  }
  if (Uninstaller) Uninstaller->Cancelled = true;
}

void TFormUninstall::FormDestroy() {
  delete Uninstaller;
  Uninstaller = nullptr;
}
