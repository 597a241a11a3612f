// The real Uninstall.EXE, started as a user would: one copy at a time, a whole run over a
// throwaway installation, a close during a run, and DLLs planted beside it.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "unit/app/Throwaway.h"
#include "unit/toolkit/Boxanswer.h"

namespace {
const char kTitle[] = "Tarvolink Uninstall";

std::string Exe() { return HostToWindowsPath(UNINSTALL_EXE); }

// Waits while serving this thread's messages (a second copy may send some to our windows).
bool WaitFor(HANDLE process, int seconds = 60) {
  for (int i = 0; i < seconds * 50; ++i) {
    DWORD r = ::MsgWaitForMultipleObjects(1, &process, FALSE, 20, QS_ALLINPUT);
    if (r == WAIT_OBJECT_0) return true;
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
  }
  return false;
}

struct FindOf {
  DWORD pid;
  const char* cls;
  HWND found;
  int count;
};

BOOL CALLBACK FindOfProc(HWND w, LPARAM lp) {
  auto* f = reinterpret_cast<FindOf*>(lp);
  char cls[64] = {}, title[128] = {};
  ::GetClassNameA(w, cls, sizeof cls);
  ::GetWindowTextA(w, title, sizeof title);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(w, &pid);
  if ((f->pid == 0 || pid == f->pid) && std::string(cls) == f->cls &&
      (std::string(f->cls) != "TApplication" || std::string(title) == kTitle)) {
    if (!f->found) f->found = w;
    ++f->count;
  }
  return TRUE;
}

FindOf Find(DWORD pid, const char* cls) {
  FindOf f = {pid, cls, nullptr, 0};
  ::EnumWindows(&FindOfProc, reinterpret_cast<LPARAM>(&f));
  return f;
}

class Copy {
public:
  explicit Copy(const std::string& exe, bool waitForWindow = true) {
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    std::string cmd = "\"" + exe + "\"";
    std::string dir = exe.substr(0, exe.rfind('\\'));
    started_ = ::CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr,
                                dir.c_str(), &si, &pi_) != FALSE;
    if (started_ && waitForWindow) {
      PumpUntil([this] {
        app = Find(pi_.dwProcessId, "TApplication").found;
        form = Find(pi_.dwProcessId, "TFormUninstall").found;
        return app && form && ::IsWindowVisible(form);
      }, 60);
    }
  }
  ~Copy() {
    if (!started_) return;
    if (::WaitForSingleObject(pi_.hProcess, 0) != WAIT_OBJECT_0) ::TerminateProcess(pi_.hProcess, 9);
    ::CloseHandle(pi_.hThread);
    ::CloseHandle(pi_.hProcess);
  }
  bool Started() const { return started_; }
  DWORD Pid() const { return pi_.dwProcessId; }
  bool Ended() { return WaitFor(pi_.hProcess); }
  DWORD ExitCode() {
    DWORD code = 259;
    ::GetExitCodeProcess(pi_.hProcess, &code);
    return code;
  }
  void ClickAt(int x, int y) {
    ::PostMessageA(form, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    ::PostMessageA(form, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  }
  void ClickUninstall() { ClickAt(120 + 72, 96 + 12); }
  HWND app = nullptr;
  HWND form = nullptr;

private:
  bool started_ = false;
  PROCESS_INFORMATION pi_ = {};
};

// A window of another program that happens to carry the running product's class and title.
class ForeignWindow {
public:
  ForeignWindow(const char* title, bool ignoreClose) {
    thread_ = std::thread([=] { Run(title, ignoreClose); });
    while (!ready_) ::Sleep(5);
  }
  ~ForeignWindow() {
    ::PostMessageA(wnd_, WM_APP, 0, 0);
    thread_.join();
  }
  HWND Handle() const { return wnd_; }
  bool CloseAsked() const { return closeAsked_; }

private:
  static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<ForeignWindow*>(::GetWindowLongPtrA(w, GWLP_USERDATA));
    if (m == WM_CLOSE && self) {
      self->closeAsked_ = true;
      if (self->ignoreClose_) return 0;
    }
    if (m == WM_APP) {
      ::DestroyWindow(w);
      ::PostQuitMessage(0);
      return 0;
    }
    return ::DefWindowProcA(w, m, wp, lp);
  }
  void Run(const char* title, bool ignoreClose) {
    ignoreClose_ = ignoreClose;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &Proc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "TApplication";
    ::RegisterClassA(&wc);
    wnd_ = ::CreateWindowA("TApplication", title, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                           100, 100, 120, 40, nullptr, nullptr, wc.hInstance, nullptr);
    ::SetWindowLongPtrA(wnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ::ShowWindow(wnd_, SW_SHOWNOACTIVATE);
    ready_ = true;
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) ::DispatchMessageA(&msg);
  }
  std::thread thread_;
  HWND wnd_ = nullptr;
  volatile bool ready_ = false;
  volatile bool closeAsked_ = false;
  bool ignoreClose_ = false;
};

// Wine prefers its own builtin DLLs to one found beside a program; Windows takes whatever file
// the search finds. For as long as it lives, this makes Wine behave like Windows for the planted
// names in the given program.
class PreferDllFiles {
public:
  explicit PreferDllFiles(const std::string& exeName)
      : key_("Software\\Wine\\AppDefaults\\" + exeName + "\\DllOverrides") {
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                          nullptr) != ERROR_SUCCESS)
      return;
    for (const char* name : {"shfolder", "rasapi32"})
      ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>("native,builtin"), 15);
    ::RegCloseKey(key);
  }
  ~PreferDllFiles() { ::RegDeleteKeyA(HKEY_CURRENT_USER, key_.c_str()); }

