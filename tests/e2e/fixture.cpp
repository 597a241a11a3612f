// tarvo_fixture: puts Tarvolink into the current Wine prefix the way its installer does, together
// with another product's things that an uninstall must leave alone, and reports afterwards what of
// all that exists and what the system was asked to remove at the next restart.
//
//   install [--family nt|9x] [--folder NAME] [--uninstaller PATH] [--catalogs DIR] [--user-file]
//           [--uninstall-string full|quoted|quoted-args|missing|nokey|binary|dword|raw:VALUE]
//           [--used missing|only|shared] [--winver VERSION]
//   check [--family nt|9x] [--folder NAME] [--paths]   one "name=present|absent" line per thing
//                              (with --paths, a file's or folder's path after it); names of things
//                              that must survive every uninstall start with "other/"
//   pending                    "delete PATH", "rename PATH -> PATH", "wininit PATH" lines
//   standin close|refuse|slow|hung  the running product: a "TApplication" window titled "Tarvo Link"
//                              (hung: its thread never reads its messages again)
//   link-key FROM TO           makes HKLM\FROM a registry link to HKLM\TO
//   hold NAME [read|delete]    keeps a file of the installation folder open: without sharing; or
//                              reading it and sharing only reading; or with the right to delete it,
//                              sharing reading and deleting
//   rename FROM TO             "renamed", or "refused ERROR"
//   release                    ends every standin and hold
//   exists PATH...             "present PATH" or "absent PATH" for each
//   running                    the program file of every process, one a line
//   reset [install options]    ends the uninstaller's leftover processes and copies, empties the
//                              restart lists, takes away everything of the product, installs again
//   state [--family nt|9x] [--folder NAME]   once the uninstaller's copy has ended (20 s at most,
//                              else "copy-running PATH"): check with each file's path, pending with
//                              "pending " before each line, "entry COMMAND" (or "entry none")
//   attributes PATH [HEX]      sets the file's attributes to HEX if given; then prints them in hex
//   /ANY-SWITCH ...            started as someone else's program put in the uninstaller's place:
//                              appends its command line to C:\started.txt, and does nothing else
//
// Unix paths (starting with a slash) are taken through drive Z:.
#include <windows.h>
#include <shlobj.h>
#include <tlhelp32.h>
#include <shlwapi.h>
#include <objbase.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "winpath.h"

namespace {

const char kProduct[] = "Tarvolink";
const char kReleaseEvent[] = "TarvoFixtureRelease";
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kSessionKey[] = "System\\CurrentControlSet\\Control\\Session Manager";
const char* const kLanguages[] = {"CHT", "CHS", "JPN", "KOR", "FRA", "ESN",
                                  "DEU", "ITA", "PTG", "TRK", "ENG"};

struct Options {
  bool nt = true;
  std::string folder = kProduct;   // the installation folder's name under Program Files
  std::string uninstaller;
  std::string catalogs;
  std::string uninstallString = "full";
  std::string used = "only";
  std::string winver;
  bool userFile = false;
};

// Plain data files of the installation folder with the text they hold. The information files
// name pictures and help files that exist; several of them name the same picture.
struct DataFile {
  const char* name;
  const char* text;
};
const DataFile kDataFiles[] = {
    {"setup.ini", "[Setup]\r\nProduct=Tarvolink\r\nVersion=1.0\r\n"},
    {"Files.ini", "[Files]\r\n1=Tarvolink.EXE\r\n2=Busprobe.exe\r\n"},
    {"Backup.log", "2003-04-01 backup of C: to D: done\r\n"},
    {"Busprobe.exe", "MZ port speed probe\r\n"},
    {"Info.ini",
     "[LOGO]\r\nAbout=About.bmp\r\nLoading=Loading.bmp\r\nMain=Main.bmp\r\n"
     "[Help]\r\nCHM=Tarvolink.chm\r\n"},
    {"InfoENG.Ini",
     "[LOGO]\r\nAbout=AboutENG.bmp\r\nLoading=Loading.bmp\r\nMain=Main.bmp\r\n"
     "[Help]\r\nCHM=TarvolinkENG.chm\r\n"},
    {"InfoJPN.Ini", "[LOGO]\r\nAbout=AboutJPN.bmp\r\nMain=Main.bmp\r\n[Help]\r\nCHM=TarvolinkJPN.chm\r\n"},
    {"InfoDEU.Ini", "[LOGO]\r\nAbout=AboutDEU.bmp\r\n"},
    {"About.bmp", "BM about"},
    {"Loading.bmp", "BM loading"},
    {"Main.bmp", "BM main"},
    {"Tarvolink.chm", "ITSF help"},
    {"AboutENG.bmp", "BM about ENG"},
    {"TarvolinkENG.chm", "ITSF help ENG"},
    {"AboutJPN.bmp", "BM about JPN"},
    {"TarvolinkJPN.chm", "ITSF help JPN"},
    {"AboutDEU.bmp", "BM about DEU"},
    {"ExENG.FRC", "FRC ENG"},
    {"ExJPN.FRC", "FRC JPN"},
    {"ExDEU.FRC", "FRC DEU"},
    {"dzips32.dll", "MZ zip"},
    {"dunzips32.dll", "MZ unzip"},
};
const char* const kProgramShortcuts[] = {"Tarvolink", "Uninstall", "Port Speed Probe"};
const char kUserFile[] = "My notes.txt";

std::string ShellFolder(int csidl) {
  char buf[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, 0, buf))) return "";
  return buf;
}

