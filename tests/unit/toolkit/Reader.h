// The client side of Active Accessibility, as a screen reader uses it: the window's object, its
// children's roles, names, values, states and places, their default action, and the change events
// that the window sends (recorded through an out-of-context WinEvent hook).
#pragma once
#include <windows.h>
#include <ole2.h>
#include <oleacc.h>

#include <string>
#include <vector>

struct ReaderChild {
  long role = 0;
  std::string name;     // back in the ANSI code page, to compare with the catalogue's bytes
  bool hasName = false;
  std::string value;
  long state = 0;
  RECT place = {0, 0, 0, 0};   // on the screen
  std::string action;   // default action
  std::string shortcut;
};

class Reader {
public:
  explicit Reader(HWND wnd);
  ~Reader();
  Reader(const Reader&) = delete;
  Reader& operator=(const Reader&) = delete;
  IAccessible* Object() const { return acc_; }
  HWND Window() const { return wnd_; }
  long ChildCount() const;
  ReaderChild Child(long id) const;
  HRESULT Press(long id) const;   // accDoDefaultAction
  long HitTest(POINT screen) const;   // child id, or -1 for nothing
  long Navigate(long from, long dir) const;   // child id, or -1 for nothing

private:
  HWND wnd_;
  bool com_ = false;
  IAccessible* acc_ = nullptr;
};

// Lines such as "show 3 LabelMsg", "name 3 Deleting ...", "value 4 45%", in the order the events
// came, each with the name or value that the reader reads at that moment.
class EventRecorder {
public:
  explicit EventRecorder(const Reader& reader);
  ~EventRecorder();
  EventRecorder(const EventRecorder&) = delete;
  EventRecorder& operator=(const EventRecorder&) = delete;
  const std::vector<std::string>& Lines() const { return lines_; }

private:
  static void CALLBACK Proc(HWINEVENTHOOK, DWORD event, HWND wnd, LONG object, LONG child, DWORD, DWORD);
  const Reader& reader_;
  HWINEVENTHOOK hook_ = nullptr;
  std::vector<std::string> lines_;
};

std::string Narrow(BSTR text);
