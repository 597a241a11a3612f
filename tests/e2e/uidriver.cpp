// tarvo_uidriver: drives a running uninstaller the way a user does, one command after the other,
// and prints what it sees as "key value" lines. The first failing command ends it with status 1.
//
//   timeout S          limit of every later wait (default 30 s)
//   start PATH         start the uninstaller (Windows path, or Unix path through drive Z:)
//   start-with PATH ARGS   the same with a command line after the program's name
//   start-unseen PATH ARGS the same in a new window station that nobody can see (as a service's)
//   attach             take the process of the application window that already runs
//   app                wait for the application window  -> "app ok"
//   form               wait for the uninstall window     -> "form CAPTION"
//   caption            -> "caption TEXT"
//   label              -> "label TEXT", or "label unavailable" when the form draws it itself
//   click uninstall|quit   post a left click at the button's place in the form
//   close              post WM_CLOSE to the form
//   key NAME           post a keystroke (enter, space, escape, tab, f1, a..z, alt+f4) to the window of
//                      the uninstaller that has the keyboard -> "key NAME CLASS-OF-THAT-WINDOW"
//   listen             from now on print the form's change events as a reader gets them:
//                      -> "event show|hide|name|value ID NAME-OR-VALUE"
//   nobox              wait until no message box is up and the form has the keyboard again
//   reader             what a screen reader finds in the form, one line per child:
//                      -> "reader ID ROLE [unavailable] [invisible] [default] NAME-OR-VALUE"
//   box                wait for a message box -> "box-title", "box TEXT", "box-buttons OK,*Cancel"
//                      (the star marks the default button)
//   answer ok|cancel   answer the box and wait until it is gone
//   exit               wait for the process to end -> "exit CODE" (on a timeout it is ended)
//   close-if-open      unless the process ends within 3 s by itself: the form must answer (5 s)
//                      -> "form answers", and is closed as the close box does
//   kill               end the process at once, as End Task or a crash does -> "killed"
//   second PATH        start another copy, wait for its end -> "second-exit CODE"
//   run PATH ARGS      start a copy with that command line and watch it to its end: every
//                      top-level window of it that is ever seen visible -> "run-window CLASS
//                      "TITLE"", then "run-visible N" (how many) and "run-exit CODE"
//   job                later starts run in a job that refuses breakaway and ends every process in
//                      it when it is closed, as deployment tools run programs; a "run" closes it
//                      once its copy has ended -> "job closed N" (processes it still held)
//   count              -> "app-count N": application windows of the uninstaller
//   minimize           minimise the application window
//   iconic             -> "iconic 0|1" of the application window
//   windows            list the process's top-level windows (diagnostics)
//   sleep MS
#include <windows.h>
#include <ole2.h>
#include <oleacc.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "winpath.h"

