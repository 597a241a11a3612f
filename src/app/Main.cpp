// Program entry: one uninstaller at a time, then the window and its message loop.
#include <windows.h>

#include <exception>
#include <memory>
#include <new>

#include "app/Frmuninstall.h"
#include "sys/Selfremoval.h"
#include "toolkit/Application.h"
#include "toolkit/Dllsearch.h"

namespace {
const char kAppClass[] = "TApplication";
const char kAppTitle[] = "Tarvolink Uninstall";
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // First of all: whatever is loaded by name from here on comes from the system folder only.
  RestrictDllSearchToSystem();
  // The copy that removes a finished uninstaller's program does that alone: no window, no test
  // for a running instance.
  if (HandlesSelfRemoval(::GetCommandLineA())) return 0;

  HWND running = ::FindWindowA(kAppClass, kAppTitle);
  if (running) {
    if (::IsIconic(running)) ::ShowWindow(running, SW_RESTORE);
    ::SetForegroundWindow(running);
    return 0;
  }

  TApplication app;
  try {
    if (!app.Initialize(instance)) return 0;
    app.SetTitle(kAppTitle);
    std::unique_ptr<TFormUninstall> form(new (std::nothrow) TFormUninstall());
    if (!form) return 0;
    FormUninstall = form.get();
    app.CreateForm(form.get());
    app.Run();
    FormUninstall = nullptr;
  } catch (const std::exception& e) {
    FormUninstall = nullptr;
    app.ShowException(e.what());
  } catch (...) {
    FormUninstall = nullptr;
    app.ShowException("Unknown exception");
  }
  return 0;
}
