// Program entry: the command line, one uninstaller at a time, the log, then the window and its
// message loop (or, silent, its run alone); the exit code tells the caller how it went.
#include <windows.h>

#include <exception>
#include <memory>
#include <new>

#include "app/Commandline.h"
#include "app/Exitcode.h"
#include "app/Frmuninstall.h"
#include "app/Uninstallrun.h"
#include "app/Windowstation.h"
#include "product/Tarvolinkuninstall.h"
#include "removal/Selfremoval.h"
#include "res/Resource.h"
#include "sys/Appwindowclass.h"
#include "sys/Exename.h"
#include "sys/Faultpoint.h"
#include "sys/Mitigation.h"
#include "sys/Runlog.h"
#include "sys/Scopeguard.h"
#include "sys/Sysutil.h"
#include "toolkit/Application.h"
#include "toolkit/Dllsearch.h"

namespace {
const char kAppTitle[] = "Tarvolink Uninstall";

int Box(const std::string& text, UINT flags) {
  return ::MessageBoxA(nullptr, text.c_str(), kAppTitle, flags | MB_SETFOREGROUND);
}

// A silent run shows no box: what an error box would have said goes to the log.
int HoldBackBox(const std::string& text, UINT flags) {
  if ((flags & MB_ICONMASK) == MB_ICONERROR) RunlogJoin({"Error (not shown): ", text});
  return (flags & MB_TYPEMASK) == MB_OK ? IDOK : IDCANCEL;
}

int ShowUsage(const TCommandLine& line) {
  if (!line.Silent) Box(UsageText(), MB_OK | MB_ICONINFORMATION);
  return kExitSuccess;
}

// The single-instance test. A windowed start brings the running copy forward; a silent one
// leaves the screen alone.
bool AnotherCopyRuns(bool silent) {
  HWND running = ::FindWindowA(kAppWindowClass, kAppTitle);
  if (!running) return false;
  if (!silent) {
    if (::IsIconic(running)) ::ShowWindow(running, SW_RESTORE);
    ::SetForegroundWindow(running);
  }
  return true;
}

const char* VersionName(TWindowsVersion code) {
  switch (code) {
    case TWindowsVersion::wvWinNT4: return "Windows NT 4.0";
    case TWindowsVersion::wvWin95: return "Windows 95";
    case TWindowsVersion::wvWin98: return "Windows 98";
    case TWindowsVersion::wvWin2000: return "Windows 2000";
    case TWindowsVersion::wvWinXP: return "Windows XP or later";
    case TWindowsVersion::wvWinMe: return "Windows Me";
    case TWindowsVersion::wvUnknown: break;
  }
  return "unknown";
}

void LogHeader(const TCommandLine& line) {
  if (!RunlogActive()) return;
  SYSTEMTIME t;
  ::GetLocalTime(&t);
  char when[32];
  ::wsprintfA(when, "%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
              t.wSecond);
  RunlogJoin({kAppTitle, " (Uninstall.EXE) version " TARVO_VERSION ", log of ", when});
  RunlogJoin({"Command line: ", ::GetCommandLineA()});
  if (!line.NotUnderstood.empty()) {
    std::string ignored;
    for (const std::string& argument : line.NotUnderstood) ignored += (ignored.empty() ? "" : ", ") + argument;
    RunlogJoin({"Not understood, ignored: ", ignored});
  }
  RunlogLine(line.Silent ? "Mode: silent" : "Mode: windowed");
  OSVERSIONINFOA v = {};
  v.dwOSVersionInfoSize = sizeof v;
  ::GetVersionExA(&v);
  const TWindowsVersion code = GetWindowsVersion();
  const char* family = IsNtFamily(code) ? "NT family" : Is9xFamily(code) ? "9x family" : "unknown family";
  RunlogJoin({"Windows: ", DecimalText(v.dwMajorVersion), ".", DecimalText(v.dwMinorVersion), " build ",
              DecimalText(v.dwBuildNumber & 0xFFFF), ", ", family, ", taken as ", VersionName(code)});
}

int LogFailed(bool boxes, const std::string& path, const std::string& why) {
  if (boxes) Box("The log file could not be created:\r\n" + path + "\r\n\r\n" + why + "\r\n\r\nNothing was removed.",
                 MB_OK | MB_ICONERROR);
  return kExitLogFailed;
}

int EndLog(int code) {
  RunlogJoin({"Exit code ", DecimalText(static_cast<uint32_t>(code)), ": ", ExitCodeMeaning(code)});
  RunlogClose();
  return code;
}

void ReportException(TApplication& app, const char* what, bool silent) {
  RunlogJoin({"Error: ", what});
  if (!silent) app.ShowException(what);
}

// Only once the installation folder is known: a log there would be deleted by the run, or keep
// the folder; an old file there stays as it was. 0, or the exit code of a log refused there.
int RefusedLogPlace(const TclTarvolinkUninstall* driver, const TCommandLine& line) {
  if (driver && RunlogLiesIn(driver->InstallFolder())) {
    const char why[] = "it lies in the installation folder, which the run removes";
    RunlogJoin({"Log file ", line.LogFile, ": refused, ", why, "; nothing was removed"});
    RunlogAbandon();
    return LogFailed(!line.Silent, line.LogFile, std::string("Refused: ") + why);
  }
  RunlogReplace();
  return 0;
}

// The window and its message loop, until the window is closed.
int RunWindowed(TApplication& app, const TCommandLine& line) {
  std::unique_ptr<TFormUninstall> form(SYS_NEW("the window", TFormUninstall()));
  if (!form) return kExitFailed;
  FormUninstall = form.get();
  ScopeGuard forgotten([] { FormUninstall = nullptr; });
  app.CreateForm(form.get());
  if (const int refused = RefusedLogPlace(form->Uninstaller.get(), line)) return refused;
  app.Run();
  return form->ExitCode();
}

// The run alone: no window but the application's, which a second start finds.
int RunUnattended(TApplication& app, const TCommandLine& line) {
  std::unique_ptr<TclTarvolinkUninstall> driver(SYS_NEW("the uninstall driver", TclTarvolinkUninstall()));
  TUninstallRun run;
  run.Start(driver.get());
  if (const int refused = RefusedLogPlace(driver.get(), line)) return refused;
  app.RefuseClose();   // nobody can cancel it
  run.Run(&TApplication::PumpMessages, &app);
  // What escaped a window procedure meanwhile went to the log, unseen: the run cannot count on it.
  return app.ExceptionReported() ? kExitFailed : run.ExitCode();
}

// The window and its message loop, or the silent run; the exit code of either.
int RunUninstaller(HINSTANCE instance, const TCommandLine& line) {
  TApplication app;
  if (line.Silent) TApplication::SetBoxHandler(&HoldBackBox);
  try {
    if (!app.Initialize(instance)) return kExitFailed;
    app.SetTitle(kAppTitle);
    return line.Silent ? RunUnattended(app, line) : RunWindowed(app, line);
  } catch (const std::exception& e) {
    ReportException(app, e.what(), line.Silent);
  } catch (...) {
    ReportException(app, "Unknown exception", line.Silent);
  }
  return kExitFailed;
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR arguments, int) {
  // First of all: whatever is loaded by name from here on comes from the system folder only.
  RestrictDllSearchToSystem();
  EnforceRedirectionTrust();   // where the system can: junctions of non-administrators not followed
  // The copy that removes a finished uninstaller's program does that alone: no window, no log, no
  // test for a running instance.
  if (HandlesSelfRemoval(::GetCommandLineA())) return 0;
  // What the copy that removes this program after its end is made from: the file that runs, kept
  // from here on so that nothing can take its place.
  HoldProgramFile();

  const TCommandLine line = ParseCommandLine(arguments ? arguments : "");
  // A window in a station without a display waits for a click that can never come.
  const bool unseen = !line.Silent && !IsWindowStationVisible();
  // Nobody is there to answer the system's own boxes (a drive without its disk, say).
  if (line.Silent || unseen) ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  // Unattended, nothing is done that was not asked for; a windowed start ignores what it does not
  // know, as the program that this one replaces ignored its whole command line.
  if (line.Silent && !line.Understood) return kExitBadCommandLine;
  if (line.Help && !unseen) return ShowUsage(line);

  if (AnotherCopyRuns(line.Silent || unseen)) {
    // A log of its own, if it can have one: the running copy may be writing that very file.
    if (line.HasLog && RunlogOpen(line.LogFile).Opened()) LogHeader(line);
    return EndLog(kExitAlreadyRunning);
  }
  if (line.HasLog) {
    const TOwnFileStatus status = RunlogOpen(line.LogFile);
    if (!status.Opened()) return LogFailed(!line.Silent && !unseen, line.LogFile, RunlogOpenFailureText(status));
  }
  LogHeader(line);
  if (unseen) {
    RunlogLine("Windowed start in a window station that nobody can see (a service's session): nothing was "
               "removed; /S removes without a window");
    return EndLog(kExitFailed);
  }
  return EndLog(RunUninstaller(instance, line));
}
