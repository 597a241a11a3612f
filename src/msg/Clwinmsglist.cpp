// Catalogue lookup with escape expansion. Bytes only; the lead-byte test comes in as a function.
#include "msg/Clwinmsglist.h"

namespace {

char EscapeByte(char c) {
  switch (c) {
    case 'r': return 13;
    case 't': return 9;
    case 'n': return 10;
    default: return 0;
  }
}

}  // namespace

std::string ExpandEscapes(const std::string& text, LeadByteTest isLead) {
  // Replacing an escape by one control byte never makes a new escape and never moves a character
  // boundary, so one pass gives what repeated leftmost replacement would. Walking whole characters
  // from the start is what tells a trail byte 92 from a real backslash.
  std::string out;
  out.reserve(text.size());
  const size_t n = text.size();
  size_t i = 0;
  while (i < n) {
    const char c = text[i];
    if (isLead && isLead(static_cast<unsigned char>(c)) && i + 1 < n) {
      out += c;
      out += text[i + 1];
      i += 2;
      continue;
    }
    if (c == '\\' && i + 1 < n) {
      const char replacement = EscapeByte(text[i + 1]);
      if (replacement) {
        out += replacement;
        i += 2;
        continue;
      }
    }
    out += c;
    ++i;
  }
  return out;
}

std::string TclMsgList::MessageText(int32_t identifier) const {
  const char* text = FindText(identifier);
  if (!text) return std::string();
  return ExpandEscapes(std::string(text), SystemIsLeadByte);
}
