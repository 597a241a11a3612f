// System DLLs loaded by full system-folder path only, never through the search path, so that a
// planted copy beside the program or in the current folder is not picked up.
#pragma once
#include <windows.h>

#include "sys/Faultpoint.h"

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

HMODULE LoadSystemLibrary(const char* fileName);   // null when it cannot be loaded
// The same by the system folder's full path, for systems whose loader has no search flags (before
// Windows 7's update): there the program's own folder stays on the search path of a bare name.
HMODULE LoadSystemLibraryByPath(const char* fileName);

// The address of an export as a function pointer of the caller's type; null when missing.
template <typename Fn>
Fn GetSystemProc(HMODULE module, const char* name) {
  if (!module) return nullptr;
  FARPROC proc = SYS_ZERO_P(name, "GetProcAddress", ::GetProcAddress(module, name));
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc));
}
