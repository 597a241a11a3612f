// The references' one window: a registered class and a fixed, unsizable window whose client area
// is the uninstaller's, and the message loop that serves it. Header-only, so that each reference
// stays a single bare program.
#pragma once

#include <windows.h>

#include "product_layout.h"

namespace {

// Opens the window and shows it; centred on the screen, or where the system places new windows.
// Null when the class or the window cannot be made.
HWND OpenFixedWindow(HINSTANCE instance, const char* className, WNDPROC procedure,
                     const char* title, bool centred, int show) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = procedure;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = className;
  if (!RegisterClassA(&wc)) return nullptr;

  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
  RECT frame = {0, 0, layout::kClientWidth, layout::kClientHeight};
  AdjustWindowRect(&frame, style, FALSE);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  const int x = centred ? (GetSystemMetrics(SM_CXSCREEN) - width) / 2 : CW_USEDEFAULT;
  const int y = centred ? (GetSystemMetrics(SM_CYSCREEN) - height) / 2 : CW_USEDEFAULT;
  HWND window = CreateWindowExA(0, className, title, style, x, y, width, height, nullptr, nullptr,
                                instance, nullptr);
  if (!window) return nullptr;
  ShowWindow(window, show);
  UpdateWindow(window);
  return window;
}

void RunMessageLoop() {
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

}  // namespace
