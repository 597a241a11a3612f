// The numbered-line table. Only bytes here: no platform headers, so it also builds natively.
#include "sys/Fileiofun.h"

#include <cstring>

#include "msg/Setupapifun.h"

namespace {

bool IsNumberSpace(unsigned char c) {
  return (c >= 9 && c <= 13) || c == 32;
}

// The number at the start of a line: white space, an optional sign, decimal digits, and whatever
// follows ignored. Wraps like the 32-bit register it came from; a line without digits is 0. The
// line is zero-terminated inside the block, so the scan cannot leave it.
int32_t ReadLineNumber(const char* p) {
  auto at = [&p] { return static_cast<unsigned char>(*p); };
  while (IsNumberSpace(at())) ++p;
  bool negative = false;
  if (at() == '+' || at() == '-') {
    negative = at() == '-';
    ++p;
  }
  uint32_t value = 0;
  while (at() >= '0' && at() <= '9') {
    value = value * 10u + static_cast<uint32_t>(at() - '0');
    ++p;
  }
  if (negative) value = 0u - value;
  int32_t result;
  std::memcpy(&result, &value, sizeof result);
  return result;
}

}  // namespace

TclLineTable::~TclLineTable() {
  ClearContent();
}

void TclLineTable::ClearContent() {
  if (Entries) FreeBlock(Entries);
  if (Buffer) FreeBlock(Buffer);
  Entries = nullptr;
  Buffer = nullptr;
  EntryCount = 0;
  BufferLength = 0;
}

void TclLineTable::TerminateLines() {
  for (int32_t i = 0; i < BufferLength; ++i) {
    char c = Buffer[i];
    if (c == 10 || c == 13 || c == 26) Buffer[i] = 0;
  }
}

int32_t TclLineTable::LineLength(const char* start, int32_t limit) const {
  int32_t n = 0;
  while (n < limit && start[n] != 0) ++n;
  return n;
}

int32_t TclLineTable::SeparatorIndex(const char* start, int32_t limit) const {
  for (int32_t i = 0; i < limit; ++i) {
    if (start[i] == 9 || start[i] == 32) return i;
  }
  return limit;
}

int32_t TclLineTable::CountLines() const {
  int32_t count = 0;
  int32_t pos = 0;
  while (pos < BufferLength) {
    int32_t len = LineLength(Buffer + pos, BufferLength - pos);
    if (len == 0) {
      ++pos;
    } else {
      ++count;
      pos += len;
    }
  }
  return count;
}

void TclLineTable::ParseLines() {
  if (!Buffer) return;
  // A second parse of the same bytes must not leak the table of the first.
  if (Entries) FreeBlock(Entries);
  Entries = nullptr;
  EntryCount = 0;

  TerminateLines();
  int32_t n = CountLines();
  if (n <= 0) return;
  // Near 2 GiB of one-byte lines the table's size would wrap 32 bits: no rows beats a short table.
  if (static_cast<uint32_t>(n) > UINT32_MAX / sizeof(TLineEntry)) return;
  auto* rows = static_cast<TLineEntry*>(AllocZeroed(static_cast<uint32_t>(n) * sizeof(TLineEntry)));
  if (!rows) return;

  int32_t i = 0;
  int32_t pos = 0;
  while (pos < BufferLength) {
    char* line = Buffer + pos;
    int32_t len = LineLength(line, BufferLength - pos);
    if (len == 0) {
      ++pos;
      continue;
    }
    int32_t sep = SeparatorIndex(line, len);
    if (sep != 0 && sep != len) {
      rows[i].Number = ReadLineNumber(line);
      rows[i].Text = line + sep + 1;
      ++i;
      if (i >= n) break;
    }
    pos += len;
  }
  Entries = rows;
  EntryCount = i;
}

const char* TclLineTable::FindText(int32_t number) const {
  if (!Entries) return nullptr;
  for (int32_t i = 0; i < EntryCount; ++i) {
    if (Entries[i].Number == number) return Entries[i].Text;
  }
  return nullptr;
}
