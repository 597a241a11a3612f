#include "toolkit/Form.h"

#include <algorithm>
#include <cstring>
#include <exception>

#include "toolkit/Control.h"
#include "toolkit/Exceptionreport.h"

namespace {
const DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS;
const DWORD kExStyle = 0;
}

UniqueFont MakeFont(const LOGFONTA& base, BYTE charset) {
  LOGFONTA lf = base;
  lf.lfCharSet = charset;
  return UniqueFont(::CreateFontIndirectA(&lf));
}

TForm::TForm() {
  std::memset(&fontInfo_, 0, sizeof fontInfo_);
  fontInfo_.lfHeight = -13;
  fontInfo_.lfWeight = FW_NORMAL;
  fontInfo_.lfCharSet = DEFAULT_CHARSET;
  fontInfo_.lfOutPrecision = OUT_DEFAULT_PRECIS;
  fontInfo_.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  fontInfo_.lfQuality = DEFAULT_QUALITY;
  fontInfo_.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  std::strcpy(fontInfo_.lfFaceName, "MS Sans Serif");
  font_ = MakeFont(fontInfo_, DEFAULT_CHARSET);
}

TForm::~TForm() { Destroy(); }

void TForm::Destroy() {
  if (destroyed_) return;
  destroyed_ = true;
  // Readers that still hold the form's object find it gone before any control goes.
  accessibility_.Detach();
  DoDestroy();
  if (mainHandler_) {
    // Deleted, it is no main form any more: its window going ends nothing.
    mainHandler_(mainContext_, TMainFormEvent::Destroyed);
    mainHandler_ = nullptr;
  }
  if (handle_) ::DestroyWindow(handle_);
  handle_ = nullptr;
}

bool TForm::CreateHandle(const char* className, int clientWidth, int clientHeight, HWND owner) {
  if (handle_) return true;
  HINSTANCE instance = ::GetModuleHandleA(nullptr);
  WNDCLASSA wc = {};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = &TForm::WndProc;
  wc.hInstance = instance;
  wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = nullptr;   // painted whole by PaintTo
  wc.lpszClassName = className;
  ::RegisterClassA(&wc);

  clientWidth_ = clientWidth;
  clientHeight_ = clientHeight;
  RECT r = {0, 0, clientWidth, clientHeight};
  ::AdjustWindowRectEx(&r, kStyle, FALSE, kExStyle);
  int width = r.right - r.left;
  int height = r.bottom - r.top;
  int x = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  int y = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  handle_ = ::CreateWindowExA(kExStyle, className, "", kStyle, x, y, width, height,
                              owner, nullptr, instance, this);
  return handle_ != nullptr;
}

void TForm::SetCaption(const std::string& caption) {
  if (handle_) ::SetWindowTextA(handle_, caption.c_str());
}

std::string TForm::Caption() const {
  if (!handle_) return std::string();
  char text[1024] = {};
  int n = ::GetWindowTextA(handle_, text, sizeof text);
  return std::string(text, n > 0 ? static_cast<size_t>(n) : 0);
}

