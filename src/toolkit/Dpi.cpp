#include "toolkit/Dpi.h"

#include "sys/Handle.h"
#include "sys/Syslibrary.h"

namespace {
HMODULE User32() { return ::GetModuleHandleA("user32.dll"); }

int MonitorDpi(HWND wnd) {
  using FromWindowProc = HMONITOR(WINAPI*)(HWND, DWORD);
  using ForMonitorProc = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  static const FromWindowProc fromWindow = GetSystemProc<FromWindowProc>(User32(), "MonitorFromWindow");
  static const ForMonitorProc forMonitor =
      fromWindow ? GetSystemProc<ForMonitorProc>(LoadSystemLibrary("shcore.dll"), "GetDpiForMonitor") : nullptr;
  if (!forMonitor) return 0;
  UINT x = 0, y = 0;
  const int effective = 0;   // MDT_EFFECTIVE_DPI
  if (FAILED(forMonitor(fromWindow(wnd, MONITOR_DEFAULTTONEAREST), effective, &x, &y))) return 0;
  return static_cast<int>(y);
}
}  // namespace

int WindowDpi(HWND wnd) {
  if (wnd) {
    using ForWindowProc = UINT(WINAPI*)(HWND);
    static const ForWindowProc forWindow = GetSystemProc<ForWindowProc>(User32(), "GetDpiForWindow");
    int dpi = forWindow ? static_cast<int>(forWindow(wnd)) : MonitorDpi(wnd);
    if (dpi > 0) return dpi;
  }
  WindowDc screen(nullptr);
  int dpi = screen.Get() ? ::GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
  return dpi > 0 ? dpi : kLayoutDpi;
}

RECT WindowRectForClient(int width, int height, DWORD style, DWORD exStyle, int dpi) {
  using AdjustProc = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  static const AdjustProc adjustForDpi = GetSystemProc<AdjustProc>(User32(), "AdjustWindowRectExForDpi");
  RECT r = {0, 0, width, height};
  // Without it the frame is the system's, which is what such a system draws.
  if (!adjustForDpi || !adjustForDpi(&r, style, FALSE, exStyle, static_cast<UINT>(dpi)))
    ::AdjustWindowRectEx(&r, style, FALSE, exStyle);
  ::OffsetRect(&r, -r.left, -r.top);
  return r;
}
