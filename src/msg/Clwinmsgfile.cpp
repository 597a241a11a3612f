// Loading a catalogue file whole. Bytes and the file primitives only, so it also builds natively.
#include "msg/Clwinmsgfile.h"

#include "sys/Setupapifun.h"

namespace {

constexpr uint64_t kMaxFileSize = 0x7FFFFFFFu;   // byte counts are 32-bit signed

}  // namespace

bool TclMsgFile::LoadFromFile(const std::string& path) {
  UniqueOpenFile file(OpenFileForRead(path));
  if (!file.Valid()) return false;
  const uint64_t size = GetOpenFileSize(file.Get());
  if (size == 0 || size > kMaxFileSize) return false;
  const uint32_t length = static_cast<uint32_t>(size);
  // One zero byte more than the file, so the text of a last line without a line end ends too.
  UniqueBlock block(static_cast<char*>(AllocZeroed(length + 1)));
  if (!block.Get()) return false;
  // One read; a short one is fine, the rest of the block stays zero.
  if (ReadFileAt(file.Get(), 0, 0, block.Get(), length) == 0) return false;
  // Only now is the previous content given up: any failure above left it answering.
  AdoptBuffer(block.Release(), static_cast<int32_t>(length));
  return true;
}

void TclMsgFile::AdoptBuffer(char* block, int32_t length) {
  ClearContent();
  Buffer.Reset(block);
  BufferLength = block ? length : 0;
  ParseLines();
}
