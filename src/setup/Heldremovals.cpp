#include "setup/Heldremovals.h"

#include "removal/Pendingremoval.h"
#include "sys/Pathutil.h"

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

uint32_t THeldRemovals::ScheduleAllBut(const std::string& own, bool* listed) const {
  uint32_t failure = 0, why = 0;
  for (size_t i = 0; i < files_.size(); ++i) {
    if (files_[i] == own) continue;
    if (ScheduleFileRemoval(files_[i], fileTrusted_[i], &why)) {
      if (listed) *listed = true;
    } else if (failure == 0) {
      failure = why;
    }
  }
  const std::string ownFolder = own.empty() ? std::string() : ParentFolder(own);
  for (size_t i = 0; i < folders_.size(); ++i) {
    if (!ownFolder.empty() && SameFolder(ownFolder, folders_[i])) continue;
    if (!ScheduleFolderRemoval(folders_[i], folderTrusted_[i], &why) && failure == 0) failure = why;
  }
  return failure;
}

uint32_t THeldRemovals::ScheduleFolderOf(const std::string& own, bool elsewhere) const {
  const std::string folder = ParentFolder(own);
  for (size_t i = 0; i < folders_.size(); ++i) {
    if (!SameFolder(folder, folders_[i])) continue;
    if (elsewhere) {
      NoteRemovalElsewhere(own);
      // Emptied by the other process right after this one ends: a restart has nothing to do there.
      bool waits = false;
      for (const auto& f : files_)
        if (f != own && SameFolder(ParentFolder(f), folder) && IsScheduledForRemoval(f)) waits = true;
      if (!waits) return 0;
    }
    uint32_t why = 0;
    return ScheduleFolderRemoval(folders_[i], folderTrusted_[i], &why) ? 0 : why;
  }
  return 0;
}
