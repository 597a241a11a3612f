// Lookup of a catalogue line by identifier, with its \r, \t and \n escapes expanded.
#pragma once
#include <string>
#include "sys/Fileiofun.h"

using LeadByteTest = bool (*)(unsigned char byte);

// Expands the three escapes in one left-to-right pass; a backslash that is the second byte of a
// double-byte character (by isLead) is no escape.
std::string ExpandEscapes(const std::string& text, LeadByteTest isLead);

// The lead-byte test of the system's ANSI code page (IsDBCSLeadByte on Windows).
bool SystemIsLeadByte(unsigned char byte);

class TclMsgList : public TclLineTable {
public:
  std::string MessageText(int32_t identifier) const;
};
