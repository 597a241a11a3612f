// The setup list of an uninstall: the operations that plan removals and the removal action of
// each item kind.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "setup/Heldremovals.h"
#include "setup/Setuplist.h"
#include "sys/Nativefile.h"
#include "sys/Status.h"

class TUninstList : public TSetupList {
public:
  TUninstList() = default;
  ~TUninstList() override = default;

  TRunResult AddRunEntryRemoval();
  TRunResult AddFileDeletion(const std::string& fileName);
  TRunResult AddProgramsShortcutDeletion(const std::string& shortcutName);
  TRunResult AddDesktopShortcutDeletion(const std::string& shortcutName);
  TRunResult AddFolderRemoval(const std::string& folderPath);
  TRunResult AddProgramsFolderRemoval();
  TRunResult AddDriverRemoval(const std::string& driverName);

  // The folders that a run's removals checked are kept open for that run only, and the shell's
  // folders are known for one plan and its run.
  TRunResult Execute() override;
  // Every outcome is a used step: a removal that fails never ends the run.
  TRunResult DoItemStep(TSetupItem& item) override;

  TRunResult DeleteFileStep(TSetupItem& item);
  TRunResult RemoveFolderStep(TSetupItem& item);
  TRunResult RemoveRunEntryStep(TSetupItem& item);
  TRunResult RemoveVxdStep(TSetupItem& item);

  // A name without a folder part lies in InstallDir, as InstallDir is now.
  std::string ResolveFilePath(const std::string& target) const;

  // What the run's removals left in place, for the next restart once the run is complete.
  const THeldRemovals& Held() const { return held_; }
  void ClearHeld() { held_.Clear(); }
  // The Windows error of the run's first removal that failed and left something of the product
  // that no restart takes (a file in use is not that: it is held); 0 while none has. What stays
  // on purpose is no failure: what a link leads to, what is someone else's, a shared driver.
  TWinError Failure() const { return failure_; }
  void NoteFailure(TWinError error);
  // A folder of the plan once more, after the run: logged as the run logs it; 0 or its error.
  TWinError RemoveFolderAgain(const std::string& path);

private:
  // Where the plan's paths start from, trusted as the system finds them: the installation
  // folder's parent (the installation folder itself may be no link), the start menu's Programs
  // folder and the desktop. Once per run, from InstallDir as the run starts.
  const std::vector<std::string>& TrustedRoots();
  // The shell's folders, each asked once for a plan and the run that carries it out: every
  // answer costs the shell a registry walk.
  const std::string& ProgramsFolder();
  const std::string& DesktopFolder();
  void ForgetFolders();

  THeldRemovals held_;
  uint32_t failure_ = 0;
  TCheckedFolders checked_;
  std::vector<std::string> trustedRoots_;
  std::string programs_, desktop_;
  bool programsKnown_ = false, desktopKnown_ = false;
};

// Removes a key of HKEY_LOCAL_MACHINE through remove(name) and logs what was there before and
// after; answers what remove answered.
TWinError RemoveMachineKeyLogged(const std::string& path, uint32_t (*remove)(const std::string&),
                                const std::string& name);
