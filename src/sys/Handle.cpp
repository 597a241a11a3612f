#include "sys/Handle.h"

namespace {
template <typename Close>
void KeepingLastError(Close close) noexcept {
  const DWORD error = ::GetLastError();
  close();
  ::SetLastError(error);
}
}  // namespace

void CloseKernelHandle(HANDLE h) noexcept { KeepingLastError([h] { ::CloseHandle(h); }); }
void CloseRegKey(HKEY key) noexcept { KeepingLastError([key] { ::RegCloseKey(key); }); }
void DeleteGdiObject(HGDIOBJ object) noexcept { KeepingLastError([object] { ::DeleteObject(object); }); }
void ReleaseModule(HMODULE module) noexcept { KeepingLastError([module] { ::FreeLibrary(module); }); }
void CloseFind(HANDLE find) noexcept { KeepingLastError([find] { ::FindClose(find); }); }
void FreeLocalText(char* text) noexcept { KeepingLastError([text] { ::LocalFree(text); }); }
void DeleteMemDc(HDC dc) noexcept { KeepingLastError([dc] { ::DeleteDC(dc); }); }
void ReleaseWindowDc(HWND wnd, HDC dc) noexcept { KeepingLastError([wnd, dc] { ::ReleaseDC(wnd, dc); }); }
