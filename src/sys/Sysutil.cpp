#include "sys/Sysutil.h"

#include <windows.h>

#include "sys/Handle.h"
#include "sys/Syslibrary.h"

TWindowsVersion ClassifyVersion(uint32_t platformId, uint32_t major, uint32_t minor) {
  if (platformId == VER_PLATFORM_WIN32_WINDOWS) {
    if (major != 4) return TWindowsVersion::wvUnknown;
    if (minor == 0) return TWindowsVersion::wvWin95;
    if (minor == 10) return TWindowsVersion::wvWin98;
    return TWindowsVersion::wvWinMe;
  }
  if (platformId == VER_PLATFORM_WIN32_NT) {
    if (major <= 4) return TWindowsVersion::wvWinNT4;
    if (major == 5 && minor == 0) return TWindowsVersion::wvWin2000;
    return TWindowsVersion::wvWinXP;
  }
  return TWindowsVersion::wvUnknown;
}

TWindowsVersion ClassifyWindowsVersion() {
  static_assert(sizeof(OSVERSIONINFOA) == 148, "the classic version record");
  OSVERSIONINFOA info;
  ZeroMemory(&info, sizeof info);
  info.dwOSVersionInfoSize = sizeof info;
  // A failure leaves the record zero, and platform 0 classifies as unknown.
  ::GetVersionExA(&info);
  return ClassifyVersion(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion);
}

TWindowsVersion ResolveWindowsVersion(TWindowsVersion& cache, TWindowsVersion (*classify)()) {
  if (cache == TWindowsVersion::wvUnknown) cache = classify();
  return cache;
}

TWindowsVersion GetWindowsVersion() {
  static TWindowsVersion version = TWindowsVersion::wvUnknown;
  return ResolveWindowsVersion(version, &ClassifyWindowsVersion);
}

bool IsNtMachineFrom(bool haveRealVersion, uint32_t realPlatformId, uint32_t reportedPlatformId) {
  return (haveRealVersion ? realPlatformId : reportedPlatformId) != VER_PLATFORM_WIN32_WINDOWS;
}

namespace {
struct RealVersionInfo {   // RTL_OSVERSIONINFOW
  ULONG Size, Major, Minor, Build, PlatformId;
  WCHAR ServicePack[128];
};
using RtlGetVersionFn = LONG(WINAPI*)(RealVersionInfo*);

// The version that no compatibility mode changes; Have is false without RtlGetVersion.
struct RealVersion {
  bool Have = false;
  RealVersionInfo Info;
};

RealVersion AskRealVersion() {
  RealVersion real;
  ZeroMemory(&real.Info, sizeof real.Info);
  real.Info.Size = sizeof real.Info;
  auto rtlGetVersion = GetSystemProc<RtlGetVersionFn>(::GetModuleHandleA("ntdll.dll"), "RtlGetVersion");
  real.Have = rtlGetVersion && rtlGetVersion(&real.Info) == 0;
  return real;
}

const RealVersion& MachineVersion() {
  static const RealVersion real = AskRealVersion();
  return real;
}

bool AskIsNtMachine() {
  OSVERSIONINFOA reported;
  ZeroMemory(&reported, sizeof reported);
  reported.dwOSVersionInfoSize = sizeof reported;
  ::GetVersionExA(&reported);
  const RealVersion& real = MachineVersion();
  return IsNtMachineFrom(real.Have, real.Info.PlatformId, reported.dwPlatformId);
}
}  // namespace

bool IsNtMachine() {
  static const bool nt = AskIsNtMachine();
  return nt;
}

bool HasReparsePointsFrom(bool haveRealVersion, uint32_t realPlatformId, uint32_t realMajor) {
  return haveRealVersion && realPlatformId == VER_PLATFORM_WIN32_NT && realMajor >= 5;
}

bool HasReparsePoints() {
  const RealVersion& real = MachineVersion();
  return HasReparsePointsFrom(real.Have, real.Info.PlatformId, real.Info.Major);
}

std::string SystemErrorText(uint32_t code, uint32_t language) {
  UniqueLocalText text;
  DWORD n = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, code, language, reinterpret_cast<char*>(text.Put()), 0, nullptr);
  return n && text ? std::string(text.Get(), n) : std::string();
}