private:
  std::string key_;
};

// The program copied into a throwaway installation, as the installer would have placed it.
struct Installed {
  Throwaway install;
  std::string exe;
  explicit Installed(const char* tag) : install(tag), exe(install.InInstall("Uninstall.EXE")) {
    ::CopyFileA(Exe().c_str(), exe.c_str(), FALSE);
  }
};
}  // namespace

// The manifest as the system's own activation context reads it: the display-scale settings are
// found in the namespaces that Windows looks them up in, or the window is drawn blurred.
TEST(UninstallExe, ManifestDeclaresPerMonitorAwareness) {
  const std::string exe = Exe();
  ACTCTXA ac = {};
  ac.cbSize = sizeof ac;
  ac.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
  ac.lpSource = exe.c_str();
  ac.lpResourceName = MAKEINTRESOURCEA(1);
  HANDLE context = ::CreateActCtxA(&ac);
  ASSERT_NE(INVALID_HANDLE_VALUE, context);
  using QueryProc = BOOL(WINAPI*)(DWORD, HANDLE, PCWSTR, PCWSTR, PWSTR, SIZE_T, SIZE_T*);
  auto query =
      reinterpret_cast<QueryProc>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "QueryActCtxSettingsW"));
  ASSERT_NE(nullptr, query);
  auto setting = [&](const wchar_t* space, const wchar_t* name) {
    wchar_t value[64] = {};
    SIZE_T written = 0;
    return query(0, context, space, name, value, 64, &written) ? std::wstring(value) : std::wstring(L"(none)");
  };
  const wchar_t* const k2005 = L"http://schemas.microsoft.com/SMI/2005/WindowsSettings";
  const wchar_t* const k2016 = L"http://schemas.microsoft.com/SMI/2016/WindowsSettings";
  EXPECT_EQ(L"true/pm", setting(k2005, L"dpiAware"));
  EXPECT_EQ(L"PerMonitorV2, PerMonitor", setting(k2016, L"dpiAwareness"));
  EXPECT_EQ(L"(none)", setting(k2016, L"dpiAware"));
  ::ReleaseActCtx(context);
}

TEST(UninstallExe, SecondStartWhileTheFirstIsVisibleEndsAtOnce) {
  Installed in("single");
  Copy first(in.exe);
  ASSERT_TRUE(first.form) << "the first copy shows its window";
  Copy second(in.exe, false);
  ASSERT_TRUE(second.Started());
  ASSERT_TRUE(second.Ended());
  EXPECT_EQ(1618u, second.ExitCode()) << "another copy runs";
  EXPECT_EQ(1, Find(0, "TApplication").count);
  EXPECT_EQ(0, Find(second.Pid(), "TFormUninstall").count);
  EXPECT_TRUE(::IsWindowVisible(first.form));

  // Closing while idle asks nothing and ends as cancelled: nothing was removed.
  BoxAnswerer boxes({}, nullptr, first.Pid());
  ::PostMessageA(first.form, WM_CLOSE, 0, 0);
  ASSERT_TRUE(first.Ended());
  EXPECT_EQ(1602u, first.ExitCode());
  EXPECT_EQ(0u, boxes.Count());
}

TEST(UninstallExe, SecondStartRestoresAMinimisedFirst) {
  Installed in("minimised");
  Copy first(in.exe);
  ASSERT_TRUE(first.app);
  ::ShowWindow(first.app, SW_MINIMIZE);
  ASSERT_TRUE(PumpUntil([&] { return ::IsIconic(first.app) && !::IsWindowVisible(first.form); }, 60));
  Copy second(in.exe, false);
  ASSERT_TRUE(second.Ended());
  EXPECT_EQ(1618u, second.ExitCode());
  EXPECT_TRUE(PumpUntil([&] { return !::IsIconic(first.app) && ::IsWindowVisible(first.form); }, 60));
  ::PostMessageA(first.form, WM_CLOSE, 0, 0);
  EXPECT_TRUE(first.Ended());
}

