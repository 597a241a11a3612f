// A message catalogue file: read whole, then parsed into numbered lines.
#pragma once
#include <string>
#include "msg/Clwinmsglist.h"

class TclMsgFile : public TclMsgList {
public:
  // True when the file was read and parsed; any failure keeps the previous content.
  bool LoadFromFile(const std::string& path);
  // Takes over a zero-filled block of length + 1 bytes from AllocZeroed and parses it.
  void AdoptBuffer(char* block, int32_t length);
};
