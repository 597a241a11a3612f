#include "removal/Pendingremoval.h"

#include <windows.h>
#include <vector>
#include "sys/Canonicalpath.h"
#include "sys/Faultpoint.h"
#include "sys/Handle.h"
#include "sys/Pathutil.h"
#include "sys/Reparse.h"
#include "sys/Runlog.h"
#include "sys/Sysutil.h"
#include "sys/Systemfolder.h"

namespace {

std::vector<std::string>& Scheduled() {
  static std::vector<std::string> paths;
  return paths;
}

std::string FullPath(const std::string& path) {
  std::string full = FullPathName(path);
  if (full.empty()) return path;
  // "C:\X\" and "C:\X" name the same folder; "C:\" keeps its backslash.
  return WithoutTrailingBackslashes(full, 3);
}

void Remember(const std::string& full) {
  if (!IsScheduledForRemoval(full)) Scheduled().push_back(full);
}

bool& OthersScheduled() {
  static bool scheduled = false;
  return scheduled;
}

const char kScheduleAction[] = "Delete at the next restart";
const char kScheduleWhere[] = "the restart schedule";
const char kReplaceWhere[] = "the restart list's swap";

// WININIT.INI is read by a real-mode program with small limits; a larger one is no file of ours to edit.
const DWORD kWininitLimit = 1024 * 1024;

// The whole file, or false when it cannot be had whole (a missing file is an empty one).
bool ReadWholeFile(const std::string& name, std::string& content) {
  content.clear();
  const char where[] = "the restart list's read";
  UniqueFile file(SYS_INVALID(where, CreateFileA, (name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                                   FILE_ATTRIBUTE_NORMAL, nullptr)));
  if (!file) {
    DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND;
  }
  DWORD high = 0;
  DWORD size = SYS_ONES(where, GetFileSize, (file.Get(), &high));
  if (size == INVALID_FILE_SIZE || high != 0 || size > kWininitLimit) return false;
  content.resize(size);
  DWORD done = 0;
  while (done < size) {
    DWORD got = 0;
    if (!SYS_ZERO(where, ReadFile, (file.Get(), &content[done], size - done, &got, nullptr)) || got == 0) return false;
    done += got;
  }
  // Grown meanwhile: not the whole of it.
  char extra = 0;
  DWORD got = 0;
  return SYS_ZERO(where, ReadFile, (file.Get(), &extra, 1, &got, nullptr)) && got == 0;
}

bool WriteNewFile(const std::string& name, const std::string& content) {
  const char where[] = "the restart list's write";
  UniqueFile file(SYS_INVALID(where, CreateFileA, (name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                                   FILE_ATTRIBUTE_NORMAL, nullptr)));
  if (!file) return false;
  DWORD written = 0;
  return SYS_ZERO(where, WriteFile, (file.Get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr)) &&
         written == content.size() && SYS_ZERO(where, FlushFileBuffers, (file.Get()));
}

// A name of this process's own in the folder; the file of that name exists, empty.
std::string NewNameBeside(const std::string& folder) {
  char name[MAX_PATH + 1] = {};
  if (!SYS_ZERO("the restart list's write", GetTempFileNameA, (folder.c_str(), "tvk", 0, name))) return std::string();
  return name;
}

bool ScheduleIn9xWininit(const std::string& full) {
  char shortName[MAX_PATH + 1] = {};
  DWORD n = SYS_ZERO("the restart list's entry", GetShortPathNameA, (full.c_str(), shortName, MAX_PATH));
  // A long name would make the restart's real-mode program fail on it, or on worse.
  if (n == 0 || n >= MAX_PATH) return false;
  std::string wininit = GetWindowsFolder() + "\\WININIT.INI";
  std::string content;
  if (!ReadWholeFile(wininit, content)) return false;
  return ReplaceFileContent(wininit, AddWininitDeletion(content, std::string(shortName, n)));
}

// ASCII only: a Turkish locale would not take "I" for the capital of "i".
std::string TrimmedLower(const std::string& line) {
  size_t b = 0, e = line.size();
  while (b < e && (line[b] == ' ' || line[b] == '\t')) ++b;
  while (e > b && (line[e - 1] == ' ' || line[e - 1] == '\t')) --e;
  std::string out = line.substr(b, e - b);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

}  // namespace

bool IsScheduledForRemoval(const std::string& path) {
  std::string full = FullPath(path);
  for (const auto& p : Scheduled())
    if (SamePathText(p, full)) return true;
  return false;
}

void NoteRemovalElsewhere(const std::string& path) {
  std::string full = FullPath(path);
  if (!full.empty()) Remember(full);
}

bool ReplaceFileContent(const std::string& name, const std::string& content) {
  size_t sep = LastPathSeparator(name);
  std::string folder = sep == std::string::npos ? std::string(".") : name.substr(0, sep);
  std::string fresh = NewNameBeside(folder);
  if (fresh.empty()) return false;
  if (!WriteNewFile(fresh, content)) {
    SYS_ZERO(kReplaceWhere, DeleteFileA, (fresh.c_str()));
    return false;
  }
  // The NT family swaps in one call; the 9x family has the name but answers that it cannot.
  if (SYS_ZERO(kReplaceWhere, MoveFileExA,
               (fresh.c_str(), name.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)))
    return true;
  if (SYS_ONES(kReplaceWhere, GetFileAttributesA, (name.c_str())) == INVALID_FILE_ATTRIBUTES) {
    if (SYS_ZERO(kReplaceWhere, MoveFileA, (fresh.c_str(), name.c_str()))) return true;
    SYS_ZERO(kReplaceWhere, DeleteFileA, (fresh.c_str()));
    return false;
  }
  // The old content steps aside under a name of its own, and comes back if the new cannot take
  // its place: at every moment one of the two is on disk whole.
  std::string old = NewNameBeside(folder);
  bool ok = !old.empty() && SYS_ZERO(kReplaceWhere, DeleteFileA, (old.c_str())) &&
            SYS_ZERO(kReplaceWhere, MoveFileA, (name.c_str(), old.c_str()));
  if (ok && !SYS_ZERO(kReplaceWhere, MoveFileA, (fresh.c_str(), name.c_str()))) {
    SYS_ZERO(kReplaceWhere, MoveFileA, (old.c_str(), name.c_str()));
    ok = false;
  }
  if (ok) SYS_ZERO(kReplaceWhere, DeleteFileA, (old.c_str()));
  else SYS_ZERO(kReplaceWhere, DeleteFileA, (fresh.c_str()));
  return ok;
}

std::string AddWininitDeletion(const std::string& content, const std::string& shortPath) {
  std::string entry = "NUL=" + shortPath + "\r\n";
  size_t pos = 0;
  while (pos < content.size()) {
    size_t end = content.find('\n', pos);
    size_t next = end == std::string::npos ? content.size() : end + 1;
    std::string line = content.substr(pos, (end == std::string::npos ? content.size() : end) - pos);
    if (!line.empty() && line[line.size() - 1] == '\r') line.erase(line.size() - 1);
    if (TrimmedLower(line) == "[rename]") {
      std::string head = content.substr(0, next);
      if (end == std::string::npos) head += "\r\n";
      return head + entry + content.substr(next);
    }
    pos = next;
  }
  std::string out = content;
  if (!out.empty() && out[out.size() - 1] != '\n') out += "\r\n";
  return out + "[rename]\r\n" + entry;
}

namespace {

// False (with the reason in `error`) when the restart must not or could not take the path: a link
// in the way, or one that could not be looked at. 0 there means declined on purpose.
bool MayBeScheduled(const std::string& full, const std::string& trusted, uint32_t& error) {
  error = 0;
  // The restart would delete whatever a link there leads to.
  if (IsReparsePoint(full)) return false;
  if (trusted.empty()) return true;
  uint32_t unreadable = 0;
  if (!CrossesReparsePoint(full, trusted, &unreadable)) return true;
  error = unreadable;
  return false;
}

// A request the system refused, or that could not even be made: logged with its error.
bool Refused(uint32_t* out, uint32_t error, const std::string& full) {
  if (out) *out = error;
  if (error) RunlogAction(kScheduleAction, full, TLogOutcome::Failed, error);
  return false;
}

}  // namespace

bool ScheduleFileRemoval(const std::string& path, const std::string& trusted, uint32_t* error,
                         bool forTheProduct) {
  if (error) *error = 0;
  std::string full = FullPath(path);
  if (full.empty()) return Refused(error, ERROR_INVALID_NAME, path);
  uint32_t why = 0;
  if (!MayBeScheduled(full, trusted, why)) return Refused(error, why, full);
  bool ok = !IsNtMachine() ? ScheduleIn9xWininit(full)
                         : SYS_ZERO(kScheduleWhere, MoveFileExA, (full.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) != FALSE;
  DWORD failure = ok ? 0 : ::GetLastError();
  if (!ok) return Refused(error, failure ? failure : static_cast<DWORD>(ERROR_WRITE_FAULT), full);
  RunlogAction(kScheduleAction, full, TLogOutcome::Scheduled);
  Remember(full);
  // Whatever of the product waits, the uninstaller's own program too, needs the restart.
  if (forTheProduct) OthersScheduled() = true;
  return true;
}

bool ScheduleFolderRemoval(const std::string& path, const std::string& trusted, uint32_t* error) {
  if (error) *error = 0;
  std::string full = FullPath(path);
  if (full.empty()) return Refused(error, ERROR_INVALID_NAME, path);
  uint32_t why = 0;
  if (!MayBeScheduled(full, trusted, why)) return Refused(error, why, full);
  DWORD attributes = SYS_ONES(kScheduleWhere, GetFileAttributesA, (full.c_str()));
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    DWORD failure = ::GetLastError();
    return Refused(error, failure == ERROR_FILE_NOT_FOUND || failure == ERROR_PATH_NOT_FOUND ? 0 : failure, full);
  }
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;

  WIN32_FIND_DATAA data;
  UniqueFind find(SYS_INVALID(kScheduleWhere, FindFirstFileA, ((full + "\\*").c_str(), &data)));
  if (!find) return Refused(error, ::GetLastError(), full);
  bool allScheduled = true;
  do {
    std::string name = data.cFileName;
    if (name == "." || name == "..") continue;
    if (!IsScheduledForRemoval(full + "\\" + name)) allScheduled = false;
  } while (allScheduled && SYS_ZERO(kScheduleWhere, FindNextFileA, (find.Get(), &data)));
  // Something that is not going keeps the folder, on purpose; a list that broke off tells nothing.
  if (!allScheduled) return false;
  if (::GetLastError() != ERROR_NO_MORE_FILES) return Refused(error, ::GetLastError(), full);
  // Emptied by the restart, yet WININIT.INI cannot remove a folder: it would stay.
  if (!IsNtMachine()) return Refused(error, ERROR_NOT_SUPPORTED, full);

  // Queued after its content, so the restart empties it first.
  if (!SYS_ZERO(kScheduleWhere, MoveFileExA, (full.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))) {
    DWORD failure = ::GetLastError();
    return Refused(error, failure ? failure : static_cast<DWORD>(ERROR_WRITE_FAULT), full);
  }
  RunlogAction(kScheduleAction, full, TLogOutcome::Scheduled);
  Remember(full);
  return true;
}

bool RestartNeeded() { return OthersScheduled(); }
