#include "sys/Ownfile.h"

#include <windows.h>
#include <vector>

#include "sys/Asciicase.h"
#include "sys/Canonicalpath.h"
#include "sys/Faultpoint.h"
#include "sys/Pathutil.h"
#include "sys/Reparse.h"
#include "sys/Syslibrary.h"
#include "sys/Sysutil.h"

#ifndef FILE_ATTRIBUTE_REPARSE_POINT
#define FILE_ATTRIBUTE_REPARSE_POINT 0x00000400
#endif
#ifndef FILE_FLAG_OPEN_REPARSE_POINT
#define FILE_FLAG_OPEN_REPARSE_POINT 0x00200000
#endif

namespace {

const char kWhere[] = "the log's file";

struct TIoStatus {
  union {
    LONG Status;
    void* Pointer;
  };
  ULONG_PTR Information;
};
using NtFileInformationFn = LONG(WINAPI*)(HANDLE, TIoStatus*, void*, ULONG, int);
const int kFileNameInformation = 9;
const int kFileDispositionInformation = 13;

NtFileInformationFn NtFileCall(const char* name) {
  return GetSystemProc<NtFileInformationFn>(::GetModuleHandleA("ntdll.dll"), name);
}


bool OnAnotherComputer(const std::string& full) {
  if (full.size() < 3 || full[1] != ':') return true;
  const char root[] = {full[0], ':', '\\', '\0'};
  return SYS_ZERO(kWhere, GetDriveTypeA, (root)) == DRIVE_REMOTE;
}

// A file that this call made and then refused: it must not stay wherever it came to lie. Through
// the handle, which is where it really is; the 9x family has no links, there the name is the file.
void DeleteMadeFile(TOwnFile& f, const std::string& full) {
  if (IsNtMachine()) {
    BOOLEAN remove = TRUE;
    TIoStatus io = {};
    if (NtFileInformationFn set = NtFileCall("NtSetInformationFile"))
      SYS_NT(kWhere, "NtSetInformationFile", set(f.File.Get(), &io, &remove, sizeof remove, kFileDispositionInformation));
    f.File.Reset();
  } else {
    f.File.Reset();
    SYS_ZERO(kWhere, DeleteFileA, (full.c_str()));
  }
}

// What the open handle is; None when it is an ordinary disk file with one name where place says.
TOwnFileRefusal Examine(HANDLE h, const std::string& place, uint32_t& error) {
  if (SYS_ZERO(kWhere, GetFileType, (h)) != FILE_TYPE_DISK) return TOwnFileRefusal::Device;
  BY_HANDLE_FILE_INFORMATION info;
  if (!SYS_ZERO(kWhere, GetFileInformationByHandle, (h, &info))) {
    error = ::GetLastError();
    return TOwnFileRefusal::Failed;
  }
  if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return TOwnFileRefusal::Folder;
  if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return TOwnFileRefusal::Link;
  if (info.nNumberOfLinks > 1) return TOwnFileRefusal::SecondName;
  if (IsNtMachine() && !HandleLiesAt(h, place)) return TOwnFileRefusal::Elsewhere;
  return TOwnFileRefusal::None;
}

}  // namespace

