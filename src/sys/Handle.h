// The Windows resources' owners, one line a kind, and the DC and selection wrappers that
// remember where their handle came from.
#pragma once
#include <windows.h>

#include "sys/Uniquehandle.h"

// The owners' closes. Each leaves what GetLastError says as it was.
void CloseKernelHandle(HANDLE h) noexcept;
void CloseRegKey(HKEY key) noexcept;
void DeleteGdiObject(HGDIOBJ object) noexcept;
void ReleaseModule(HMODULE module) noexcept;
void CloseFind(HANDLE find) noexcept;
void FreeLocalText(char* text) noexcept;
void DeleteMemDc(HDC dc) noexcept;
void ReleaseWindowDc(HWND wnd, HDC dc) noexcept;

// Kernel objects whose empty value is INVALID_HANDLE_VALUE: files and finds.
template <auto CloseFn>
struct InvalidEmptyTraits {
  using Type = HANDLE;
  static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(Type h) noexcept { CloseFn(h); }
};

using UniqueFile = UniqueHandle<InvalidEmptyTraits<CloseKernelHandle>>;
using UniqueFind = UniqueHandle<InvalidEmptyTraits<CloseFind>>;
using UniqueKernelHandle = UniqueHandle<NullEmptyTraits<HANDLE, CloseKernelHandle>>;
using UniqueHKey = UniqueHandle<NullEmptyTraits<HKEY, CloseRegKey>>;
// GDI objects of one kind each, handed to the calls that take that kind as they are.
using UniqueFont = UniqueHandle<NullEmptyTraits<HFONT, DeleteGdiObject>>;
using UniqueBitmap = UniqueHandle<NullEmptyTraits<HBITMAP, DeleteGdiObject>>;
using UniqueBrush = UniqueHandle<NullEmptyTraits<HBRUSH, DeleteGdiObject>>;
using UniqueModule = UniqueHandle<NullEmptyTraits<HMODULE, ReleaseModule>>;
using UniqueMemDc = UniqueHandle<NullEmptyTraits<HDC, DeleteMemDc>>;
// Text that the system allocated for the caller (FORMAT_MESSAGE_ALLOCATE_BUFFER).
using UniqueLocalText = UniqueHandle<NullEmptyTraits<char*, FreeLocalText>>;

// A DC obtained with GetDC, released to the window it came from.
class WindowDc {
public:
  explicit WindowDc(HWND wnd) noexcept : wnd_(wnd), dc_(::GetDC(wnd)) {}
  ~WindowDc() { if (dc_) ReleaseWindowDc(wnd_, dc_); }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC Get() const noexcept { return dc_; }
private:
  HWND wnd_;
  HDC dc_;
};

// Selects an object into a DC for the life of the scope and puts the old one back.
class SelectedObject {
public:
  SelectedObject(HDC dc, HGDIOBJ obj) noexcept : dc_(dc), old_(::SelectObject(dc, obj)) {}
  ~SelectedObject() { if (old_) ::SelectObject(dc_, old_); }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;
private:
  HDC dc_;
  HGDIOBJ old_;
};
