#include "msg/Builtintext.h"

#include <windows.h>

std::string GetBuiltinText(int32_t identifier) {
  // String-table ids are 16 bits and LoadString drops the rest: 15001 + 65536 would alias 15001.
  if (identifier < 0 || identifier > 0xFFFF) return std::string();
  char text[1024] = {};
  int n = ::LoadStringA(::GetModuleHandleA(nullptr), static_cast<UINT>(identifier), text,
                        static_cast<int>(sizeof text));
  if (n <= 0) return std::string();
  return std::string(text, static_cast<size_t>(n));
}
