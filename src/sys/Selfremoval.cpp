#include "sys/Selfremoval.h"

#include <windows.h>
#include <initializer_list>
#include <vector>
#include "sys/Handle.h"
#include "sys/Pathutil.h"
#include "sys/Pendingremoval.h"
#include "sys/Privatefolder.h"
#include "sys/Syslibrary.h"
#include "sys/Sysutil.h"

#ifndef FILE_ATTRIBUTE_REPARSE_POINT
#define FILE_ATTRIBUTE_REPARSE_POINT 0x00000400
#endif
#ifndef CREATE_BREAKAWAY_FROM_JOB
#define CREATE_BREAKAWAY_FROM_JOB 0x01000000
#endif

namespace {

const char kSwitch[] = "/TVSELFREMOVE";
const int kFieldCount = 8;

bool OnNt() { return IsNtMachine(); }

// FILE_SHARE_DELETE is refused by the 9x family.
DWORD ShareAll() { return FILE_SHARE_READ | FILE_SHARE_WRITE | (OnNt() ? FILE_SHARE_DELETE : 0); }

std::string ParentFolder(const std::string& path) {
  size_t sep = LastPathSeparator(path);
  return sep == std::string::npos ? std::string() : path.substr(0, sep);
}

bool SameBytes(HANDLE a, HANDLE b) {
  DWORD highA = 0, highB = 0;
  DWORD sizeA = ::GetFileSize(a, &highA), sizeB = ::GetFileSize(b, &highB);
  if (sizeA == INVALID_FILE_SIZE || sizeA != sizeB || highA != highB || highA != 0) return false;
  std::vector<char> bufA(32768), bufB(32768);
  for (DWORD done = 0; done < sizeA;) {
    DWORD gotA = 0, gotB = 0;
    if (!::ReadFile(a, bufA.data(), static_cast<DWORD>(bufA.size()), &gotA, nullptr) ||
        !::ReadFile(b, bufB.data(), static_cast<DWORD>(bufB.size()), &gotB, nullptr) || gotA != gotB || gotA == 0)
      return false;
    if (std::string(bufA.data(), gotA) != std::string(bufB.data(), gotB)) return false;
    done += gotA;
  }
  return true;
}

bool IsPlain(DWORD attributes, bool folder) {
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return false;
  return ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) == folder;
}

void AppendHex(std::string& out, unsigned long long value) {
  char digits[17];
  int n = 0;
  do {
    digits[n++] = "0123456789ABCDEF"[value & 15];
    value >>= 4;
  } while (value);
  while (n) out += digits[--n];
}

bool ReadHex(const std::string& text, size_t& pos, unsigned long long& value) {
  value = 0;
  size_t start = pos;
  for (; pos < text.size() && pos - start < 16; ++pos) {
    char c = text[pos];
    int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    if (digit < 0) break;
    value = (value << 4) | static_cast<unsigned>(digit);
  }
  return pos > start;
}

