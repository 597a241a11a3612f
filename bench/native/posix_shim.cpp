// The catalogue's four read primitives and the lead-byte test over POSIX calls, for the native
// build that times the byte-level code without Wine in the way.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "msg/Clwinmsglist.h"
#include "sys/Fileiofun.h"

namespace {
int Descriptor(FileHandle handle) {
  return static_cast<int>(reinterpret_cast<intptr_t>(handle)) - 1;
}
}  // namespace

// The descriptor is stored plus one so that descriptor 0 is not a null handle.
FileHandle OpenFileForRead(const std::string& name) {
  const int fd = ::open(name.c_str(), O_RDONLY);
  if (fd < 0) return kInvalidFileHandle;
  return reinterpret_cast<FileHandle>(static_cast<intptr_t>(fd) + 1);
}

uint64_t GetOpenFileSize(FileHandle handle) {
  struct stat st;
  if (handle == kInvalidFileHandle || ::fstat(Descriptor(handle), &st) != 0) return 0;
  return static_cast<uint64_t>(st.st_size);
}

uint32_t ReadFileAt(FileHandle handle, uint32_t offsetLow, uint32_t offsetHigh, void* buffer,
                    uint32_t count) {
  if (handle == kInvalidFileHandle) return 0;
  const off_t offset = static_cast<off_t>((static_cast<uint64_t>(offsetHigh) << 32) | offsetLow);
  const ssize_t got = ::pread(Descriptor(handle), buffer, count, offset);
  return got > 0 ? static_cast<uint32_t>(got) : 0;
}

void CloseFileHandle(FileHandle handle) {
  if (handle != kInvalidFileHandle) ::close(Descriptor(handle));
}

bool SystemIsLeadByte(unsigned char) { return false; }
