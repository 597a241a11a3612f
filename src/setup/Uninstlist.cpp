#include "setup/Uninstlist.h"

#include "sys/Pathutil.h"

#include <windows.h>
#include "msg/Msgids.h"
#include "sys/Appregutil.h"
#include "sys/Faultpoint.h"
#include "sys/Fileiofun.h"
#include "sys/Runlog.h"
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

// The folder that a path of the plan starts from, trusted as the system finds it: the longest of
// the roots (see TUninstList::TrustedRoots) that holds it. Below it, no link is followed.
std::string TrustedFolder(const std::string& path, const std::vector<std::string>& roots) {
  const std::string p = WithBackslashes(path);
  std::string best;
  for (const auto& c : roots)
    if (c.size() > best.size() && IsBelowFolder(p, c)) best = c;
  return best;
}

const char kDeleteFile[] = "Delete file";
const char kRemoveFolder[] = "Remove folder";

// Why a removal found nothing of the product's own there, or null when it did not say so.
const char* NothingOursBecause(uint32_t error) {
  if (error == kRemovalThroughLink) return "a link is in the way";
  if (error == kRemovalNoFileName) return "no file can have that name";
  return nullptr;
}
const char kUnchecked[] = "its place could not be checked";

bool IsCurrentFolder(const std::string& folder) {
  char current[MAX_PATH + 1] = {};
  DWORD n = ::GetCurrentDirectoryA(MAX_PATH, current);
  return n > 0 && n < MAX_PATH && SameFolder(std::string(current, n), folder);
}

// For the log: whether there is a file (or a folder) of that name to remove. Without a log nobody
// reads the answer, and asking costs a round trip to the file system per removal.
bool Present(const std::string& path, bool folder) {
  if (!RunlogActive()) return false;
  DWORD attributes = SYS_ONES("a removal's look for the log", GetFileAttributesA, (path.c_str()));
  return attributes != INVALID_FILE_ATTRIBUTES && ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) == folder;
}

// The same for a registry key or value.
bool KeyThere(const std::string& path) { return RunlogActive() && MachineKeyExists(path); }
bool ValueThere(const std::string& key, const std::string& value) {
  return RunlogActive() && MachineValueExists(key, value);
}

// What became of a removal that found the file there (or not) and answered with error.
TLogOutcome Outcome(bool existed, uint32_t error) {
  return error ? TLogOutcome::Failed : existed ? TLogOutcome::Removed : TLogOutcome::Absent;
}

std::string MachineName(const std::string& path) { return "HKLM\\" + path; }

std::string ValueName(const std::string& key, const std::string& value) {
  return MachineName(key) + ", value " + value;
}
}  // namespace

TWinError RemoveMachineKeyLogged(const std::string& path, uint32_t (*remove)(const std::string&),
                                const std::string& name) {
  const bool before = KeyThere(path);
  const uint32_t error = remove(name);
  RunlogRemoval("Remove registry key", MachineName(path), before, KeyThere(path), error);
  return error;
}

const std::vector<std::string>& TUninstList::TrustedRoots() {
  // Made at the run's first removal and kept to its end: the installation folder was chosen
  // before the plan, and the shell's folders cost a registry walk each.
  if (trustedRoots_.empty()) {
    trustedRoots_ = {ParentFolder(WithBackslashes(InstallDir)), ProgramsFolder(), DesktopFolder()};
  }
  return trustedRoots_;
}

const std::string& TUninstList::ProgramsFolder() {
  if (!programsKnown_) programs_ = GetProgramsFolder();
  programsKnown_ = true;
  return programs_;
}

const std::string& TUninstList::DesktopFolder() {
  if (!desktopKnown_) desktop_ = GetDesktopFolder();
  desktopKnown_ = true;
  return desktop_;
}

TRunResult TUninstList::AddRunEntryRemoval() { return AddNewItem(TItemKind::skRemoveRunEntry, std::string(), kRunEntryWeight); }

TRunResult TUninstList::AddFileDeletion(const std::string& fileName) {
  if (fileName.empty()) return 0;
  return AddNewItem(TItemKind::skDeleteFile, fileName, kFileWeight);
}

TRunResult TUninstList::AddProgramsShortcutDeletion(const std::string& shortcutName) {
  const std::string& programs = ProgramsFolder();
  if (programs.empty()) return 0;
  return AddFileDeletion(programs + "\\" + ProductName + "\\" + shortcutName + ".LNK");
}

TRunResult TUninstList::AddDesktopShortcutDeletion(const std::string& shortcutName) {
  const std::string& desktop = DesktopFolder();
  if (desktop.empty()) return 0;
  return AddFileDeletion(desktop + "\\" + shortcutName + ".LNK");
}