std::string WindowsFolder() {
  char buf[MAX_PATH] = {};
  GetWindowsDirectoryA(buf, MAX_PATH);
  return buf;
}

std::string SelfPath() {
  char buf[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, buf, MAX_PATH);
  return buf;
}

// Where the product and its bystanders live for one Windows family.
struct Layout {
  std::string install, other, desktop, programs, systemDir;
  Layout(bool nt, const std::string& folder) {
    std::string programFiles = ShellFolder(CSIDL_PROGRAM_FILES);
    install = programFiles + "\\" + folder;
    other = programFiles + "\\OtherApp";
    desktop = ShellFolder(nt ? CSIDL_COMMON_DESKTOPDIRECTORY : CSIDL_DESKTOP);
    programs = ShellFolder(nt ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS);
    systemDir = WindowsFolder() + "\\system";
  }
  std::string In(const std::string& name) const { return install + "\\" + name; }
  std::string ProgramsFolder() const { return programs + "\\" + kProduct; }
};

int failures = 0;
void Fail(const std::string& what) {
  std::printf("error %s (%lu)\n", what.c_str(), GetLastError());
  ++failures;
}

void WriteFile(const std::string& path, const std::string& text) {
  HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return Fail("cannot write " + path);
  DWORD written = 0;
  ::WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(f);
}

void Copy(const std::string& from, const std::string& to) {
  if (!CopyFileA(from.c_str(), to.c_str(), FALSE)) Fail("cannot copy " + from + " to " + to);
}

void MakeFolder(const std::string& path) {
  if (SHCreateDirectoryExA(nullptr, path.c_str(), nullptr) != ERROR_SUCCESS && GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
    Fail("cannot create " + path);
}

void MakeShortcut(const std::string& lnk, const std::string& target, const std::string& description) {
  IShellLinkA* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&link))))
    return Fail("no shell link object for " + lnk);
  link->SetPath(target.c_str());
  link->SetDescription(description.c_str());
  std::string dir = target.substr(0, target.find_last_of('\\'));
  link->SetWorkingDirectory(dir.c_str());
  IPersistFile* file = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    wchar_t wide[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, lnk.c_str(), -1, wide, MAX_PATH);
    if (FAILED(file->Save(wide, TRUE))) Fail("cannot save " + lnk);
    file->Release();
  } else {
    Fail("no IPersistFile for " + lnk);
  }
  link->Release();
}

HKEY CreateKey(const std::string& path, HKEY root = HKEY_LOCAL_MACHINE) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    Fail("cannot create key " + path);
    return nullptr;
  }
  return key;
}

void SetString(HKEY key, const char* name, const std::string& value) {
  if (key) RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), static_cast<DWORD>(value.size() + 1));
}

void SetValue(const std::string& keyPath, const char* name, const std::string& value) {
  HKEY key = CreateKey(keyPath);
  SetString(key, name, value);
  if (key) RegCloseKey(key);
}

