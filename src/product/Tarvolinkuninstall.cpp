#include "product/Tarvolinkuninstall.h"

#include <windows.h>
#include <new>
#include "msg/Msgids.h"
#include "msg/Winlangutil.h"
#include "product/Tarvolinkfilename.h"
#include "setup/Uninstlist.h"
#include "sys/Appregutil.h"
#include "sys/Exename.h"
#include "sys/Pendingremoval.h"
#include "sys/Runlog.h"
#include "sys/Selfremoval.h"
#include "sys/Sysutil.h"

namespace {

const char kProductName[] = "Tarvolink";
const char kProductWindowTitle[] = "Tarvo Link";
const char kDriverName[] = "QORVDISK";
const char kInfoFile[] = "Info.ini";
const char* const kLanguageCodes[] = {"CHT", "CHS", "JPN", "KOR", "FRA", "ESN",
                                      "DEU", "ITA", "PTG", "TRK", "ENG"};
// The archive libraries that the window asks for after the plan. Planned before the installation
// folder's removal so the folder can go; the window's own requests then find them listed.
const char* const kArchiveLibraries[] = {"dzips32.dll", "dunzips32.dll"};

// Why the program's own file was not handed to a copy, for the log.
const char* WhyNotHandedOver(uint32_t error) {
  if (error == kProgramFileReplaced) return "the file at its path is not the program that runs";
  if (!HeldProgramFile()) return "its own file could not be held open since its start";
  return "the copy could not be made or started";
}

// Only once the keys are gone may anything wait for the next restart: until then the uninstall
// entry must go on naming a program that works, whatever ends the run. The running program's own
// file is handed to a copy of it, which removes it as soon as this process has ended; it stays for
// the restart only when no copy could be started. Tells what becomes of the program's own file.
TOwnProgram ScheduleHeldRemovals(const THeldRemovals& held) {
  std::string handedOver, stays;
  for (const auto& file : held.Files())
    if (IsThisProgram(file)) {
      if (uint32_t error = HandOverSelfRemoval()) {
        stays = file;
        RunlogJoin({"Delete file ", file, ": not handed to a copy of the uninstaller, ", WhyNotHandedOver(error),
                    " (error ", DecimalText(error), ": ", RunlogErrorText(error), ")"});
      } else {
        handedOver = file;
        RunlogJoin({"Delete file ", file, ": handed to a copy of the uninstaller, which deletes it once this "
                    "program has ended"});
      }
      break;
    }
  held.Schedule(handedOver);
  if (stays.empty()) return TOwnProgram::Goes;
  return IsScheduledForRemoval(stays) ? TOwnProgram::WaitsForRestart : TOwnProgram::Stays;
}

}  // namespace

TclTarvolinkUninstall::TclTarvolinkUninstall() : List(new (std::nothrow) TUninstList) {}

TclTarvolinkUninstall::~TclTarvolinkUninstall() = default;

bool TclTarvolinkUninstall::Initialize() {
  if (!List) return false;
  List->SetProductName(kProductName);
  std::string code = GetLanguageCode();
  std::string catalogue = AppFilePath(MessageFileName(code));
  const bool loaded = List->LoadMessageFile(catalogue);
  if (loaded) Charset = GetLanguageCharset(code);
  RunlogJoin({"Language: ", code, loaded ? ", texts from " : ", built-in English texts (could not read ",
              catalogue, loaded ? "" : ")"});
  return true;
}

std::string TclTarvolinkUninstall::GetText(int32_t identifier) const {
  if (!List) return std::string();
  return List->GetText(identifier);
}

std::string TclTarvolinkUninstall::InstallFolder() const { return List ? List->InstallDir : std::string(); }

std::string TclTarvolinkUninstall::GetCaption() const {
  return GetText(msgUninstall) + " " + kProductName;
}

void TclTarvolinkUninstall::HandleListProgress(void* context, TSetupList* /*sender*/, int32_t percent,
                                               const std::string& text, bool& cancel) {
  TclTarvolinkUninstall* self = static_cast<TclTarvolinkUninstall*>(context);
  if (!self) return;
  if (self->MessagePump) self->MessagePump(self->PumpContext);
  if (self->Cancelled) {
    cancel = true;
    return;
  }
  self->Percent = percent;
  self->StatusText = text;
  if (self->OnProgress) self->OnProgress(self->ProgressContext, self);
}

