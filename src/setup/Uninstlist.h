// The setup list of an uninstall: the operations that plan removals and the removal action of
// each item kind.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "setup/Heldremovals.h"
#include "setup/Setuplist.h"
#include "sys/Nativefile.h"

class TUninstList : public TSetupList {
public:
  TUninstList() = default;
  ~TUninstList() override = default;

  int32_t AddRunEntryRemoval();
  int32_t AddFileDeletion(const std::string& fileName);
  int32_t AddProgramsShortcutDeletion(const std::string& shortcutName);
  int32_t AddDesktopShortcutDeletion(const std::string& shortcutName);
  int32_t AddFolderRemoval(const std::string& folderPath);
  int32_t AddProgramsFolderRemoval();
  int32_t AddDriverRemoval(const std::string& driverName);

  // The folders that a run's removals checked are kept open for that run only, and the shell's
  // folders are known for one plan and its run.
  int32_t Execute() override;
  // Every outcome is a used step: a removal that fails never ends the run.
  int32_t DoItemStep(TSetupItem& item) override;

  int32_t DeleteFileStep(TSetupItem& item);
  int32_t RemoveFolderStep(TSetupItem& item);
  int32_t RemoveRunEntryStep(TSetupItem& item);
  int32_t RemoveVxdStep(TSetupItem& item);

  // A name without a folder part lies in InstallDir, as InstallDir is now.
  std::string ResolveFilePath(const std::string& target) const;

  // What the run's removals left in place, for the next restart once the run is complete.
  const THeldRemovals& Held() const { return held_; }
  void ClearHeld() { held_.Clear(); }
  // The Windows error of the run's first removal that failed and left something of the product
  // that no restart takes (a file in use is not that: it is held); 0 while none has. What stays
  // on purpose is no failure: what a link leads to, what is someone else's, a shared driver.
  uint32_t Failure() const { return failure_; }
  void NoteFailure(uint32_t error);
  // A folder of the plan once more, after the run: logged as the run logs it; 0 or its error.
  uint32_t RemoveFolderAgain(const std::string& path);

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
uint32_t RemoveMachineKeyLogged(const std::string& path, uint32_t (*remove)(const std::string&),
                                const std::string& name);
