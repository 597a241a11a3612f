// The uninstall reference: the same window size, the same click, the same removals in the same
// order and the same completion box as the uninstaller, but each removal a single bare call with
// no item list, no retry and no progress display.
//
//   ref_uninstall [--retry] [--pump | --queue]
//     --retry  a failed file deletion is tried 5 times, 1 ms apart, as the uninstaller does
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

// Each path once, as the uninstaller plans each item once.
std::vector<std::string> gDone;

void DeletePath(const std::string& path) {
  for (const std::string& done : gDone)
    if (done == path) return;
  gDone.push_back(path);
  Report("Delete " + path);
  Look();
  Look();
  for (int attempt = 1; !DeleteFileA(path.c_str()); ++attempt) {
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
  RemoveDirectoryA(path.c_str());
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

  if (gPump) gPicture = MakePicture();   // before the first paint, which draws it
  gWindow = OpenFixedWindow(instance, "BenchRefUninstall", RefWndProc, "Uninstall Tarvolink",
                            false, show);
  if (!gWindow) return 1;
  RunMessageLoop();
  if (gPicture) DeleteObject(gPicture);
  return 0;
}
