// The file primitives over kernel32. Names go to the ANSI functions unchanged.
#include <windows.h>

#include "sys/Fileiofun.h"

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
  if (handle != kInvalidFileHandle) ::CloseHandle(handle);
}

uint32_t RemoveFile(const std::string& name) {
  DWORD attrs = ::GetFileAttributesA(name.c_str());
  if (attrs == INVALID_FILE_ATTRIBUTES || (attrs & FILE_ATTRIBUTE_DIRECTORY)) return 0;
  // Read-only, hidden and system would make the delete fail; they are not put back if it fails.
  ::SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (::DeleteFileA(name.c_str())) return 0;
  return ::GetLastError();
}

uint32_t RemoveFolder(const std::string& path) {
  DWORD attrs = ::GetFileAttributesA(path.c_str());
  if (attrs == INVALID_FILE_ATTRIBUTES || !(attrs & FILE_ATTRIBUTE_DIRECTORY)) return 0;
  if (::RemoveDirectoryA(path.c_str())) return 0;
  return ::GetLastError();
}
