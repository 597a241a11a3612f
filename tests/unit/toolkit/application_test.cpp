// The application object and the form: message pump, loop, close handling, the taskbar window,
// the boxes and the exception box.
#include <gtest/gtest.h>

#include "toolkit/Application.h"
#include "toolkit/Exception.h"
#include "toolkit/Form.h"
#include "unit/toolkit/Boxanswer.h"

namespace {
const UINT kPing = WM_APP + 7;
int g_pings = 0;
int g_destroyed = 0;

int g_paints = 0;

LRESULT CALLBACK PingProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == kPing) ++g_pings;
  if (m == WM_PAINT) {
    PAINTSTRUCT ps;
    ::BeginPaint(w, &ps);
    ::EndPaint(w, &ps);
    ++g_paints;
    return 0;
  }
  return ::DefWindowProcA(w, m, wp, lp);
}

HWND PingWindow() {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = &PingProc;
  wc.hInstance = ::GetModuleHandleA(nullptr);
  wc.lpszClassName = "TarvoPing";
  ::RegisterClassA(&wc);
  return ::CreateWindowA("TarvoPing", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
}

class TestForm : public TForm {
public:
  TCloseAction answer = caHide;
  int closes = 0;
  int shows = 0;
  int creates = 0;
  bool throwOnClose = false;
  ~TestForm() override { Destroy(); }

protected:
  void DoCreate() override { ++creates; }
  void DoShow() override { ++shows; }
  void DoClose(TCloseAction& action) override {
    ++closes;
    if (throwOnClose) throw Exception("Invalid property value");
    action = answer;
  }
  void DoDestroy() override { ++g_destroyed; }
};

class AppTest : public ::testing::Test {
protected:
  void SetUp() override {
    DrainQuit();
    ASSERT_TRUE(app.Initialize(::GetModuleHandleA(nullptr)));
    app.SetTitle("Tarvolink Uninstall");
  }
  void TearDown() override { DrainQuit(); }
  TApplication app;
};
}  // namespace

TEST(ProcessMessages, DispatchesWaitingMessagesAndKeepsTheQuit) {
  // No application object here: the engine calls it as a plain function.
  ASSERT_EQ(nullptr, TApplication::Instance());
  HWND w = PingWindow();
  g_pings = 0;
  ::PostMessageA(w, kPing, 0, 0);
  ::PostMessageA(w, kPing, 0, 0);
  ::PostQuitMessage(7);
  TApplication::ProcessMessages();
  EXPECT_EQ(2, g_pings);
  int code = 0;
  EXPECT_TRUE(DrainQuit(&code)) << "the WM_QUIT must still be waiting for the outer loop";
  EXPECT_EQ(7, code);
  ::DestroyWindow(w);
}

