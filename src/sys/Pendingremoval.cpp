#include "sys/Pendingremoval.h"

#include <windows.h>
#include <vector>
#include "sys/Canonicalpath.h"
#include "sys/Exename.h"
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

// WININIT.INI is read by a real-mode program with small limits; a larger one is no file of ours to edit.
const DWORD kWininitLimit = 1024 * 1024;

// The whole file, or false when it cannot be had whole (a missing file is an empty one).
bool ReadWholeFile(const std::string& name, std::string& content) {
  content.clear();
  UniqueFile file(::CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND;
  }
  DWORD high = 0;
  DWORD size = ::GetFileSize(file.Get(), &high);
  if (size == INVALID_FILE_SIZE || high != 0 || size > kWininitLimit) return false;
  content.resize(size);
  DWORD done = 0;
  while (done < size) {
    DWORD got = 0;
    if (!::ReadFile(file.Get(), &content[done], size - done, &got, nullptr) || got == 0) return false;
    done += got;
  }
  // Grown meanwhile: not the whole of it.
  char extra = 0;
  DWORD got = 0;
  return ::ReadFile(file.Get(), &extra, 1, &got, nullptr) && got == 0;
}

bool WriteNewFile(const std::string& name, const std::string& content) {
  UniqueFile file(::CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return ::WriteFile(file.Get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
         written == content.size() && ::FlushFileBuffers(file.Get());
}

// A name of this process's own in the folder; the file of that name exists, empty.
std::string NewNameBeside(const std::string& folder) {
  char name[MAX_PATH + 1] = {};
  if (!::GetTempFileNameA(folder.c_str(), "tvk", 0, name)) return std::string();
  return name;
}

bool ScheduleIn9xWininit(const std::string& full) {
  char shortName[MAX_PATH + 1] = {};
  DWORD n = ::GetShortPathNameA(full.c_str(), shortName, MAX_PATH);
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
    ::DeleteFileA(fresh.c_str());
    return false;
  }
  // The NT family swaps in one call; the 9x family has the name but answers that it cannot.
  if (::MoveFileExA(fresh.c_str(), name.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
  if (::GetFileAttributesA(name.c_str()) == INVALID_FILE_ATTRIBUTES) {
    if (::MoveFileA(fresh.c_str(), name.c_str())) return true;
    ::DeleteFileA(fresh.c_str());
    return false;
  }
  // The old content steps aside under a name of its own, and comes back if the new cannot take
  // its place: at every moment one of the two is on disk whole.
  std::string old = NewNameBeside(folder);
  bool ok = !old.empty() && ::DeleteFileA(old.c_str()) && ::MoveFileA(name.c_str(), old.c_str());
  if (ok && !::MoveFileA(fresh.c_str(), name.c_str())) {
    ::MoveFileA(old.c_str(), name.c_str());
    ok = false;
  }
  if (ok) ::DeleteFileA(old.c_str());
  else ::DeleteFileA(fresh.c_str());
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

bool ScheduleFileRemoval(const std::string& path, const std::string& trusted) {
  std::string full = FullPath(path);
  if (full.empty()) return false;
  // The restart would delete whatever a link there leads to.
  if (IsReparsePoint(full) || (!trusted.empty() && CrossesReparsePoint(full, trusted))) return false;
  bool ok = !IsNtMachine() ? ScheduleIn9xWininit(full)
                         : ::MoveFileExA(full.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != FALSE;
  DWORD error = ok ? 0 : ::GetLastError();
  RunlogAction(kScheduleAction, full, ok ? TLogOutcome::Scheduled : TLogOutcome::Failed, error);
  if (!ok) return false;
  Remember(full);
  if (!IsThisProgram(full)) OthersScheduled() = true;
  return true;
}

bool ScheduleFolderRemoval(const std::string& path, const std::string& trusted) {
  // WININIT.INI cannot remove folders.
  if (!IsNtMachine()) return false;
  std::string full = FullPath(path);
  if (full.empty()) return false;
  if (IsReparsePoint(full) || (!trusted.empty() && CrossesReparsePoint(full, trusted))) return false;
  DWORD attributes = ::GetFileAttributesA(full.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;

  WIN32_FIND_DATAA data;
  UniqueFind find(::FindFirstFileA((full + "\\*").c_str(), &data));
  if (!find) return false;
  bool allScheduled = true;
  do {
    std::string name = data.cFileName;
    if (name == "." || name == "..") continue;
    if (!IsScheduledForRemoval(full + "\\" + name)) allScheduled = false;
  } while (allScheduled && ::FindNextFileA(find.Get(), &data));
  if (!allScheduled) return false;

  // Queued after its content, so the restart empties it first.
  if (!::MoveFileExA(full.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) {
    RunlogAction(kScheduleAction, full, TLogOutcome::Failed, ::GetLastError());
    return false;
  }
  RunlogAction(kScheduleAction, full, TLogOutcome::Scheduled);
  Remember(full);
  return true;
}

bool RestartNeeded() { return OthersScheduled(); }