namespace {

const char kAppClass[] = "TApplication";
const char kAppTitle[] = "Tarvolink Uninstall";

// Client positions of the buttons in the uninstall window at 96 DPI (left, top, right, bottom);
// at other scales the client area, 396 pixels wide at 96 DPI, grows with them.
const RECT kUninstallButton = {120, 96, 120 + 145, 96 + 25};
const RECT kQuitButton = {120, 176, 120 + 145, 176 + 24};
const POINT kLabelPos = {24, 112};

DWORD waitLimitMs = 30000;
HANDLE job = nullptr;   // the deployment tool's, for the starts after "job"
DWORD pid = 0;
HANDLE process = nullptr;
HWND app = nullptr;
HWND form = nullptr;

void Out(const char* key, const std::string& value) {
  // A text of several lines (a box's) keeps LF ends only, as every other line here.
  std::string text;
  for (char c : value)
    if (c != '\r') text += c;
  std::printf("%s %s\n", key, text.c_str());
  std::fflush(stdout);
}

bool Fail(const std::string& what) {
  Out("error", what);
  return false;
}

std::string ClassOf(HWND w) {
  char buf[256] = {};
  GetClassNameA(w, buf, sizeof buf);
  return buf;
}

std::string TextOf(HWND w) {
  char buf[4096] = {};
  // WM_GETTEXT reaches the owning thread, which may be busy in a run; do not hang on it.
  DWORD_PTR len = 0;
  if (!SendMessageTimeoutA(w, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 5000, &len))
    GetWindowTextA(w, buf, sizeof buf);
  return buf;
}

DWORD ProcessOf(HWND w) {
  DWORD p = 0;
  GetWindowThreadProcessId(w, &p);
  return p;
}

struct Collect {
  std::vector<HWND> windows;
};
BOOL CALLBACK CollectProc(HWND w, LPARAM lp) {
  reinterpret_cast<Collect*>(lp)->windows.push_back(w);
  return TRUE;
}
std::vector<HWND> TopLevelWindows() {
  Collect c;
  EnumWindows(CollectProc, reinterpret_cast<LPARAM>(&c));
  return c.windows;
}
std::vector<HWND> ChildWindows(HWND parent) {
  Collect c;
  EnumChildWindows(parent, CollectProc, reinterpret_cast<LPARAM>(&c));
  return c.windows;
}

std::vector<HWND> AppWindows() {
  std::vector<HWND> r;
  for (HWND w : TopLevelWindows())
    if (ClassOf(w) == kAppClass && TextOf(w) == kAppTitle) r.push_back(w);
  return r;
}

void ReadHeard();

// Polls until found() is true or the wait limit passes. The thread's messages run before each
// look: what the uninstaller announced before the awaited change is heard before it.
template <typename F>
bool WaitFor(F found) {
  DWORD start = GetTickCount();
  for (;;) {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
    ReadHeard();
    if (found()) return true;
    if (GetTickCount() - start > waitLimitMs) return false;
    Sleep(20);
  }
}

void DumpWindows() {
  for (HWND w : TopLevelWindows()) {
    if (pid && ProcessOf(w) != pid) continue;
    std::string line = ClassOf(w) + " \"" + TextOf(w) + "\"" + (IsWindowVisible(w) ? " visible" : " hidden");
    if (HWND s = GetDlgItem(w, 0xFFFF)) line += " text=\"" + TextOf(s) + "\"";
    Out("window", line);
  }
}

// A window station without the visible flag, with a desktop for the program to start on.
const char* UnseenDesktop() {
  static bool made = false;
  if (!made) {
    HWINSTA own = GetProcessWindowStation();
    HWINSTA station = CreateWindowStationA("TarvoUnseen", 0, WINSTA_ALL_ACCESS, nullptr);
    if (!station || !SetProcessWindowStation(station)) return nullptr;
    HDESK desk = CreateDesktopA("Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    SetProcessWindowStation(own);
    if (!desk) return nullptr;
    made = true;
  }
  return "TarvoUnseen\\Default";
}

bool Start(const std::string& path, HANDLE* started, DWORD* startedPid, const std::string& args = "",
           const char* desktop = nullptr) {
  std::string cmd = "\"" + WindowsPath(path) + "\"" + (args.empty() ? "" : " " + args);
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  si.lpDesktop = const_cast<char*>(desktop);
  PROCESS_INFORMATION pi = {};
  std::vector<char> line(cmd.begin(), cmd.end());
  line.push_back(0);
  // E2E_START_IN: the folder the program starts in (a double click in a folder starts it there).
  const char* in = std::getenv("E2E_START_IN");
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, job ? CREATE_SUSPENDED : 0, nullptr,
                      in && *in ? in : nullptr, &si, &pi))
    return Fail("cannot start " + cmd + " (" + std::to_string(GetLastError()) + ")");
  if (job && (!AssignProcessToJobObject(job, pi.hProcess) || ResumeThread(pi.hThread) == static_cast<DWORD>(-1)))
    return Fail("cannot run " + cmd + " in the job (" + std::to_string(GetLastError()) + ")");
  CloseHandle(pi.hThread);
  *started = pi.hProcess;
  *startedPid = pi.dwProcessId;
  return true;
}

bool EnsureApp() {
  if (app && IsWindow(app)) return true;
  bool ok = WaitFor([] {
    for (HWND w : AppWindows())
      if (!pid || ProcessOf(w) == pid) {
        app = w;
        return true;
      }
    return false;
  });
  if (!ok) {
    DumpWindows();
    return Fail("no application window");
  }
  if (!pid) {
    pid = ProcessOf(app);
    process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE, FALSE, pid);
  }
  return true;
}

bool IsBox(HWND w) { return ClassOf(w) == "#32770"; }

bool EnsureForm() {
  if (form && IsWindow(form)) return true;
  if (!EnsureApp()) return false;
  bool ok = WaitFor([] {
    for (HWND w : TopLevelWindows()) {
      if (w == app || ProcessOf(w) != pid || IsBox(w) || !IsWindowVisible(w)) continue;
      if (GetWindow(w, GW_OWNER) == app || GetWindow(w, GW_OWNER) == nullptr) {
        form = w;
        return true;
      }
    }
    return false;
  });
  if (!ok) {
    DumpWindows();
    return Fail("no uninstall window");
  }
  return true;
}

