// The run's log, for deployment tools and support: plain lines in the ANSI code page with CR LF
// ends, in English. Each line goes to the file as it is written, so a run that is killed still
// leaves what it did up to then. Without an open log every call does nothing.
#pragma once
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>

enum class TLogOutcome { Removed, Absent, Failed, Scheduled, LeftAlone };

// Creates the file, or replaces it; 0 or the Windows error code.
uint32_t RunlogOpen(const std::string& path);
bool RunlogActive();
void RunlogClose();
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
// A removal judged by what was there before and after it; a failure names the removal's error.
void RunlogRemoval(const char* action, const std::string& target, bool before, bool after, uint32_t error = 0);

// A number in decimal (std::to_string would bring a printf of its own into the exe).
std::string DecimalText(uint32_t value);

// The system's text for an error code on one line: English where the system has it.
std::string RunlogErrorText(uint32_t code);

// The line that RunlogAction writes, given the error's text.
std::string FormatActionLine(const char* action, const std::string& target, TLogOutcome outcome,
                             uint32_t error, const std::string& errorText, const char* why);
