#include "toolkit/Application.h"

#include <exception>

#include "sys/Appwindowclass.h"
#include "sys/Exename.h"
#include "sys/Scopeguard.h"
#include "toolkit/Exceptionreport.h"
#include "toolkit/Form.h"

namespace {
TApplication* g_instance = nullptr;
DWORD g_lastPaint = 0;
bool g_painted = false;
TApplication::TBoxHandler g_boxHandler = nullptr;

// The next waiting message; paint messages only when the last round of painting is old enough.
bool NextMessage(MSG& msg, bool paintDue) {
  // One look at the queue either way: each costs a round trip to the server under Wine. A system
  // that ignores the queue-status flags (Windows 95) paints every time, as it did before.
  const UINT noPaint = PM_QS_INPUT | PM_QS_POSTMESSAGE | PM_QS_SENDMESSAGE;
  return ::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE | (paintDue ? 0 : noPaint)) != FALSE;
}
}  // namespace

void TApplication::ProcessMessages() {
  // A run reports progress far more often than anyone can see, and every paint has its price
  // (about a millisecond under an X server): input is handled at once, painting at most once per
  // interval. What is left invalid is painted by a later call or by the message loop.
  const DWORD now = ::GetTickCount();
  const bool paintDue = !g_painted || now - g_lastPaint >= kPaintIntervalMs;
  MSG msg;
  while (NextMessage(msg, paintDue)) {
    if (msg.message == WM_PAINT) {
      g_lastPaint = now;
      g_painted = true;
    }
    if (msg.message == WM_QUIT) {
      // Leave it for the loop that owns the program's end.
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      if (g_instance) g_instance->MarkTerminated();
      return;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
}

bool TApplication::PumpMessages(void* application) {
  ProcessMessages();
  const TApplication* app = static_cast<const TApplication*>(application);
  return !(app && app->Terminated());
}

std::string TApplication::ExeName() { return ExeFileName(); }

TApplication* TApplication::Instance() { return g_instance; }

TApplication::~TApplication() {
  if (mainForm_) mainForm_->MakeMainForm(nullptr, nullptr);
  if (handle_) ::DestroyWindow(handle_);
  if (g_instance == this) g_instance = nullptr;
}

bool TApplication::Initialize(HINSTANCE instance) {
  if (handle_) return true;
  SetExceptionReporter(&TApplication::HandleException);
  WNDCLASSA wc = {};
  wc.lpfnWndProc = &TApplication::WndProc;
  wc.hInstance = instance;
  wc.lpszClassName = kAppWindowClass;
  wc.hIcon = ::LoadIconA(instance, MAKEINTRESOURCEA(1));
  wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  ::RegisterClassA(&wc);   // fails harmlessly when a second object registers it again
  // Zero-sized at the screen's centre, so that boxes it owns come up there too. It carries the
  // taskbar entry while the forms are its owned windows.
  int x = ::GetSystemMetrics(SM_CXSCREEN) / 2;
  int y = ::GetSystemMetrics(SM_CYSCREEN) / 2;
  handle_ = ::CreateWindowExA(0, kAppWindowClass, title_.c_str(),
                              WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                              x, y, 0, 0, nullptr, nullptr, instance, this);
  if (!handle_) return false;
  ::SetWindowLongPtrA(handle_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  g_instance = this;
  terminated_ = false;
  return true;
}

void TApplication::SetTitle(const std::string& title) {
  title_ = title;
  if (handle_) ::SetWindowTextA(handle_, title_.c_str());
}

void TApplication::CreateForm(TForm* form) {
  if (!form) return;
  if (!mainForm_) {
    mainForm_ = form;
    form->MakeMainForm(&TApplication::MainFormEvent, this);
    if (terminated_) form->ProgramEnding();
  }
  form->AfterConstruction();
}

HWND TApplication::MainWindow() const { return mainForm_ ? mainForm_->Handle() : nullptr; }

void TApplication::Run() {
  // A start-up failure asked to end: nothing is shown and the loop only collects the WM_QUIT.
  if (!terminated_ && mainForm_) {
    ::ShowWindow(handle_, SW_SHOWNOACTIVATE);
    mainForm_->Show();
  }
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  MarkTerminated();
}

void TApplication::Terminate() {
  MarkTerminated();
  ::PostQuitMessage(0);
}

void TApplication::MarkTerminated() {
  terminated_ = true;
  if (mainForm_) mainForm_->ProgramEnding();
}

void TApplication::ShowException(const std::string& message) {
  ShowMessageBox(message, MB_OK | MB_ICONERROR);
}

void TApplication::HandleException(const char* message) noexcept {
  try {
    std::string text = message ? message : "Unknown exception";
    if (g_instance) {
      g_instance->exceptionReported_ = true;
      g_instance->ShowException(text);
    } else {
      ShowMessageBox(text, MB_OK | MB_ICONERROR);
    }
  } catch (...) {
    ::MessageBoxA(nullptr, "Unknown exception", "", MB_OK | MB_ICONERROR);
  }
}

void TApplication::SetBoxHandler(TBoxHandler handler) {
  // The boxes of the window procedures' exceptions go where the others go.
  SetExceptionReporter(&TApplication::HandleException);
  g_boxHandler = handler;
}

int TApplication::ShowMessageBox(const std::string& text, UINT flags) {
  if (g_boxHandler) return g_boxHandler(text, flags);
  HWND owner = g_instance ? g_instance->handle_ : nullptr;
  const char* title = g_instance ? g_instance->title_.c_str() : "";
  // The box disables its owner only; the forms are the owner's windows and would stay live.
  HWND form = g_instance ? g_instance->MainWindow() : nullptr;
  if (!form || !::IsWindowEnabled(form)) return ::MessageBoxA(owner, text.c_str(), title, flags);
  ::EnableWindow(form, FALSE);
  ScopeGuard enabledAgain([form] { ::EnableWindow(form, TRUE); });
  return ::MessageBoxA(owner, text.c_str(), title, flags);
}

void TApplication::MainFormEvent(void* application, TMainFormEvent event) {
  auto* self = static_cast<TApplication*>(application);
  switch (event) {
    case TMainFormEvent::Ending:
      self->terminated_ = true;   // the form posted the quit itself
      break;
    case TMainFormEvent::Destroyed:
      self->mainForm_ = nullptr;
      break;
  }
}

LRESULT TApplication::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SIZE: {
      // Minimising from the taskbar hides the form; restoring (also from a second start) brings
      // it back.
      HWND form = MainWindow();
      if (form && wp == SIZE_MINIMIZED && ::IsWindowVisible(form)) {
        formHiddenByMinimize_ = true;
        ::ShowWindow(form, SW_HIDE);
      } else if (form && wp == SIZE_RESTORED && formHiddenByMinimize_) {
        formHiddenByMinimize_ = false;
        ::ShowWindow(form, SW_SHOW);
      }
      break;
    }
    case WM_ACTIVATE:
      if (LOWORD(wp) != WA_INACTIVE && !HIWORD(wp)) {
        // The application window is never the one to work in: pass activation on to the form
        // or to the box that is up.
        HWND popup = ::GetLastActivePopup(handle_);
        if (popup && popup != handle_ && ::IsWindowVisible(popup) && ::IsWindowEnabled(popup)) {
          ::SetActiveWindow(popup);
          return 0;
        }
      }
      break;
    case WM_CLOSE:
      if (closeRefused_) return 0;
      if (mainForm_) {
        mainForm_->Close();
        return 0;
      }
      Terminate();
      return 0;
    default:
      break;
  }
  return ::DefWindowProcA(handle_, msg, wp, lp);
}

LRESULT CALLBACK TApplication::WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  try {
    auto* self = reinterpret_cast<TApplication*>(::GetWindowLongPtrA(wnd, GWLP_USERDATA));
    if (self && self->handle_ == wnd) return self->HandleMessage(msg, wp, lp);
  } catch (const std::exception& e) {
    HandleException(e.what());
    return 0;
  } catch (...) {
    HandleException(nullptr);
    return 0;
  }
  return ::DefWindowProcA(wnd, msg, wp, lp);
}