void InstallRegistry(const Options& o, const Layout& l) {
  std::string uninstallExe = l.In("Uninstall.EXE");
  if (o.uninstallString != "nokey") {
    HKEY key = CreateKey(std::string(kUninstallKey) + "\\" + kProduct);
    SetString(key, "DisplayName", kProduct);
    SetString(key, "Publisher", "QORV");
    const std::string& s = o.uninstallString;
    // What deployment tools run: the program, quoted, with its silent switch.
    SetString(key, "QuietUninstallString", "\"" + uninstallExe + "\" /S");
    if (s == "full") {
      SetString(key, "UninstallString", uninstallExe);
    } else if (s == "quoted") {
      SetString(key, "UninstallString", "\"" + uninstallExe + "\"");
    } else if (s == "quoted-args") {
      SetString(key, "UninstallString", "\"" + uninstallExe + "\" /remove");
    } else if (s == "binary") {
      RegSetValueExA(key, "UninstallString", 0, REG_BINARY, reinterpret_cast<const BYTE*>(uninstallExe.c_str()),
                     static_cast<DWORD>(uninstallExe.size() + 1));
    } else if (s == "dword") {
      DWORD v = 1;
      RegSetValueExA(key, "UninstallString", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
    } else if (s.compare(0, 4, "raw:") == 0) {
      SetString(key, "UninstallString", s.substr(4));
    } else if (s != "missing") {
      Fail("unknown --uninstall-string " + s);
    }
    if (key) {
      HKEY sub = CreateKey(std::string(kUninstallKey) + "\\" + kProduct + "\\Extra");
      if (sub) RegCloseKey(sub);
      RegCloseKey(key);
    }
  }

  HKEY product = CreateKey(std::string("Software\\QORV\\") + kProduct);
  SetString(product, "InstallDir", l.install);
  SetString(product, "Version", "1.0");
  if (product) RegCloseKey(product);
  SetValue(std::string("Software\\QORV\\") + kProduct + "\\Settings", "Language", "ENG");

  SetValue(kRunKey, kProduct, "\"" + l.In("Tarvolink.EXE") + "\" /tray");

  if (o.used != "missing") {
    SetValue("Software\\QORV\\QORVDISK", "Version", "2.1");
    HKEY used = CreateKey("Software\\QORV\\QORVDISK\\Used");
    if (o.used == "only" || o.used == "shared") SetString(used, kProduct, "1");
    if (o.used == "shared") SetString(used, "OtherProduct", "1");
    if (o.used != "only" && o.used != "shared" && o.used != "empty") Fail("unknown --used " + o.used);
    if (used) RegCloseKey(used);
  }

  // Wine reads the Windows version of a program from here, by the program's file name.
  if (!o.winver.empty()) {
    HKEY key = CreateKey("Software\\Wine\\AppDefaults\\Uninstall.EXE", HKEY_CURRENT_USER);
    SetString(key, "Version", o.winver);
    if (key) RegCloseKey(key);
  }
}

void InstallBystanders(const Layout& l) {
  MakeFolder(l.other);
  WriteFile(l.other + "\\OtherApp.exe", "MZ other");
  WriteFile(l.other + "\\readme.txt", "Another product of the same machine.\r\n");
  MakeFolder(l.programs + "\\OtherApp");
  MakeShortcut(l.programs + "\\OtherApp\\OtherApp.LNK", l.other + "\\OtherApp.exe", "OtherApp");
  MakeShortcut(l.desktop + "\\OtherApp.LNK", l.other + "\\OtherApp.exe", "OtherApp");
  SetValue(kRunKey, "OtherApp", "\"" + l.other + "\\OtherApp.exe\"");
  SetValue(std::string(kUninstallKey) + "\\OtherApp", "UninstallString", l.other + "\\OtherApp.exe /uninstall");
  SetValue("Software\\QORV\\OtherProduct", "InstallDir", l.other);
}

int Install(const Options& o) {
  Layout l(o.nt, o.folder);
  MakeFolder(l.install);
  Copy(SelfPath(), l.In("Tarvolink.EXE"));
  if (!o.uninstaller.empty())
    Copy(WindowsPath(o.uninstaller), l.In("Uninstall.EXE"));
  else
    WriteFile(l.In("Uninstall.EXE"), "MZ placeholder");
  for (const DataFile& f : kDataFiles) WriteFile(l.In(f.name), f.text);
  if (!o.catalogs.empty()) {
    for (const char* code : kLanguages) {
      std::string from = WindowsPath(o.catalogs) + "\\SetupMsg." + code;
      if (GetFileAttributesA(from.c_str()) != INVALID_FILE_ATTRIBUTES) Copy(from, l.In(std::string("SetupMsg.") + code));
    }
  }

  MakeShortcut(l.desktop + "\\Tarvolink.LNK", l.In("Tarvolink.EXE"), "Tarvolink");
  MakeFolder(l.ProgramsFolder());
  MakeShortcut(l.ProgramsFolder() + "\\Tarvolink.LNK", l.In("Tarvolink.EXE"), "Tarvolink");
  MakeShortcut(l.ProgramsFolder() + "\\Uninstall.LNK", l.In("Uninstall.EXE"), "Uninstall Tarvolink");
  MakeShortcut(l.ProgramsFolder() + "\\Port Speed Probe.LNK", l.In("Busprobe.exe"), "Port Speed Probe");
  if (o.userFile) WriteFile(l.ProgramsFolder() + "\\" + kUserFile, "my own notes\r\n");

  if (!o.nt) {
    MakeFolder(l.systemDir);
    WriteFile(l.systemDir + "\\QORVDISK.VXD", "LE qorvdisk");
  }
  InstallRegistry(o, l);
  InstallBystanders(l);
  std::printf("installdir %s\n", l.install.c_str());
  std::printf("programs %s\n", l.ProgramsFolder().c_str());
  std::printf("desktop %s\n", l.desktop.c_str());
  return failures ? 1 : 0;
}

// ---- check ----

bool withPaths = false;   // check --paths: each file's and folder's path after its state

void Report(const std::string& name, bool present) {
  std::printf("%s=%s\n", name.c_str(), present ? "present" : "absent");
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void ReportPath(const std::string& name, const std::string& path) {
  if (!withPaths) return Report(name, Exists(path));
  std::printf("%s=%s %s\n", name.c_str(), Exists(path) ? "present" : "absent", path.c_str());
}

bool KeyExists(const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

bool ValueExists(const std::string& path, const char* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  bool found = RegQueryValueExA(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
  RegCloseKey(key);
  return found;
}

int Check(const Options& o) {
  Layout l(o.nt, o.folder);
  ReportPath("dir/install", l.install);
  ReportPath("install/Tarvolink.EXE", l.In("Tarvolink.EXE"));
  ReportPath("install/Uninstall.EXE", l.In("Uninstall.EXE"));
  for (const DataFile& f : kDataFiles) ReportPath(std::string("install/") + f.name, l.In(f.name));
  for (const char* code : kLanguages) {
    std::string name = std::string("SetupMsg.") + code;
    ReportPath("install/" + name, l.In(name));
  }
  ReportPath("lnk/desktop/Tarvolink.LNK", l.desktop + "\\Tarvolink.LNK");
  ReportPath("dir/programs/Tarvolink", l.ProgramsFolder());
  for (const char* s : kProgramShortcuts)
    ReportPath(std::string("lnk/programs/Tarvolink/") + s + ".LNK", l.ProgramsFolder() + "\\" + s + ".LNK");
  ReportPath("system/QORVDISK.VXD", l.systemDir + "\\QORVDISK.VXD");
  std::string uninstallKey = std::string(kUninstallKey) + "\\" + kProduct;
  Report("reg/uninstall/Tarvolink", KeyExists(uninstallKey));
  Report("reg/qorv/Tarvolink", KeyExists(std::string("Software\\QORV\\") + kProduct));
  Report("reg/run/Tarvolink", ValueExists(kRunKey, kProduct));
  Report("reg/qorv/QORVDISK", KeyExists("Software\\QORV\\QORVDISK"));
  Report("reg/qorv/QORVDISK/Used", KeyExists("Software\\QORV\\QORVDISK\\Used"));
  Report("reg/qorv/QORVDISK/Used:Tarvolink", ValueExists("Software\\QORV\\QORVDISK\\Used", kProduct));
  Report("window/Tarvo Link", FindWindowA("TApplication", "Tarvo Link") != nullptr);

  // What belongs to others, the user's own file included: every uninstall must leave it.
  ReportPath(std::string("other/programs/Tarvolink/") + kUserFile, l.ProgramsFolder() + "\\" + kUserFile);
  ReportPath("other/dir/OtherApp", l.other);
  ReportPath("other/OtherApp/OtherApp.exe", l.other + "\\OtherApp.exe");
  ReportPath("other/OtherApp/readme.txt", l.other + "\\readme.txt");
  ReportPath("other/lnk/programs/OtherApp/OtherApp.LNK", l.programs + "\\OtherApp\\OtherApp.LNK");
  ReportPath("other/lnk/desktop/OtherApp.LNK", l.desktop + "\\OtherApp.LNK");
  Report("other/reg/run/OtherApp", ValueExists(kRunKey, "OtherApp"));
  Report("other/reg/uninstall/OtherApp", ValueExists(std::string(kUninstallKey) + "\\OtherApp", "UninstallString"));
  Report("other/reg/qorv/OtherProduct", KeyExists("Software\\QORV\\OtherProduct"));
  Report("other/reg/qorv/QORVDISK/Used:OtherProduct", ValueExists("Software\\QORV\\QORVDISK\\Used", "OtherProduct"));
  ReportPath("other/dir/programs", l.programs);
  ReportPath("other/dir/desktop", l.desktop);
  return 0;
}

// ---- pending ----

std::string Narrow(const wchar_t* s) {
  char buf[4 * MAX_PATH] = {};
  WideCharToMultiByte(CP_ACP, 0, s, -1, buf, sizeof buf - 1, nullptr, nullptr);
  std::string r = buf;
  if (r.compare(0, 4, "\\??\\") == 0) r.erase(0, 4);
  return r;
}

int Pending() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, &type, nullptr, &size) == ERROR_SUCCESS && size) {
      std::vector<wchar_t> data(size / sizeof(wchar_t) + 2, 0);
      RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
      const wchar_t* p = data.data();
      const wchar_t* end = data.data() + size / sizeof(wchar_t);
      while (p < end && *p) {
        const wchar_t* from = p;
        p += wcslen(p) + 1;
        const wchar_t* to = p < end ? p : L"";
        p += wcslen(to) + 1;
        if (*to)
          std::printf("rename %s -> %s\n", Narrow(from).c_str(), Narrow(to[0] == L'!' ? to + 1 : to).c_str());
        else
          std::printf("delete %s\n", Narrow(from).c_str());
      }
    }
    RegCloseKey(key);
  }
  // The 9x family's list, carried out before Windows starts.
  std::string ini = WindowsFolder() + "\\WININIT.INI";
  std::vector<char> section(32768, 0);
  DWORD n = GetPrivateProfileSectionA("rename", section.data(), static_cast<DWORD>(section.size()), ini.c_str());
  for (const char* p = section.data(); p < section.data() + n && *p; p += std::strlen(p) + 1) {
    std::string entry = p;
    size_t eq = entry.find('=');
    std::string target = eq == std::string::npos ? entry : entry.substr(0, eq);
    std::string source = eq == std::string::npos ? "" : entry.substr(eq + 1);
    char longPath[MAX_PATH] = {};
    if (!source.empty() && GetLongPathNameA(source.c_str(), longPath, MAX_PATH)) source = longPath;
    if (lstrcmpiA(target.c_str(), "NUL") == 0)
      std::printf("wininit %s\n", source.c_str());
    else
      std::printf("wininit-rename %s -> %s\n", source.c_str(), target.c_str());
  }
  return 0;
}

