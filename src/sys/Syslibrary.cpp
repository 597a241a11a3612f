#include "sys/Syslibrary.h"

#include <cstring>

HMODULE LoadSystemLibrary(const char* fileName) {
  HMODULE module = ::LoadLibraryExA(fileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module || ::GetLastError() != ERROR_INVALID_PARAMETER) return module;
  // Systems before the search flags existed reject it: name the file by its full path instead.
  char path[MAX_PATH + 1] = {};
  UINT n = ::GetSystemDirectoryA(path, MAX_PATH);
  size_t nameLen = std::strlen(fileName);
  if (n == 0 || n >= MAX_PATH || n + 1 + nameLen > MAX_PATH) return nullptr;
  if (path[n - 1] != '\\') path[n++] = '\\';
  std::memcpy(path + n, fileName, nameLen + 1);
  return ::LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