HWND FindBox() {
  for (HWND w : TopLevelWindows())
    if (ProcessOf(w) == pid && IsBox(w) && IsWindowVisible(w)) return w;
  return nullptr;
}

// The window under a client point of the form: the smallest visible child that holds it, or the
// form itself when its controls are drawn by the form.
HWND WindowAt(POINT client, POINT* local) {
  POINT screen = client;
  ClientToScreen(form, &screen);
  HWND best = form;
  LONG bestArea = -1;
  for (HWND c : ChildWindows(form)) {
    RECT r;
    if (!IsWindowVisible(c) || !GetWindowRect(c, &r) || !PtInRect(&r, screen)) continue;
    LONG area = (r.right - r.left) * (r.bottom - r.top);
    if (bestArea < 0 || area < bestArea) {
      best = c;
      bestArea = area;
    }
  }
  *local = screen;
  ScreenToClient(best, local);
  return best;
}

bool Click(const std::string& which) {
  if (!EnsureForm()) return false;
  const RECT* b = which == "uninstall" ? &kUninstallButton : which == "quit" ? &kQuitButton : nullptr;
  if (!b) return Fail("no button " + which);
  RECT client = {};
  GetClientRect(form, &client);
  const int width = client.right > 0 ? client.right : 396;
  POINT p = {MulDiv((b->left + b->right) / 2, width, 396), MulDiv((b->top + b->bottom) / 2, width, 396)};
  POINT local;
  HWND target = WindowAt(p, &local);
  LPARAM at = MAKELPARAM(local.x, local.y);
  PostMessageA(target, WM_MOUSEMOVE, 0, at);
  PostMessageA(target, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(target, WM_LBUTTONUP, 0, at);
  Out("clicked", which);
  return true;
}

// A keystroke as the window with the keyboard gets it: down and up, Alt ones as system keys.
UINT KeyCode(const std::string& base) {
  UINT vk = base == "enter" ? VK_RETURN : base == "space" ? VK_SPACE : base == "escape" ? VK_ESCAPE
          : base == "tab" ? VK_TAB : base == "f1" ? VK_F1 : base == "f4" ? VK_F4 : 0;
  if (!vk && base.size() == 1 && base[0] >= 'a' && base[0] <= 'z') vk = static_cast<UINT>(base[0] - 'a' + 'A');
  return vk;
}

// The window of the uninstaller that has the keyboard. Tests run side by side on one display, and
// another program there may take the foreground from the uninstaller: then the window that would
// have it, the box when one is up, else the form.
HWND KeyboardWindow() {
  GUITHREADINFO gui = {};
  gui.cbSize = sizeof gui;
  if (GetGUIThreadInfo(GetWindowThreadProcessId(form, nullptr), &gui) && gui.hwndFocus) return gui.hwndFocus;
  HWND box = FindBox();
  return box ? box : form;
}

// Posted where the keyboard is, as the system's input queue would deliver it: down and up, Alt
// ones as system keys.
bool Key(const std::string& name) {
  if (!EnsureForm()) return false;
  bool alt = name.compare(0, 4, "alt+") == 0;
  UINT vk = KeyCode(alt ? name.substr(4) : name);
  if (!vk) return Fail("no key " + name);
  HWND target = KeyboardWindow();
  const LPARAM down = alt ? 0x20000001 : 1;
  PostMessageA(target, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, down);
  PostMessageA(target, alt ? WM_SYSKEYUP : WM_KEYUP, vk, down | static_cast<LPARAM>(0xC0000000));
  Out("key", name + " " + ClassOf(target));
  return true;
}

// Through the system's oleacc, as a reader in another process does; loaded here so that the
// driver needs nothing but user32 to build.
void (WINAPI* freeString)(BSTR) = nullptr;
IAccessible* formObject = nullptr;

template <typename Fn>
Fn Proc(const char* dll, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(LoadLibraryA(dll), name)));
}

bool EnsureFormObject() {
  if (formObject) return true;
  if (!EnsureForm()) return false;
  auto fromWindow = Proc<HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**)>("oleacc.dll", "AccessibleObjectFromWindow");
  auto coInit = Proc<HRESULT(WINAPI*)(void*)>("ole32.dll", "CoInitialize");
  freeString = Proc<void(WINAPI*)(BSTR)>("oleaut32.dll", "SysFreeString");
  if (!fromWindow || !coInit || !freeString) return Fail("no oleacc");
  coInit(nullptr);
  HRESULT hr = fromWindow(form, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                          reinterpret_cast<void**>(&formObject));
  if (FAILED(hr) || !formObject) return Fail("no accessible object (" + std::to_string(hr) + ")");
  return true;
}

