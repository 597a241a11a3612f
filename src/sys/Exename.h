// The running program's own file: its name, and whether a path names it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// Full name of the running program, asked once; empty when it does not fit MAX_PATH, since a cut
// path names some other file.
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

// Holds the running program's own file open until the process ends: shared for reading only, so
// that nobody can rename, replace or change it meanwhile, and inherited by no program that this one
// starts. 0 when held; otherwise why not: the Windows error, or kProgramFileReplaced when the file
// now at the program's path is not the one that runs.
constexpr uint32_t kProgramFileReplaced = 1006;   // ERROR_FILE_INVALID
uint32_t HoldProgramFile();
// The held file (the platform's HANDLE), or null; and why it is not held (0 when it is).
void* HeldProgramFile();
uint32_t ProgramFileHoldError();

// Whether an open file is the one that the process was started from, by the names that the system
// gives the mapped image and the handle now (UTF-16, counted; a name it could not give is empty).
bool SameObjectName(const wchar_t* image, size_t imageLength, const wchar_t* file, size_t fileLength);

// True when the path names the running program's file, however it is written (long or 8.3 names,
// any case); by the names alone where the file system tells no identity.
bool IsThisProgram(const std::string& path);
