// Letters folded as the file system and the command line fold them: ASCII only, whatever the
// user's locale, and never inside a double-byte character (callers step over those themselves).
#pragma once
#include <string>

template <typename Char>
constexpr Char FoldAscii(Char c) {
  return c >= Char('a') && c <= Char('z') ? static_cast<Char>(c - Char('a') + Char('A')) : c;
}

inline std::string UpperAscii(std::string text) {
  for (char& c : text) c = FoldAscii(c);
  return text;
}