// ---- the running product and a file held open ----

HANDLE ReleaseEvent() { return CreateEventA(nullptr, TRUE, FALSE, kReleaseEvent); }

enum class CloseMode { Close, Refuse, Slow };
CloseMode closeMode = CloseMode::Close;

LRESULT CALLBACK StandinProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CLOSE:
      std::printf("standin WM_CLOSE\n");
      std::fflush(stdout);
      if (closeMode == CloseMode::Refuse) {
        std::printf("standin refused\n");
        std::fflush(stdout);
      } else if (closeMode == CloseMode::Slow) {
        SetTimer(wnd, 1, 3000, nullptr);   // saves its state for a while, as products do
      } else {
        DestroyWindow(wnd);
      }
      return 0;
    case WM_TIMER:
      DestroyWindow(wnd);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(wnd, msg, wp, lp);
  }
}

// Waits for the release event while serving this thread's windows. Returns true when released.
bool PumpUntilReleased(HANDLE release, DWORD limitMs) {
  DWORD start = GetTickCount();
  for (;;) {
    DWORD waited = GetTickCount() - start;
    if (waited >= limitMs) return false;
    DWORD r = MsgWaitForMultipleObjects(1, &release, FALSE, limitMs - waited, QS_ALLINPUT);
    if (r == WAIT_OBJECT_0) return true;
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (m.message == WM_QUIT) return false;
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
  }
}