TRunResult TUninstList::AddFolderRemoval(const std::string& folderPath) {
  return AddNewItem(TItemKind::skRemoveFolder, folderPath, kFolderWeight);
}

TRunResult TUninstList::AddProgramsFolderRemoval() {
  const std::string& programs = ProgramsFolder();
  if (programs.empty()) return 0;
  return AddFolderRemoval(programs + "\\" + ProductName);
}

TRunResult TUninstList::AddDriverRemoval(const std::string& driverName) {
  return AddNewItem(TItemKind::skRemoveVxd, driverName, kDriverWeight);
}

namespace {
using TRemovalAction = int32_t (TUninstList::*)(TSetupItem&);

// No default: a kind added without its action is a compiler warning here.
TRemovalAction ActionOf(TItemKind kind) {
  switch (kind) {
    case TItemKind::skRemoveFolder: return &TUninstList::RemoveFolderStep;
    case TItemKind::skDeleteFile: return &TUninstList::DeleteFileStep;
    case TItemKind::skRemoveVxd: return &TUninstList::RemoveVxdStep;
    case TItemKind::skRemoveRunEntry: return &TUninstList::RemoveRunEntryStep;
    case TItemKind::skCloseProgram: break;   // the base list's own
  }
  return nullptr;
}
}  // namespace

void TUninstList::NoteFailure(TWinError error) {
  if (failure_ == 0) failure_ = error ? error : static_cast<uint32_t>(ERROR_GEN_FAILURE);
}

TRunResult TUninstList::Execute() {
  failure_ = 0;
  int32_t result = TSetupList::Execute();
  checked_.Clear();
  ForgetFolders();
  return result;
}

TRunResult TUninstList::DoItemStep(TSetupItem& item) {
  TRemovalAction action = ActionOf(item.Kind);
  if (!action) {
    ++item.StepsDone;
    return 0;
  }
  // An action that failed may not have moved the item; the run must still go on.
  if ((this->*action)(item) != 0) ++item.StepsDone;
  return 0;
}

std::string TUninstList::ResolveFilePath(const std::string& target) const {
  if (HasFolderPart(target) || InstallDir.empty()) return target;
  return InstallDir + "\\" + target;
}

TRunResult TUninstList::DeleteFileStep(TSetupItem& item) {
  StatusText = FormatText(msgDeleteFile, item.Target);
  int32_t report = ReportProgress();
  if (report != 0) return report;

  std::string path = ResolveFilePath(item.Target);
  std::string trusted = TrustedFolder(path, TrustedRoots());
  const bool existed = Present(path, false);
  uint32_t error = RemoveFile(path, trusted, &checked_);
  // What a link leads to is someone else's, and a name that no file can have names none of ours.
  if (const char* why = NothingOursBecause(error)) {
    RunlogAction(kDeleteFile, path, TLogOutcome::LeftAlone, 0, why);
    item.StepsDone = item.Weight;
    return 0;
  }
  // Nothing is done where the place cannot be checked, and trying again or at the restart (which
  // goes by name) would check no better.
  if (error == kRemovalUnchecked) {
    RunlogAction(kDeleteFile, path, TLogOutcome::Failed, error, kUnchecked);
    NoteFailure(error);
    item.StepsDone = item.Weight;
    return static_cast<int32_t>(error);
  }
  if (error == 0) {
    RunlogAction(kDeleteFile, path, Outcome(existed, 0));
    item.StepsDone = item.Weight;
    return 0;
  }
  ::Sleep(1);
  ++item.StepsDone;
  if (item.StepsDone < item.Weight) return 0;
  RunlogAction(kDeleteFile, path, TLogOutcome::Failed, error, "at every attempt");
  // Last attempt: what is still in use goes at the next restart, once the run is complete.
  held_.AddFile(path, trusted);
  return static_cast<int32_t>(error);
}

TRunResult TUninstList::RemoveFolderStep(TSetupItem& item) {
  StatusText = FormatText(msgRemoveFolder, item.Target);
  int32_t report = ReportProgress();
  if (report != 0) return report;

  std::string trusted = TrustedFolder(item.Target, TrustedRoots());
  const bool existed = Present(item.Target, true);
  uint32_t error = RemoveFolder(item.Target, trusted, &checked_);
  if (const char* why = NothingOursBecause(error)) {
    RunlogAction(kRemoveFolder, item.Target, TLogOutcome::LeftAlone, 0, why);
    item.StepsDone = item.Weight;
    return 0;
  }
  if (error != 0) {
    // This program's own current folder (where it was started from its folder) goes with the
    // program, as a folder that something is still in does.
    const bool ownFolder = error == ERROR_SHARING_VIOLATION && IsCurrentFolder(item.Target);
    const bool held = error == ERROR_DIR_NOT_EMPTY || ownFolder;
    RunlogAction(kRemoveFolder, item.Target, held ? TLogOutcome::LeftAlone : TLogOutcome::Failed, error,
                 ownFolder ? "it is this program's current folder" : held ? "something is still in it"
                 : error == kRemovalUnchecked ? kUnchecked : nullptr);
    if (held) held_.AddFolder(item.Target, trusted);
    else NoteFailure(error);
    return static_cast<int32_t>(error);
  }
  RunlogAction(kRemoveFolder, item.Target, Outcome(existed, 0));
  item.StepsDone = item.Weight;
  return 0;
}

