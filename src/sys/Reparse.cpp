#include "sys/Reparse.h"

#include <windows.h>
#include "sys/Faultpoint.h"
#include "sys/Pathutil.h"

#ifndef FILE_ATTRIBUTE_REPARSE_POINT
#define FILE_ATTRIBUTE_REPARSE_POINT 0x00000400
#endif

namespace {

// Index just past the root: "C:\" or "\\server\share\"; 0 when the path has neither.
size_t RootLength(const std::string& path) {
  if (path.size() >= 3 && path[1] == ':' && path[2] == '\\') return 3;
  if (path.size() < 2 || path[0] != '\\' || path[1] != '\\') return 0;
  int separators = 0;
  for (size_t i = 2; i < path.size(); i += CharLengthAt(path, i)) {
    if (path[i] == '\\' && ++separators == 2) return i + 1;
  }
  return 0;
}

}  // namespace

bool IsReparsePoint(const std::string& path) {
  DWORD attributes = SYS_ONES("a link's test", GetFileAttributesA, (path.c_str()));
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool CrossesReparsePoint(const std::string& given, const std::string& trustedGiven, uint32_t* unreadable) {
  if (unreadable) *unreadable = 0;
  const std::string path = WithBackslashes(given), trusted = WithBackslashes(trustedGiven);
  size_t start = RootLength(path);
  std::string base = WithoutTrailingBackslashes(trusted, 0);
  if (!base.empty() && IsBelowFolder(path, base)) start = base.size() + 1;
  size_t last = LastPathSeparator(path);
  if (last == std::string::npos || last < start) return false;
  // Each folder from start on, up to the one that holds the last part.
  for (size_t i = start; i <= last; i += CharLengthAt(path, i)) {
    if (path[i] != '\\' || i == 0) continue;
    std::string folder = path.substr(0, i);
    DWORD attributes = SYS_ONES("a link's test", GetFileAttributesA, (folder.c_str()));
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      DWORD error = ::GetLastError();
      // A folder that is not there holds nothing to delete; one that cannot be read may be anything.
      if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return false;
      if (unreadable) *unreadable = error ? error : ERROR_CANT_ACCESS_FILE;
      return true;
    }
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return true;
  }
  return false;
}
