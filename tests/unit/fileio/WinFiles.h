// Small file fixtures for the Windows-side tests. Everything made here goes again with the object.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "sys/Handle.h"

inline bool WriteBytes(const std::string& name, const std::string& bytes) {
  UniqueFile f(::CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  if (!f) return false;
  DWORD put = 0;
  return bytes.empty() ||
         (::WriteFile(f.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) &&
          put == bytes.size());
}

// A file of the given size that holds `head` at its start and `marker` at `markerAt`; the rest is
// never written, so the host keeps it sparse.
inline bool MakeSizedFile(const std::string& name, uint64_t size, const std::string& head,
                          uint64_t markerAt = 0, const std::string& marker = std::string()) {
  UniqueFile f(::CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  if (!f) return false;
  auto put = [&f](uint64_t at, const std::string& bytes) {
    LARGE_INTEGER pos;
    pos.QuadPart = static_cast<LONGLONG>(at);
    DWORD n = 0;
    return ::SetFilePointerEx(f.Get(), pos, nullptr, FILE_BEGIN) &&
           (bytes.empty() ||
            (::WriteFile(f.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr) &&
             n == bytes.size()));
  };
  if (!put(size, std::string()) || !::SetEndOfFile(f.Get())) return false;
  return put(0, head) && (marker.empty() || put(markerAt, marker));
}

inline bool IsFile(const std::string& name) {
  DWORD a = ::GetFileAttributesA(name.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

inline bool IsFolder(const std::string& name) {
  DWORD a = ::GetFileAttributesA(name.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// Removes what a test made, deepest first, whatever its attributes, when the test ends.
class Leftovers {
public:
  Leftovers() = default;
  ~Leftovers() {
    for (auto it = names_.rbegin(); it != names_.rend(); ++it) {
      ::SetFileAttributesA(it->c_str(), FILE_ATTRIBUTE_NORMAL);
      if (IsFolder(*it)) ::RemoveDirectoryA(it->c_str());
      else ::DeleteFileA(it->c_str());
    }
  }
  Leftovers(const Leftovers&) = delete;
  Leftovers& operator=(const Leftovers&) = delete;
  std::string operator()(const std::string& name) {
    names_.push_back(name);
    return name;
  }
private:
  std::vector<std::string> names_;
};
