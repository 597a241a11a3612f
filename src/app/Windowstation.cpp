#include "app/Windowstation.h"

#include <windows.h>
#include "sys/Syslibrary.h"
#include "sys/Sysutil.h"

bool IsStationVisibleFrom(bool ntMachine, bool haveFlags, uint32_t flags) {
  return !ntMachine || !haveFlags || (flags & WSF_VISIBLE) != 0;
}

bool IsWindowStationVisible() {
  using GetProcessWindowStationFn = HWINSTA(WINAPI*)();
  using GetUserObjectInformationFn = BOOL(WINAPI*)(HANDLE, int, void*, DWORD, DWORD*);
  const bool nt = IsNtMachine();
  HMODULE user32 = ::GetModuleHandleA("user32.dll");
  auto station = nt ? GetSystemProc<GetProcessWindowStationFn>(user32, "GetProcessWindowStation") : nullptr;
  auto information = nt ? GetSystemProc<GetUserObjectInformationFn>(user32, "GetUserObjectInformationA") : nullptr;
  USEROBJECTFLAGS flags = {};
  DWORD needed = 0;
  HWINSTA own = station ? station() : nullptr;
  const bool have = own && information && information(own, UOI_FLAGS, &flags, sizeof flags, &needed);
  return IsStationVisibleFrom(nt, have, flags.dwFlags);
}