int Standin(const std::string& mode) {
  closeMode = mode == "refuse" ? CloseMode::Refuse : mode == "slow" ? CloseMode::Slow : CloseMode::Close;
  const bool hung = mode == "hung";
  WNDCLASSA wc = {};
  wc.lpfnWndProc = StandinProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "TApplication";
  RegisterClassA(&wc);
  HWND wnd = CreateWindowExA(0, "TApplication", "Tarvo Link", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 10, 10,
                             200, 40, nullptr, nullptr, wc.hInstance, nullptr);
  if (!wnd) return Fail("cannot create the standin window"), 1;
  HANDLE release = ReleaseEvent();
  std::printf("standin ready\n");
  std::fflush(stdout);
  bool released = hung ? WaitForSingleObject(release, 300000) == WAIT_OBJECT_0
                       : PumpUntilReleased(release, 300000);
  CloseHandle(release);
  std::printf(released ? "standin released\n" : "standin closed\n");
  return released ? 3 : 0;
}

int Hold(const std::string& name, const std::string& mode) {
  std::string path = name.find('\\') == std::string::npos ? Layout(true, kProduct).In(name) : name;
  DWORD access = GENERIC_READ, share = 0;
  if (mode == "read") share = FILE_SHARE_READ;
  if (mode == "delete") access = DELETE | FILE_READ_ATTRIBUTES, share = FILE_SHARE_READ | FILE_SHARE_DELETE;
  HANDLE f = CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return Fail("cannot open " + path), 1;
  HANDLE release = ReleaseEvent();
  std::printf("held %s\n", path.c_str());
  std::fflush(stdout);
  WaitForSingleObject(release, 300000);
  CloseHandle(f);
  CloseHandle(release);
  return 0;
}