TOwnFile OpenOwnFile(const std::string& path) {
  TOwnFile f;
  auto refuse = [&f](TOwnFileRefusal why, uint32_t error) {
    f.Status.Refusal = why;
    f.Status.Error = error;
    return std::move(f);
  };
  const std::string full = IsUnfitFileName(path) ? std::string() : FullPathName(path);
  if (full.empty() || IsUnfitFileName(full)) return refuse(TOwnFileRefusal::UnfitName, 0);
  // Where a file on a share really lies is the server's to say.
  if (OnAnotherComputer(full)) return refuse(TOwnFileRefusal::NotLocal, 0);

  // The NT family opens a link at the end as itself instead of following it. Wine follows it all
  // the same: there where the handle lies tells.
  const DWORD flags = FILE_ATTRIBUTE_NORMAL | (IsNtMachine() ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
  const DWORD access = GENERIC_READ | GENERIC_WRITE;
  // A name that comes and goes between the two opens is tried again, a few times.
  for (int attempt = 0; attempt < 3 && !f.File; ++attempt) {
    f.File.Reset(SYS_INVALID(kWhere, CreateFileA, (full.c_str(), access, FILE_SHARE_READ, nullptr, OPEN_EXISTING, flags, nullptr)));
    if (f.File) {
      f.Existed = true;
      break;
    }
    DWORD error = ::GetLastError();
    if (error != ERROR_FILE_NOT_FOUND) {
      DWORD attributes = SYS_ONES(kWhere, GetFileAttributesA, (full.c_str()));
      if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return refuse(TOwnFileRefusal::Folder, 0);
      return refuse(TOwnFileRefusal::Failed, error);
    }
    // Only a name that stands for nothing at all: never made through a link that leads nowhere.
    // With the right to delete it, should it turn out to lie elsewhere.
    f.File.Reset(SYS_INVALID(kWhere, CreateFileA, (full.c_str(), access | (IsNtMachine() ? DELETE : 0), FILE_SHARE_READ,
                                                   nullptr, CREATE_NEW, flags, nullptr)));
    error = ::GetLastError();
    if (!f.File && error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
      return refuse(TOwnFileRefusal::Failed, error);
  }
  // A name that is there yet opens as nothing: a link that leads nowhere.
  if (!f.File) return refuse(TOwnFileRefusal::Link, 0);

  // The long names only now: the file's own part may not have existed before.
  f.Place = ExpandShortNames(full);
  uint32_t error = 0;
  TOwnFileRefusal why = Examine(f.File.Get(), f.Place, error);
  if (why == TOwnFileRefusal::None) return f;
  if (f.Existed) f.File.Reset();
  else DeleteMadeFile(f, full);
  f.Existed = false;
  f.Place.clear();
  return refuse(why, error);
}

bool EmptyOwnFile(TOwnFile& file) {
  if (!file.File) return false;
  if (SYS_ONES(kWhere, SetFilePointer, (file.File.Get(), 0, nullptr, FILE_BEGIN)) == INVALID_SET_FILE_POINTER) return false;
  if (!SYS_ZERO(kWhere, SetEndOfFile, (file.File.Get()))) return false;
  file.Existed = false;
  return true;
}

const char* OwnFileRefusalText(TOwnFileRefusal refusal) {
  switch (refusal) {
    case TOwnFileRefusal::None: case TOwnFileRefusal::Failed: break;
    case TOwnFileRefusal::UnfitName: return "no name of a file: a device, a stream or characters that no file name has";
    case TOwnFileRefusal::NotLocal: return "not on a drive of this computer";
    case TOwnFileRefusal::Folder: return "a folder";
    case TOwnFileRefusal::Device: return "a device, not a file";
    case TOwnFileRefusal::Link: return "a link";
    case TOwnFileRefusal::SecondName: return "a file with a second name (a hard link)";
    case TOwnFileRefusal::Elsewhere: return "a link leads from there to somewhere else";
  }
  return "";
}

bool HandleLiesAt(void* file, const std::string& place) {
  // The path below the volume and the volume itself answer on every NT version, Vista's final path
  // included: one way for all.
  return HandleLiesBelowVolumeAt(file, place);
}

bool HandleLiesBelowVolumeAt(void* file, const std::string& place) {
  if (place.size() < 3 || place[1] != ':' || place[2] != '\\') return false;
  NtFileInformationFn query = NtFileCall("NtQueryInformationFile");
  if (!query) return false;
  // FILE_NAME_INFORMATION: the name's length in bytes, then the name below the volume.
  std::vector<ULONG> answer(1 + MAX_PATH * 2);
  TIoStatus io = {};
  if (SYS_NT(kWhere, "NtQueryInformationFile",
             query(file, &io, answer.data(), static_cast<ULONG>(answer.size() * sizeof(ULONG)), kFileNameInformation)) < 0)
    return false;
  const size_t length = answer[0] / sizeof(wchar_t);
  if (length > (answer.size() - 1) * sizeof(ULONG) / sizeof(wchar_t)) return false;
  const wchar_t* name = reinterpret_cast<const wchar_t*>(answer.data() + 1);

  // The system answers in UTF-16: the place is read as CreateFileA reads a name.
  const std::string below = place.substr(2);
  const int n = ::MultiByteToWideChar(CP_ACP, 0, below.data(), static_cast<int>(below.size()), nullptr, 0);
  if (n <= 0 || static_cast<size_t>(n) != length) return false;
  std::vector<wchar_t> wide(n);
  ::MultiByteToWideChar(CP_ACP, 0, below.data(), static_cast<int>(below.size()), wide.data(), n);
  for (int i = 0; i < n; ++i)
    if (FoldAscii(name[i]) != FoldAscii(wide[i])) return false;

  BY_HANDLE_FILE_INFORMATION info;
  DWORD serial = 0;
  const char root[] = {place[0], ':', '\\', '\0'};
  return SYS_ZERO(kWhere, GetFileInformationByHandle, (static_cast<HANDLE>(file), &info)) &&
         SYS_ZERO(kWhere, GetVolumeInformationA, (root, nullptr, 0, &serial, nullptr, nullptr, nullptr, 0)) &&
         serial == info.dwVolumeSerialNumber;
}
