// What a run could not remove: files still in use after their last attempt and folders that kept
// content. Nothing of it is scheduled while the run goes on, so a run that ends early (a cancel, a
// crash, a power cut) leaves every remaining file in place, the uninstaller above all.
#pragma once
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

  // For a complete run: every file for the next restart except `handedOver` (a file that another
  // process removes, or empty), then each folder whose remaining content all goes. The folder of
  // `handedOver` is scheduled only when it also waits for something scheduled here.
  void Schedule(const std::string& handedOver) const;

private:
  std::vector<std::string> files_;
  std::vector<std::string> folders_;
  std::vector<std::string> fileTrusted_;     // beside files_, one each
  std::vector<std::string> folderTrusted_;   // beside folders_, one each
};
