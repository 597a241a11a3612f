// The uninstall window without a mouse: its keys, and what a screen reader finds in it and hears
// from it through Active Accessibility.
#include <gtest/gtest.h>

#include <cstdio>
#include <thread>

#include "app/Frmuninstall.h"
#include "product/Tarvolinkuninstall.h"
#include "unit/app/Formfixture.h"
#include "unit/toolkit/Reader.h"

namespace {
enum Child : long { kPicture = 1, kUninstall, kLine, kGauge, kQuit };

void PostKey(HWND wnd, UINT key, bool repeat = false) {
  ::PostMessageA(wnd, WM_KEYDOWN, key, repeat ? 0x40000001 : 1);
  ::PostMessageA(wnd, WM_KEYUP, key, 0xC0000001);
}

bool Drain() {
  return PumpUntil([] { return true; });
}

RECT OnScreen(HWND wnd, const TControl& c) {
  POINT p = {c.Left(), c.Top()};
  ::ClientToScreen(wnd, &p);
  return {p.x, p.y, p.x + c.Width(), p.y + c.Height()};
}

// The running product as a window that will not close: the run waits for it, step by step, long
// enough for the questions. Lives on the test's thread, as the form does.
LRESULT CALLBACK RefuseProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_CLOSE) return 0;
  return ::DefWindowProcA(w, m, wp, lp);
}
struct StubbornProduct {
  StubbornProduct() {
    wnd = ::CreateWindowA("TApplication", "Tarvo Link", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                          ::GetModuleHandleA(nullptr), nullptr);
    ::SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RefuseProc));
  }
  ~StubbornProduct() { ::DestroyWindow(wnd); }
  HWND wnd;
};
}  // namespace

using KeysAndReaders = FormFixture;

TEST_F(KeysAndReaders, ReaderFindsTheDrawnControlsWithTheirStates) {
  Create(new TFormUninstall());
  HWND wnd = form->Handle();
  EXPECT_EQ(wnd, ::GetFocus()) << "keys go to the shown window";
  Reader reader(wnd);
  ASSERT_NE(nullptr, reader.Object());
  ASSERT_EQ(5, reader.ChildCount());

  ReaderChild picture = reader.Child(kPicture), uninstall = reader.Child(kUninstall), line = reader.Child(kLine),
              gauge = reader.Child(kGauge), quit = reader.Child(kQuit);
  EXPECT_EQ(ROLE_SYSTEM_GRAPHIC, picture.role);
  EXPECT_EQ("Tarvolink", picture.name);
  EXPECT_EQ(ROLE_SYSTEM_PUSHBUTTON, uninstall.role);
  EXPECT_EQ("Uninstall", uninstall.name);
  EXPECT_EQ("Press", uninstall.action);
  EXPECT_EQ("Enter", uninstall.shortcut);
  EXPECT_EQ(STATE_SYSTEM_DEFAULT, uninstall.state);
  EXPECT_EQ(ROLE_SYSTEM_PUSHBUTTON, quit.role);
  EXPECT_EQ("Quit", quit.name);
  EXPECT_EQ("Press", quit.action);
  EXPECT_EQ(0, quit.state);
  // Idle: the progress line and the gauge are there for the reader, but hidden.
  EXPECT_EQ(ROLE_SYSTEM_STATICTEXT, line.role);
  EXPECT_TRUE(line.state & STATE_SYSTEM_INVISIBLE);
  EXPECT_EQ(ROLE_SYSTEM_PROGRESSBAR, gauge.role);
  EXPECT_EQ("0%", gauge.value);
  EXPECT_TRUE(gauge.state & STATE_SYSTEM_INVISIBLE);
  EXPECT_EQ("", gauge.action);

  RECT want = OnScreen(wnd, form->BtnClose);
  EXPECT_TRUE(::EqualRect(&want, &quit.place));
  want = OnScreen(wnd, form->Image1);
  EXPECT_TRUE(::EqualRect(&want, &picture.place));
  POINT mid = {quit.place.left + 3, quit.place.top + 3};
  EXPECT_EQ(kQuit, reader.HitTest(mid));
  // Walking the children skips what is hidden.
  EXPECT_EQ(kPicture, reader.Navigate(CHILDID_SELF, NAVDIR_FIRSTCHILD));
  EXPECT_EQ(kQuit, reader.Navigate(kUninstall, NAVDIR_NEXT));
  EXPECT_EQ(-1, reader.Navigate(kQuit, NAVDIR_NEXT));
  VARIANT bad;
  bad.vt = VT_I4;
  bad.lVal = 6;
  BSTR name = nullptr;
  EXPECT_EQ(E_INVALIDARG, reader.Object()->get_accName(bad, &name));

  // A button that would ignore a click is unavailable: during a run, and under a box.
  form->Idle = false;
  EXPECT_EQ(STATE_SYSTEM_DEFAULT | STATE_SYSTEM_UNAVAILABLE, reader.Child(kUninstall).state);
  EXPECT_EQ(0, reader.Child(kQuit).state);
  form->Idle = true;
  ::EnableWindow(wnd, FALSE);
  EXPECT_EQ(STATE_SYSTEM_UNAVAILABLE, reader.Child(kQuit).state);
  EXPECT_EQ(S_OK, reader.Press(kQuit));
  ASSERT_TRUE(Drain());
  EXPECT_FALSE(app.Terminated()) << "a press of what is unavailable does nothing";
  ::EnableWindow(wnd, TRUE);

  // A client that keeps the object after the window has gone is told so, and nothing breaks.
  form.reset();
  EXPECT_EQ(CO_E_OBJNOTCONNECTED, reader.Object()->get_accName(bad, &name));
  EXPECT_EQ(CO_E_OBJNOTCONNECTED, reader.Press(kQuit));
}

