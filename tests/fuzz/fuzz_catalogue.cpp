// libFuzzer target: arbitrary bytes as a catalogue block. Checks that parsing and lookup stay inside
// the block, and that the one-pass escape expansion equals the slow repeated leftmost replacement
// for single-byte and Shift-JIS lead-byte tables.
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "msg/Clwinmsgfile.h"
#include "sys/Setupapifun.h"
#include "unit/msg/CatalogueBytes.h"

namespace {

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
  }
}

// True when the byte at p is the second byte of a double-byte character.
bool IsTrail(const std::string& s, size_t p, LeadByteTest lead) {
  size_t i = 0;
  while (i < p) i += (lead(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) ? 2 : 1;
  return i != p;
}

size_t FindEscape(const std::string& s, char letter, LeadByteTest lead) {
  const char pair[] = {'\\', letter, 0};
  for (size_t p = s.find(pair); p != std::string::npos; p = s.find(pair, p + 1)) {
    if (!IsTrail(s, p, lead)) return p;
  }
  return std::string::npos;
}

// Repeated leftmost search, \r before \t before \n, restarting after every replacement.
std::string SlowExpand(std::string s, LeadByteTest lead) {
  static const char letters[] = {'r', 't', 'n'};
  static const char bytes[] = {13, 9, 10};
  for (;;) {
    bool replaced = false;
    for (int k = 0; k < 3 && !replaced; ++k) {
      size_t p = FindEscape(s, letters[k], lead);
      if (p != std::string::npos) {
        s.replace(p, 2, 1, bytes[k]);
        replaced = true;
      }
    }
    if (!replaced) return s;
  }
}

void CheckText(const char* text) {
  const std::string raw(text);
  const std::string single = ExpandEscapes(raw, NoLeadBytes);
  Check(single.size() <= raw.size(), "expansion grew");
  for (size_t i = 0; i + 1 < single.size(); ++i) {
    Check(!(single[i] == '\\' && (single[i + 1] == 'r' || single[i + 1] == 't' ||
                                  single[i + 1] == 'n')),
          "escape left after single-byte expansion");
  }
  if (raw.size() <= 512) {
    Check(single == SlowExpand(raw, NoLeadBytes), "single-byte expansion differs from slow search");
    Check(ExpandEscapes(raw, ShiftJisLead) == SlowExpand(raw, ShiftJisLead),
          "Shift-JIS expansion differs from slow search");
  }
}

struct Row {
  int32_t number;
  size_t textAt;   // offset of the text in the block
};

// The parse spelled out one byte at a time, as the format describes it: line ends become zero,
// every run of non-zero bytes is a line, a line with a separator after its first byte is a row.
// The product's parser takes wider steps and must still give exactly these rows.
std::vector<Row> ReferenceRows(std::string bytes) {
  for (char& c : bytes)
    if (c == 10 || c == 13 || c == 26) c = 0;
  std::vector<Row> rows;
  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t len = 0;
    while (pos + len < bytes.size() && bytes[pos + len] != 0) ++len;
    if (len == 0) {
      ++pos;
      continue;
    }
    size_t sep = 0;
    while (sep < len && bytes[pos + sep] != 9 && bytes[pos + sep] != 32) ++sep;
    if (sep != 0 && sep != len) {
      size_t p = pos;
      while (p < pos + len && ((bytes[p] >= 9 && bytes[p] <= 13) || bytes[p] == 32)) ++p;
      bool negative = false;
      if (p < pos + len && (bytes[p] == '+' || bytes[p] == '-')) negative = bytes[p++] == '-';
      uint32_t value = 0;
      while (p < pos + len && bytes[p] >= '0' && bytes[p] <= '9') value = value * 10u + (bytes[p++] - '0');
      if (negative) value = 0u - value;
      int32_t number;
      std::memcpy(&number, &value, sizeof number);
      rows.push_back({number, pos + sep + 1});
    }
    pos += len;
  }
  return rows;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > INT32_MAX - 1) return 0;
  char* block = static_cast<char*>(AllocZeroed(static_cast<uint32_t>(size + 1)));
  if (!block) return 0;
  if (size) std::memcpy(block, data, size);

  const std::vector<Row> expected = ReferenceRows(std::string(block, size));
  TclMsgFile cat;
  cat.AdoptBuffer(block, static_cast<int32_t>(size));
  Check(cat.EntryCount == static_cast<int32_t>(expected.size()), "row count differs from the reference");
  for (int32_t i = 0; i < cat.EntryCount; ++i) {
    Check(cat.Entries[i].Number == expected[i].number, "number differs from the reference");
    Check(cat.Entries[i].Text == cat.Buffer + expected[i].textAt, "text differs from the reference");
  }
  const char* begin = cat.Buffer;
  const char* end = begin + cat.BufferLength;
  Check(cat.BufferLength == static_cast<int32_t>(size), "length changed");
  Check(*end == 0, "no zero after the file bytes");
  for (const char* p = begin; p < end; ++p) Check(*p != 10 && *p != 13 && *p != 26, "line end left");
  Check(cat.EntryCount >= 0 && static_cast<size_t>(cat.EntryCount) <= (size + 1) / 2, "row count");
  Check(cat.EntryCount == 0 || cat.Entries != nullptr, "rows without a table");

  for (int32_t i = 0; i < cat.EntryCount; ++i) {
    const TLineEntry& row = cat.Entries[i];
    Check(row.Text > begin && row.Text <= end, "text outside the block");
    Check(row.Text[-1] == 9 || row.Text[-1] == 32, "text not after a separator");
    Check(row.Text + std::strlen(row.Text) <= end, "text runs past the block");
    const char* found = cat.FindText(row.Number);
    Check(found != nullptr, "row not found by its number");
    for (int32_t j = 0; j < cat.EntryCount; ++j) {
      if (cat.Entries[j].Number == row.Number) {
        Check(found == cat.Entries[j].Text, "not the first row of its number");
        break;
      }
    }
    Check(cat.MessageText(row.Number) == ExpandEscapes(found, NoLeadBytes),
          "MessageText differs from the expansion of the first row");
    CheckText(row.Text);
  }
  for (int32_t other : {0, -1, 1, INT32_MIN, INT32_MAX, 15001, 15302}) {
    const char* t = cat.FindText(other);
    if (t) Check(cat.MessageText(other) == ExpandEscapes(t, NoLeadBytes), "MessageText differs");
    else Check(cat.MessageText(other).empty(), "text without a row");
  }

  // The bytes are terminated already: a second parse must find the same rows.
  const int32_t rows = cat.EntryCount;
  cat.ParseLines();
  Check(cat.EntryCount == rows, "second parse differs");
  return 0;
}