void TUninstList::ForgetFolders() {
  programsKnown_ = desktopKnown_ = false;   // the next plan asks again
  trustedRoots_.clear();
}

TWinError TUninstList::RemoveFolderAgain(const std::string& path) {
  std::string trusted = TrustedFolder(path, TrustedRoots());
  const bool existed = Present(path, true);
  uint32_t error = RemoveFolder(path, trusted);
  ForgetFolders();
  if (NothingOursBecause(error)) return 0;
  const bool notEmpty = error == ERROR_DIR_NOT_EMPTY;
  RunlogAction(kRemoveFolder, path, notEmpty ? TLogOutcome::LeftAlone : Outcome(existed, error), error,
               notEmpty ? "something is still in it" : nullptr);
  return error;
}

TRunResult TUninstList::RemoveRunEntryStep(TSetupItem& item) {
  StatusText = GetText(msgWriteRegistry);
  int32_t report = ReportProgress();
  if (report != 0) return report;

  const bool before = ValueThere(RunKeyPath(), ProductName);
  // A start-up entry that stays is logged with its error; the step completes regardless.
  const uint32_t error = DeleteRunValue(ProductName);
  RunlogRemoval("Remove start-up entry", ValueName(RunKeyPath(), ProductName), before,
                ValueThere(RunKeyPath(), ProductName), error);
  if (error) NoteFailure(error);
  item.StepsDone = item.Weight;
  return 0;
}

TRunResult TUninstList::RemoveVxdStep(TSetupItem& item) {
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
      if (!IsUsedByOthers(driver, ProductName)) {
        item.StepsDone = kVxdDevice;
      } else {
        RunlogAction("Remove driver", driver, TLogOutcome::LeftAlone, 0, "another product may still use it");
      }
      return 0;
    }
    case kVxdDropMark: {
      const std::string used = UsedKeyPath(driver);
      const bool before = ValueThere(used, ProductName);
      // A mark that stays keeps the shared driver installed, the safe side, but it is the
      // product's own: logged with its error, and the item ends.
      const uint32_t error = RemoveUsedMark(driver, ProductName);
      RunlogRemoval("Remove driver use mark", ValueName(used, ProductName), before,
                    ValueThere(used, ProductName), error);
      if (error) NoteFailure(error);
      item.StepsDone = item.Weight;
      return 0;
    }
    case kVxdDevice: {
      const std::string device = "\\\\.\\" + driver + ".VXD";
      const bool existed = Present(device, false);
      uint32_t error = RemoveFile(device);
      RunlogAction("Unload driver", device, Outcome(existed, error), error);
      // A device that would not go still leaves its file to try: the dispatch's extra step for
      // this failure moves on to it, so the maker's key goes only with the file.
      item.StepsDone = error == 0 ? kVxdFile : kVxdDevice;
      return static_cast<int32_t>(error);
    }
    case kVxdFile: {
      item.StepsDone = kVxdKey;
      const std::string file = GetSystemFolder() + "\\" + driver + ".VXD";
      const bool existed = Present(file, false);
      uint32_t error = RemoveFile(file, std::string(), &checked_);
      const char* why = NothingOursBecause(error);
      RunlogAction(kDeleteFile, file, why ? TLogOutcome::LeftAlone : Outcome(existed, error), why ? 0 : error,
                   why ? why : error == kRemovalUnchecked ? kUnchecked : nullptr);
      // No driver file can have such a name: none stays to keep the key. One behind a link may.
      if (error == kRemovalNoFileName) error = 0;
      if (error) {
        RunlogAction("Remove registry key", MachineName(ProductKeyPath(driver)), TLogOutcome::LeftAlone, 0,
                     "the driver file stayed");
        // What a link leads to is not the product's; the driver file of its own that stays is.
        if (!why) NoteFailure(error);
      }
      return static_cast<int32_t>(error);
    }
    case kVxdKey:
      item.StepsDone = item.Weight;
      // The driver and its file are gone; a key that stays is logged and ends nothing.
      if (uint32_t error = RemoveMachineKeyLogged(ProductKeyPath(driver), &DeleteProductKey, driver)) NoteFailure(error);
      return 0;
    default:
      item.StepsDone = item.Weight;
      return 0;
  }
}