TEST_F(KeysAndReaders, PressingUninstallRunsItAndTheReaderFollowsTheRun) {
  Create(new TFormUninstall());
  Reader reader(form->Handle());
  ASSERT_NE(nullptr, reader.Object());
  EventRecorder events(reader);
  BoxAnswerer boxes({IDOK}, form->Handle());
  ASSERT_EQ(S_OK, reader.Press(kUninstall));
  EXPECT_TRUE(form->Idle) << "the press is carried out from the window's messages, not inside the call";
  ASSERT_TRUE(PumpUntilTerminated());

  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("Uninstall Compelete !", boxes.Seen()[0].text);
  for (const std::string& f : Throwaway::PlantedFiles()) EXPECT_FALSE(install.Exists(f)) << f;

  const std::vector<std::string>& lines = events.Lines();
  for (const std::string& l : lines) std::printf("reader: %s\n", l.c_str());
  ASSERT_GE(lines.size(), 5u);
  // The running state comes in as one change: the button goes, the line and the gauge come.
  EXPECT_EQ("hide 2 Uninstall", lines[0]);
  EXPECT_EQ("show 3", lines[1].substr(0, 6));
  EXPECT_EQ("show 4", lines[2].substr(0, 6));
  EXPECT_EQ("value 4 100%", lines.back());
  // Then only name and value changes: lines worth reading, and a percentage that never goes back.
  int last = 0, names = 0;
  for (size_t i = 3; i < lines.size(); ++i) {
    const std::string& l = lines[i];
    if (l.compare(0, 8, "value 4 ") == 0) {
      int v = std::atoi(l.c_str() + 8);
      EXPECT_GE(v, last) << l;
      last = v;
    } else {
      EXPECT_EQ("name 3 ", l.substr(0, 7)) << l;
      EXPECT_GT(l.size(), 7u) << "an empty line is not worth telling";
      ++names;
    }
  }
  EXPECT_GT(names, 0);
}

TEST_F(KeysAndReaders, PressingQuitCloses) {
  Create(new TFormUninstall());
  Reader reader(form->Handle());
  BoxAnswerer boxes({});
  ASSERT_EQ(S_OK, reader.Press(kQuit));
  ASSERT_TRUE(PumpUntilTerminated());
  EXPECT_EQ(0u, boxes.Count());
  EXPECT_TRUE(install.Exists("Tarvolink.EXE"));
  EXPECT_EQ(DISP_E_MEMBERNOTFOUND, reader.Press(kGauge));
}