// A link key (REG_LINK) whose target is given as the kernel names it.
int LinkKey(const std::string& from, const std::string& to) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, from.c_str(), 0, nullptr, REG_OPTION_CREATE_LINK,
                      KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return Fail("cannot create link key " + from), 1;
  std::string target = "\\Registry\\Machine\\" + to;
  std::wstring wide(target.begin(), target.end());
  LONG rc = RegSetValueExW(key, L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(wide.c_str()),
                           static_cast<DWORD>(wide.size() * sizeof(wchar_t)));
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS) return Fail("cannot point " + from + " at " + to), 1;
  std::printf("linked %s -> %s\n", from.c_str(), to.c_str());
  return 0;
}

int Rename(const std::string& from, const std::string& to) {
  if (MoveFileA(from.c_str(), to.c_str())) {
    std::printf("renamed\n");
    return 0;
  }
  std::printf("refused %lu\n", GetLastError());
  return 0;
}

// What the uninstaller's hand-over would start if it took whatever file is at its path.
int RecordStart() {
  HANDLE f = CreateFileA("C:\\started.txt", FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return 1;
  std::string line = std::string(GetCommandLineA()) + "\r\n";
  DWORD written = 0;
  ::WriteFile(f, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(f);
  return 0;
}

int Running() {
  using QueryImageFn = BOOL(WINAPI*)(HANDLE, DWORD, LPSTR, PDWORD);   // Vista and later
  auto query = reinterpret_cast<QueryImageFn>(
      reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "QueryFullProcessImageNameA")));
  if (!query) return Fail("no QueryFullProcessImageNameA"), 1;
  HANDLE all = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (all == INVALID_HANDLE_VALUE) return Fail("no process list"), 1;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(all, &entry); more; more = Process32Next(all, &entry)) {
    HANDLE p = OpenProcess(0x1000 /* PROCESS_QUERY_LIMITED_INFORMATION */, FALSE, entry.th32ProcessID);
    char image[MAX_PATH * 2] = {};
    DWORD size = sizeof image;
    if (p && query(p, 0, image, &size)) std::printf("%s\n", image);
    if (p) CloseHandle(p);
  }
  CloseHandle(all);
  return 0;
}

