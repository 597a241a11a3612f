// Whole-file reading through a handle, file and folder removal, and the numbered-line table that
// the message catalogue builds on. Kept free of <windows.h> so that the byte-level parts also build
// natively (sanitizers, fuzzer); a file handle is the platform's HANDLE value.
#pragma once
#include <cstdint>
#include <string>

using FileHandle = void*;
inline FileHandle const kInvalidFileHandle = reinterpret_cast<FileHandle>(static_cast<intptr_t>(-1));

FileHandle OpenFileForRead(const std::string& name);   // no sharing; kInvalidFileHandle on failure
uint64_t GetOpenFileSize(FileHandle handle);            // 0 on failure and for an empty file
uint32_t ReadFileAt(FileHandle handle, uint32_t offsetLow, uint32_t offsetHigh, void* buffer,
                    uint32_t count);                    // bytes read, 0 on failure or at the end
void CloseFileHandle(FileHandle handle);
uint32_t RemoveFile(const std::string& name);           // Windows error code; a missing file is 0
uint32_t RemoveFolder(const std::string& path);         // Windows error code; never empties it

struct TLineEntry {
  int32_t Number;
  char* Text;   // points into the owner's Buffer, ends at a zero byte
};

class TclLineTable {
public:
  TclLineTable() = default;
  virtual ~TclLineTable();
  TclLineTable(const TclLineTable&) = delete;
  TclLineTable& operator=(const TclLineTable&) = delete;

  void ClearContent();
  void ParseLines();
  const char* FindText(int32_t number) const;

  TLineEntry* Entries = nullptr;
  int32_t EntryCount = 0;
  char* Buffer = nullptr;
  int32_t BufferLength = 0;

protected:
  void TerminateLines();
  int32_t LineLength(const char* start, int32_t limit) const;
  int32_t SeparatorIndex(const char* start, int32_t limit) const;
  int32_t CountLines() const;
};
