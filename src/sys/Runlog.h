// The run's log, for deployment tools and support: plain lines in the ANSI code page with CR LF
// ends, in English. Each line goes to the file as it is written, so a run that is killed still
// leaves what it did up to then. Without an open log every call does nothing.
#pragma once
#include <cstdint>
#include <string>

enum class TLogOutcome { Removed, Absent, Failed, Scheduled, LeftAlone };

// Creates the file, or replaces it; 0 or the Windows error code.
uint32_t RunlogOpen(const std::string& path);
bool RunlogActive();
void RunlogClose();
void RunlogLine(const std::string& text);

// One action with what came of it: "<action> <target>: <outcome>[, <why>][ (error N: text)]".
void RunlogAction(const std::string& action, const std::string& target, TLogOutcome outcome,
                  uint32_t error = 0, const std::string& why = std::string());
// A removal judged by what was there before and after it.
void RunlogRemoval(const std::string& action, const std::string& target, bool before, bool after);

// The system's text for an error code on one line: English where the system has it.
std::string RunlogErrorText(uint32_t code);

// The line that RunlogAction writes, given the error's text.
std::string FormatActionLine(const std::string& action, const std::string& target, TLogOutcome outcome,
                             uint32_t error, const std::string& errorText, const std::string& why);
