// The run's log, for deployment tools and support: plain lines in the ANSI code page with CR LF
// ends, in English. Each line goes to the file as it is written, so a run that is killed still
// leaves what it did up to then. Without an open log every call does nothing.
#pragma once
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include "sys/Ownfile.h"

enum class TLogOutcome { Removed, Absent, Failed, Scheduled, LeftAlone, HandedOver, NotHandedOver };

// Creates the file, or takes the one that is there, refusing what sys/Ownfile.h refuses. A new file
// is written from the first line; an old one stays whole until RunlogReplace, and what is written
// until then waits in memory.
TOwnFileStatus RunlogOpen(const std::string& path);
// Why the log could not be opened, in English: what was refused, or the error and its text.
std::string RunlogOpenFailureText(const TOwnFileStatus& status);
// The old file gives way to the log.
void RunlogReplace();
// An old file stays as it was: the log ends there and nothing is written to it. A new file goes on
// taking lines.
void RunlogAbandon();
// True when the open log lies in the folder or below it.
bool RunlogLiesIn(const std::string& folder);
bool RunlogActive();
// Replaces an old file, then ends the log.
void RunlogClose();
// One line. Whatever it holds, it stays one line: control bytes are written as <0D>, <0A>, ...
void RunlogLine(const std::string& text);
// One line joined from pieces: RunlogJoin({"Installation folder: ", folder}).
struct TLogText {
  TLogText(const char* text) : Text(text), Length(std::char_traits<char>::length(text)) {}
  TLogText(const std::string& text) : Text(text.data()), Length(text.size()) {}
  const char* Text;
  size_t Length;
};
void RunlogJoin(std::initializer_list<TLogText> pieces);

// One action with what came of it: "<action> <target>: <outcome>[, <why>][ (error N: text)]".
void RunlogAction(const char* action, const std::string& target, TLogOutcome outcome, uint32_t error = 0,
                  const char* why = nullptr);
// A removal judged by its error and by what was there before and after it; a failure names the
// removal's error.
void RunlogRemoval(const char* action, const std::string& target, bool before, bool after, uint32_t error = 0);

// A number in decimal (std::to_string would bring a printf of its own into the exe).
std::string DecimalText(uint32_t value);

// The system's text for an error code on one line: English where the system has it.
std::string RunlogErrorText(uint32_t code);

// A text as a log line holds it: every control byte (below 0x20, and 0x7F) as "<" two hex digits
// ">". Double-byte characters stay whole; bytes of 0x80 and above stay as they are.
std::string EscapedLogText(const std::string& text);

// The line that RunlogAction writes, given the error's text.
std::string FormatActionLine(const char* action, const std::string& target, TLogOutcome outcome,
                             uint32_t error, const std::string& errorText, const char* why);
