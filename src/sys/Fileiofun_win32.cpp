// The file primitives over kernel32, and on the NT family the removals over ntdll.
#include <windows.h>

#include "sys/Canonicalpath.h"
#include "sys/Faultpoint.h"
#include "sys/Fileiofun.h"
#include "sys/Handle.h"
#include "sys/Nativefile.h"
#include "sys/Reparse.h"
#include "sys/Sysutil.h"

namespace {

bool MeansAbsent(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

bool IsDeviceName(const std::string& name) { return name.compare(0, 4, "\\\\.\\") == 0; }

// The 9x family: no links exist there, and a name is looked at by its attributes.
uint32_t RemoveByName(const std::string& name, bool folder) {
  const char where[] = "a removal by name";
  DWORD attrs = SYS_ONES(where, GetFileAttributesA, (name.c_str()));
  if (attrs == INVALID_FILE_ATTRIBUTES) {
    DWORD error = ::GetLastError();
    return MeansAbsent(error) ? 0 : error;
  }
  if (((attrs & FILE_ATTRIBUTE_DIRECTORY) != 0) != folder) return 0;
  if (folder) return SYS_ZERO(where, RemoveDirectoryA, (name.c_str())) ? 0 : ::GetLastError();
  // Read-only, hidden and system would make the delete fail; they are not put back if it fails.
  SYS_ZERO(where, SetFileAttributesA, (name.c_str(), FILE_ATTRIBUTE_NORMAL));
  if (SYS_ZERO(where, DeleteFileA, (name.c_str()))) return 0;
  return ::GetLastError();
}

uint32_t Remove(const std::string& name, const std::string& trusted, bool folder, TCheckedFolders* folders) {
  if (name.empty()) return 0;
  const bool nt = IsNtMachine();
  // A 9x driver's device: its unload is a deletion by that name. The NT family has no such drivers,
  // and there the name could lead anywhere.
  if (!folder && IsDeviceName(name)) return nt ? 0 : RemoveByName(name, false);
  if (IsUnfitFileName(name)) return kRemovalNoFileName;
  if (nt) return RemoveThroughCheckedHandle(SystemNativeCalls(), name, trusted, folder, folders);
  if (CrossesReparsePoint(name, trusted)) return kRemovalThroughLink;
  return RemoveByName(name, folder);
}

}  // namespace

FileHandle OpenFileForRead(const std::string& name) {
  // No sharing: while the catalogue is read nobody else may open it, and a file that someone holds
  // cannot be read.
  return SYS_INVALID("the catalogue's read", CreateFileA, (name.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
}

uint64_t GetOpenFileSize(FileHandle handle) {
  if (handle == kInvalidFileHandle) return 0;
  DWORD high = 0;
  ::SetLastError(NO_ERROR);  // a low half of all ones is a true size unless an error says otherwise
  DWORD low = SYS_ONES("the catalogue's read", GetFileSize, (handle, &high));
  if (low == INVALID_FILE_SIZE && ::GetLastError() != NO_ERROR) return 0;
  return (static_cast<uint64_t>(high) << 32) | low;
}

uint32_t ReadFileAt(FileHandle handle, uint32_t offsetLow, uint32_t offsetHigh, void* buffer,
                    uint32_t count) {
  if (handle == kInvalidFileHandle) return 0;
  LONG high = static_cast<LONG>(offsetHigh);
  ::SetLastError(NO_ERROR);
  DWORD pos = SYS_ONES("the catalogue's read", SetFilePointer, (handle, static_cast<LONG>(offsetLow), &high, FILE_BEGIN));
  if (pos == INVALID_SET_FILE_POINTER && ::GetLastError() != NO_ERROR) return 0;
  DWORD got = 0;
  if (!SYS_ZERO("the catalogue's read", ReadFile, (handle, buffer, count, &got, nullptr))) return 0;
  return got;
}

void CloseFileHandle(FileHandle handle) {
  if (handle != kInvalidFileHandle) CloseKernelHandle(handle);
}

TRemovalError RemoveFile(const std::string& name, const std::string& trusted, TCheckedFolders* folders) {
  return Remove(name, trusted, false, folders);
}

TRemovalError RemoveFolder(const std::string& path, const std::string& trusted, TCheckedFolders* folders) {
  return Remove(path, trusted, true, folders);
}
