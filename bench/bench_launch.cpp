// Starts a windowed program and times it from process creation, by polling rather than by any
// hook in the program, so that the product and its references are measured the same way.
//
//   bench_launch window EXE [ARG...] time until a visible top-level window of EXE's process with
//                                    the uninstaller's client size appears; then close it
//   bench_launch click X Y [--gone DIR] EXE [ARG...]
//                                    as window, then click the client point (X, Y) and time
//                                    until that process shows a message box; answer it with OK;
//                                    with --gone, then time from the process's end until DIR is
//                                    gone (the uninstaller's own removal, done after it ends)
//   bench_launch exit EXE [ARG...]   time until the process ends on its own, with its exit code
//                                    and whether it ever showed a visible window
//
// Prints one line of key=value pairs: the times in ms, the box's text, and the process's peak
// working set as the system reports it. Exit code 0 only when every wait
// was met.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "product_layout.h"

namespace {

const DWORD kWaitMs = 60000;

struct WindowQuery {
  DWORD processId;
  bool wantBox;   // a message box (#32770) instead of the main window
  HWND found;
};

bool HasClientSize(HWND window) {
  RECT rc;
  return GetClientRect(window, &rc) && rc.right - rc.left == layout::kClientWidth &&
         rc.bottom - rc.top == layout::kClientHeight;
}

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
  WindowQuery* query = reinterpret_cast<WindowQuery*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != query->processId || !IsWindowVisible(window)) return TRUE;
  bool match;
  if (query->wantBox) {
    char cls[32] = {};
    GetClassNameA(window, cls, sizeof cls);
    match = std::strcmp(cls, "#32770") == 0;
  } else {
    match = HasClientSize(window);
  }
  if (!match) return TRUE;
  query->found = window;
  return FALSE;
}

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Polls until the process shows the window asked for; null when it ends or the wait runs out.
HWND WaitForWindow(HANDLE process, DWORD processId, bool wantBox) {
  const double deadline = Now() + kWaitMs;
  while (Now() < deadline) {
    WindowQuery query = {processId, wantBox, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&query));
    if (query.found) return query.found;
    if (WaitForSingleObject(process, 1) == WAIT_OBJECT_0) return nullptr;
  }
  return nullptr;
}

struct Memory {
  SIZE_T peakWorkingSet = 0;
};

void SampleMemory(HANDLE process, Memory& memory) {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(process, &counters, sizeof counters)) return;
  if (counters.PeakWorkingSetSize > memory.peakWorkingSet)
    memory.peakWorkingSet = counters.PeakWorkingSetSize;
}

// The deepest visible child under a client point of the window, and the point in its terms.
HWND ChildAt(HWND window, POINT& point) {
  for (;;) {
    HWND child = ChildWindowFromPointEx(window, point, CWP_SKIPINVISIBLE | CWP_SKIPDISABLED);
    if (!child || child == window) return window;
    MapWindowPoints(window, child, &point, 1);
    window = child;
  }
}

void PostClick(HWND window, int x, int y) {
  POINT point = {x, y};
  HWND target = ChildAt(window, point);
  const LPARAM at = MAKELPARAM(point.x, point.y);
  PostMessageA(target, WM_MOUSEMOVE, 0, at);
  PostMessageA(target, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(target, WM_LBUTTONUP, 0, at);
}

std::string BoxText(HWND box) {
  char text[512] = {};
  GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
  std::string out;
  for (const char* p = text; *p; ++p) out += (*p == '\r' || *p == '\n') ? ' ' : *p;
  return out;
}

int Usage() {
  std::fprintf(stderr, "usage: bench_launch window EXE [ARG...] | bench_launch click X Y [--gone DIR] EXE [ARG...]"
                       " | bench_launch exit EXE [ARG...]\n");
  return 2;
}

BOOL CALLBACK FindVisible(HWND window, LPARAM param) {
  DWORD* pid = reinterpret_cast<DWORD*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != *pid || !IsWindowVisible(window)) return TRUE;
  *pid = 0;   // found
  return FALSE;
}

bool ShowsWindow(DWORD processId) {
  DWORD probe = processId;
  EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&probe));
  return probe == 0;
}

