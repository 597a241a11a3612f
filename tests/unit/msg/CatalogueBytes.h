// Shared by the Wine and the native runs: no platform headers here.
#pragma once
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "msg/Clwinmsgfile.h"
#include "sys/Setupapifun.h"

// Lead-byte tables for the escape expansion: Shift-JIS (code page 932), and none at all.
inline bool ShiftJisLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
inline bool NoLeadBytes(unsigned char) { return false; }

// Hands bytes to a catalogue the way a load does: a zero-filled block one byte longer.
inline void AdoptBytes(TclMsgFile& catalogue, const std::string& bytes) {
  char* block = static_cast<char*>(AllocZeroed(static_cast<uint32_t>(bytes.size() + 1)));
  std::memcpy(block, bytes.data(), bytes.size());
  catalogue.AdoptBuffer(block, static_cast<int32_t>(bytes.size()));
}

inline std::string TextOf(const TclMsgFile& catalogue, int32_t number) {
  const char* t = catalogue.FindText(number);
  return t ? std::string(t) : std::string("<no row>");
}

// The numbers of the rows, in file order.
inline std::vector<int32_t> RowNumbers(const TclMsgFile& catalogue) {
  std::vector<int32_t> numbers;
  for (int32_t i = 0; i < catalogue.EntryCount; ++i) numbers.push_back(catalogue.Entries[i].Number);
  return numbers;
}

// A file in the current folder, removed again at the end of the test.
class ScratchFile {
public:
  ScratchFile(const std::string& name, const std::string& bytes) : name_(name) {
    std::FILE* f = std::fopen(name.c_str(), "wb");
    if (f) {
      std::fwrite(bytes.data(), 1, bytes.size(), f);
      std::fclose(f);
    }
  }
  ~ScratchFile() { std::remove(name_.c_str()); }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;
  const std::string& Name() const { return name_; }
private:
  std::string name_;
};

// Makes the lead-byte test answer for Shift-JIS and returns the code page in effect: the native
// build switches its table, under Wine the locale of the test run decides.
int SelectShiftJis();
