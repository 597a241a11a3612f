#include "sys/Syslibrary.h"

#include <cstring>

HMODULE LoadSystemLibrary(const char* fileName) {
  // The search flags came with AddDllDirectory; a system without it may not reject an unknown
  // flag (the 9x family ignores it and searches as usual), so it gets the full path instead.
  HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
  if (kernel && SYS_ZERO("AddDllDirectory", GetProcAddress, (kernel, "AddDllDirectory"))) {
    HMODULE module = SYS_ZERO(fileName, LoadLibraryExA, (fileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    if (module || ::GetLastError() != ERROR_INVALID_PARAMETER) return module;
  }
  return LoadSystemLibraryByPath(fileName);
}

HMODULE LoadSystemLibraryByPath(const char* fileName) {
  char path[MAX_PATH + 1] = {};
  UINT n = SYS_ZERO("the system folder's DLLs", GetSystemDirectoryA, (path, MAX_PATH));
  size_t nameLen = std::strlen(fileName);
  if (n == 0 || n >= MAX_PATH || n + 1 + nameLen > MAX_PATH) return nullptr;
  if (path[n - 1] != '\\') path[n++] = '\\';
  std::memcpy(path + n, fileName, nameLen + 1);
  return SYS_ZERO(fileName, LoadLibraryExA, (path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}