// What a reader says of a child: its value for a progress bar, else its name.
std::string Said(long id, long role) {
  VARIANT child;
  child.vt = VT_I4;
  child.lVal = id;
  BSTR text = nullptr;
  HRESULT hr = role == ROLE_SYSTEM_PROGRESSBAR ? formObject->get_accValue(child, &text)
                                                : formObject->get_accName(child, &text);
  std::string said;
  if (hr == S_OK && text) {
    char bytes[1024] = {};
    WideCharToMultiByte(CP_ACP, 0, text, -1, bytes, sizeof bytes - 1, nullptr, nullptr);
    said = bytes;
  }
  freeString(text);
  return said;
}

long RoleOf(long id, long* state = nullptr) {
  VARIANT child, role, st;
  child.vt = VT_I4;
  child.lVal = id;
  role.vt = st.vt = VT_EMPTY;
  formObject->get_accRole(child, &role);
  if (state) formObject->get_accState(child, &st);
  if (state) *state = st.vt == VT_I4 ? st.lVal : 0;
  return role.vt == VT_I4 ? role.lVal : 0;
}

bool ReaderLines() {
  if (!EnsureFormObject()) return false;
  long count = 0;
  formObject->get_accChildCount(&count);
  for (long id = 1; id <= count; ++id) {
    long st = 0, r = RoleOf(id, &st);
    std::string line = std::to_string(id) + " " +
                       (r == ROLE_SYSTEM_PUSHBUTTON ? "button" : r == ROLE_SYSTEM_STATICTEXT ? "text"
                        : r == ROLE_SYSTEM_PROGRESSBAR ? "progress" : r == ROLE_SYSTEM_GRAPHIC ? "graphic" : "other");
    if (st & STATE_SYSTEM_UNAVAILABLE) line += " unavailable";
    if (st & STATE_SYSTEM_INVISIBLE) line += " invisible";
    if (st & STATE_SYSTEM_DEFAULT) line += " default";
    std::string said = Said(id, r);
    Out("reader", said.empty() ? line : line + " " + said);
  }
  return true;
}

// The form's change events, in the order they came, each with what the reader reads when it gets
// to it. Reading calls into the uninstaller, and waiting for its answer runs this thread's
// messages: the events are queued and read one at a time from the driver's waits.
struct Heard {
  std::string kind;
  long child;
};
std::vector<Heard> heard;
bool reading = false;

void CALLBACK OnEvent(HWINEVENTHOOK, DWORD event, HWND w, LONG object, LONG child, DWORD, DWORD) {
  if (w != form || object != OBJID_CLIENT || child <= 0) return;
  const char* kind = event == EVENT_OBJECT_SHOW ? "show" : event == EVENT_OBJECT_HIDE ? "hide"
                   : event == EVENT_OBJECT_NAMECHANGE ? "name" : event == EVENT_OBJECT_VALUECHANGE ? "value" : nullptr;
  if (kind) heard.push_back({kind, child});
}

void ReadHeard() {
  if (reading || !formObject) return;
  reading = true;
  for (size_t i = 0; i < heard.size(); ++i) {
    long child = heard[i].child;
    std::string said = Said(child, RoleOf(child));
    Out("event", heard[i].kind + " " + std::to_string(child) + (said.empty() ? "" : " " + said));
  }
  heard.clear();
  reading = false;
}

bool Listen() {
  if (!EnsureFormObject()) return false;
  if (!SetWinEventHook(EVENT_OBJECT_SHOW, EVENT_OBJECT_VALUECHANGE, nullptr, OnEvent, pid, 0, WINEVENT_OUTOFCONTEXT))
    return Fail("no event hook");
  Out("listening", "ok");
  return true;
}

