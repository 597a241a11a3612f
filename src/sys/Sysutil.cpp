#include "sys/Sysutil.h"

#include <windows.h>

int32_t ClassifyVersion(uint32_t platformId, uint32_t major, uint32_t minor) {
  if (platformId == VER_PLATFORM_WIN32_WINDOWS) {
    if (major != 4) return wvUnknown;
    if (minor == 0) return wvWin95;
    if (minor == 10) return wvWin98;
    return wvWinMe;
  }
  if (platformId == VER_PLATFORM_WIN32_NT) {
    if (major <= 4) return wvWinNT4;
    if (major == 5 && minor == 0) return wvWin2000;
    return wvWinXP;
  }
  return wvUnknown;
}

int32_t ClassifyWindowsVersion() {
  static_assert(sizeof(OSVERSIONINFOA) == 148, "the classic version record");
  OSVERSIONINFOA info;
  ZeroMemory(&info, sizeof info);
  info.dwOSVersionInfoSize = sizeof info;
  // A failure leaves the record zero, and platform 0 classifies as unknown.
  ::GetVersionExA(&info);
  return ClassifyVersion(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion);
}

int32_t ResolveWindowsVersion(int32_t& cache, int32_t (*classify)()) {
  if (cache == wvUnknown) cache = classify();
  return cache;
}

int32_t GetWindowsVersion() {
  static int32_t version = wvUnknown;
  return ResolveWindowsVersion(version, &ClassifyWindowsVersion);
}
