#include "sys/Exename.h"

#include <windows.h>
#include "sys/Canonicalpath.h"
#include "sys/Handle.h"
#include "sys/Pathutil.h"
#include "sys/Sysutil.h"

std::string ExeFileName() {
  char path[MAX_PATH + 1] = {};
  DWORD n = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  return n > 0 && n < MAX_PATH ? std::string(path, n) : std::string();
}

bool TFileIdentity::operator==(const TFileIdentity& o) const {
  return Volume == o.Volume && IndexHigh == o.IndexHigh && IndexLow == o.IndexLow && SizeHigh == o.SizeHigh &&
         SizeLow == o.SizeLow && WriteHigh == o.WriteHigh && WriteLow == o.WriteLow;
}

bool FileIdentityOf(void* file, TFileIdentity& id) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!::GetFileInformationByHandle(static_cast<HANDLE>(file), &info)) return false;
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
  UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr));
  return file && FileIdentityOf(file.Get(), identity);
}

bool IsThisProgram(const std::string& path) {
  std::string self = ExeFileName();
  if (self.empty() || path.empty()) return false;
  TFileIdentity a, b;
  if (ReadFileIdentity(path, a) && ReadFileIdentity(self, b) && (a.IndexHigh | a.IndexLow) != 0) return a == b;
  std::string fullPath = FullPathName(path), fullSelf = FullPathName(self);
  return !fullPath.empty() && SamePathText(fullPath, fullSelf);
}
