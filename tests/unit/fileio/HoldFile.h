// Another process that holds a file open without sharing, for as long as this object lives.
// The helper exe's path comes from the test's environment (TARVO_HOLD_FILE).
#pragma once
#include <windows.h>

#include <cstdlib>
#include <string>

#include "sys/Handle.h"

class FileHeldElsewhere {
public:
  explicit FileHeldElsewhere(const std::string& path) {
    std::string exe = HelperPath();
    if (exe.empty()) return;
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    HANDLE childIn = nullptr, childOut = nullptr;
    HANDLE ourIn = nullptr, ourOut = nullptr;
    if (!::CreatePipe(&childIn, &ourOut, &sa, 0)) return;
    toChild_.Reset(ourOut);
    UniqueKernelHandle childInOwner(childIn);
    if (!::CreatePipe(&ourIn, &childOut, &sa, 0)) return;
    fromChild_.Reset(ourIn);
    UniqueKernelHandle childOutOwner(childOut);
    ::SetHandleInformation(ourOut, HANDLE_FLAG_INHERIT, 0);
    ::SetHandleInformation(ourIn, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = childIn;
    si.hStdOutput = childOut;
    si.hStdError = childOut;
    PROCESS_INFORMATION pi = {};
    std::string cmd = "\"" + exe + "\" \"" + path + "\"";
    if (!::CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                          nullptr, &si, &pi)) {
      return;
    }
    process_.Reset(pi.hProcess);
    ::CloseHandle(pi.hThread);
    childInOwner.Reset();
    childOutOwner.Reset();   // so that a helper that dies ends our read
    std::string line;
    char c;
    DWORD got = 0;
    while (::ReadFile(fromChild_.Get(), &c, 1, &got, nullptr) && got == 1 && c != '\n') line += c;
    holding_ = line.compare(0, 4, "held") == 0;
    report_ = line;
  }

  ~FileHeldElsewhere() {
    toChild_.Reset();   // the helper ends when its stdin does
    if (process_ && ::WaitForSingleObject(process_.Get(), 60000) != WAIT_OBJECT_0) {
      ::TerminateProcess(process_.Get(), 1);
      ::WaitForSingleObject(process_.Get(), INFINITE);
    }
  }

  FileHeldElsewhere(const FileHeldElsewhere&) = delete;
  FileHeldElsewhere& operator=(const FileHeldElsewhere&) = delete;

  bool Holding() const { return holding_; }
  // What the helper said, or why it could not be asked.
  std::string Report() const { return report_.empty() ? "helper " + HelperPath() : report_; }

private:
  static std::string HelperPath() {
    const char* p = std::getenv("TARVO_HOLD_FILE");
    if (!p || !*p) return std::string();
    std::string s(p);
    if (s[0] == '/') s = "Z:" + s;   // CTest hands over the host path
    for (char& ch : s) {
      if (ch == '/') ch = '\\';
    }
    return s;
  }

  UniqueKernelHandle toChild_;
  UniqueKernelHandle fromChild_;
  UniqueKernelHandle process_;
  bool holding_ = false;
  std::string report_;
};