int Release() {
  HANDLE e = OpenEventA(EVENT_MODIFY_STATE, FALSE, kReleaseEvent);
  if (!e) return 0;
  SetEvent(e);
  CloseHandle(e);
  return 0;
}

// ---- the fault walk's resets ----

void RemoveTree(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    DeleteFileA(path.c_str());
    return;
  }
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((path + "\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::string name = data.cFileName;
      if (name != "." && name != "..") RemoveTree(path + "\\" + name);
    } while (FindNextFileA(find, &data));
    FindClose(find);
  }
  RemoveDirectoryA(path.c_str());
}

std::string TempFolder() {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  return temp;
}

// The uninstaller's own copies: a folder or file TVU<8 hex digits> in the temporary folder.
bool IsCopyPath(const std::string& path) {
  std::string upper = path;
  for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  size_t at = upper.find("\\TVU");
  return at != std::string::npos && upper.size() >= at + 12 &&
         upper.find_first_not_of("0123456789ABCDEF", at + 4) >= at + 12;
}

// Each process whose program is a copy of the uninstaller (and with `end`, the uninstaller itself):
// ended, or (`print`) named; answers how many there were.
int Uninstallers(bool end, bool print) {
  using QueryImageFn = BOOL(WINAPI*)(HANDLE, DWORD, LPSTR, PDWORD);
  auto query = reinterpret_cast<QueryImageFn>(
      reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "QueryFullProcessImageNameA")));
  HANDLE all = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (!query || all == INVALID_HANDLE_VALUE) return 0;
  int found = 0;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(all, &entry); more; more = Process32Next(all, &entry)) {
    HANDLE p = OpenProcess(0x1000 | PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID);
    char image[MAX_PATH * 2] = {};
    DWORD size = sizeof image;
    if (p && query(p, 0, image, &size)) {
      std::string path = image;
      bool uninstaller = path.size() >= 14 && lstrcmpiA(path.c_str() + path.size() - 14, "\\Uninstall.EXE") == 0;
      if (IsCopyPath(path) || (end && uninstaller)) {
        ++found;
        if (print) std::printf("copy-running %s\n", image);
        if (end) {
          TerminateProcess(p, 99);
          WaitForSingleObject(p, 5000);
        }
      }
    }
    if (p) CloseHandle(p);
  }
  CloseHandle(all);
  return found;
}

int Reset(const Options& o) {
  Uninstallers(true, false);
  HKEY session = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionKey, 0, KEY_ALL_ACCESS, &session) == ERROR_SUCCESS) {
    RegDeleteValueA(session, "PendingFileRenameOperations");
    RegCloseKey(session);
  }
  DeleteFileA((WindowsFolder() + "\\WININIT.INI").c_str());
  const std::string temp = TempFolder();
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((temp + "TVU*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    std::vector<std::string> copies;
    do copies.push_back(temp + data.cFileName); while (FindNextFileA(find, &data));
    FindClose(find);
    for (const auto& c : copies) RemoveTree(c);
  }
  Layout l(o.nt, o.folder);
  RemoveTree(l.install);
  RemoveTree(l.ProgramsFolder());
  DeleteFileA((l.desktop + "\\Tarvolink.LNK").c_str());
  DeleteFileA((l.systemDir + "\\QORVDISK.VXD").c_str());
  for (const std::string& key : {std::string(kUninstallKey) + "\\" + kProduct, std::string("Software\\QORV\\") + kProduct,
                                 std::string("Software\\QORV\\QORVDISK")})
    SHDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str());
  SHDeleteValueA(HKEY_LOCAL_MACHINE, kRunKey, kProduct);
  return Install(o);
}

