// The least a windowed program can be: one registered class and one fixed window with the
// uninstaller's client size, centred, closed by its close box. Size, start-up and memory of the
// uninstaller are read against this. Built with BARE_WITH_SHELL it first asks the shell for the
// Program Files folder, as the uninstaller must at start-up, to price loading the shell.
#include <windows.h>
#ifdef BARE_WITH_SHELL
#include <shlobj.h>
#endif

#include "bench_window.h"

namespace {

LRESULT CALLBACK BareWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
#ifdef BARE_WITH_SHELL
  char folder[MAX_PATH];
  SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES | CSIDL_FLAG_CREATE, nullptr, 0, folder);
#endif
  if (!OpenFixedWindow(instance, "BenchBareWindow", BareWndProc, "Bare Window", true, show)) return 1;
  RunMessageLoop();
  return 0;
}
