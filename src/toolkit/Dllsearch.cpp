#include "toolkit/Dllsearch.h"

#include <windows.h>

namespace {
const DWORD kSearchSystem32 = 0x00000800;   // LOAD_LIBRARY_SEARCH_SYSTEM32
typedef BOOL(WINAPI* SetDefaultDllDirectoriesFn)(DWORD);
typedef BOOL(WINAPI* SetDllDirectoryFn)(LPCSTR);
}

bool RestrictDllSearchToSystem() {
  // kernel32 is mapped in every process: asking it loads nothing.
  HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
  if (!kernel) return false;
  auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
      reinterpret_cast<void*>(::GetProcAddress(kernel, "SetDefaultDllDirectories")));
  if (setDefault && setDefault(kSearchSystem32)) return true;
  auto setDir = reinterpret_cast<SetDllDirectoryFn>(
      reinterpret_cast<void*>(::GetProcAddress(kernel, "SetDllDirectoryA")));
  if (setDir) setDir("");
  return false;
}
