#include "msg/Winstrutil.h"

#include <windows.h>

#include <memory>
#include <new>

#include "sys/Handle.h"
#include "sys/Syslibrary.h"
#include "sys/Sysutil.h"

namespace {

static_assert(sizeof(DWORD) == sizeof(unsigned long) && sizeof(UINT) == sizeof(unsigned int),
              "RasErrorStringFn matches RasGetErrorStringA");

constexpr uint32_t kFirstRasCode = 600;
constexpr uint32_t kLastRasCode = 798;
constexpr DWORD kRasTextSize = 512;

bool IsRasCode(uint32_t code) { return code >= kFirstRasCode && code <= kLastRasCode; }

// Loaded on first need and kept for the life of the process; a system without the remote-access
// service simply has no texts of its own.
RasErrorStringFn RasErrorFunction() {
  static UniqueModule module(LoadSystemLibrary("rasapi32.dll"));
  static RasErrorStringFn function =
      GetSystemProc<RasErrorStringFn>(module.Get(), "RasGetErrorStringA");
  return function;
}

}  // namespace

std::string GetRasErrorText(uint32_t code) {
  // The library is loaded only once a code of its range is asked for.
  if (!IsRasCode(code)) return std::string();
  return RasErrorTextFrom(RasErrorFunction(), code);
}

std::string GetSystemErrorText(int32_t code) {
  bool ras = IsRasCode(static_cast<uint32_t>(code));
  return SystemErrorTextFrom(ras ? RasErrorFunction() : nullptr, code);
}

std::string RasErrorTextFrom(RasErrorStringFn function, uint32_t code) {
  if (!IsRasCode(code) || !function) return std::string();
  std::unique_ptr<char[]> block(new (std::nothrow) char[kRasTextSize]());
  if (!block) return std::string();
  if (function(code, block.get(), kRasTextSize) != 0) return std::string();
  block[kRasTextSize - 1] = '\0';
  return std::string(block.get());
}

std::string SystemErrorTextFrom(RasErrorStringFn function, int32_t code) {
  // A negative code reads as a huge unsigned one and never reaches the remote-access service.
  std::string text = RasErrorTextFrom(function, static_cast<uint32_t>(code));
  if (!text.empty()) return text;
  // The text stays whole, trailing CR LF included.
  return SystemErrorText(static_cast<uint32_t>(code), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT));
}
