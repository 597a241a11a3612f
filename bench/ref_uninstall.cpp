// The uninstall reference: the same window size, the same click, the same removals in the same
// order and the same completion box as the uninstaller, but each removal a single bare call with
// no item list, no retry and no progress display.
//
//   ref_uninstall [--retry] [--pump | --queue] [--safe]
//     --retry  a failed file deletion is tried 5 times, 1 ms apart, as the uninstaller does
//     --safe   the floor of a safe removal: each file and folder opened by its name without
//              following a link at its end, asked where it lies, deleted through that handle if
//              it lies where its name says, closed (four native calls, nothing kept between)
//     --pump   before and after each removal the status line and the gauge are redrawn the way
//              the uninstaller's form draws (the whole 24-bit picture into a memory bitmap, the
//              changed part to the screen) and the queue is drained, as its progress reports do
//     --queue  the floor that the uninstaller's design allows: one look at the queue (a
//              PeekMessage loop that drains it) at each of its progress reports, where it makes
//              them (before every step and inside the action: two per removal attempt, one for
//              the product's close), and nothing painted
// The switches price the uninstaller's extra work one at a time. With BENCH_REPORTS set to a file
// name, the number of reports made is written there.
#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "bench_window.h"
#include "product_layout.h"

namespace {

using layout::kClientHeight;
using layout::kClientWidth;

bool gRetry = false;
bool gPump = false;
bool gQueue = false;
bool gSafe = false;
HWND gWindow = nullptr;
HBITMAP gPicture = nullptr;
std::string gLine;
int gReports = 0;
const RECT kProgressArea = {24, 112, 369, 153};   // the status line and the gauge below it

// A 24-bit picture of the client's size, like the uninstaller's background.
HBITMAP MakePicture() {
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = kClientWidth;
  bi.bmiHeader.biHeight = kClientHeight;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP picture = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (picture && bits) {
    BYTE* p = static_cast<BYTE*>(bits);
    const int stride = (kClientWidth * 3 + 3) & ~3;
    for (int y = 0; y < kClientHeight; ++y)
      for (int x = 0; x < kClientWidth * 3; ++x) p[y * stride + x] = static_cast<BYTE>(x ^ y);
  }
  return picture;
}

void Paint(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  if (gPump && gPicture && dc) {
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP frame = CreateCompatibleBitmap(dc, kClientWidth, kClientHeight);
    HGDIOBJ old = SelectObject(mem, frame);
    HDC pic = CreateCompatibleDC(dc);
    HGDIOBJ oldPic = SelectObject(pic, gPicture);
    BitBlt(mem, 0, 0, kClientWidth, kClientHeight, pic, 0, 0, SRCCOPY);
    SelectObject(pic, oldPic);
    DeleteDC(pic);
    RECT text = {24, 112, 369, 128};
    SetBkMode(mem, TRANSPARENT);
    DrawTextA(mem, gLine.c_str(), -1, &text, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
    RECT gauge = {24, 136, 369, 153};
    FillRect(mem, &gauge, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    RECT fill = {25, 137, 25 + (gReports % 343), 152};
    FillRect(mem, &fill, GetSysColorBrush(COLOR_HIGHLIGHT));
    FrameRect(mem, &gauge, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
           ps.rcPaint.bottom - ps.rcPaint.top, mem, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
    SelectObject(mem, old);
    DeleteObject(frame);
    DeleteDC(mem);
  }
  EndPaint(window, &ps);
}

void DrainQueue() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// One progress report of the uninstaller: the look at the queue and nothing else.
void Look() {
  if (!gQueue) return;
  ++gReports;
  DrainQueue();
}

void Report(const std::string& line) {
  if (!gPump) return;
  gLine = line;
  ++gReports;
  InvalidateRect(gWindow, &kProgressArea, FALSE);
  UpdateWindow(gWindow);
  DrainQueue();
}

std::string ShellFolder(int id) {
  char path[MAX_PATH] = {};
  if (SHGetFolderPathA(nullptr, id | CSIDL_FLAG_CREATE, nullptr, 0, path) != S_OK) return "";
  return path;
}

std::string ReadInstallDir() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, layout::kUninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
    return "";
  char value[MAX_PATH] = {};
  DWORD size = sizeof value - 1;
  RegQueryValueExA(key, "UninstallString", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
  RegCloseKey(key);
  std::string dir = value;
  const size_t slash = dir.find_last_of('\\');
  return slash == std::string::npos ? "" : dir.substr(0, slash);
}

// The native calls of the safe removal and their records.
struct NtName {
  USHORT Length, MaximumLength;
  WCHAR* Buffer;
};
struct NtAttributes {
  ULONG Length;
  HANDLE RootDirectory;
  NtName* ObjectName;
  ULONG Attributes;
  void* SecurityDescriptor;
  void* SecurityQualityOfService;
};
struct NtIo {
  LONG Status;
  ULONG_PTR Information;
};
using NtOpenFileFn = LONG(WINAPI*)(HANDLE*, ACCESS_MASK, NtAttributes*, NtIo*, ULONG, ULONG);
using NtInformationFn = LONG(WINAPI*)(HANDLE, NtIo*, void*, ULONG, int);
using NtCloseFn = LONG(WINAPI*)(HANDLE);
NtOpenFileFn gOpen;
NtInformationFn gQuery, gSet;
NtCloseFn gClose;

void LookUpNative() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  gOpen = reinterpret_cast<NtOpenFileFn>(reinterpret_cast<void (*)()>(GetProcAddress(ntdll, "NtOpenFile")));
  gQuery = reinterpret_cast<NtInformationFn>(reinterpret_cast<void (*)()>(GetProcAddress(ntdll, "NtQueryInformationFile")));
  gSet = reinterpret_cast<NtInformationFn>(reinterpret_cast<void (*)()>(GetProcAddress(ntdll, "NtSetInformationFile")));
  gClose = reinterpret_cast<NtCloseFn>(reinterpret_cast<void (*)()>(GetProcAddress(ntdll, "NtClose")));
}

// True when it went; otherwise GetLastError says ERROR_FILE_NOT_FOUND for nothing there.
bool RemoveSafely(const std::string& path, bool folder) {
  WCHAR wide[2 * MAX_PATH + 8] = L"\\??\\";
  int n = MultiByteToWideChar(CP_ACP, 0, path.c_str(), static_cast<int>(path.size()), wide + 4, 2 * MAX_PATH);
  NtName name = {static_cast<USHORT>((n + 4) * sizeof(WCHAR)), static_cast<USHORT>((n + 4) * sizeof(WCHAR)), wide};
  NtAttributes attributes = {sizeof attributes, nullptr, &name, 0x40 /* case-insensitive */, nullptr, nullptr};
  NtIo io = {};
  HANDLE handle = nullptr;
  const ULONG options = 0x00200000 /* open a link as itself */ | 0x20 /* synchronous */ | (folder ? 0x1 : 0x40);
  LONG status = gOpen(&handle, DELETE | SYNCHRONIZE | FILE_READ_ATTRIBUTES, &attributes, &io, 7, options);
  if (status != 0) {
    SetLastError(status == static_cast<LONG>(0xC0000034) ? ERROR_FILE_NOT_FOUND : ERROR_ACCESS_DENIED);
    return false;
  }
  ULONG where[2 * MAX_PATH] = {};   // FILE_NAME_INFORMATION: the name from the volume's root
  bool there = gQuery(handle, &io, where, sizeof where, 9) == 0 && where[0] == (n - 2) * sizeof(WCHAR);
  const WCHAR* got = reinterpret_cast<WCHAR*>(where + 1);
  auto fold = [](WCHAR c) { return c >= L'a' && c <= L'z' ? static_cast<WCHAR>(c - 32) : c; };
  for (int i = 0; there && i < n - 2; ++i) there = fold(got[i]) == fold(wide[6 + i]);
  BOOLEAN deleteIt = TRUE;
  bool gone = there && gSet(handle, &io, &deleteIt, sizeof deleteIt, 13) == 0;
  gClose(handle);
  if (!gone) SetLastError(ERROR_ACCESS_DENIED);
  return gone;
}

bool Remove(const std::string& path) { return gSafe ? RemoveSafely(path, false) : DeleteFileA(path.c_str()) != FALSE; }

// Each path once, as the uninstaller plans each item once.
std::vector<std::string> gDone;

void DeletePath(const std::string& path) {
  for (const std::string& done : gDone)
    if (done == path) return;
  gDone.push_back(path);
  Report("Delete " + path);
  Look();
  Look();
  for (int attempt = 1; !Remove(path); ++attempt) {
    if (!gRetry || attempt >= 5 || GetLastError() == ERROR_FILE_NOT_FOUND) break;
    Sleep(1);
    Report("Delete " + path);
    Look();
    Look();
  }
  Report("Delete " + path);
}

void DeleteInfoFile(const std::string& dir, const std::string& name) {
  const std::string path = dir + "\\" + name;
  if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return;
  const char* const keys[][2] = {{"LOGO", "About"}, {"LOGO", "Loading"}, {"LOGO", "Main"},
                                 {"Help", "CHM"}};
  for (const auto& key : keys) {
    char value[MAX_PATH] = {};
    GetPrivateProfileStringA(key[0], key[1], "", value, sizeof value, path.c_str());
    if (value[0]) DeletePath(std::strpbrk(value, "\\:") ? value : dir + "\\" + value);
  }
  DeletePath(path);
}

void RemoveFolder(const std::string& path) {
  Report("Remove Folder " + path);
  Look();
  Look();
  if (gSafe) RemoveSafely(path, true);
  else RemoveDirectoryA(path.c_str());
}

void DeleteKeyTree(HKEY parent, const char* name) {
  HKEY key;
  if (RegOpenKeyExA(parent, name, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
    char sub[256];
    DWORD size = sizeof sub;
    while (RegEnumKeyExA(key, 0, sub, &size, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
      DeleteKeyTree(key, sub);
      size = sizeof sub;
    }
    RegCloseKey(key);
  }
  RegDeleteKeyA(parent, name);
}

void Uninstall() {
  const std::string dir = ReadInstallDir();
  const std::string desktop = ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY);
  const std::string programs = ShellFolder(CSIDL_COMMON_PROGRAMS) + "\\" + layout::kProduct;

  Look();
  FindWindowA("TApplication", "Tarvo Link");
  Look();
  Look();
  HKEY run;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, layout::kRunKey, 0, KEY_ALL_ACCESS, &run) == ERROR_SUCCESS) {
    RegDeleteValueA(run, layout::kProduct);
    RegCloseKey(run);
  }
  DeletePath(desktop + "\\" + layout::kProduct + ".LNK");
  DeletePath(programs + "\\Tarvolink.LNK");
  DeletePath(programs + "\\Uninstall.LNK");
  for (const char* name : layout::kPlainFiles) DeletePath(dir + "\\" + name);
  DeletePath(programs + "\\Port Speed Probe.LNK");
  DeleteInfoFile(dir, "Info.ini");
  for (const char* code : layout::kLanguages) {
    DeletePath(dir + "\\SetupMsg." + code);
    DeletePath(dir + "\\Ex" + code + ".FRC");
    DeleteInfoFile(dir, std::string("Info") + code + ".Ini");
  }
  RemoveFolder(programs);
  RemoveFolder(dir);
  for (const char* name : layout::kLibraries) DeletePath(dir + "\\" + name);
  DeleteKeyTree(HKEY_LOCAL_MACHINE, layout::kMakerKey);
  DeleteKeyTree(HKEY_LOCAL_MACHINE, layout::kUninstallKey);
}

void WriteReportCount() {
  char name[MAX_PATH] = {};
  DWORD n = GetEnvironmentVariableA("BENCH_REPORTS", name, sizeof name);
  if (n == 0 || n >= sizeof name) return;
  HANDLE file = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  char text[32];
  DWORD written = 0;
  WriteFile(file, text, wsprintfA(text, "reports=%d\n", gReports), &written, nullptr);
  CloseHandle(file);
}

LRESULT CALLBACK RefWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_LBUTTONUP:
      Uninstall();
      WriteReportCount();
      MessageBoxA(window, "Uninstall Compelete !", "Tarvolink Uninstall", MB_OK | MB_ICONINFORMATION);
      DestroyWindow(window);
      return 0;
    case WM_PAINT:
      Paint(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show) {
  gRetry = std::strstr(commandLine, "--retry") != nullptr;
  gPump = std::strstr(commandLine, "--pump") != nullptr;
  gQueue = std::strstr(commandLine, "--queue") != nullptr;
  gSafe = std::strstr(commandLine, "--safe") != nullptr;
  if (gSafe) LookUpNative();

  if (gPump) gPicture = MakePicture();   // before the first paint, which draws it
  gWindow = OpenFixedWindow(instance, "BenchRefUninstall", RefWndProc, "Uninstall Tarvolink",
                            false, show);
  if (!gWindow) return 1;
  RunMessageLoop();
  if (gPicture) DeleteObject(gPicture);
  return 0;
}
