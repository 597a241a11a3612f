#include "toolkit/Application.h"

namespace {
TApplication* g_instance = nullptr;
const char kClassName[] = "TApplication";
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // Leave it for the loop that owns the program's end.
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      if (g_instance) g_instance->terminated_ = true;
      return;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
}

std::string TApplication::ExeName() {
  char path[MAX_PATH + 1] = {};
  DWORD n = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  return std::string(path, n < MAX_PATH ? n : MAX_PATH);
}

TApplication* TApplication::Instance() { return g_instance; }

TApplication::~TApplication() {
  if (handle_) ::DestroyWindow(handle_);
  if (g_instance == this) g_instance = nullptr;
}

bool TApplication::Initialize(HINSTANCE instance) {
  instance_ = instance;
  WNDCLASSA wc = {};
  wc.lpfnWndProc = &TApplication::WndProc;
  wc.hInstance = instance;
  wc.lpszClassName = kClassName;
  wc.hIcon = ::LoadIconA(instance, MAKEINTRESOURCEA(1));
  ::RegisterClassA(&wc);
  // Zero-sized, but visible: it carries the taskbar entry while the form is its owned window.
  handle_ = ::CreateWindowExA(0, kClassName, title_.c_str(),
                              WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 0, 0,
                              nullptr, nullptr, instance, nullptr);
  if (!handle_) return false;
  g_instance = this;
  return true;
}

void TApplication::SetTitle(const std::string& title) {
  title_ = title;
  if (handle_) ::SetWindowTextA(handle_, title_.c_str());
}

void TApplication::Run() {
  MSG msg;
  while (!terminated_ && ::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  terminated_ = true;
}

void TApplication::Terminate() {
  terminated_ = true;
  ::PostQuitMessage(0);
}

void TApplication::ShowException(const std::string& message) {
  ::MessageBoxA(handle_, message.c_str(), title_.c_str(), MB_OK | MB_ICONERROR);
}

LRESULT CALLBACK TApplication::WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  return ::DefWindowProcA(wnd, msg, wp, lp);
}
