#include "setup/Heldremovals.h"

#include "sys/Pathutil.h"
#include "sys/Pendingremoval.h"

namespace {

std::string ParentFolder(const std::string& path) {
  size_t sep = LastPathSeparator(path);
  return sep == std::string::npos ? std::string() : path.substr(0, sep);
}

bool HoldsAny(const std::string& folder, const std::vector<std::string>& paths) {
  for (const auto& p : paths)
    if (SameFolder(ParentFolder(p), folder)) return true;
  return false;
}

}  // namespace

void THeldRemovals::Clear() {
  files_.clear();
  folders_.clear();
  fileTrusted_.clear();
  folderTrusted_.clear();
}

void THeldRemovals::AddFile(const std::string& path, const std::string& trusted) {
  files_.push_back(path);
  fileTrusted_.push_back(trusted);
}

void THeldRemovals::AddFolder(const std::string& path, const std::string& trusted) {
  folders_.push_back(path);
  folderTrusted_.push_back(trusted);
}

void THeldRemovals::Schedule(const std::string& handedOver) const {
  std::vector<std::string> scheduled;
  for (size_t i = 0; i < files_.size(); ++i) {
    const std::string& f = files_[i];
    if (f != handedOver && ScheduleFileRemoval(f, fileTrusted_[i])) scheduled.push_back(f);
  }
  if (!handedOver.empty()) NoteRemovalElsewhere(handedOver);
  for (size_t i = 0; i < folders_.size(); ++i) {
    const std::string& d = folders_[i];
    // Emptied by the other process right after this one ends: a restart has nothing to do there.
    if (!handedOver.empty() && SameFolder(ParentFolder(handedOver), d) && !HoldsAny(d, scheduled)) continue;
    if (ScheduleFolderRemoval(d, folderTrusted_[i])) scheduled.push_back(d);
  }
}