// The standard handles that whoever started this process may read to their end: the copy, which
// inherits the process handle, must not hold them open after this process has ended.
void KeepStandardHandlesFromTheCopy() {
  using SetHandleInformationFn = BOOL(WINAPI*)(HANDLE, DWORD, DWORD);   // NT family only
  auto set = GetSystemProc<SetHandleInformationFn>(::GetModuleHandleA("kernel32.dll"), "SetHandleInformation");
  if (!set) return;
  for (DWORD which : {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
    HANDLE h = ::GetStdHandle(which);
    if (h && h != INVALID_HANDLE_VALUE) set(h, HANDLE_FLAG_INHERIT, 0);
  }
}

DWORD StartCopy(const std::string& copy, const std::string& folder, const std::string& arguments) {
  KeepStandardHandlesFromTheCopy();
  // Out of any job the original runs in, where the job allows it: a tool that ends the job with
  // the original must not end the copy before its work.
  DWORD error = 0;
  for (DWORD flags : {static_cast<DWORD>(CREATE_BREAKAWAY_FROM_JOB), static_cast<DWORD>(0)}) {
    std::string line = "\"" + copy + "\" " + arguments;
    std::vector<char> buf(line.begin(), line.end());
    buf.push_back('\0');
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (::CreateProcessA(copy.c_str(), buf.data(), nullptr, nullptr, TRUE, flags, nullptr, folder.c_str(), &si,
                         &pi)) {
      UniqueKernelHandle thread(pi.hThread), process(pi.hProcess);
      return 0;
    }
    error = ::GetLastError();
  }
  return error;
}

// The held program's bytes into a new file of the private folder.
DWORD CopyHeldFile(HANDLE held, const std::string& copy) {
  DWORD high = 0;
  DWORD size = ::GetFileSize(held, &high);
  if (size == INVALID_FILE_SIZE || high != 0) return ERROR_FILE_INVALID;
  if (::SetFilePointer(held, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) return ::GetLastError();
  UniqueFile out(::CreateFileA(copy.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!out) return ::GetLastError();
  std::vector<char> buf(65536);
  for (DWORD done = 0; done < size;) {
    DWORD got = 0, written = 0;
    if (!::ReadFile(held, buf.data(), static_cast<DWORD>(buf.size()), &got, nullptr)) return ::GetLastError();
    if (got == 0) return ERROR_HANDLE_EOF;
    if (!::WriteFile(out.Get(), buf.data(), got, &written, nullptr)) return ::GetLastError();
    if (written != got) return ERROR_WRITE_FAULT;
    done += got;
  }
  return 0;
}

}  // namespace

std::string FormatSelfRemovalOrder(const TSelfRemovalOrder& order) {
  const TFileIdentity& id = order.Identity;
  const unsigned long long fields[kFieldCount] = {order.Process, id.Volume,   id.IndexHigh, id.IndexLow,
                                                  id.SizeHigh,   id.SizeLow,  id.WriteHigh, id.WriteLow};
  std::string out = kSwitch;
  for (int i = 0; i < kFieldCount; ++i) {
    out += i ? ',' : ' ';
    AppendHex(out, fields[i]);
  }
  return out + " \"" + order.Original + "\"";
}

bool IsSelfRemovalSwitch(const std::string& arguments) {
  size_t n = sizeof kSwitch - 1;
  return arguments.compare(0, n, kSwitch) == 0 && (arguments.size() == n || arguments[n] == ' ');
}

bool ParseSelfRemovalOrder(const std::string& arguments, TSelfRemovalOrder& order) {
  if (!IsSelfRemovalSwitch(arguments)) return false;
  size_t pos = sizeof kSwitch - 1;
  unsigned long long fields[kFieldCount];
  for (int i = 0; i < kFieldCount; ++i) {
    if (pos >= arguments.size() || arguments[pos++] != (i ? ',' : ' ')) return false;
    if (!ReadHex(arguments, pos, fields[i])) return false;
    if (i > 0 && fields[i] > 0xFFFFFFFFull) return false;
  }
  if (arguments.compare(pos, 2, " \"") != 0) return false;
  size_t close = arguments.find('"', pos + 2);
  if (close == std::string::npos || close == pos + 2) return false;
  size_t end = arguments.find_first_not_of(' ', close + 1);
  if (end != std::string::npos) return false;
  // A pseudo handle (this process itself) would be waited for forever.
  if (fields[0] == 0 || fields[0] != static_cast<uintptr_t>(fields[0]) ||
      static_cast<intptr_t>(static_cast<uintptr_t>(fields[0])) < 0)
    return false;
  order.Process = static_cast<uintptr_t>(fields[0]);
  TFileIdentity& id = order.Identity;
  id.Volume = static_cast<uint32_t>(fields[1]);
  id.IndexHigh = static_cast<uint32_t>(fields[2]);
  id.IndexLow = static_cast<uint32_t>(fields[3]);
  id.SizeHigh = static_cast<uint32_t>(fields[4]);
  id.SizeLow = static_cast<uint32_t>(fields[5]);
  id.WriteHigh = static_cast<uint32_t>(fields[6]);
  id.WriteLow = static_cast<uint32_t>(fields[7]);
  order.Original = arguments.substr(pos + 2, close - pos - 2);
  return true;
}

std::string CommandArguments(const char* commandLine) {
  std::string line = commandLine ? commandLine : "";
  size_t pos = 0;
  if (!line.empty() && line[0] == '"') {
    size_t close = line.find('"', 1);
    pos = close == std::string::npos ? line.size() : close + 1;
  } else {
    pos = line.find_first_of(" \t");
    if (pos == std::string::npos) pos = line.size();
  }
  pos = line.find_first_not_of(" \t", pos);
  return pos == std::string::npos ? std::string() : line.substr(pos);
}

uint32_t HandOverSelfRemoval() {
  // What runs is copied, never whatever file may have come to the program's path meanwhile.
  HANDLE held = static_cast<HANDLE>(HeldProgramFile());
  if (!held) return ProgramFileHoldError();
  TSelfRemovalOrder order;
  order.Original = ExeFileName();
  size_t sep = LastPathSeparator(order.Original);
  if (sep == std::string::npos) return ERROR_INVALID_NAME;
  if (!FileIdentityOf(held, order.Identity)) return ::GetLastError();
  char temp[MAX_PATH + 1] = {};
  DWORD n = ::GetTempPathA(MAX_PATH, temp);
  if (n == 0 || n > MAX_PATH) return ERROR_PATH_NOT_FOUND;
  std::string folder = MakePrivateFolder(std::string(temp, n));
  if (folder.empty()) {
    DWORD error = ::GetLastError();
    return error ? error : static_cast<DWORD>(ERROR_CANNOT_MAKE);
  }
  std::string copy = folder + order.Original.substr(sep);
  UniqueKernelHandle self;
  DWORD error = CopyHeldFile(held, copy);
  if (error == 0) {
    // A handle to this very process, inherited by the copy: unlike a process id it cannot come to
    // name another process once this one has ended.
    if (!::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentProcess(), ::GetCurrentProcess(), self.Put(),
                           SYNCHRONIZE, TRUE, 0)) {
      error = ::GetLastError();
    } else {
      order.Process = reinterpret_cast<uintptr_t>(self.Get());
      error = StartCopy(copy, folder, FormatSelfRemovalOrder(order));
    }
  }
  if (error != 0) {
    ::DeleteFileA(copy.c_str());
    ::RemoveDirectoryA(folder.c_str());
  }
  return error;
}

bool RemoveOriginalProgram(const TSelfRemovalOrder& order, const std::string& self) {
  const std::string& path = order.Original;
  std::string folder = ParentFolder(path);
  if (folder.empty() || !IsPlain(::GetFileAttributesA(path.c_str()), false) ||
      !IsPlain(::GetFileAttributesA(folder.c_str()), true))
    return false;
  // Held open, without sharing writes, from the check to the deletion: the file checked is the
  // file deleted.
  DWORD share = FILE_SHARE_READ | (OnNt() ? FILE_SHARE_DELETE : 0);
  UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr));
  UniqueFile mine(::CreateFileA(self.c_str(), GENERIC_READ, ShareAll(), nullptr, OPEN_EXISTING, 0, nullptr));
  TFileIdentity now;
  if (!file || !mine || !FileIdentityOf(file.Get(), now) || !(now == order.Identity) ||
      !SameBytes(file.Get(), mine.Get()))
    return false;
  ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  bool deleted = false;
  if (OnNt()) {
    // Marked now, gone when the handle closes.
    deleted = ::DeleteFileA(path.c_str()) != FALSE;
    file.Reset();
  } else {
    file.Reset();
    deleted = ::DeleteFileA(path.c_str()) != FALSE;
  }
  if (!deleted) return false;
  // Only an empty folder goes.
  if (!IsRootPath(folder)) ::RemoveDirectoryA(folder.c_str());
  return true;
}

bool HandlesSelfRemoval(const char* commandLine) {
  std::string arguments = CommandArguments(commandLine);
  if (!IsSelfRemovalSwitch(arguments)) return false;
  TSelfRemovalOrder order;
  if (!ParseSelfRemovalOrder(arguments, order)) return true;
  UniqueKernelHandle original(reinterpret_cast<HANDLE>(order.Process));
  DWORD waited = ::WaitForSingleObject(original.Get(), INFINITE);
  original.Reset();
  // No handle from an original: not started by one, so nothing to do.
  if (waited != WAIT_OBJECT_0) return true;
  std::string self = ExeFileName();
  // The system may let go of an ended program's file a moment after the process ends.
  for (int attempt = 0; attempt < 50 && !RemoveOriginalProgram(order, self); ++attempt) {
    if (::GetFileAttributesA(order.Original.c_str()) == INVALID_FILE_ATTRIBUTES) break;
    ::Sleep(100);
  }
  std::string own = ParentFolder(self);
  if (own.empty() || SameFolder(own, ParentFolder(order.Original))) return true;
  // The copy cannot delete itself while it runs: it and its folder go at the next restart.
  ScheduleFileRemoval(self);
  ScheduleFolderRemoval(own);
  return true;
}
