#include "sys/Runlog.h"

#include <windows.h>

#include "sys/Faultpoint.h"
#include "sys/Handle.h"
#include "sys/Pathutil.h"
#include "sys/Sysutil.h"

namespace {

struct TLog {
  TOwnFile File;
  std::string Waiting;   // written while an old file is still whole
};
TLog& Log() {
  static TLog log;
  return log;
}

void Write(const std::string& text) {
  TLog& log = Log();
  if (log.File.Existed) {
    log.Waiting += text;
    return;
  }
  // No buffer of our own: what WriteFile took survives the end of the process, however it ends.
  DWORD written = 0;
  SYS_ZERO("the log's writes", WriteFile, (log.File.File.Get(), text.data(), static_cast<DWORD>(text.size()), &written,
                                         nullptr));
}

bool IsControlByte(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }

const char* OutcomeWord(TLogOutcome outcome) {
  switch (outcome) {
    case TLogOutcome::Removed: return "removed";
    case TLogOutcome::Absent: return "absent";
    case TLogOutcome::Failed: return "failed";
    case TLogOutcome::Scheduled: return "scheduled";
    case TLogOutcome::LeftAlone: return "left alone";
    case TLogOutcome::HandedOver: return "handed to a copy of the uninstaller, which deletes it once this program has ended";
    case TLogOutcome::NotHandedOver: return "not handed to a copy of the uninstaller";
  }
  return "";
}

// The system's texts end with a line end, and some hold more: one text stays one line.
std::string OneLine(std::string text) {
  for (char& c : text)
    if (c == '\r' || c == '\n') c = ' ';
  size_t end = text.find_last_not_of(' ');
  text.erase(end == std::string::npos ? 0 : end + 1);
  return text;
}

std::string SystemText(DWORD code, DWORD language) { return OneLine(SystemErrorText(code, language)); }

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

TOwnFileStatus RunlogOpen(const std::string& path) {
  RunlogClose();
  // Readable by others while the run writes it; nobody else may write or delete it meanwhile.
  TOwnFile file = OpenOwnFile(path);
  TOwnFileStatus status = file.Status;
  if (status.Opened()) Log().File = std::move(file);
  return status;
}

std::string RunlogOpenFailureText(const TOwnFileStatus& status) {
  if (status.Refusal != TOwnFileRefusal::Failed) return std::string("Refused: ") + OwnFileRefusalText(status.Refusal);
  std::string text = "Error " + DecimalText(status.Error);
  std::string system = RunlogErrorText(status.Error);
  return system.empty() ? text : text + ": " + system;
}

void RunlogReplace() {
  TLog& log = Log();
  if (!log.File.Existed) return;
  if (!EmptyOwnFile(log.File)) {
    // The old content cannot give way: it stays, and so does the file, untouched.
    RunlogAbandon();
    return;
  }
  Write(log.Waiting);
  log.Waiting.clear();
}

void RunlogAbandon() {
  TLog& log = Log();
  if (!log.File.Existed) return;
  log.File = TOwnFile();
  log.Waiting.clear();
}

bool RunlogLiesIn(const std::string& folder) {
  return RunlogActive() && !folder.empty() && IsBelowFolder(Log().File.Place, WithoutTrailingBackslashes(folder));
}

bool RunlogActive() { return Log().File.File.Valid(); }

void RunlogClose() {
  RunlogReplace();
  Log() = TLog();
}

std::string EscapedLogText(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0, n = 0; i < text.size(); i += n) {
    n = CharLengthAt(text, i);
    // A lead byte before a control byte makes no character: the control byte shows on its own.
    if (n == 2 && IsControlByte(text[i + 1])) n = 1;
    if (n == 1 && IsControlByte(text[i])) {
      const unsigned char c = static_cast<unsigned char>(text[i]);
      out += '<';
      out += "0123456789ABCDEF"[c >> 4];
      out += "0123456789ABCDEF"[c & 15];
      out += '>';
    } else {
      out.append(text, i, n);
    }
  }
  return out;
}

void RunlogLine(const std::string& text) {
  if (!RunlogActive()) return;
  // Names from the information files, registry values and the command line are anyone's: none of
  // them may start a line of its own or hide what follows.
  Write(EscapedLogText(text) + "\r\n");
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
  // A removal that answered with an error failed, whatever a look before it could see.
  if (error || (before && after)) {
    RunlogAction(action, target, TLogOutcome::Failed, error, after ? "still there" : nullptr);
  } else {
    RunlogAction(action, target, before ? TLogOutcome::Removed : TLogOutcome::Absent);
  }
}

std::string RunlogErrorText(uint32_t code) {
  // Support reads English; a system without its English table gives its own language.
  std::string text = SystemText(code, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
  return text.empty() ? SystemText(code, 0) : text;
}