int State(const Options& o) {
  for (int i = 0; i < 200 && Uninstallers(false, false) > 0; ++i) Sleep(100);
  Uninstallers(false, true);
  withPaths = true;
  Check(o);
  std::fflush(stdout);
  std::printf("pending-start\n");
  Pending();
  std::printf("pending-end\n");
  HKEY key = nullptr;
  char command[1024] = {};
  DWORD size = sizeof command - 1;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, (std::string(kUninstallKey) + "\\" + kProduct).c_str(), 0, KEY_READ, &key) ==
          ERROR_SUCCESS &&
      RegQueryValueExA(key, "UninstallString", nullptr, nullptr, reinterpret_cast<BYTE*>(command), &size) ==
          ERROR_SUCCESS)
    std::printf("entry %s\n", command);
  else
    std::printf("entry none\n");
  if (key) RegCloseKey(key);
  return 0;
}

bool ParseOptions(int argc, char** argv, int first, Options& o) {
  for (int i = first; i < argc; ++i) {
    std::string a = argv[i];
    auto next = [&](std::string& into) {
      if (i + 1 >= argc) return false;
      into = argv[++i];
      return true;
    };
    std::string family;
    if (a == "--family" && next(family)) {
      o.nt = family != "9x";
    } else if (a == "--folder" && next(o.folder)) {
    } else if (a == "--uninstaller" && next(o.uninstaller)) {
    } else if (a == "--catalogs" && next(o.catalogs)) {
    } else if (a == "--uninstall-string" && next(o.uninstallString)) {
    } else if (a == "--used" && next(o.used)) {
    } else if (a == "--winver" && next(o.winver)) {
    } else if (a == "--user-file") {
      o.userFile = true;
    } else if (a == "--paths") {
      withPaths = true;
    } else {
      std::printf("error unknown option %s\n", a.c_str());
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  _setmode(_fileno(stdout), _O_BINARY);   // LF line ends for the scripts that read us
  if (argc < 2) {
    std::printf("usage: tarvo_fixture install|check|pending|standin|hold|release|exists ...\n");
    return 2;
  }
  std::string cmd = argv[1];
  if (cmd[0] == '/') return RecordStart();
  Options o;
  if (cmd == "install" || cmd == "check" || cmd == "reset" || cmd == "state") {
    if (!ParseOptions(argc, argv, 2, o)) return 2;
    CoInitialize(nullptr);
    int rc = cmd == "install" ? Install(o) : cmd == "reset" ? Reset(o) : cmd == "state" ? State(o) : Check(o);
    CoUninitialize();
    return rc;
  }
  if (cmd == "pending") return Pending();
  if (cmd == "standin" && argc == 3) return Standin(argv[2]);
  if (cmd == "hold" && (argc == 3 || argc == 4)) return Hold(argv[2], argc == 4 ? argv[3] : "");
  if (cmd == "rename" && argc == 4) return Rename(WindowsPath(argv[2]), WindowsPath(argv[3]));
  if (cmd == "release") return Release();
  if (cmd == "running") return Running();
  if (cmd == "link-key" && argc == 4) return LinkKey(argv[2], argv[3]);
  if (cmd == "exists") {
    for (int i = 2; i < argc; ++i) std::printf("%s %s\n", Exists(WindowsPath(argv[i])) ? "present" : "absent", argv[i]);
    return 0;
  }
  if (cmd == "attributes" && (argc == 3 || argc == 4)) {
    std::string path = WindowsPath(argv[2]);
    if (argc == 4 && !SetFileAttributesA(path.c_str(), std::strtoul(argv[3], nullptr, 16))) return Fail("cannot set " + path), 1;
    std::printf("%lx\n", static_cast<unsigned long>(GetFileAttributesA(path.c_str())));
    return 0;
  }
  std::printf("error unknown command %s\n", cmd.c_str());
  return 2;
}
