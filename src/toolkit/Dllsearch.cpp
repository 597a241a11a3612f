#include "toolkit/Dllsearch.h"

#include <windows.h>

#include "sys/Syslibrary.h"

namespace {
using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
using SetDllDirectoryFn = BOOL(WINAPI*)(LPCSTR);
}

bool RestrictDllSearchToSystem() {
  // kernel32 is mapped in every process: asking it loads nothing.
  HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
  auto setDefault = GetSystemProc<SetDefaultDllDirectoriesFn>(kernel, "SetDefaultDllDirectories");
  if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return true;
  auto setDir = GetSystemProc<SetDllDirectoryFn>(kernel, "SetDllDirectoryA");
  if (setDir) setDir("");
  return false;
}
