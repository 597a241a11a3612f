// Stand-in for other programs in the tests.
//   fake_product window close|refuse|minimized|hung|hungmin TITLE   a "TApplication" window
//   fake_product hold FILE EVENT                       keeps FILE open without sharing
// The window closes on WM_CLOSE, never (refuse), or only once it has been restored (minimized).
// A hung one, shown or minimised, never reads its messages again.
#include <windows.h>
#include <cstring>

namespace {
int g_mode = 0;   // 0 close, 1 refuse, 2 minimized

LRESULT CALLBACK FakeWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_CLOSE) {
    if (g_mode == 1) return 0;
    if (g_mode == 2 && ::IsIconic(wnd)) return 0;
    ::DestroyWindow(wnd);
    return 0;
  }
  if (msg == WM_DESTROY) {
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcA(wnd, msg, wp, lp);
}

int RunWindow(const char* mode, const char* title) {
  if (std::strcmp(mode, "refuse") == 0) g_mode = 1;
  if (std::strcmp(mode, "minimized") == 0) g_mode = 2;
  const bool hung = std::strcmp(mode, "hung") == 0 || std::strcmp(mode, "hungmin") == 0;
  WNDCLASSA wc = {};
  wc.lpfnWndProc = FakeWndProc;
  wc.hInstance = ::GetModuleHandleA(nullptr);
  wc.lpszClassName = "TApplication";
  ::RegisterClassA(&wc);
  HWND wnd = ::CreateWindowExA(0, "TApplication", title, WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                               nullptr, wc.hInstance, nullptr);
  if (!wnd) return 2;
  const bool minimized = g_mode == 2 || std::strcmp(mode, "hungmin") == 0;
  ::ShowWindow(wnd, minimized ? SW_SHOWMINIMIZED : SW_SHOW);
  if (hung) ::Sleep(INFINITE);
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  return 0;
}

int Hold(const char* file, const char* eventName) {
  HANDLE h = ::CreateFileA(file, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return 3;
  HANDLE ready = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, eventName);
  if (ready) ::SetEvent(ready);
  ::Sleep(INFINITE);
  return 0;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "window") == 0) return RunWindow(argv[2], argv[3]);
  if (argc == 4 && std::strcmp(argv[1], "hold") == 0) return Hold(argv[2], argv[3]);
  return 1;
}
