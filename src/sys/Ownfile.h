// A file that this run writes at a path that someone else chose (the log). The run is elevated and
// the path may lie in a folder where anyone can plant things: only an ordinary disk file with one
// name, lying where its path says, is taken. Anything else there is refused before a byte of it
// changes, and an old file is emptied only when its new owner says so.
#pragma once
#include <cstdint>
#include <string>
#include "sys/Handle.h"

enum class TOwnFileRefusal {
  None,
  Failed,       // a call failed: Error says why
  UnfitName,    // a device name, a stream, "\\.\" or "\\?\", characters no file name has
  NotLocal,     // on another computer: a share, or a drive letter mapped to one
  Folder,
  Device,
  Link,         // a reparse point (a symbolic link, a junction)
  SecondName,   // a file with more than one name (a hard link)
  Elsewhere,    // the path leads through a link to a file somewhere else
};

struct TOwnFileStatus {
  TOwnFileRefusal Refusal = TOwnFileRefusal::None;
  uint32_t Error = 0;   // of the call that failed
  bool Opened() const { return Refusal == TOwnFileRefusal::None; }
};

struct TOwnFile {
  UniqueFile File;        // readable and writable; shared for reading only while it is open
  bool Existed = false;   // an old file, still whole
  std::string Place;      // where it lies: the full path, long names
  TOwnFileStatus Status;
};

// Opens the file that is there, or makes a new one. A file this call made and then refused is
// deleted again; an old one is left as it was.
TOwnFile OpenOwnFile(const std::string& path);

// Empties an old file (through its handle: the file checked is the file emptied).
bool EmptyOwnFile(TOwnFile& file);

// Why a path was refused, in a few English words ("a link"); empty for None and Failed.
const char* OwnFileRefusalText(TOwnFileRefusal refusal);

// Whether an open file lies at the place (full path, long names): by its path below the volume and
// the volume's serial number, as the NT family has told since NT 4.
bool HandleLiesAt(void* file, const std::string& place);
bool HandleLiesBelowVolumeAt(void* file, const std::string& place);