TEST_F(KeysAndReaders, OtherKeysAndRepeatsDoNothingThenSpaceUninstalls) {
  Create(new TFormUninstall());
  HWND wnd = form->Handle();
  PostKey(wnd, VK_RETURN, true);   // the repeat of a key held since before: no press
  for (UINT key : {UINT('A'), UINT(VK_TAB), UINT(VK_F1), UINT(VK_DOWN), UINT(VK_DELETE)}) PostKey(wnd, key);
  ::PostMessageA(wnd, WM_CHAR, '\r', 1);
  ::PostMessageA(wnd, WM_CHAR, 0x1B, 1);
  ASSERT_TRUE(Drain());
  EXPECT_TRUE(form->Visible());
  EXPECT_TRUE(IdleShown());
  EXPECT_TRUE(install.Exists("Tarvolink.EXE"));

  BoxAnswerer boxes({IDOK});
  PostKey(wnd, VK_SPACE);
  ASSERT_TRUE(PumpUntilTerminated());
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("Uninstall Compelete !", boxes.Seen()[0].text);
  EXPECT_FALSE(install.Exists("Tarvolink.EXE"));
}

TEST_F(KeysAndReaders, EscapeWhileIdleClosesWithoutAQuestion) {
  Create(new TFormUninstall());
  BoxAnswerer boxes({});
  PostKey(form->Handle(), VK_ESCAPE);
  ASSERT_TRUE(PumpUntilTerminated());
  EXPECT_EQ(0u, boxes.Count());
  EXPECT_TRUE(install.Exists("Tarvolink.EXE"));
}

TEST_F(KeysAndReaders, AltF4StillCloses) {
  Create(new TFormUninstall());
  BoxAnswerer boxes({});
  ::PostMessageA(form->Handle(), WM_SYSKEYDOWN, VK_F4, 0x20000001);   // with Alt
  ASSERT_TRUE(PumpUntilTerminated());
  EXPECT_EQ(0u, boxes.Count());
}

TEST_F(KeysAndReaders, EnterRunsAndEscapeDuringTheRunAsksCancelThenOk) {
  Create(new TFormUninstall());
  StubbornProduct product;
  HWND wnd = form->Handle();
  BoxAnswerer boxes({IDCANCEL, IDOK}, wnd);
  // Once the first question is answered and the window takes keys again: keys that mean nothing
  // during a run, then Escape again.
  bool keyboardBack = false;
  std::thread typist([&] {
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof gui;
    DWORD formThread = ::GetWindowThreadProcessId(wnd, nullptr);
    for (int i = 0; i < 3000 && !keyboardBack; ++i) {
      keyboardBack = boxes.Count() == 1 && ::IsWindowEnabled(wnd) && ::GetGUIThreadInfo(formThread, &gui) &&
                     gui.hwndFocus == wnd;
      if (!keyboardBack) ::Sleep(10);
    }
    PostKey(wnd, VK_RETURN);
    PostKey(wnd, VK_SPACE);
    PostKey(wnd, 'U');
    PostKey(wnd, VK_ESCAPE);
  });
  PostKey(wnd, VK_RETURN);
  PostKey(wnd, VK_ESCAPE);   // taken at the run's first report
  PostKey(wnd, VK_ESCAPE);   // a second one while the question is up reaches nothing
  bool ended = PumpUntilTerminated();
  typist.join();
  ASSERT_TRUE(ended);
  EXPECT_TRUE(keyboardBack) << "the keyboard returns to the window when the question goes";

  auto seen = boxes.Seen();
  ASSERT_EQ(2u, seen.size());
  for (const SeenBox& b : seen) {
    EXPECT_EQ("Uninstall not Compelete, Quit ?", b.text);
    EXPECT_EQ(IDCANCEL, b.defaultId);
  }
  EXPECT_TRUE(form->Uninstaller->Cancelled);
  EXPECT_FALSE(form->Visible());
  for (const std::string& f : Throwaway::PlantedFiles()) EXPECT_TRUE(install.Exists(f)) << f;
  EXPECT_TRUE(Throwaway::UninstallKeyExists());
}