TEST(UninstallExe, ForeignWindowWithTheSameClassAndTitleCountsAsARunningCopy) {
  Installed in("foreign");
  ForeignWindow other(kTitle, false);
  ::ShowWindow(other.Handle(), SW_MINIMIZE);
  ASSERT_TRUE(::IsIconic(other.Handle()));
  Copy copy(in.exe, false);
  ASSERT_TRUE(copy.Ended());
  EXPECT_EQ(1618u, copy.ExitCode());
  EXPECT_FALSE(::IsIconic(other.Handle())) << "restored, as a running copy would be";
  EXPECT_TRUE(in.install.Exists("Tarvolink.EXE"));
}

TEST(UninstallExe, WholeRunRemovesTheProductAndPlantedDllsStayUnloaded) {
  Installed in("run");
  std::string planted = HostToWindowsPath(PLANTED_DLL);
  PreferDllFiles prefer("Uninstall.EXE");
  for (const char* name : {"shfolder.dll", "rasapi32.dll"})
    ASSERT_TRUE(::CopyFileA(planted.c_str(), in.install.InInstall(name).c_str(), FALSE));
  Copy copy(in.exe);
  ASSERT_TRUE(copy.form);
  BoxAnswerer boxes({IDOK}, copy.form, copy.Pid());
  copy.ClickUninstall();
  ASSERT_TRUE(copy.Ended());
  EXPECT_EQ(0u, copy.ExitCode());

  auto seen = boxes.Seen();
  ASSERT_EQ(1u, seen.size());
  EXPECT_EQ("Uninstall Compelete !", seen[0].text);
  EXPECT_EQ(kTitle, seen[0].title);
  for (const std::string& f : Throwaway::PlantedFiles()) EXPECT_FALSE(in.install.Exists(f)) << f;
  EXPECT_FALSE(Throwaway::UninstallKeyExists());
  EXPECT_FALSE(Throwaway::ProductKeyExists());
  EXPECT_FALSE(in.install.Exists("planted.marker")) << "a DLL beside the program was loaded";
  // The program's own file goes right after its process, taken by its temporary copy; the folder
  // stays for the DLLs that are not the product's.
  EXPECT_TRUE(PumpUntil([&] { return !in.install.Exists("Uninstall.EXE"); }, 30));
  EXPECT_TRUE(in.install.Exists("shfolder.dll"));
}

TEST(UninstallExe, CloseConfirmedDuringARunStopsItAndEnds) {
  Installed in("cancel");
  // The running product that does not close keeps the run in its first step for a while.
  ForeignWindow product("Tarvo Link", true);
  Copy copy(in.exe);
  ASSERT_TRUE(copy.form);
  BoxAnswerer boxes({IDOK}, copy.form, copy.Pid());
  copy.ClickUninstall();
  ASSERT_TRUE(PumpUntil([&] { return product.CloseAsked(); }, 60));
  ::PostMessageA(copy.form, WM_CLOSE, 0, 0);
  ASSERT_TRUE(copy.Ended());
  EXPECT_EQ(1602u, copy.ExitCode());
  auto seen = boxes.Seen();
  ASSERT_EQ(1u, seen.size()) << "the cancelled run shows nothing";
  EXPECT_EQ("Uninstall not Compelete, Quit ?", seen[0].text);
  for (const std::string& f : Throwaway::PlantedFiles()) EXPECT_TRUE(in.install.Exists(f)) << f;
  EXPECT_TRUE(Throwaway::UninstallKeyExists());
}

TEST(DllSearch, PlantedDllIsLoadedByNameUnlessTheSearchIsRestricted) {
  Throwaway area("probe");
  std::string dir = area.Root() + "\\downloads";
  ::CreateDirectoryA(dir.c_str(), nullptr);
  std::string probe = dir + "\\dllprobe.exe";
  ASSERT_TRUE(::CopyFileA(HostToWindowsPath(DLL_PROBE).c_str(), probe.c_str(), FALSE));
  ASSERT_TRUE(::CopyFileA(HostToWindowsPath(PLANTED_DLL).c_str(), (dir + "\\shfolder.dll").c_str(), FALSE));
  std::string marker = dir + "\\planted.marker";
  PreferDllFiles prefer("dllprobe.exe");

  auto run = [&](const char* mode) {
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::string cmd = "dllprobe.exe " + std::string(mode) + " shfolder.dll";
    if (!::CreateProcessA(probe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(),
                          &si, &pi))
      return 99ul;
    WaitFor(pi.hProcess);
    DWORD code = 98;
    ::GetExitCodeProcess(pi.hProcess, &code);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return static_cast<unsigned long>(code);
  };

  // Without the restriction the planted copy wins: the trap is real.
  EXPECT_EQ(0ul, run("plain"));
  EXPECT_TRUE(PathExists(marker));
  ::DeleteFileA(marker.c_str());
  // With it, the system's own DLL is loaded and the planted one never is.
  EXPECT_EQ(0ul, run("guard"));
  EXPECT_FALSE(PathExists(marker));
  // Where the restriction is missing, the DLLs the program loads are named by their full path.
  EXPECT_EQ(0ul, run("bypath"));
  EXPECT_FALSE(PathExists(marker));
}
