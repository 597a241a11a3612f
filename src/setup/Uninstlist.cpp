#include "setup/Uninstlist.h"

#include "sys/Pathutil.h"

#include <windows.h>
#include "msg/Msgids.h"
#include "sys/Appregutil.h"
#include "sys/Fileiofun.h"
#include "sys/Systemfolder.h"

namespace {
const int32_t kFileWeight = 5;
const int32_t kFolderWeight = 1;
const int32_t kDriverWeight = 5;
const int32_t kRunEntryWeight = 1;

// States of the driver removal, kept in the item's StepsDone.
const int32_t kVxdCheckUse = 0;
const int32_t kVxdDropMark = 1;
const int32_t kVxdDevice = 2;
const int32_t kVxdFile = 3;
const int32_t kVxdKey = 4;

// The folder that a path of the plan starts from, trusted as the system finds it: the
// installation folder's parent (the installation folder itself may be no link), the start menu's
// Programs folder or the desktop. Below it, no link is followed.
std::string TrustedFolder(const std::string& path, const std::string& installDir) {
  size_t sep = LastPathSeparator(installDir);
  const std::string candidates[] = {sep == std::string::npos ? std::string() : installDir.substr(0, sep),
                                    GetProgramsFolder(), GetDesktopFolder()};
  std::string best;
  for (const auto& c : candidates)
    if (c.size() > best.size() && IsBelowFolder(path, c)) best = c;
  return best;
}
}  // namespace

int32_t TUninstList::AddRunEntryRemoval() { return AddNewItem(skRemoveRunEntry, std::string(), kRunEntryWeight); }

int32_t TUninstList::AddFileDeletion(const std::string& fileName) {
  if (fileName.empty()) return 0;
  return AddNewItem(skDeleteFile, fileName, kFileWeight);
}

int32_t TUninstList::AddProgramsShortcutDeletion(const std::string& shortcutName) {
  std::string programs = GetProgramsFolder();
  if (programs.empty()) return 0;
  return AddFileDeletion(programs + "\\" + ProductName + "\\" + shortcutName + ".LNK");
}

int32_t TUninstList::AddDesktopShortcutDeletion(const std::string& shortcutName) {
  std::string desktop = GetDesktopFolder();
  if (desktop.empty()) return 0;
  return AddFileDeletion(desktop + "\\" + shortcutName + ".LNK");
}

int32_t TUninstList::AddFolderRemoval(const std::string& folderPath) {
  return AddNewItem(skRemoveFolder, folderPath, kFolderWeight);
}

int32_t TUninstList::AddProgramsFolderRemoval() {
  std::string programs = GetProgramsFolder();
  if (programs.empty()) return 0;
  return AddFolderRemoval(programs + "\\" + ProductName);
}

int32_t TUninstList::AddDriverRemoval(const std::string& driverName) {
  return AddNewItem(skRemoveVxd, driverName, kDriverWeight);
}

int32_t TUninstList::DoItemStep(TSetupItem& item) {
  int32_t result = 0;
  switch (item.Kind) {
    case skRemoveFolder: result = RemoveFolderStep(item); break;
    case skDeleteFile: result = DeleteFileStep(item); break;
    case skRemoveVxd: result = RemoveVxdStep(item); break;
    case skRemoveRunEntry: result = RemoveRunEntryStep(item); break;
    default: ++item.StepsDone; break;
  }
  // An action that failed may not have moved the item; the run must still go on.
  if (result != 0) ++item.StepsDone;
  return 0;
}

std::string TUninstList::ResolveFilePath(const std::string& target) const {
  if (HasFolderPart(target) || InstallDir.empty()) return target;
  return InstallDir + "\\" + target;
}

int32_t TUninstList::DeleteFileStep(TSetupItem& item) {
  StatusText = FormatText(msgDeleteFile, item.Target);
  int32_t report = ReportProgress();
  if (report != 0) return report;

  std::string path = ResolveFilePath(item.Target);
  std::string trusted = TrustedFolder(path, InstallDir);
  uint32_t error = RemoveFile(path, trusted);
  // What a link leads to is someone else's: nothing of the product's to remove there.
  if (error == 0 || error == kRemovalThroughLink) {
    item.StepsDone = item.Weight;
    return 0;
  }
  ::Sleep(1);
  ++item.StepsDone;
  if (item.StepsDone < item.Weight) return 0;
  // Last attempt: what is still in use goes at the next restart, once the run is complete.
  Held.AddFile(path, trusted);
  return static_cast<int32_t>(error);
}

int32_t TUninstList::RemoveFolderStep(TSetupItem& item) {
  StatusText = FormatText(msgRemoveFolder, item.Target);
  int32_t report = ReportProgress();
  if (report != 0) return report;

  std::string trusted = TrustedFolder(item.Target, InstallDir);
  uint32_t error = RemoveFolder(item.Target, trusted);
  if (error != 0 && error != kRemovalThroughLink) {
    if (error == ERROR_DIR_NOT_EMPTY) Held.AddFolder(item.Target, trusted);
    return static_cast<int32_t>(error);
  }
  item.StepsDone = item.Weight;
  return 0;
}

int32_t TUninstList::RemoveRunEntryStep(TSetupItem& item) {
  StatusText = GetText(msgWriteRegistry);
  int32_t report = ReportProgress();
  if (report != 0) return report;

  DeleteRunValue(ProductName);
  item.StepsDone = item.Weight;
  return 0;
}

int32_t TUninstList::RemoveVxdStep(TSetupItem& item) {
  const std::string& driver = item.Target;
  // An unnamed driver would make its key "Software\QORV" itself: end the item untouched.
  if (driver.empty()) {
    item.StepsDone = item.Weight;
    return 0;
  }
  switch (item.StepsDone) {
    case kVxdCheckUse: {
      item.StepsDone = kVxdDropMark;
      StatusText = FormatText(msgDeleteService, driver);
      int32_t report = ReportProgress();
      if (report != 0) return report;
      if (!IsUsedByOthers(driver, ProductName)) item.StepsDone = kVxdDevice;
      return 0;
    }
    case kVxdDropMark:
      RemoveUsedMark(driver, ProductName);
      item.StepsDone = item.Weight;
      return 0;
    case kVxdDevice: {
      uint32_t error = RemoveFile("\\\\.\\" + driver + ".VXD");
      // A device that would not go still leaves its file to try: the dispatch's extra step for
      // this failure moves on to it, so the maker's key goes only with the file.
      item.StepsDone = error == 0 ? kVxdFile : kVxdDevice;
      return static_cast<int32_t>(error);
    }
    case kVxdFile:
      item.StepsDone = kVxdKey;
      return static_cast<int32_t>(RemoveFile(GetSystemFolder() + "\\" + driver + ".VXD"));
    case kVxdKey:
      item.StepsDone = item.Weight;
      DeleteProductKey(driver);
      return 0;
    default:
      item.StepsDone = item.Weight;
      return 0;
  }
}
