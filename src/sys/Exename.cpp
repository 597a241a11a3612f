#include "sys/Exename.h"

#include <windows.h>
#include "sys/Canonicalpath.h"
#include "sys/Faultpoint.h"
#include "sys/Handle.h"
#include "sys/Pathutil.h"
#include "sys/Syslibrary.h"
#include "sys/Sysutil.h"

namespace {

struct THeldProgram {
  UniqueFile File;
  uint32_t Error = ERROR_INVALID_HANDLE;   // not tried yet
};
THeldProgram& Held() {
  static THeldProgram held;
  return held;
}

// OBJECT_NAME_INFORMATION and MEMORY_MAPPED_FILE_NAME_INFORMATION: a UNICODE_STRING, then its text.
struct TNtName {
  USHORT Length;
  USHORT MaximumLength;
  wchar_t* Buffer;
  wchar_t Text[MAX_PATH * 2];
};
using NtQueryObjectFn = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
using NtQueryVirtualMemoryFn = LONG(WINAPI*)(HANDLE, void*, int, void*, SIZE_T, SIZE_T*);
const int kObjectNameInformation = 1;
const int kMemoryMappedFilenameInformation = 2;
const char kOwnFile[] = "the program's own file";

// Whether the held file is the program's image, by the names that the system gives both now, in
// its own form ("\\Device\\HarddiskVolume2\\..."): a file renamed after the start keeps its image's
// name in step, and a file put at the old path has a name of its own. A name the system cannot
// give tells nothing.
bool ImageIsFile(HANDLE file) {
  HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
  auto queryMemory = GetSystemProc<NtQueryVirtualMemoryFn>(ntdll, "NtQueryVirtualMemory");
  auto queryObject = GetSystemProc<NtQueryObjectFn>(ntdll, "NtQueryObject");
  static TNtName image, held;
  SIZE_T got = 0;
  ULONG length = 0;
  const bool haveImage = queryMemory && SYS_NT(kOwnFile, "NtQueryVirtualMemory",
                                               queryMemory(::GetCurrentProcess(), ::GetModuleHandleA(nullptr),
                                                           kMemoryMappedFilenameInformation, &image, sizeof image,
                                                           &got)) >= 0;
  const bool haveHeld = queryObject && SYS_NT(kOwnFile, "NtQueryObject", queryObject(file, kObjectNameInformation, &held,
                                                                                    sizeof held, &length)) >= 0;
  return SameObjectName(image.Buffer, haveImage ? image.Length / sizeof(wchar_t) : 0, held.Buffer,
                        haveHeld ? held.Length / sizeof(wchar_t) : 0);
}

}  // namespace

std::string ExeFileName() {
  // The name the program was started by does not change while it runs: asked once.
  static std::string name;
  if (!name.empty()) return name;
  char path[MAX_PATH + 1] = {};
  DWORD n = SYS_ZERO(kOwnFile, GetModuleFileNameA, (nullptr, path, MAX_PATH));
  if (n > 0 && n < MAX_PATH) name.assign(path, n);
  return name;
}

bool TFileIdentity::operator==(const TFileIdentity& o) const {
  return Volume == o.Volume && IndexHigh == o.IndexHigh && IndexLow == o.IndexLow && SizeHigh == o.SizeHigh &&
         SizeLow == o.SizeLow && WriteHigh == o.WriteHigh && WriteLow == o.WriteLow;
}

bool FileIdentityOf(void* file, TFileIdentity& id) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!SYS_ZERO("a file's identity", GetFileInformationByHandle, (static_cast<HANDLE>(file), &info))) return false;
  id.Volume = info.dwVolumeSerialNumber;
  id.IndexHigh = info.nFileIndexHigh;
  id.IndexLow = info.nFileIndexLow;
  id.SizeHigh = info.nFileSizeHigh;
  id.SizeLow = info.nFileSizeLow;
  id.WriteHigh = info.ftLastWriteTime.dwHighDateTime;
  id.WriteLow = info.ftLastWriteTime.dwLowDateTime;
  return true;
}

bool ReadFileIdentity(const std::string& path, TFileIdentity& identity) {
  // FILE_SHARE_DELETE is refused by the 9x family.
  DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | (IsNtMachine() ? FILE_SHARE_DELETE : 0);
  UniqueFile file(SYS_INVALID("a file's identity", CreateFileA, (path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr)));
  return file && FileIdentityOf(file.Get(), identity);
}

bool SameObjectName(const wchar_t* image, size_t imageLength, const wchar_t* file, size_t fileLength) {
  // Names the system could not give prove nothing either way.
  if (imageLength == 0 || fileLength == 0) return true;
  if (imageLength != fileLength) return false;
  for (size_t i = 0; i < imageLength; ++i) {
    wchar_t a = image[i], b = file[i];
    if (a >= L'a' && a <= L'z') a = static_cast<wchar_t>(a - L'a' + L'A');
    if (b >= L'a' && b <= L'z') b = static_cast<wchar_t>(b - L'a' + L'A');
    if (a != b) return false;
  }
  return true;
}

uint32_t HoldProgramFile() {
  THeldProgram& held = Held();
  if (held.File) return 0;
  const std::string self = ExeFileName();
  // On the NT family also with the right to move it, which nobody else then has: where no copy may
  // remove it, the program moves its own file out of the installation folder (removal/Selfremoval.h).
  const DWORD access = GENERIC_READ | (IsNtMachine() ? DELETE : 0);
  held.File.Reset(self.empty() ? INVALID_HANDLE_VALUE
                               : SYS_INVALID(kOwnFile, CreateFileA, (self.c_str(), access, FILE_SHARE_READ, nullptr,
                                                                      OPEN_EXISTING, 0, nullptr)));
  if (!held.File) {
    held.Error = self.empty() ? static_cast<uint32_t>(ERROR_FILENAME_EXCED_RANGE) : ::GetLastError();
    return held.Error;
  }
  // The NT family lets a running program's file be renamed, so another file may have come to its
  // path between the start and now. The 9x family keeps it in place.
  if (IsNtMachine()) {
    if (!ImageIsFile(held.File.Get())) {
      held.File.Reset();
      held.Error = kProgramFileReplaced;
      return held.Error;
    }
  }
  held.Error = 0;
  return 0;
}

void* HeldProgramFile() { return Held().File ? Held().File.Get() : nullptr; }

uint32_t ProgramFileHoldError() { return Held().Error; }

bool IsThisProgram(const std::string& path) {
  std::string self = ExeFileName();
  if (self.empty() || path.empty()) return false;
  TFileIdentity a, b;
  if (ReadFileIdentity(path, a) && ReadFileIdentity(self, b) && (a.IndexHigh | a.IndexLow) != 0) return a == b;
  std::string fullPath = FullPathName(path), fullSelf = FullPathName(self);
  return !fullPath.empty() && SamePathText(fullPath, fullSelf);
}