bool Box() {
  // A box may come before any application window (the usage box): a started process will do.
  if (!pid && !EnsureApp()) return false;
  HWND box = nullptr;
  if (!WaitFor([&] { return (box = FindBox()) != nullptr; })) {
    DumpWindows();
    return Fail("no message box");
  }
  Out("box-title", TextOf(box));
  HWND text = GetDlgItem(box, 0xFFFF);
  Out("box", text ? TextOf(text) : std::string());
  std::string buttons;
  for (HWND c : ChildWindows(box)) {
    if (ClassOf(c) != "Button") continue;
    if (!buttons.empty()) buttons += ",";
    LONG style = GetWindowLongA(c, GWL_STYLE);
    if ((style & 0x0F) == BS_DEFPUSHBUTTON) buttons += "*";
    std::string t = TextOf(c);
    for (char ch : t)
      if (ch != '&') buttons += ch;
  }
  Out("box-buttons", buttons);
  return true;
}

bool Answer(const std::string& which) {
  if (!pid && !EnsureApp()) return false;
  HWND box = nullptr;
  if (!WaitFor([&] { return (box = FindBox()) != nullptr; })) return Fail("no message box to answer");
  WPARAM id = which == "ok" ? IDOK : which == "cancel" ? IDCANCEL : 0;
  if (!id) return Fail("no answer " + which);
  DWORD_PTR result = 0;
  SendMessageTimeoutA(box, WM_COMMAND, id, 0, SMTO_NORMAL, waitLimitMs, &result);
  if (!WaitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); })) return Fail("the box stays");
  Out("answered", which);
  return true;
}

bool Label() {
  if (!EnsureForm()) return false;
  for (HWND c : ChildWindows(form)) {
    RECT r;
    GetWindowRect(c, &r);
    POINT p = {r.left, r.top};
    ScreenToClient(form, &p);
    if (p.x == kLabelPos.x && p.y == kLabelPos.y) {
      Out("label", IsWindowVisible(c) ? TextOf(c) : std::string("hidden"));
      return true;
    }
  }
  Out("label", "unavailable");
  return true;
}

bool CloseIfOpen() {
  if (!process) return Fail("no process");
  if (WaitForSingleObject(process, 3000) == WAIT_OBJECT_0) return true;
  DWORD_PTR result = 0;
  if (!EnsureForm() || !SendMessageTimeoutA(form, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result))
    return Fail("the form does not answer");
  Out("form", "answers");
  return PostMessageA(form, WM_CLOSE, 0, 0) || Fail("the form cannot be closed");
}

bool WaitExit() {
  if (!process) return Fail("no process to wait for");
  if (WaitForSingleObject(process, waitLimitMs) != WAIT_OBJECT_0) {
    DumpWindows();
    TerminateProcess(process, 99);
    return Fail("the process did not end");
  }
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  Out("exit", std::to_string(code));
  return true;
}

bool Kill() {
  if (!process) return Fail("no process to end");
  if (!TerminateProcess(process, 1) || WaitForSingleObject(process, waitLimitMs) != WAIT_OBJECT_0)
    return Fail("the process could not be ended");
  Out("killed", std::to_string(pid));
  return true;
}

bool Second(const std::string& path) {
  HANDLE h = nullptr;
  DWORD p = 0;
  if (!Start(path, &h, &p)) return false;
  if (WaitForSingleObject(h, waitLimitMs) != WAIT_OBJECT_0) {
    TerminateProcess(h, 99);
    CloseHandle(h);
    return Fail("the second copy did not end");
  }
  DWORD code = 0;
  GetExitCodeProcess(h, &code);
  CloseHandle(h);
  Out("second-exit", std::to_string(code));
  return true;
}

// Polls the copy's top-level windows until it ends: a silent run must never show one, not even
// for a moment.
bool RunWatched(const std::string& path, const std::string& args) {
  HANDLE h = nullptr;
  DWORD p = 0;
  if (!Start(path, &h, &p, args)) return false;
  std::vector<HWND> seen;
  DWORD start = GetTickCount();
  bool ended = false;
  for (;;) {
    for (HWND w : TopLevelWindows()) {
      if (ProcessOf(w) != p || !IsWindowVisible(w)) continue;
      bool known = false;
      for (HWND k : seen) known = known || k == w;
      if (known) continue;
      seen.push_back(w);
      Out("run-window", ClassOf(w) + " \"" + TextOf(w) + "\"");
    }
    if (ended) break;
    ended = WaitForSingleObject(h, 2) == WAIT_OBJECT_0;   // one more look after the end
    if (!ended && GetTickCount() - start > waitLimitMs) {
      TerminateProcess(h, 99);
      CloseHandle(h);
      return Fail("the copy did not end");
    }
  }
  DWORD code = 0;
  GetExitCodeProcess(h, &code);
  CloseHandle(h);
  Out("run-visible", std::to_string(seen.size()));
  Out("run-exit", std::to_string(code));
  if (job) {
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info = {};
    QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &info, sizeof info, nullptr);
    CloseHandle(job);
    job = nullptr;
    Out("job", "closed " + std::to_string(info.ActiveProcesses));
  }
  return true;
}