void TForm::SetIcon(HICON icon) {
  if (!handle_ || !icon) return;
  ::SendMessageA(handle_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  ::SendMessageA(handle_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

void TForm::Show() {
  if (!handle_) return;
  DoShow();
  ::ShowWindow(handle_, SW_SHOW);
  ::UpdateWindow(handle_);
}

void TForm::Hide() {
  if (handle_) ::ShowWindow(handle_, SW_HIDE);
}

bool TForm::Visible() const { return handle_ && ::IsWindowVisible(handle_); }

void TForm::Close() {
  if (handle_) ::SendMessageA(handle_, WM_CLOSE, 0, 0);
}

void TForm::Repaint() {
  if (!handle_) return;
  ::UpdateWindow(handle_);
}

void TForm::AfterConstruction() { DoCreate(); }

void TForm::MakeMainForm(TMainFormHandler handler, void* context) {
  mainHandler_ = handler;
  mainContext_ = context;
}

void TForm::EndProgram() {
  ending_ = true;
  ::PostQuitMessage(0);
  if (mainHandler_) mainHandler_(mainContext_, TMainFormEvent::Ending);
}

void TForm::AddControl(TControl* control) { controls_.push_back(control); }

void TForm::RemoveControl(TControl* control) {
  controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
  if (captured_ == control) captured_ = nullptr;
  if (hot_ == control) hot_ = nullptr;
}

void TForm::InvalidateArea(const RECT& area) {
  if (handle_ && !::IsRectEmpty(&area)) ::InvalidateRect(handle_, &area, FALSE);
}

void TForm::PaintTo(HDC dc) {
  RECT client = {0, 0, clientWidth_, clientHeight_};
  PaintTo(dc, client);
}

void TForm::PaintTo(HDC dc, const RECT& area) {
  ::FillRect(dc, &area, ::GetSysColorBrush(COLOR_BTNFACE));
  for (TControl* c : controls_) {
    RECT part;
    if (!c->Visible() || !::IntersectRect(&part, &c->BoundsRect(), &area)) continue;
    int saved = ::SaveDC(dc);
    ::IntersectClipRect(dc, part.left, part.top, part.right, part.bottom);
    c->Paint(dc);
    ::RestoreDC(dc, saved);
  }
}

void TForm::OnPaint() {
  PAINTSTRUCT ps;
  HDC dc = ::BeginPaint(handle_, &ps);
  if (!dc) return;
  // Through a memory bitmap, or the controls that overlap the picture would flicker. Only the
  // invalid part is composed: during a run that is the progress line and the gauge, many times.
  const RECT& area = ps.rcPaint;
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  UniqueMemDc mem(::CreateCompatibleDC(dc));
  UniqueBitmap bmp(width > 0 && height > 0 ? ::CreateCompatibleBitmap(dc, width, height) : nullptr);
  if (mem && bmp) {
    SelectedObject sel(mem.Get(), bmp.Get());
    ::SetViewportOrgEx(mem.Get(), -area.left, -area.top, nullptr);
    PaintTo(mem.Get(), area);
    ::BitBlt(dc, area.left, area.top, width, height, mem.Get(), area.left, area.top, SRCCOPY);
  } else {
    PaintTo(dc, area);
  }
  ::EndPaint(handle_, &ps);
  // Told no more often than painted: a run's reports are throttled to the painting.
  accessibility_.NotifyChanges();
}

void TForm::OnClose() {
  TCloseAction action = caHide;
  DoClose(action);
  if (action == caNone) return;
  if (mainHandler_) {
    // The form itself goes when its owner deletes it, after the loop has ended.
    Hide();
    EndProgram();
  } else if (action == caMinimize) {
    ::ShowWindow(handle_, SW_MINIMIZE);
  } else {
    Hide();
  }
}

TControl* TForm::MouseControlAt(POINT pt) const {
  // The last drawn is on top.
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    TControl* c = *it;
    if (c->Visible() && c->TakesMouse() && ::PtInRect(&c->BoundsRect(), pt)) return c;
  }
  return nullptr;
}

void TForm::SetHot(TControl* control) {
  if (hot_ == control) return;
  if (hot_) hot_->MouseLeave();
  hot_ = control;
  if (hot_ && TrackMouseLeave(handle_)) hot_->MouseEnter();
}

LRESULT TForm::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  POINT pt = {static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
  switch (msg) {
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_KEYDOWN:
      if (!(HIWORD(lp) & KF_REPEAT) && ::IsWindowEnabled(handle_)) DoKeyDown(static_cast<UINT>(wp));
      return 0;
    case WM_ENABLE: {
      // A box that disabled the form gave the activation back to its owner, the application
      // window, on closing: the keyboard would stay there, out of sight. Take it back.
      HWND owner = ::GetWindow(handle_, GW_OWNER);
      if (wp && owner && ::GetActiveWindow() == owner && ::IsWindowVisible(handle_))
        ::SetActiveWindow(handle_);
      break;
    }
    case WM_GETOBJECT: {
      LRESULT result = 0;
      if (accessibility_.Answer(wp, lp, result)) return result;
      break;
    }
    case TFormAccessibility::kPressMessage:
      accessibility_.Press(wp);
      return 0;
    case WM_SETCURSOR:
      if (LOWORD(lp) == HTCLIENT && reinterpret_cast<HWND>(wp) == handle_) {
        POINT cur;
        ::GetCursorPos(&cur);
        ::ScreenToClient(handle_, &cur);
        TControl* c = captured_ ? captured_ : MouseControlAt(cur);
        if (c && c->Cursor()) {
          ::SetCursor(c->Cursor());
          return TRUE;
        }
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (TControl* c = MouseControlAt(pt)) {
        captured_ = c;
        ::SetCapture(handle_);
        c->MouseDown(pt);
      }
      return 0;
    case WM_MOUSEMOVE:
      if (captured_) {
        captured_->MouseMove(pt);
      } else {
        SetHot(MouseControlAt(pt));
      }
      return 0;
    case WM_MOUSELEAVE:
      if (!captured_) SetHot(nullptr);
      return 0;
    case WM_LBUTTONUP:
      if (TControl* c = captured_) {
        // Let go of the mouse before the click runs: it may run a long nested loop.
        captured_ = nullptr;
        ::ReleaseCapture();
        c->MouseUp(pt);
      }
      return 0;
    case WM_CAPTURECHANGED:
      if (captured_ && reinterpret_cast<HWND>(lp) != handle_) {
        TControl* c = captured_;
        captured_ = nullptr;
        c->MouseLeave();
      }
      return 0;
    case WM_DESTROY:
      if (mainHandler_ && !ending_) EndProgram();
      break;
    case WM_NCDESTROY:
      ::SetWindowLongPtrA(handle_, GWLP_USERDATA, 0);
      handle_ = nullptr;
      break;
    default:
      break;
  }
  return ::DefWindowProcA(handle_, msg, wp, lp);
}

LRESULT CALLBACK TForm::WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  try {
    if (msg == WM_NCCREATE) {
      auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
      auto* self = static_cast<TForm*>(cs->lpCreateParams);
      ::SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
      if (self) self->handle_ = wnd;
    }
    auto* self = reinterpret_cast<TForm*>(::GetWindowLongPtrA(wnd, GWLP_USERDATA));
    if (self) return self->HandleMessage(msg, wp, lp);
  } catch (const std::exception& e) {
    ReportException(e.what());
    return 0;
  } catch (...) {
    ReportException(nullptr);
    return 0;
  }
  return ::DefWindowProcA(wnd, msg, wp, lp);
}
