// The application object: the hidden-owner top-level window of class "TApplication" (taskbar
// entry, owner of the main form and of message boxes), the message loop and the message pump.
#pragma once
#include <windows.h>
#include <string>

#include "toolkit/Form.h"

class TApplication {
public:
  // Drains the waiting messages of this thread. A WM_QUIT met here is posted again, so that the
  // outer loop still ends. Paint messages are taken at most once per kPaintIntervalMs. Safe to
  // call without an application object.
  static void ProcessMessages();
  // ProcessMessages as a run's message pump (setup's TMessagePump): false once the application
  // given as the context, if any, was terminated.
  static bool PumpMessages(void* application);
  static constexpr DWORD kPaintIntervalMs = 40;
  // Full name of the running program.
  static std::string ExeName();

  // The one application object of the process, or null before Initialize.
  static TApplication* Instance();

  bool Initialize(HINSTANCE instance);
  void SetTitle(const std::string& title);
  const std::string& Title() const { return title_; }
  HWND Handle() const { return handle_; }

  // Makes the form the main form (the first one given wins) and runs its creation handler.
  void CreateForm(TForm* form);
  TForm* MainForm() const { return mainForm_; }
  HWND MainWindow() const;

  void Run();          // until the main form is closed or Terminate was called
  // A run that nobody attends has no window of its own: a request to close the application
  // window (a tool that closes every window, say) is refused; a quit still ends the program.
  void RefuseClose() { closeRefused_ = true; }
  void Terminate();    // posts WM_QUIT
  bool Terminated() const { return terminated_; }
  void ShowException(const std::string& message);   // the standard exception box
  // The exception reporter that the application registers for the window procedures: shows
  // what escaped a handler in the standard exception box.
  static void HandleException(const char* message) noexcept;
  // True once it reported what escaped a window procedure of this application.
  bool ExceptionReported() const { return exceptionReported_; }

  // A modal box owned by the application window and titled with the application title. The
  // application's other windows stay disabled while it is up, so no click reaches them.
  static int ShowMessageBox(const std::string& text, UINT flags);
  // Unattended runs: every box goes to the handler instead of the screen, and its answer is the
  // box's. Null shows boxes again.
  using TBoxHandler = int (*)(const std::string& text, UINT flags);
  static void SetBoxHandler(TBoxHandler handler);

  TApplication() = default;
  ~TApplication();
  TApplication(const TApplication&) = delete;
  TApplication& operator=(const TApplication&) = delete;

private:
  static LRESULT CALLBACK WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
  static void MainFormEvent(void* application, TMainFormEvent event);
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  // The program is ending: recorded here and told to the main form.
  void MarkTerminated();

  HWND handle_ = nullptr;
  TForm* mainForm_ = nullptr;
  std::string title_;
  bool terminated_ = false;
  bool formHiddenByMinimize_ = false;
  bool closeRefused_ = false;
  bool exceptionReported_ = false;
};