// Polls until the folder no longer exists; the ms it took, or -1 when it stayed.
double WaitUntilGone(const std::string& folder, double from) {
  const double deadline = from + 20000;
  while (Now() < deadline) {
    if (GetFileAttributesA(folder.c_str()) == INVALID_FILE_ATTRIBUTES) return Now() - from;
    Sleep(1);
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  const bool click = std::strcmp(argv[1], "click") == 0;
  const bool toExit = std::strcmp(argv[1], "exit") == 0;
  if (!click && !toExit && std::strcmp(argv[1], "window") != 0) return Usage();
  if (click && argc < 5) return Usage();
  const int clickX = click ? std::atoi(argv[2]) : 0;
  const int clickY = click ? std::atoi(argv[3]) : 0;
  int exeArg = click ? 4 : 2;
  std::string gone;
  if (click && std::strcmp(argv[exeArg], "--gone") == 0) {
    if (argc < exeArg + 3) return Usage();
    gone = argv[exeArg + 1];
    exeArg += 2;
  }
  std::string exe = argv[exeArg];
  std::string commandLine = "\"" + exe + "\"";
  for (int i = exeArg + 1; i < argc; ++i) commandLine += std::string(" ") + argv[i];
  // The program runs in its own folder, as it does when started from the uninstall entry.
  std::string folder;
  const size_t slash = exe.find_last_of("\\/");
  if (slash != std::string::npos) folder = exe.substr(0, slash);

  STARTUPINFOA si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION pi = {};
  const double started = Now();
  if (!CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                      folder.empty() ? nullptr : folder.c_str(), &si, &pi)) {
    std::fprintf(stderr, "cannot start %s: error %lu\n", exe.c_str(), GetLastError());
    return 1;
  }
  CloseHandle(pi.hThread);

  Memory memory;
  bool ok = true;
  if (toExit) {
    // Watched to its end: how long it takes, what it answers, and whether anything showed.
    bool visible = false;
    while (WaitForSingleObject(pi.hProcess, 2) == WAIT_TIMEOUT) {
      SampleMemory(pi.hProcess, memory);
      if (!visible) visible = ShowsWindow(pi.dwProcessId);
      if (Now() - started > kWaitMs) {
        std::printf("error=no-exit ");
        TerminateProcess(pi.hProcess, 1);
        WaitForSingleObject(pi.hProcess, 5000);
        ok = false;
        break;
      }
    }
    const double ended = Now();
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    SampleMemory(pi.hProcess, memory);
    std::printf("exit_ms=%.2f exit_code=%lu visible=%d peak_ws=%lu\n", ended - started,
                static_cast<unsigned long>(code), visible ? 1 : 0,
                static_cast<unsigned long>(memory.peakWorkingSet));
    CloseHandle(pi.hProcess);
    return ok ? 0 : 1;
  }
  HWND window = WaitForWindow(pi.hProcess, pi.dwProcessId, false);
  const double shown = Now();
  std::printf("window_ms=%.2f", shown - started);
  if (!window) {
    std::printf(" error=no-window");
    ok = false;
  }
  if (window && click) {
    // Let the start-up finish its own work first: the run is timed from the click alone.
    Sleep(300);
    SampleMemory(pi.hProcess, memory);
    const double clicked = Now();
    PostClick(window, clickX, clickY);
    HWND box = WaitForWindow(pi.hProcess, pi.dwProcessId, true);
    const double boxed = Now();
    if (box) {
      std::printf(" click_ms=%.2f box=\"%s\"", boxed - clicked, BoxText(box).c_str());
      SampleMemory(pi.hProcess, memory);
      PostMessageA(box, WM_COMMAND, IDOK, 0);
    } else {
      std::printf(" error=no-box");
      ok = false;
    }
  } else if (window) {
    SampleMemory(pi.hProcess, memory);
    PostMessageA(window, WM_CLOSE, 0, 0);
  }

  // Wait for the program to end on its own; a program that hangs is ended and reported.
  for (DWORD waited = 0;; waited += 50) {
    if (WaitForSingleObject(pi.hProcess, 50) == WAIT_OBJECT_0) break;
    SampleMemory(pi.hProcess, memory);
    if (waited > 15000) {
      std::printf(" error=no-exit");
      TerminateProcess(pi.hProcess, 1);
      WaitForSingleObject(pi.hProcess, 5000);
      ok = false;
      break;
    }
  }
  SampleMemory(pi.hProcess, memory);
  if (!gone.empty()) {
    const double goneMs = WaitUntilGone(gone, Now());
    if (goneMs < 0) {
      std::printf(" error=folder-stayed");
      ok = false;
    } else {
      std::printf(" gone_ms=%.2f", goneMs);
    }
  }
  std::printf(" peak_ws=%lu\n", static_cast<unsigned long>(memory.peakWorkingSet));
  CloseHandle(pi.hProcess);
  return ok ? 0 : 1;
}
