#include "toolkit/Form.h"

#include <cstring>
#include <exception>

#include "toolkit/Control.h"
#include "toolkit/Exceptionreport.h"

namespace {
const DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS;
const DWORD kExStyle = 0;
// Windows 8.1 and 10 1703 on; the headers are those of the oldest target.
const UINT kDpiChanged = 0x02E0;
const UINT kGetDpiScaledSize = 0x02E4;

LOGFONTA FormFont(int dpi) {
  LOGFONTA lf;
  std::memset(&lf, 0, sizeof lf);
  lf.lfHeight = ScaleForDpi(-13, dpi);
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  // A bitmap face comes in a few heights, and any other is one of those cut or doubled in blocks.
  // Arial is TrueType on every target, 95 and NT 4.0 included, and of those faces the nearest.
  std::strcpy(lf.lfFaceName, dpi > kLayoutDpi ? "Arial" : "MS Sans Serif");
  return lf;
}
}

// The controls are made before the window: they take the screen's DPI, and the window's own
// once it exists.
TForm::TForm() : TControlParent(WindowDpi(nullptr)) {
  fontInfo_ = FormFont(dpi_);
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
  RECT r = CentredRect();
  handle_ = ::CreateWindowExA(kExStyle, className, "", kStyle, r.left, r.top, r.right - r.left,
                              r.bottom - r.top, owner, nullptr, instance, this);
  if (!handle_) return false;
  // A monitor with a scale of its own: laid out again before anything shows.
  int dpi = WindowDpi(handle_);
  if (dpi != dpi_) {
    ChangeDpi(dpi);
    r = CentredRect();
    ::SetWindowPos(handle_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return true;
}

RECT TForm::CentredRect() const {
  RECT r = WindowRectForClient(ClientWidth(), ClientHeight(), kStyle, kExStyle, dpi_);
  ::OffsetRect(&r, (::GetSystemMetrics(SM_CXSCREEN) - r.right) / 2,
               (::GetSystemMetrics(SM_CYSCREEN) - r.bottom) / 2);
  return r;
}

void TForm::ChangeDpi(int dpi) {
  if (dpi <= 0 || dpi == dpi_) return;
  dpi_ = dpi;
  fontInfo_ = FormFont(dpi);
  font_ = MakeFont(fontInfo_, DEFAULT_CHARSET);
  for (TControl* c : Controls()) c->ScaleChanged();
  if (handle_) ::InvalidateRect(handle_, nullptr, FALSE);
}

void TForm::OnDpiChanged(int dpi, const RECT* suggested) {
  ChangeDpi(dpi);
  // The system's rectangle keeps the window where the user dragged it, on the monitor it went to.
  if (suggested)
    ::SetWindowPos(handle_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                   suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
  DoDpiChanged();
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

void TForm::PaintTo(HDC dc) {
  RECT client = {0, 0, ClientWidth(), ClientHeight()};
  PaintTo(dc, client);
}

void TForm::PaintTo(HDC dc, const RECT& area) {
  ::FillRect(dc, &area, ::GetSysColorBrush(COLOR_BTNFACE));
  for (TControl* c : Controls()) {
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
  for (auto it = Controls().rbegin(); it != Controls().rend(); ++it) {
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

// Each handler below has one caller, the router, into which it goes whole.
inline void TForm::OnKeyDown(UINT key, bool repeat) {
  if (!repeat && ::IsWindowEnabled(handle_)) DoKeyDown(key);
}

inline void TForm::OnEnable(bool enabled) {
  // A box that disabled the form gave the activation back to its owner, the application
  // window, on closing: the keyboard would stay there, out of sight. Take it back.
  HWND owner = ::GetWindow(handle_, GW_OWNER);
  if (enabled && owner && ::GetActiveWindow() == owner && ::IsWindowVisible(handle_))
    ::SetActiveWindow(handle_);
}

// The size for the other DPI, so that the system's rectangle holds the scaled client area
// exactly, whatever the frame does.
inline void TForm::OnGetDpiScaledSize(int dpi, SIZE& size) const {
  RECT r = WindowRectForClient(ScaleForDpi(clientWidth_, dpi), ScaleForDpi(clientHeight_, dpi), kStyle,
                               kExStyle, dpi);
  size.cx = r.right;
  size.cy = r.bottom;
}

inline void TForm::OnDestroy() {
  if (mainHandler_ && !ending_) EndProgram();
}

inline void TForm::OnNcDestroy() {
  ::SetWindowLongPtrA(handle_, GWLP_USERDATA, 0);
  handle_ = nullptr;
}

inline void TForm::OnLButtonDown(POINT pt) {
  if (TControl* c = MouseControlAt(pt)) {
    captured_ = c;
    ::SetCapture(handle_);
    c->MouseDown(pt);
  }
}

inline void TForm::OnMouseMove(POINT pt) {
  if (captured_) {
    captured_->MouseMove(pt);
  } else {
    SetHot(MouseControlAt(pt));
  }
}

inline void TForm::OnMouseLeave() {
  if (!captured_) SetHot(nullptr);
}

inline void TForm::OnLButtonUp(POINT pt) {
  if (TControl* c = captured_) {
    // Let go of the mouse before the click runs: it may run a long nested loop.
    captured_ = nullptr;
    ::ReleaseCapture();
    c->MouseUp(pt);
  }
}

inline void TForm::OnCaptureChanged(HWND capture) {
  if (captured_ && capture != handle_) {
    TControl* c = captured_;
    captured_ = nullptr;
    c->MouseLeave();
  }
}

inline bool TForm::OnSetCursor(HWND cursorWindow, UINT hitTest) {
  if (hitTest != HTCLIENT || cursorWindow != handle_) return false;
  POINT cur;
  ::GetCursorPos(&cur);
  ::ScreenToClient(handle_, &cur);
  TControl* c = captured_ ? captured_ : MouseControlAt(cur);
  if (!c || !c->Cursor()) return false;
  ::SetCursor(c->Cursor());
  return true;
}

LRESULT TForm::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  const POINT pt = {static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
  LRESULT result = 0;
  switch (msg) {
    case WM_PAINT: OnPaint(); return 0;
    case WM_ERASEBKGND: return 1;   // PaintTo covers the whole area
    case WM_CLOSE: OnClose(); return 0;
    case WM_KEYDOWN: OnKeyDown(static_cast<UINT>(wp), (HIWORD(lp) & KF_REPEAT) != 0); return 0;
    case WM_ENABLE: OnEnable(wp != FALSE); break;
    case kDpiChanged: OnDpiChanged(HIWORD(wp), reinterpret_cast<const RECT*>(lp)); return 0;
    case kGetDpiScaledSize: OnGetDpiScaledSize(static_cast<int>(wp), *reinterpret_cast<SIZE*>(lp)); return TRUE;
    case WM_GETOBJECT:
      if (accessibility_.Answer(wp, lp, result)) return result;
      break;
    case TFormAccessibility::kPressMessage: accessibility_.Press(wp); return 0;
    case WM_SETCURSOR:
      if (OnSetCursor(reinterpret_cast<HWND>(wp), LOWORD(lp))) return TRUE;
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: OnLButtonDown(pt); return 0;
    case WM_MOUSEMOVE: OnMouseMove(pt); return 0;
    case WM_MOUSELEAVE: OnMouseLeave(); return 0;
    case WM_LBUTTONUP: OnLButtonUp(pt); return 0;
    case WM_CAPTURECHANGED: OnCaptureChanged(reinterpret_cast<HWND>(lp)); return 0;
    case WM_DESTROY: OnDestroy(); break;
    case WM_NCDESTROY: {
      // The last message: the window's own data is freed by the default handling, which needs the
      // window the form lets go of here.
      HWND wnd = handle_;
      OnNcDestroy();
      return ::DefWindowProcA(wnd, msg, wp, lp);
    }
    default: break;
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
