// The running program's own file: its name, and whether a path names it.
#pragma once
#include <cstdint>
#include <string>

// Full name of the running program; empty when it does not fit MAX_PATH, since a cut path names
// some other file.
std::string ExeFileName();

// Which file a path names: it stays the same however the path is written, and changes when the
// file is replaced by another.
struct TFileIdentity {
  uint32_t Volume = 0;
  uint32_t IndexHigh = 0;
  uint32_t IndexLow = 0;
  uint32_t SizeHigh = 0;
  uint32_t SizeLow = 0;
  uint32_t WriteHigh = 0;
  uint32_t WriteLow = 0;
  bool operator==(const TFileIdentity& o) const;
};
// Of an open file (the platform's HANDLE) or of the file a path names; false when it cannot be had.
bool FileIdentityOf(void* file, TFileIdentity& identity);
bool ReadFileIdentity(const std::string& path, TFileIdentity& identity);

// True when the path names the running program's file, however it is written (long or 8.3 names,
// any case); by the names alone where the file system tells no identity.
bool IsThisProgram(const std::string& path);
