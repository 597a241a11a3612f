// Paths given to the end-to-end tools: a Unix path (one that starts with a slash) is taken
// through Wine's drive Z:, and every slash becomes a backslash.
#pragma once

#include <string>

inline std::string WindowsPath(std::string path) {
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}