bool MakeJob() {
  job = CreateJobObjectA(nullptr, nullptr);
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (!job || !SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits))
    return Fail("no job (" + std::to_string(GetLastError()) + ")");
  Out("job", "ready");
  return true;
}

bool Run(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    std::string cmd = argv[i];
    auto arg = [&](std::string& into) {
      if (i + 1 >= argc) return Fail(cmd + " needs an argument");
      into = argv[++i];
      return true;
    };
    std::string a;
    bool ok = true;
    if (cmd == "timeout") {
      ok = arg(a);
      if (ok) waitLimitMs = static_cast<DWORD>(std::atoi(a.c_str())) * 1000;
    } else if (cmd == "start") {
      ok = arg(a) && Start(a, &process, &pid);
      if (ok) Out("started", std::to_string(pid));
    } else if (cmd == "start-with") {
      std::string args;
      ok = arg(a) && arg(args) && Start(a, &process, &pid, args);
      if (ok) Out("started", std::to_string(pid));
    } else if (cmd == "start-unseen") {
      std::string args;
      const char* desktop = UnseenDesktop();
      ok = desktop ? arg(a) && arg(args) && Start(a, &process, &pid, args, desktop) : Fail("no window station");
      if (ok) Out("started", std::to_string(pid));
    } else if (cmd == "job") {
      ok = MakeJob();
    } else if (cmd == "run") {
      std::string args;
      ok = arg(a) && arg(args) && RunWatched(a, args);
    } else if (cmd == "attach") {
      pid = 0;
      ok = EnsureApp();
    } else if (cmd == "app") {
      ok = EnsureApp();
      if (ok) Out("app", "ok");
    } else if (cmd == "form") {
      ok = EnsureForm();
      if (ok) Out("form", TextOf(form));
    } else if (cmd == "caption") {
      ok = EnsureForm();
      if (ok) Out("caption", TextOf(form));
    } else if (cmd == "label") {
      ok = Label();
    } else if (cmd == "click") {
      ok = arg(a) && Click(a);
    } else if (cmd == "close") {
      ok = EnsureForm() && PostMessageA(form, WM_CLOSE, 0, 0);
      if (ok) Out("closed", "posted");
    } else if (cmd == "listen") {
      ok = Listen();
    } else if (cmd == "reader") {
      ok = ReaderLines();
    } else if (cmd == "nobox") {
      ok = EnsureForm() && (WaitFor([] {
             GUITHREADINFO gui = {};
             gui.cbSize = sizeof gui;
             // Nothing has it when another program on the display took the foreground.
             return !FindBox() && GetGUIThreadInfo(GetWindowThreadProcessId(form, nullptr), &gui) &&
                    (gui.hwndFocus == form || !gui.hwndFocus) && IsWindowEnabled(form);
           }) || Fail("the keyboard does not come back to the form"));
      if (ok) Out("nobox", "ok");
    } else if (cmd == "key") {
      ok = arg(a) && Key(a);
    } else if (cmd == "box") {
      ok = Box();
    } else if (cmd == "answer") {
      ok = arg(a) && Answer(a);
    } else if (cmd == "exit") {
      ok = WaitExit();
    } else if (cmd == "close-if-open") {
      ok = CloseIfOpen();
    } else if (cmd == "kill") {
      ok = Kill();
    } else if (cmd == "second") {
      ok = arg(a) && Second(a);
    } else if (cmd == "count") {
      Out("app-count", std::to_string(AppWindows().size()));
    } else if (cmd == "minimize") {
      ok = EnsureApp();
      if (ok) ShowWindow(app, SW_MINIMIZE);
    } else if (cmd == "iconic") {
      ok = EnsureApp();
      if (ok) Out("iconic", IsIconic(app) ? "1" : "0");
    } else if (cmd == "windows") {
      DumpWindows();
    } else if (cmd == "sleep") {
      ok = arg(a);
      if (ok) Sleep(static_cast<DWORD>(std::atoi(a.c_str())));
    } else {
      ok = Fail("unknown command " + cmd);
    }
    if (!ok) return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  _setmode(_fileno(stdout), _O_BINARY);   // LF line ends for the scripts that read us
  return Run(argc, argv) ? 0 : 1;
}
