// The application object: the hidden-owner top-level window of class "TApplication" (taskbar
// entry, owner of the main form and of message boxes), the message loop and the message pump.
#pragma once
#include <windows.h>
#include <string>

class TApplication {
public:
  // Drains the waiting messages of this thread. A WM_QUIT met here is posted again, so that the
  // outer loop still ends. Safe to call without an application object.
  static void ProcessMessages();
  // Full name of the running program.
  static std::string ExeName();

  // The one application object of the process, or null before Initialize.
  static TApplication* Instance();

  bool Initialize(HINSTANCE instance);
  void SetTitle(const std::string& title);
  const std::string& Title() const { return title_; }
  HWND Handle() const { return handle_; }
  HINSTANCE InstanceHandle() const { return instance_; }

  void SetMainWindow(HWND form) { mainForm_ = form; }
  HWND MainWindow() const { return mainForm_; }

  void Run();          // until the main form is gone or Terminate was called
  void Terminate();    // posts WM_QUIT
  bool Terminated() const { return terminated_; }
  void ShowException(const std::string& message);   // the standard exception box

  TApplication() = default;
  ~TApplication();
  TApplication(const TApplication&) = delete;
  TApplication& operator=(const TApplication&) = delete;

private:
  static LRESULT CALLBACK WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
  HINSTANCE instance_ = nullptr;
  HWND handle_ = nullptr;
  HWND mainForm_ = nullptr;
  std::string title_;
  bool terminated_ = false;
};
