// Answers the message boxes that the thread under test puts up, from a second thread, and records
// what each box showed. Boxes beyond the script are answered with Cancel and still recorded.
#pragma once
#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct SeenBox {
  std::string title;
  std::string text;
  bool hasCancel = false;
  int defaultId = 0;
  HICON icon = nullptr;
  HWND owner = nullptr;
  bool watchedEnabled = true;   // state of the watched window while the box was up
  bool watchedVisible = false;
};

class BoxAnswerer {
public:
  // answers: the button id to press for each box in turn (IDOK, IDCANCEL).
  // Boxes of process pid (0: this one); watched is a window whose state is noted at each box.
  explicit BoxAnswerer(std::vector<int> answers, HWND watched = nullptr, DWORD pid = 0);
  ~BoxAnswerer();
  std::vector<SeenBox> Seen();
  size_t Count();

private:
  void Loop();
  std::vector<int> answers_;
  HWND watched_;
  DWORD pid_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<SeenBox> seen_;
  std::vector<HWND> handled_;
  std::thread thread_;
};

// Runs the thread's messages until pred() is true; false after about `seconds` without it.
template <typename Pred>
bool PumpUntil(Pred pred, int seconds = 30) {
  for (int i = 0; i < seconds * 100; ++i) {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        ::PostQuitMessage(static_cast<int>(msg.wParam));
        break;
      }
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
    if (pred()) return true;
    ::Sleep(10);
  }
  return pred();
}

// Takes a WM_QUIT that a test left in this thread's queue; true when there was one.
bool DrainQuit(int* code = nullptr);
