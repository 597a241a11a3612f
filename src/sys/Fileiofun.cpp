// The numbered-line table. Only bytes here: no platform headers, so it also builds natively.
#include "sys/Fileiofun.h"

#include <cstring>

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

// The fields would give their blocks back themselves; the table lets go of both together, as
// everywhere else.
TclLineTable::~TclLineTable() {
  ClearContent();
}

// The two whole-buffer passes are written without branches on the data, so that the compiler
// can take many bytes per step: a catalogue of some MiB then parses in about the time that a
// memchr count of its line ends takes.
void TclLineTable::TerminateLines() {
  // Locals, because a byte store could otherwise alias the length and stop the widening.
  auto* const bytes = reinterpret_cast<unsigned char*>(Buffer.Get());
  const int32_t length = BufferLength;
  for (int32_t i = 0; i < length; ++i) {
    const unsigned char c = bytes[i];
    const bool lineEnd = (c == 10) | (c == 13) | (c == 26);
    bytes[i] = lineEnd ? 0 : c;
  }
}

int32_t TclLineTable::LineLength(const char* start, int32_t limit) const {
  if (limit <= 0) return 0;
  const void* zero = std::memchr(start, 0, static_cast<size_t>(limit));
  return zero ? static_cast<int32_t>(static_cast<const char*>(zero) - start) : limit;
}

int32_t TclLineTable::SeparatorIndex(const char* start, int32_t limit) const {
  for (int32_t i = 0; i < limit; ++i) {
    if (start[i] == 9 || start[i] == 32) return i;
  }
  return limit;
}

// A non-empty line is a run of non-zero bytes, so counting lines is counting the bytes that
// follow a zero (or open the buffer) and are not zero themselves.
int32_t TclLineTable::CountLines() const {
  const int32_t length = BufferLength;
  if (length <= 0) return 0;
  const auto* const bytes = reinterpret_cast<const unsigned char*>(Buffer.Get());
  int32_t count = bytes[0] != 0;
  // Byte-wide sums over stretches of at most 255 bytes cannot wrap, and take the most per step.
  int32_t i = 1;
  while (i < length) {
    const int32_t stop = length - i > 255 ? i + 255 : length;
    uint8_t starts = 0;
    for (; i < stop; ++i) starts = static_cast<uint8_t>(starts + ((bytes[i] != 0) & (bytes[i - 1] == 0)));
    count += starts;
  }
  return count;
}

void TclLineTable::ParseLines() {
  if (!Buffer) return;
  // A second parse of the same bytes gives the table of the first back.
  Entries.Reset();
  EntryCount = 0;

  TerminateLines();
  int32_t n = CountLines();
  if (n <= 0) return;
  // Near 2 GiB of one-byte lines the table's size would wrap 32 bits: no rows beats a short table.
  if (static_cast<uint32_t>(n) > UINT32_MAX / sizeof(TLineEntry)) return;
  Entries.Reset(static_cast<TLineEntry*>(AllocZeroed(static_cast<uint32_t>(n) * sizeof(TLineEntry))));
  if (!Entries) return;

  // Locals, so that the row stores need not reload the table's and the buffer's fields.
  TLineEntry* const rows = Entries;
  char* const buffer = Buffer;
  const int32_t length = BufferLength;
  int32_t i = 0;
  int32_t pos = 0;
  while (pos < length) {
    char* line = buffer + pos;
    // Every CR LF leaves an empty line; they are told by their first byte.
    if (*line == 0) {
      ++pos;
      continue;
    }
    const int32_t len = LineLength(line, length - pos);
    const int32_t sep = SeparatorIndex(line, len);
    if (sep != 0 && sep != len) {
      rows[i].Number = ReadLineNumber(line);
      rows[i].Text = line + sep + 1;
      ++i;
      if (i >= n) break;
    }
    pos += len;
  }
  EntryCount = i;
}

const char* TclLineTable::FindText(int32_t number) const {
  if (!Entries) return nullptr;
  for (int32_t i = 0; i < EntryCount; ++i) {
    if (Entries[i].Number == number) return Entries[i].Text;
  }
  return nullptr;
}
