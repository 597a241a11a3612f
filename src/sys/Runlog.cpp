#include "sys/Runlog.h"

#include <windows.h>

#include "sys/Handle.h"

namespace {

UniqueFile& LogFile() {
  static UniqueFile file;
  return file;
}

const char* OutcomeWord(TLogOutcome outcome) {
  switch (outcome) {
    case TLogOutcome::Removed: return "removed";
    case TLogOutcome::Absent: return "absent";
    case TLogOutcome::Failed: return "failed";
    case TLogOutcome::Scheduled: return "scheduled";
    case TLogOutcome::LeftAlone: return "left alone";
  }
  return "";
}

// Texts from the registry or the system may hold line ends; one entry stays one line.
std::string OneLine(std::string text) {
  for (char& c : text)
    if (c == '\r' || c == '\n') c = ' ';
  size_t end = text.find_last_not_of(' ');
  text.erase(end == std::string::npos ? 0 : end + 1);
  return text;
}

std::string SystemText(DWORD code, DWORD language) {
  char* raw = nullptr;
  DWORD n = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                 FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, code, language, reinterpret_cast<char*>(&raw), 0, nullptr);
  UniqueLocalText text(raw);
  return n && raw ? OneLine(std::string(raw, n)) : std::string();
}

}  // namespace

std::string DecimalText(uint32_t value) {
  char digits[11];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  std::string out;
  while (n > 0) out += digits[--n];
  return out;
}

uint32_t RunlogOpen(const std::string& path) {
  RunlogClose();
  // Readable by others while the run writes it; nobody else may write or delete it meanwhile.
  UniqueFile file(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return ::GetLastError();
  LogFile() = std::move(file);
  return 0;
}

bool RunlogActive() { return LogFile().Valid(); }

void RunlogClose() { LogFile().Reset(); }

void RunlogLine(const std::string& text) {
  if (!RunlogActive()) return;
  std::string line = OneLine(text) + "\r\n";
  // No buffer of our own: what WriteFile took survives the end of the process, however it ends.
  DWORD written = 0;
  ::WriteFile(LogFile().Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

void RunlogJoin(std::initializer_list<TLogText> pieces) {
  if (!RunlogActive()) return;
  std::string line;
  for (const TLogText& piece : pieces) line.append(piece.Text, piece.Length);
  RunlogLine(line);
}

std::string FormatActionLine(const char* action, const std::string& target, TLogOutcome outcome,
                             uint32_t error, const std::string& errorText, const char* why) {
  std::string line = action;
  line += ' ';
  line += target;
  line += ": ";
  line += OutcomeWord(outcome);
  if (why && *why) {
    line += ", ";
    line += why;
  }
  if (error != 0) {
    line += " (error ";
    line += DecimalText(error);
    if (!errorText.empty()) {
      line += ": ";
      line += errorText;
    }
    line += ')';
  }
  return line;
}

void RunlogAction(const char* action, const std::string& target, TLogOutcome outcome, uint32_t error,
                  const char* why) {
  if (!RunlogActive()) return;
  std::string text = error ? RunlogErrorText(error) : std::string();
  RunlogLine(FormatActionLine(action, target, outcome, error, text, why));
}

void RunlogRemoval(const char* action, const std::string& target, bool before, bool after, uint32_t error) {
  if (!before) {
    RunlogAction(action, target, TLogOutcome::Absent);
  } else if (after) {
    RunlogAction(action, target, TLogOutcome::Failed, error, "still there");
  } else {
    RunlogAction(action, target, TLogOutcome::Removed);
  }
}

std::string RunlogErrorText(uint32_t code) {
  // Support reads English; a system without its English table gives its own language.
  std::string text = SystemText(code, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
  return text.empty() ? SystemText(code, 0) : text;
}