int32_t TclTarvolinkUninstall::BuildPlan() {
  if (!List) return msgAllocFail;
  Cancelled = false;
  List->Clear();
  List->OnProgress = &TclTarvolinkUninstall::HandleListProgress;
  List->ProgressContext = this;

  int32_t r = 0;
  if ((r = List->AddCloseProgram(kProductWindowTitle)) != 0) return r;
  if ((r = List->AddRunEntryRemoval()) != 0) return r;
  if ((r = List->AddDesktopShortcutDeletion(kProductName)) != 0) return r;
  if ((r = List->AddProgramsShortcutDeletion(kProductName)) != 0) return r;
  if ((r = List->AddProgramsShortcutDeletion("Uninstall")) != 0) return r;
  if ((r = List->AddFileDeletion("Tarvolink.EXE")) != 0) return r;
  if ((r = List->AddFileDeletion("Uninstall.EXE")) != 0) return r;
  if ((r = List->AddFileDeletion("setup.ini")) != 0) return r;
  if ((r = List->AddFileDeletion("Files.ini")) != 0) return r;
  if ((r = List->AddFileDeletion("Backup.log")) != 0) return r;
  if ((r = List->AddFileDeletion("Busprobe.exe")) != 0) return r;
  if ((r = List->AddProgramsShortcutDeletion("Port Speed Probe")) != 0) return r;
  if ((r = AddInfoFileRemoval(kInfoFile)) != 0) return r;
  for (const char* code : kLanguageCodes)
    if ((r = AddLanguageRemoval(code)) != 0) return r;
  if ((r = AddDiskDriverRemoval()) != 0) return r;
  if ((r = List->AddProgramsFolderRemoval()) != 0) return r;
  for (const char* library : kArchiveLibraries)
    if ((r = List->AddFileDeletion(library)) != 0) return r;
  return List->AddFolderRemoval(List->InstallDir);
}

int32_t TclTarvolinkUninstall::AddFile(const std::string& name) {
  if (!List) return msgAllocFail;
  return List->AddFileDeletion(name);
}

int32_t TclTarvolinkUninstall::ExecutePlan() {
  if (!List) return msgAllocFail;
  Cancelled = false;
  OwnProgram = TOwnProgram::Goes;
  List->ClearHeld();
  List->MessagePump = MessagePump;
  List->PumpContext = PumpContext;
  int32_t r = List->Execute();
  if (r != 0) return r;
  // A close refused at the last action's own report ends no step, so the list finishes; the
  // removal it refused did not happen, and the keys must stay for a later run.
  if (Cancelled) return msgCancel;
  RemoveProductKeys();
  OwnProgram = ScheduleHeldRemovals(List->Held());
  return 0;
}

int32_t TclTarvolinkUninstall::RemoveProductKeys() {
  // The list's name is the product's own; a blank one must never reach the maker's branch.
  std::string name = (List && !List->ProductName.empty()) ? List->ProductName : std::string(kProductName);
  // Both are tried whatever the first gave; a key that stays is in the log, and the removal
  // counts as done.
  static_cast<void>(RemoveMachineKeyLogged(ProductKeyPath(name), &DeleteProductKey, name));
  static_cast<void>(RemoveMachineKeyLogged(UninstallKeyPath(name), &DeleteUninstallKey, name));
  return 0;
}

int32_t TclTarvolinkUninstall::AddInfoFileRemoval(const std::string& name) {
  if (!List) return msgAllocFail;
  std::string path = List->ResolveFilePath(name);
  DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return 0;

  const std::string named[] = {AboutImageName(path), LoadingImageName(path), MainImageName(path),
                               HelpFileName(path)};
  int32_t r = 0;
  for (const auto& entry : named) {
    // Names from the file are data that may have been edited: only the product's own folder.
    std::string planned = InfoNameToPlan(entry, List->InstallDir);
    if ((r = List->AddFileDeletion(planned)) != 0) return r;
  }
  return List->AddFileDeletion(name);
}

int32_t TclTarvolinkUninstall::AddLanguageRemoval(const std::string& code) {
  if (!List) return msgAllocFail;
  int32_t r = List->AddFileDeletion(MessageFileName(code));
  if (r == 0) r = List->AddFileDeletion(ExFileName(code));
  if (r == 0) r = AddInfoFileRemoval(InfoFileName(code));
  return r;
}

int32_t TclTarvolinkUninstall::AddDiskDriverRemoval() {
  if (!List) return msgAllocFail;
  const TWindowsVersion version = GetWindowsVersion();
  if (version == TWindowsVersion::wvWin98 || version == TWindowsVersion::wvWinMe) return List->AddDriverRemoval(kDriverName);
  return 0;
}
