// Whole-file reading through a handle, file and folder removal, and the numbered-line table that
// the message catalogue builds on. Kept free of <windows.h> so that the byte-level parts also build
// natively (sanitizers, fuzzer); a file handle is the platform's HANDLE value.
#pragma once
#include <cstdint>
#include <string>

#include "sys/Setupapifun.h"
#include "sys/Status.h"
#include "sys/Uniquehandle.h"

using FileHandle = void*;
inline FileHandle const kInvalidFileHandle = reinterpret_cast<FileHandle>(static_cast<intptr_t>(-1));

FileHandle OpenFileForRead(const std::string& name);   // no sharing; kInvalidFileHandle on failure
uint64_t GetOpenFileSize(FileHandle handle);            // 0 on failure and for an empty file
uint32_t ReadFileAt(FileHandle handle, uint32_t offsetLow, uint32_t offsetHigh, void* buffer,
                    uint32_t count);                    // bytes read, 0 on failure or at the end
void CloseFileHandle(FileHandle handle);                // leaves the caller's error as it was
struct OpenFileTraits {
  using Type = FileHandle;
  static Type Invalid() noexcept { return kInvalidFileHandle; }
  static void Close(Type handle) noexcept { CloseFileHandle(handle); }
};
using UniqueOpenFile = UniqueHandle<OpenFileTraits>;
// Removal: 0 when it is gone or was never there ("file not found", "path not found"); otherwise the
// Windows error code, so that a name that cannot be examined is tried again. A folder is no file
// and a file no folder: each leaves the other alone. "/" is a separator as "\" is.
// Nothing of ours lies where a name can be no disk file (IsUnfitFileName): kRemovalNoFileName,
// before any call; nor behind a link: a name whose way down from `trusted` crosses one gives
// kRemovalThroughLink. On the NT family every part below `trusted` is checked through its handle
// and the removal goes through the handle that was checked (sys/Nativefile.h), so that a link
// swapped in meanwhile cannot redirect it; a place that cannot be checked gives kRemovalUnchecked
// and nothing is done there, not even by name. A link at the end is removed as a link where the
// system can open it as itself, never its target. The 9x family has no links: its names are
// looked at by their attributes. A "\\.\" device name (a 9x driver's) is unloaded by name there;
// the NT family has no such drivers and leaves it alone.
// `folders`: the folders checked so far in this run, kept for the names below them (or none).
constexpr uint32_t kRemovalThroughLink = 1921;   // ERROR_CANT_RESOLVE_FILENAME
constexpr uint32_t kRemovalNoFileName = 123;     // ERROR_INVALID_NAME
constexpr uint32_t kRemovalUnchecked = 1920;     // ERROR_CANT_ACCESS_FILE
class TCheckedFolders;
TRemovalError RemoveFile(const std::string& name, const std::string& trusted = std::string(),
                    TCheckedFolders* folders = nullptr);
TRemovalError RemoveFolder(const std::string& path, const std::string& trusted = std::string(),
                      TCheckedFolders* folders = nullptr);

struct TLineEntry {
  int32_t Number;
  char* Text;   // points into the owner's Buffer, ends at a zero byte
};

// A block from AllocZeroed that its owner gives back with FreeBlock, and that reads as the
// pointer it holds, as the table's fields are read.
template <typename T>
class TOwnedBlock : public UniqueHandle<NullEmptyTraits<T*, FreeBlock>> {
public:
  using UniqueHandle<NullEmptyTraits<T*, FreeBlock>>::UniqueHandle;
  operator T*() const noexcept { return this->Get(); }
};

class TclLineTable {
public:
  TclLineTable() = default;
  virtual ~TclLineTable();
  TclLineTable(const TclLineTable&) = delete;
  TclLineTable& operator=(const TclLineTable&) = delete;

  void ClearContent() noexcept {
    Entries.Reset();
    Buffer.Reset();
    EntryCount = 0;
    BufferLength = 0;
  }
  void ParseLines();
  const char* FindText(int32_t number) const;

  // Each block is its field's own: replacing or clearing the field gives the old one back.
  TOwnedBlock<TLineEntry> Entries;
  int32_t EntryCount = 0;
  TOwnedBlock<char> Buffer;
  int32_t BufferLength = 0;

protected:
  void TerminateLines();
  int32_t LineLength(const char* start, int32_t limit) const;
  int32_t SeparatorIndex(const char* start, int32_t limit) const;
  int32_t CountLines() const;
};
