// Move-only owner of one platform handle. The traits say what "no handle" is and how to let go:
// INVALID_HANDLE_VALUE for files, NULL for most others.
#pragma once
#include <windows.h>

template <typename Traits>
class UniqueHandle {
public:
  using Type = typename Traits::Type;
  UniqueHandle() noexcept : value_(Traits::Invalid()) {}
  explicit UniqueHandle(Type value) noexcept : value_(value) {}
  UniqueHandle(UniqueHandle&& other) noexcept : value_(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { Reset(); }

  Type Get() const noexcept { return value_; }
  bool Valid() const noexcept { return value_ != Traits::Invalid(); }
  explicit operator bool() const noexcept { return Valid(); }
  Type Release() noexcept {
    Type v = value_;
    value_ = Traits::Invalid();
    return v;
  }
  void Reset(Type value = Traits::Invalid()) noexcept {
    if (Valid()) Traits::Close(value_);
    value_ = value;
  }
  // For out-parameters of the platform calls: frees what is held and hands out the slot.
  Type* Put() noexcept {
    Reset();
    return &value_;
  }

private:
  Type value_;
};

struct FileHandleTraits {
  using Type = HANDLE;
  static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(Type h) noexcept { ::CloseHandle(h); }
};
struct KernelHandleTraits {
  using Type = HANDLE;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::CloseHandle(h); }
};
struct RegKeyTraits {
  using Type = HKEY;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::RegCloseKey(h); }
};
struct GdiObjectTraits {
  using Type = HGDIOBJ;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::DeleteObject(h); }
};
struct ModuleTraits {
  using Type = HMODULE;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::FreeLibrary(h); }
};
struct FindTraits {
  using Type = HANDLE;
  static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(Type h) noexcept { ::FindClose(h); }
};
// Text that the system allocated for the caller (FORMAT_MESSAGE_ALLOCATE_BUFFER).
struct LocalTextTraits {
  using Type = char*;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type p) noexcept { ::LocalFree(p); }
};
struct MemDcTraits {
  using Type = HDC;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::DeleteDC(h); }
};

using UniqueFile = UniqueHandle<FileHandleTraits>;
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
using UniqueHKey = UniqueHandle<RegKeyTraits>;
using UniqueGdiObject = UniqueHandle<GdiObjectTraits>;
using UniqueModule = UniqueHandle<ModuleTraits>;
using UniqueMemDc = UniqueHandle<MemDcTraits>;
using UniqueFind = UniqueHandle<FindTraits>;
using UniqueLocalText = UniqueHandle<LocalTextTraits>;

// A DC obtained with GetDC, released to the window it came from.
class WindowDc {
public:
  explicit WindowDc(HWND wnd) noexcept : wnd_(wnd), dc_(::GetDC(wnd)) {}
  ~WindowDc() { if (dc_) ::ReleaseDC(wnd_, dc_); }
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
