// Files, folders and helper processes for the Windows-side tests. Nothing here needs GoogleTest.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sys/Handle.h"

constexpr uint64_t kGiB = 1ull << 30;

// A name that no other test process running at the same time makes.
inline std::string Unique(const std::string& stem) {
  static int counter = 0;
  return stem + std::to_string(::GetCurrentProcessId()) + "_" + std::to_string(++counter);
}

// A Windows path for one that the build handed over as a host path.
inline std::string HostToWindowsPath(const std::string& path) {
  std::string out = path;
  if (!out.empty() && out[0] == '/') out = "Z:" + out;   // Wine maps the host's root to Z:
  for (char& c : out)
    if (c == '/') c = '\\';
  return out;
}

inline bool PathExists(const std::string& path) {
  return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline bool WriteBytes(const std::string& name, const std::string& bytes) {
  UniqueFile f(::CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  if (!f) return false;
  DWORD put = 0;
  return bytes.empty() ||
         (::WriteFile(f.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) &&
          put == bytes.size());
}

// The file's bytes; empty when it cannot be read.
inline std::string ReadBytes(const std::string& name) {
  std::string out;
  UniqueFile f(::CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  char buf[4096];
  DWORD n = 0;
  while (f && ::ReadFile(f.Get(), buf, sizeof buf, &n, nullptr) && n > 0) out.append(buf, n);
  return out;
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

// Deletes a folder with everything below it, whatever the attributes (best effort).
inline void RemoveTree(const std::string& path) {
  WIN32_FIND_DATAA d;
  UniqueFind find(::FindFirstFileA((path + "\\*").c_str(), &d));
  if (find) {
    do {
      std::string n = d.cFileName;
      if (n == "." || n == "..") continue;
      std::string full = path + "\\" + n;
      if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(full);
      } else {
        ::SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileA(full.c_str());
      }
    } while (::FindNextFileA(find.Get(), &d));
  }
  find.Reset();
  ::RemoveDirectoryA(path.c_str());
}

inline void MakeDirs(const std::string& path) {
  for (size_t i = 3; i <= path.size(); ++i)
    if (i == path.size() || path[i] == '\\') ::CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
}

// A fresh folder, removed with its content at the end of the scope: under C:\ (short, no blanks),
// or in the current folder (InCurrentFolder), where the names in it stay relative.
class TempDir {
public:
  struct Here {};
  static constexpr Here InCurrentFolder{};
  explicit TempDir(const std::string& stem = "tveng") : path_("C:\\" + Unique(stem)) { MakeDirs(path_); }
  explicit TempDir(Here) : path_(Unique("tveng")) { ::CreateDirectoryA(path_.c_str(), nullptr); }
  ~TempDir() { RemoveTree(path_); }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }
private:
  std::string path_;
};

// Full name of a helper exe in the tests' shared output folder, the parent of each test folder.
inline std::string HelperExe(const std::string& name) {
  char exe[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string s = exe;
  s = s.substr(0, s.find_last_of('\\'));
  s = s.substr(0, s.find_last_of('\\'));
  return s + "\\" + name;
}

// A second process; ended (if still running) at the end of the scope.
class Process {
public:
  explicit Process(const std::string& commandLine) {
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::vector<char> cmd(commandLine.begin(), commandLine.end());
    cmd.push_back('\0');
    if (::CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
      process_.Reset(pi.hProcess);
      ::CloseHandle(pi.hThread);
    }
  }
  ~Process() { End(); }
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  bool Started() const { return process_.Valid(); }
  bool Exited(DWORD waitMs = 0) const { return process_ && ::WaitForSingleObject(process_.Get(), waitMs) == WAIT_OBJECT_0; }
  void End() {
    if (process_ && !Exited()) {
      ::TerminateProcess(process_.Get(), 9);
      ::WaitForSingleObject(process_.Get(), 10000);
    }
  }
private:
  UniqueKernelHandle process_;
};

// The stand-in product (fake_product.exe beside the test folders) holding `file` open for reading
// without sharing, from Start until End or the end of the scope. A relative name is taken from
// this process's current folder.
class FileHolder {
public:
  bool Start(const std::string& file) {
    std::string ev = Unique("tvholdev");
    event_.Reset(::CreateEventA(nullptr, TRUE, FALSE, ev.c_str()));
    process_.reset(new Process("\"" + Exe() + "\" hold \"" + file + "\" " + ev));
    return process_->Started() && ::WaitForSingleObject(event_.Get(), 30000) == WAIT_OBJECT_0;
  }
  void End() { if (process_) process_->End(); }
  static std::string Exe() { return HelperExe("fake_product.exe"); }
private:
  UniqueKernelHandle event_;
  std::unique_ptr<Process> process_;
};
