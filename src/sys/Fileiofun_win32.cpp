// The file primitives over kernel32. Names go to the ANSI functions unchanged.
#include <windows.h>

#include "sys/Canonicalpath.h"
#include "sys/Fileiofun.h"
#include "sys/Handle.h"
#include "sys/Pathutil.h"
#include "sys/Reparse.h"
#include "sys/Syslibrary.h"

#ifndef FILE_SHARE_DELETE
#define FILE_SHARE_DELETE 0x00000004
#endif
#ifndef FILE_FLAG_OPEN_REPARSE_POINT
#define FILE_FLAG_OPEN_REPARSE_POINT 0x00200000
#endif

namespace {

// The FILE_INFO_BY_HANDLE_CLASS values and records that SetFileInformationByHandle takes.
const int kFileBasicInfo = 0;
const int kFileDispositionInfo = 4;
struct BasicInfo {
  LARGE_INTEGER CreationTime, LastAccessTime, LastWriteTime, ChangeTime;   // 0: unchanged
  DWORD FileAttributes;
};
struct DispositionInfo {
  BOOLEAN DeleteFile;
};
using SetFileInformationByHandleFn = BOOL(WINAPI*)(HANDLE, int, LPVOID, DWORD);

SetFileInformationByHandleFn SetInformationFunction() {
  return GetSystemProc<SetFileInformationByHandleFn>(::GetModuleHandleA("kernel32.dll"), "SetFileInformationByHandle");
}

bool MeansAbsent(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

bool IsDeviceName(const std::string& name) { return name.compare(0, 4, "\\\\.\\") == 0; }

// The folder as the system finds it, every link resolved. A run removes dozens of names below the
// same folder: its answer is kept for the next name. Kept too long it can only be out of date, and
// then the name's own final path differs from it and the removal is refused, never misdirected.
std::string ResolvedFolder(const std::string& base) {
  static std::string lastBase, lastResolved;
  if (!lastResolved.empty() && base == lastBase) return lastResolved;
  UniqueFile folder(::CreateFileA((base + "\\").c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  std::string resolved = WithoutTrailingBackslashes(FinalPathOfHandle(folder.Get()), 0);
  lastBase = base;
  lastResolved = resolved;
  return resolved;
}

// Where the name should lie once every link above trusted is resolved: trusted as the system finds
// it now, and below it the name's own parts with their short names expanded.
std::string ExpectedFinalPath(const std::string& name, const std::string& trusted) {
  std::string full = ExpandShortNames(FullPathName(name));
  std::string base = WithoutTrailingBackslashes(FullPathName(trusted), 0);
  if (base.empty() || !IsBelowFolder(full, base)) {
    base = full.compare(0, 2, "\\\\") == 0 ? std::string() : full.substr(0, 2);   // the root
    if (base.empty()) return full;
  }
  std::string resolved = ResolvedFolder(base);
  if (resolved.empty()) return std::string();
  return resolved + full.substr(base.size());
}

// Vista and later: opened without following a link at the end, checked to lie where the name
// says, and deleted through the same handle so that a link swapped in meanwhile changes nothing.
// ERROR_CALL_NOT_IMPLEMENTED when the system lacks the calls.
uint32_t RemoveThroughHandle(const std::string& name, const std::string& trusted, bool folder) {
  SetFileInformationByHandleFn setInformation = SetInformationFunction();
  if (!setInformation || IsDeviceName(name)) return ERROR_CALL_NOT_IMPLEMENTED;
  UniqueFile file(::CreateFileA(name.c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file) {
    DWORD error = ::GetLastError();
    if (MeansAbsent(error)) return 0;
    // Held by someone else: the attributes are reset all the same, as the plain way does.
    if (!folder && error == ERROR_SHARING_VIOLATION) ::SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_NORMAL);
    return error;
  }
  BY_HANDLE_FILE_INFORMATION info;
  if (!::GetFileInformationByHandle(file.Get(), &info)) return ::GetLastError();
  bool isFolder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (isFolder != folder) return 0;
  std::string where = FinalPathOfHandle(file.Get());
  if (where.empty()) return ERROR_CALL_NOT_IMPLEMENTED;
  // A link swapped in above, or a file link at the end that the open followed all the same (Wine
  // does, and shows no reparse point for a file link).
  if (!SamePathText(where, ExpectedFinalPath(name, trusted))) return kRemovalThroughLink;
  // Only a read-only file refuses to go; any other attribute goes with the file.
  if (!folder && (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY)) {
    BasicInfo basic = {};
    basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    setInformation(file.Get(), kFileBasicInfo, &basic, sizeof basic);
  }
  DispositionInfo disposition = {TRUE};
  if (!setInformation(file.Get(), kFileDispositionInfo, &disposition, sizeof disposition)) return ::GetLastError();
  return 0;
}

}  // namespace

FileHandle OpenFileForRead(const std::string& name) {
  // No sharing: while the catalogue is read nobody else may open it, and a file that someone holds
  // cannot be read.
  return ::CreateFileA(name.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

uint64_t GetOpenFileSize(FileHandle handle) {
  if (handle == kInvalidFileHandle) return 0;
  DWORD high = 0;
  ::SetLastError(NO_ERROR);  // a low half of all ones is a true size unless an error says otherwise
  DWORD low = ::GetFileSize(handle, &high);
  if (low == INVALID_FILE_SIZE && ::GetLastError() != NO_ERROR) return 0;
  return (static_cast<uint64_t>(high) << 32) | low;
}

uint32_t ReadFileAt(FileHandle handle, uint32_t offsetLow, uint32_t offsetHigh, void* buffer,
                    uint32_t count) {
  if (handle == kInvalidFileHandle) return 0;
  LONG high = static_cast<LONG>(offsetHigh);
  ::SetLastError(NO_ERROR);
  DWORD pos = ::SetFilePointer(handle, static_cast<LONG>(offsetLow), &high, FILE_BEGIN);
  if (pos == INVALID_SET_FILE_POINTER && ::GetLastError() != NO_ERROR) return 0;
  DWORD got = 0;
  if (!::ReadFile(handle, buffer, count, &got, nullptr)) return 0;
  return got;
}

void CloseFileHandle(FileHandle handle) {
  if (handle != kInvalidFileHandle) CloseKernelHandle(handle);
}

uint32_t RemoveFile(const std::string& name, const std::string& trusted) {
  if (name.empty()) return 0;
  if (!IsDeviceName(name) && CrossesReparsePoint(name, trusted)) return kRemovalThroughLink;
  uint32_t result = RemoveThroughHandle(name, trusted, false);
  if (result != ERROR_CALL_NOT_IMPLEMENTED) return result;
  DWORD attrs = ::GetFileAttributesA(name.c_str());
  if (attrs == INVALID_FILE_ATTRIBUTES) {
    DWORD error = ::GetLastError();
    return MeansAbsent(error) ? 0 : error;
  }
  if (attrs & FILE_ATTRIBUTE_DIRECTORY) return 0;
  // Read-only, hidden and system would make the delete fail; they are not put back if it fails.
  ::SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (::DeleteFileA(name.c_str())) return 0;
  return ::GetLastError();
}

uint32_t RemoveFolder(const std::string& path, const std::string& trusted) {
  if (path.empty()) return 0;
  if (CrossesReparsePoint(path, trusted)) return kRemovalThroughLink;
  uint32_t result = RemoveThroughHandle(path, trusted, true);
  if (result != ERROR_CALL_NOT_IMPLEMENTED) return result;
  DWORD attrs = ::GetFileAttributesA(path.c_str());
  if (attrs == INVALID_FILE_ATTRIBUTES) {
    DWORD error = ::GetLastError();
    return MeansAbsent(error) ? 0 : error;
  }
  if (!(attrs & FILE_ATTRIBUTE_DIRECTORY)) return 0;
  if (::RemoveDirectoryA(path.c_str())) return 0;
  return ::GetLastError();
}
