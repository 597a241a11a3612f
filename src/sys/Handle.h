// The Windows resources' owners: traits for UniqueHandle, and the DC and selection wrappers that
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

struct FileHandleTraits {
  using Type = HANDLE;
  static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(Type h) noexcept { CloseKernelHandle(h); }
};
struct KernelHandleTraits {
  using Type = HANDLE;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { CloseKernelHandle(h); }
};
struct RegKeyTraits {
  using Type = HKEY;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { CloseRegKey(h); }
};
// One kind of GDI object (HFONT, HBITMAP, HBRUSH), handed to the calls that take it as it is.
template <typename Kind>
struct GdiObjectTraits {
  using Type = Kind;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { DeleteGdiObject(h); }
};
struct ModuleTraits {
  using Type = HMODULE;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ReleaseModule(h); }
};
struct FindTraits {
  using Type = HANDLE;
  static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(Type h) noexcept { CloseFind(h); }
};
// Text that the system allocated for the caller (FORMAT_MESSAGE_ALLOCATE_BUFFER).
struct LocalTextTraits {
  using Type = char*;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type p) noexcept { FreeLocalText(p); }
};
struct MemDcTraits {
  using Type = HDC;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { DeleteMemDc(h); }
};

using UniqueFile = UniqueHandle<FileHandleTraits>;
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
using UniqueHKey = UniqueHandle<RegKeyTraits>;
using UniqueFont = UniqueHandle<GdiObjectTraits<HFONT>>;
using UniqueBitmap = UniqueHandle<GdiObjectTraits<HBITMAP>>;
using UniqueBrush = UniqueHandle<GdiObjectTraits<HBRUSH>>;
using UniqueModule = UniqueHandle<ModuleTraits>;
using UniqueMemDc = UniqueHandle<MemDcTraits>;
using UniqueFind = UniqueHandle<FindTraits>;
using UniqueLocalText = UniqueHandle<LocalTextTraits>;

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
