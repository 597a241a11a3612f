// The running Windows reduced to one version code.
#pragma once
#include <cstdint>

constexpr int32_t wvUnknown = -1;
constexpr int32_t wvWinNT4 = 0;
constexpr int32_t wvWin95 = 1;
constexpr int32_t wvWin98 = 2;
constexpr int32_t wvWin2000 = 3;
constexpr int32_t wvWinXP = 4;
constexpr int32_t wvWinMe = 5;

constexpr bool IsNtFamily(int32_t version) {
  return version == wvWinNT4 || version == wvWin2000 || version == wvWinXP;
}
constexpr bool Is9xFamily(int32_t version) {
  return version == wvWin95 || version == wvWin98 || version == wvWinMe;
}

int32_t ClassifyVersion(uint32_t platformId, uint32_t major, uint32_t minor);
int32_t ClassifyWindowsVersion();   // asks the system each time
int32_t GetWindowsVersion();        // process-wide, asked again while unknown

// GetWindowsVersion over a given cache and classifier: fills the cache while it holds wvUnknown.
int32_t ResolveWindowsVersion(int32_t& cache, int32_t (*classify)());
