#include "unit/toolkit/Boxanswer.h"

#include <algorithm>

namespace {
struct FindBox {
  DWORD pid;
  std::vector<HWND>* skip;
  HWND found;
};

BOOL CALLBACK FindBoxProc(HWND wnd, LPARAM lp) {
  auto* f = reinterpret_cast<FindBox*>(lp);
  char cls[32] = {};
  ::GetClassNameA(wnd, cls, sizeof cls);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(wnd, &pid);
  if (pid == f->pid && std::string(cls) == "#32770" && ::IsWindowVisible(wnd) &&
      std::find(f->skip->begin(), f->skip->end(), wnd) == f->skip->end()) {
    f->found = wnd;
    return FALSE;
  }
  return TRUE;
}

std::string TextOf(HWND wnd) {
  char buf[2048] = {};
  ::GetWindowTextA(wnd, buf, sizeof buf);
  return buf;
}
}  // namespace

BoxAnswerer::BoxAnswerer(std::vector<int> answers, HWND watched, DWORD pid)
    : answers_(std::move(answers)),
      watched_(watched),
      pid_(pid ? pid : ::GetCurrentProcessId()),
      thread_([this] { Loop(); }) {}

BoxAnswerer::~BoxAnswerer() {
  stop_ = true;
  thread_.join();
}

std::vector<SeenBox> BoxAnswerer::Seen() {
  std::lock_guard<std::mutex> lock(mutex_);
  return seen_;
}

size_t BoxAnswerer::Count() {
  std::lock_guard<std::mutex> lock(mutex_);
  return seen_.size();
}

void BoxAnswerer::Loop() {
  size_t next = 0;
  while (!stop_) {
    FindBox f = {pid_, &handled_, nullptr};
    ::EnumWindows(&FindBoxProc, reinterpret_cast<LPARAM>(&f));
    if (!f.found) {
      ::Sleep(20);
      continue;
    }
    HWND box = f.found;
    ::Sleep(50);   // let the box finish its set-up
    SeenBox s;
    s.title = TextOf(box);
    s.text = TextOf(::GetDlgItem(box, 0xFFFF));
    s.hasCancel = ::GetDlgItem(box, IDCANCEL) != nullptr;
    for (int id : {IDOK, IDCANCEL}) {
      HWND button = ::GetDlgItem(box, id);
      if (button && (::GetWindowLongA(button, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON) s.defaultId = id;
    }
    s.icon = reinterpret_cast<HICON>(::SendDlgItemMessageA(box, 0x0440, STM_GETICON, 0, 0));
    s.owner = ::GetWindow(box, GW_OWNER);
    if (watched_) {
      s.watchedEnabled = ::IsWindowEnabled(watched_) != FALSE;
      s.watchedVisible = ::IsWindowVisible(watched_) != FALSE;
    }
    int answer = next < answers_.size() ? answers_[next] : IDCANCEL;
    ++next;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      seen_.push_back(s);
    }
    handled_.push_back(box);
    if (answer == IDCANCEL && !s.hasCancel) answer = IDOK;
    ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
  }
}

bool DrainQuit(int* code) {
  MSG msg;
  bool found = false;
  while (::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    found = true;
    if (code) *code = static_cast<int>(msg.wParam);
  }
  return found;
}
