// POSIX stand-ins for the platform side of the catalogue: the four reading primitives and the
// lead-byte test, so that the byte-level product code runs natively under the sanitizers.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "msg/Clwinmsglist.h"
#include "sys/Fileiofun.h"

namespace {

int Fd(FileHandle handle) { return static_cast<int>(reinterpret_cast<intptr_t>(handle)); }

bool g_shiftJis = false;

}  // namespace

FileHandle OpenFileForRead(const std::string& name) {
  int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return kInvalidFileHandle;
  struct stat st;
  // Like CreateFileA without backup semantics: a folder does not open as a file.
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return kInvalidFileHandle;
  }
  return reinterpret_cast<FileHandle>(static_cast<intptr_t>(fd));
}

uint64_t GetOpenFileSize(FileHandle handle) {
  if (handle == kInvalidFileHandle) return 0;
  struct stat st;
  if (::fstat(Fd(handle), &st) != 0) return 0;
  return static_cast<uint64_t>(st.st_size);
}

uint32_t ReadFileAt(FileHandle handle, uint32_t offsetLow, uint32_t offsetHigh, void* buffer,
                    uint32_t count) {
  if (handle == kInvalidFileHandle) return 0;
  off_t offset = static_cast<off_t>((static_cast<uint64_t>(offsetHigh) << 32) | offsetLow);
  ssize_t got;
  do {
    got = ::pread(Fd(handle), buffer, count, offset);
  } while (got < 0 && errno == EINTR);
  return got < 0 ? 0 : static_cast<uint32_t>(got);
}

void CloseFileHandle(FileHandle handle) {
  if (handle == kInvalidFileHandle) return;
  const int error = errno;
  ::close(Fd(handle));
  errno = error;
}

bool SystemIsLeadByte(unsigned char byte) {
  return g_shiftJis && ((byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC));
}

// Test hook: from here on the lead-byte test answers as code page 932 does.
int SelectShiftJis() {
  g_shiftJis = true;
  return 932;
}
