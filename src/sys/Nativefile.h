// Removal on the NT family through ntdll's native calls, which every NT version has: each folder on
// the way down from the trusted one is opened relative to its checked parent's handle, without
// following a link at its end where the system has links, and checked through that handle to be
// a folder that lies where its name says (the object name that the handle gives: its volume's
// device and the path on it); the last part is checked the same way and deleted through the very
// handle that was checked. A link swapped in after a check redirects nothing: what is deleted is
// what was checked.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>
#include "sys/Status.h"

struct TNtUnicodeString {
  USHORT Length;          // bytes
  USHORT MaximumLength;   // bytes
  WCHAR* Buffer;
};

// The native calls, looked up at run time: ntdll is not on the import list.
struct TNativeCalls {
  using OpenFileFn = LONG(WINAPI*)(HANDLE*, ACCESS_MASK, void* objectAttributes, void* ioStatus, ULONG share,
                                   ULONG options);
  using QueryInformationFileFn = LONG(WINAPI*)(HANDLE, void* ioStatus, void* info, ULONG length, int infoClass);
  using SetInformationFileFn = LONG(WINAPI*)(HANDLE, void* ioStatus, void* info, ULONG length, int infoClass);
  using QueryObjectFn = LONG(WINAPI*)(HANDLE, int infoClass, void* info, ULONG length, ULONG* returned);
  using CloseFn = LONG(WINAPI*)(HANDLE);
  using StatusToErrorFn = ULONG(WINAPI*)(LONG);
  using EqualNamesFn = BOOLEAN(WINAPI*)(const TNtUnicodeString*, const TNtUnicodeString*, BOOLEAN caseInsensitive);

  OpenFileFn OpenFile = nullptr;
  QueryInformationFileFn QueryInformation = nullptr;
  QueryObjectFn QueryObject = nullptr;
  SetInformationFileFn SetInformation = nullptr;
  CloseFn Close = nullptr;
  StatusToErrorFn StatusToError = nullptr;
  EqualNamesFn EqualNames = nullptr;   // may be missing: then only ASCII letters fold
  // Opens a link at the end as itself (2000 and later); NT 4 has no links and may refuse the
  // option. The check through the handle holds either way.
  bool OpenLinksAsThemselves = false;

  bool Complete() const;
};

// The calls of this system, looked up until all are there.
const TNativeCalls& SystemNativeCalls();

// Folders checked on the way down, kept open for the removals below them, so that the names of a
// run's folder are checked once and each file costs its own open, check and delete only. Kept at
// most as long as one run: a folder replaced meanwhile can only make its files read as absent.
class TCheckedFolders {
public:
  TCheckedFolders();
  ~TCheckedFolders();
  TCheckedFolders(const TCheckedFolders&) = delete;
  TCheckedFolders& operator=(const TCheckedFolders&) = delete;
  void Clear();

  struct Entry;

private:
  friend class TCheckedWalk;
  std::vector<std::unique_ptr<Entry>> entries_;
  std::string lastTrusted_, lastTrustedFull_;   // the last trusted folder's full path, for the next name
};

// A last question about a file before it is deleted: asked with the checked handle, which may also
// read the file's data and is shared with nobody who writes; anything but 0 leaves the file and is
// the removal's answer. A file held by someone else is then left as it is, attributes and all.
struct TRemovalCheck {
  uint32_t (*Check)(void* context, HANDLE file);
  void* Context;
};

// Removes the file (or the empty folder) through a checked handle, by the given calls. Answers as
// RemoveFile and RemoveFolder do (sys/Fileiofun.h); kRemovalUnchecked when the calls are incomplete,
// the name has no full path, or a folder on the way cannot be opened or examined.
TRemovalError RemoveThroughCheckedHandle(const TNativeCalls& calls, const std::string& name, const std::string& trusted,
                                    bool folder, TCheckedFolders* folders, const TRemovalCheck* check = nullptr);

// Moves a file open with the right to delete it to `to` (a full path on its volume, where a file
// that is not open gives way); 0 or the Windows error. What moves is the file of the handle,
// whatever its name has come to mean.
uint32_t MoveOpenFile(const TNativeCalls& calls, HANDLE file, const std::string& to);
