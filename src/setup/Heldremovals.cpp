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
}

void THeldRemovals::AddFile(const std::string& path) { files_.push_back(path); }

void THeldRemovals::AddFolder(const std::string& path) { folders_.push_back(path); }

void THeldRemovals::Schedule(const std::string& handedOver) const {
  std::vector<std::string> scheduled;
  for (const auto& f : files_)
    if (f != handedOver && ScheduleFileRemoval(f)) scheduled.push_back(f);
  if (!handedOver.empty()) NoteRemovalElsewhere(handedOver);
  for (const auto& d : folders_) {
    // Emptied by the other process right after this one ends: a restart has nothing to do there.
    if (!handedOver.empty() && SameFolder(ParentFolder(handedOver), d) && !HoldsAny(d, scheduled)) continue;
    if (ScheduleFolderRemoval(d)) scheduled.push_back(d);
  }
}
