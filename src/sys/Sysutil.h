// The running Windows reduced to one version code.
#pragma once
#include <cstdint>
#include <string>

// The version code: a 32-bit signed integer with these values.
enum class TWindowsVersion : int32_t {
  wvUnknown = -1,
  wvWinNT4 = 0,
  wvWin95 = 1,
  wvWin98 = 2,
  wvWin2000 = 3,
  wvWinXP = 4,
  wvWinMe = 5,
};

// No default: a version added without its family is a compiler warning. A value outside the
// list belongs to neither.
constexpr bool IsNtFamily(TWindowsVersion version) {
  switch (version) {
    case TWindowsVersion::wvWinNT4: case TWindowsVersion::wvWin2000: case TWindowsVersion::wvWinXP: return true;
    case TWindowsVersion::wvUnknown: case TWindowsVersion::wvWin95: case TWindowsVersion::wvWin98:
    case TWindowsVersion::wvWinMe: break;
  }
  return false;
}
constexpr bool Is9xFamily(TWindowsVersion version) {
  switch (version) {
    case TWindowsVersion::wvWin95: case TWindowsVersion::wvWin98: case TWindowsVersion::wvWinMe: return true;
    case TWindowsVersion::wvUnknown: case TWindowsVersion::wvWinNT4: case TWindowsVersion::wvWin2000:
    case TWindowsVersion::wvWinXP: break;
  }
  return false;
}

TWindowsVersion ClassifyVersion(uint32_t platformId, uint32_t major, uint32_t minor);
TWindowsVersion ClassifyWindowsVersion();   // asks the system each time
TWindowsVersion GetWindowsVersion();        // process-wide, asked again while unknown

// GetWindowsVersion over a given cache and classifier: fills the cache while it holds wvUnknown.
TWindowsVersion ResolveWindowsVersion(TWindowsVersion& cache, TWindowsVersion (*classify)());

// What the machine itself is, whatever version it reports to this program. Windows NT running the
// program in a compatibility mode for 95, 98 or Me reports theirs, yet its links, restart schedule,
// access rights and sharing are NT's: those mechanics follow this, the folders and the shared driver
// the reported version. ntdll's RtlGetVersion (2000 and later, as old as the modes) is not changed
// by a mode; without it the reported version is the real one. Only the 9x platform counts as 9x.
bool IsNtMachineFrom(bool haveRealVersion, uint32_t realPlatformId, uint32_t reportedPlatformId);
bool IsNtMachine();   // process-wide

// Whether the machine's file systems have links (reparse points): NT from 2000 on, told by its real
// version, which only RtlGetVersion gives (a mode for NT 4 reports 4.0 on a system that has them).
// Without that call the system is NT 4 or older, or the 9x family: none has them.
bool HasReparsePointsFrom(bool haveRealVersion, uint32_t realPlatformId, uint32_t realMajor);
bool HasReparsePoints();   // process-wide

// The system's text for a Windows error in the language asked for (0: the system's choice),
// whole, line ends included; empty when it has none.
std::string SystemErrorText(uint32_t code, uint32_t language);
