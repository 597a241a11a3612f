// What a run could not remove: files still in use after their last attempt and folders that kept
// content. Nothing of it is scheduled while the run goes on, so a run that ends early (a cancel, a
// crash, a power cut) leaves every remaining file in place, the uninstaller above all.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class THeldRemovals {
public:
  void Clear();
  // `trusted`: the folder below which no link may lie on the way to the path (empty: none).
  void AddFile(const std::string& path, const std::string& trusted = std::string());
  void AddFolder(const std::string& path, const std::string& trusted = std::string());
  const std::vector<std::string>& Files() const { return files_; }
  const std::vector<std::string>& Folders() const { return folders_; }

  // For a run that went through every item: every file for the next restart but `own` (the
  // running program's, whose way is decided apart; or empty), then each folder whose remaining
  // content all goes, except the one that holds `own`. 0, or the Windows error of the first that
  // the system refused; a link in the way and a folder that keeps what is not going are no failure.
  // `listed`, when given, is set once a file was listed for the restart.
  uint32_t ScheduleAllBut(const std::string& own, bool* listed = nullptr) const;
  // Afterwards, the folder that holds `own`, if it stayed in the run: once `own` is scheduled too,
  // or (`elsewhere`) goes by another process, where the folder also waits for a file scheduled here.
  uint32_t ScheduleFolderOf(const std::string& own, bool elsewhere) const;

private:
  std::vector<std::string> files_;
  std::vector<std::string> folders_;
  std::vector<std::string> fileTrusted_;     // beside files_, one each
  std::vector<std::string> folderTrusted_;   // beside folders_, one each
};