TEST(ProcessMessages, PaintsAtMostOncePerIntervalButHandlesInputAtOnce) {
  PingWindow();   // registers the class
  HWND w = ::CreateWindowA("TarvoPing", "", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                           ::GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(nullptr, w);
  const DWORD wait = TApplication::kPaintIntervalMs + 30;
  ::Sleep(wait);
  TApplication::ProcessMessages();   // the first paint of the new window
  g_paints = 0;
  g_pings = 0;

  // Right after a paint: the click-like message goes through, the paint waits. On a loaded
  // machine the two calls may lie a whole interval apart, and then the paint is rightly due:
  // only a pair that the clock shows closer together can tell.
  bool timely = false;
  for (int attempt = 0; attempt < 10 && !timely; ++attempt) {
    ::InvalidateRect(w, nullptr, FALSE);
    ::Sleep(wait);
    g_paints = 0;
    g_pings = 0;
    const DWORD painted = ::GetTickCount();
    TApplication::ProcessMessages();
    ASSERT_EQ(1, g_paints);

    ::InvalidateRect(w, nullptr, FALSE);
    ::PostMessageA(w, kPing, 0, 0);
    TApplication::ProcessMessages();
    EXPECT_EQ(1, g_pings);
    timely = ::GetTickCount() - painted < TApplication::kPaintIntervalMs;
    if (!timely) continue;
    EXPECT_EQ(1, g_paints);
    EXPECT_TRUE(::GetUpdateRect(w, nullptr, FALSE)) << "the area stays invalid for later";
  }
  ASSERT_TRUE(timely) << "no two calls came within one paint interval";

  ::Sleep(wait);
  TApplication::ProcessMessages();
  EXPECT_EQ(2, g_paints);
  ::DestroyWindow(w);
}

TEST_F(AppTest, WindowCarriesTheTitleAndOwnsTheForm) {
  EXPECT_EQ(app.Handle(), ::FindWindowA("TApplication", "Tarvolink Uninstall"));
  EXPECT_EQ(&app, TApplication::Instance());
  TestForm form;
  ASSERT_TRUE(form.CreateHandle("TTestForm", 396, 248, app.Handle()));
  EXPECT_EQ(app.Handle(), ::GetWindow(form.Handle(), GW_OWNER));

  // Fixed single border, caption and system menu only, client 396 x 248, centred.
  LONG style = ::GetWindowLongA(form.Handle(), GWL_STYLE);
  EXPECT_TRUE(style & WS_CAPTION);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
  RECT client, frame;
  ::GetClientRect(form.Handle(), &client);
  EXPECT_EQ(396, client.right);
  EXPECT_EQ(248, client.bottom);
  ::GetWindowRect(form.Handle(), &frame);
  EXPECT_LE(std::abs(frame.left + frame.right - ::GetSystemMetrics(SM_CXSCREEN)), 1);
  EXPECT_LE(std::abs(frame.top + frame.bottom - ::GetSystemMetrics(SM_CYSCREEN)), 1);
}

TEST_F(AppTest, RunShowsTheMainFormAndEndsWhenItIsClosed) {
  TestForm form;
  ASSERT_TRUE(form.CreateHandle("TTestForm", 396, 248, app.Handle()));
  app.CreateForm(&form);
  EXPECT_EQ(1, form.creates);
  EXPECT_EQ(&form, app.MainForm());
  ::PostMessageA(form.Handle(), WM_CLOSE, 0, 0);
  app.Run();   // returns only once the close ended the loop
  EXPECT_EQ(1, form.shows);
  EXPECT_EQ(1, form.closes);
  EXPECT_TRUE(app.Terminated());
  EXPECT_FALSE(form.Visible());
  EXPECT_NE(nullptr, form.Handle()) << "the form stays until its owner deletes it";
}

TEST_F(AppTest, CloseActionNoneKeepsTheFormAndTheLoop) {
  TestForm form;
  ASSERT_TRUE(form.CreateHandle("TTestForm", 396, 248, app.Handle()));
  app.CreateForm(&form);
  form.Show();
  form.answer = caNone;
  form.Close();
  EXPECT_TRUE(form.Visible());
  EXPECT_FALSE(app.Terminated());
  EXPECT_FALSE(DrainQuit());
  form.answer = caHide;
  form.Close();
  EXPECT_TRUE(app.Terminated());
  EXPECT_TRUE(DrainQuit());
}

TEST_F(AppTest, TerminateBeforeRunShowsNothing) {
  TestForm form;
  ASSERT_TRUE(form.CreateHandle("TTestForm", 396, 248, app.Handle()));
  app.CreateForm(&form);
  app.Terminate();
  app.Run();
  EXPECT_EQ(0, form.shows);
  EXPECT_FALSE(form.Visible());
}

TEST_F(AppTest, MinimisingTheApplicationHidesTheFormAndRestoringBringsItBack) {
  TestForm form;
  ASSERT_TRUE(form.CreateHandle("TTestForm", 396, 248, app.Handle()));
  app.CreateForm(&form);
  ::ShowWindow(app.Handle(), SW_SHOWNOACTIVATE);
  form.Show();
  ::ShowWindow(app.Handle(), SW_MINIMIZE);
  EXPECT_TRUE(::IsIconic(app.Handle()));
  EXPECT_FALSE(form.Visible());
  ::ShowWindow(app.Handle(), SW_RESTORE);
  EXPECT_FALSE(::IsIconic(app.Handle()));
  EXPECT_TRUE(form.Visible());
}

TEST_F(AppTest, BoxesAreOwnedByTheApplicationAndKeepTheFormDisabled) {
  TestForm form;
  ASSERT_TRUE(form.CreateHandle("TTestForm", 396, 248, app.Handle()));
  app.CreateForm(&form);
  form.Show();
  BoxAnswerer answers({IDCANCEL, IDOK}, form.Handle());
  EXPECT_EQ(IDCANCEL, TApplication::ShowMessageBox("first", MB_OKCANCEL));
  EXPECT_EQ(IDOK, TApplication::ShowMessageBox("second", MB_OKCANCEL));
  auto seen = answers.Seen();
  ASSERT_EQ(2u, seen.size());
  EXPECT_EQ("Tarvolink Uninstall", seen[0].title);
  EXPECT_EQ("first", seen[0].text);
  EXPECT_EQ(app.Handle(), seen[0].owner);
  EXPECT_FALSE(seen[0].watchedEnabled);
  EXPECT_TRUE(::IsWindowEnabled(form.Handle()));
}

TEST_F(AppTest, ExceptionInAHandlerIsShownInTheBoxAndTheProgramGoesOn) {
  TestForm form;
  ASSERT_TRUE(form.CreateHandle("TTestForm", 396, 248, app.Handle()));
  app.CreateForm(&form);
  form.throwOnClose = true;
  BoxAnswerer answers({IDOK});
  form.Close();   // would end the process if the exception crossed user32
  auto seen = answers.Seen();
  ASSERT_EQ(1u, seen.size());
  EXPECT_EQ("Invalid property value", seen[0].text);
  EXPECT_EQ("Tarvolink Uninstall", seen[0].title);
  EXPECT_EQ(::LoadIconA(nullptr, IDI_ERROR), seen[0].icon);
  EXPECT_FALSE(app.Terminated());

  form.throwOnClose = false;
  form.Close();
  EXPECT_EQ(2, form.closes);
  EXPECT_TRUE(app.Terminated());
}

TEST_F(AppTest, DestroyingTheFormRunsItsDestroyHandlerOnce) {
  auto* form = new TestForm;
  ASSERT_TRUE(form->CreateHandle("TTestForm", 396, 248, app.Handle()));
  app.CreateForm(form);
  g_destroyed = 0;
  HWND wnd = form->Handle();
  delete form;
  EXPECT_EQ(1, g_destroyed);
  EXPECT_FALSE(::IsWindow(wnd));
  EXPECT_EQ(nullptr, app.MainForm());
}

TEST_F(AppTest, TheMainFormsWindowGoingEndsTheProgramOnlyIfNothingElseDid) {
  {
    TestForm form;
    ASSERT_TRUE(form.CreateHandle("TTestForm", 396, 248, app.Handle()));
    app.CreateForm(&form);
    ::DestroyWindow(form.Handle());
    EXPECT_TRUE(app.Terminated());
    EXPECT_TRUE(DrainQuit()) << "the form posted the quit itself";
  }
  // The program ends already: a main form that goes now posts no quit that outlives the loop.
  auto* late = new TestForm;
  ASSERT_TRUE(late->CreateHandle("TTestForm", 396, 248, app.Handle()));
  app.CreateForm(late);
  EXPECT_EQ(late, app.MainForm());
  ::DestroyWindow(late->Handle());
  EXPECT_FALSE(DrainQuit());
  delete late;
  EXPECT_EQ(nullptr, app.MainForm());
}
