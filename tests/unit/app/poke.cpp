// A console helper for looking at the window by hand (screenshots under Xvfb):
//   poke click X Y        click at a client point of the running uninstaller's window
//   poke answer ID        press button ID (1 OK, 2 Cancel) in the message box that is up
//   poke hold SECONDS     be the running product ("Tarvo Link") that ignores the request to close
//   poke stage PERCENT    show the window in this process in its running state, for a picture
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/Frmuninstall.h"
#include "toolkit/Application.h"

namespace {
LRESULT CALLBACK IgnoreClose(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_CLOSE) return 0;
  return ::DefWindowProcA(w, m, wp, lp);
}

void Pump(int seconds) {
  for (int i = 0; i < seconds * 50; ++i) {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
    ::Sleep(20);
  }
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const char* cmd = argv[1];
  if (!std::strcmp(cmd, "click") && argc >= 4) {
    HWND form = ::FindWindowA("TFormUninstall", nullptr);
    if (!form) return 1;
    LPARAM at = MAKELPARAM(std::atoi(argv[2]), std::atoi(argv[3]));
    ::PostMessageA(form, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageA(form, WM_LBUTTONUP, 0, at);
    return 0;
  }
  if (!std::strcmp(cmd, "answer")) {
    HWND box = ::FindWindowA("#32770", nullptr);
    if (!box) return 1;
    ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(std::atoi(argv[2]), BN_CLICKED), 0);
    return 0;
  }
  if (!std::strcmp(cmd, "hold")) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &IgnoreClose;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "TApplication";
    ::RegisterClassA(&wc);
    ::CreateWindowA("TApplication", "Tarvo Link", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance,
                    nullptr);
    Pump(std::atoi(argv[2]));
    return 0;
  }
  if (!std::strcmp(cmd, "stage")) {
    TApplication app;
    app.Initialize(::GetModuleHandleA(nullptr));
    app.SetTitle("Tarvolink Uninstall");
    TFormUninstall form;
    app.CreateForm(&form);
    form.Show();
    form.ShowRunningState();
    form.CGaugeSetup.SetProgress(std::atoi(argv[2]));
    form.LabelMsg.SetCaption(argc > 3 ? argv[3] : "");
    Pump(argc > 4 ? std::atoi(argv[4]) : 20);
    return 0;
  }
  return 2;
}
