#include "product/Tarvolinkuninstall.h"

#include <windows.h>
#include <new>
#include "msg/Msgids.h"
#include "msg/Winlangutil.h"
#include "product/Tarvolinkfilename.h"
#include "removal/Pendingremoval.h"
#include "removal/Selfremoval.h"
#include "setup/Boundcall.h"
#include "setup/Uninstlist.h"
#include "sys/Appregutil.h"
#include "sys/Exename.h"
#include "sys/Faultpoint.h"
#include "sys/Pathutil.h"
#include "sys/Runlog.h"
#include "sys/Sysutil.h"

namespace {

const char kProductName[] = "Tarvolink";
const char kProductWindowTitle[] = "Tarvo Link";
const char kDriverName[] = "QORVDISK";
const char kInfoFile[] = "Info.ini";
const char kDeleteFile[] = "Delete file";
// The plan's steps from the desktop shortcut to the information file, in their order.
enum class TNamedStep { DesktopShortcut, ProgramsShortcut, File, InfoFile };
const struct {
  TNamedStep step;
  const char* name;
} kNamedSteps[] = {
    {TNamedStep::DesktopShortcut, kProductName},   {TNamedStep::ProgramsShortcut, kProductName},
    {TNamedStep::ProgramsShortcut, "Uninstall"},   {TNamedStep::File, "Tarvolink.EXE"},
    {TNamedStep::File, "Uninstall.EXE"},           {TNamedStep::File, "setup.ini"},
    {TNamedStep::File, "Files.ini"},               {TNamedStep::File, "Backup.log"},
    {TNamedStep::File, "Busprobe.exe"},            {TNamedStep::ProgramsShortcut, "Port Speed Probe"},
    {TNamedStep::InfoFile, kInfoFile}};
const char* const kLanguageCodes[] = {"CHT", "CHS", "JPN", "KOR", "FRA", "ESN",
                                      "DEU", "ITA", "PTG", "TRK", "ENG"};

// The run ends with `failure`, the uninstall entry left with its working uninstaller; the log says why.
TRunResult KeepEntry(const std::string& name, uint32_t failure, const char* why) {
  RunlogAction("Remove registry key", "HKLM\\" + UninstallKeyPath(name), TLogOutcome::LeftAlone, 0, why);
  return static_cast<TRunResult>(failure);
}

// Why the program's own file was not handed to a copy, for the log.
const char* WhyNotHandedOver(const THandOver& handOver, uint32_t error) {
  if (error == kProgramFileReplaced) return "the file at its path is not the program that runs";
  if (!HeldProgramFile()) return "its own file could not be held open since its start";
  if (handOver.JobRefused()) return "the job that runs the uninstaller would end the copy with it";
  return "the copy could not be made, started or told";
}

// The held file that is the running program's own: how it goes is decided apart, once the
// uninstall entry is gone.
std::string OwnProgramAmong(const THeldRemovals& held) {
  for (const auto& file : held.Files())
    if (IsThisProgram(file)) return file;
  return std::string();
}

}  // namespace

TclTarvolinkUninstall::TclTarvolinkUninstall() : List(SYS_NEW("the uninstall list", TUninstList)) {}

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

void TclTarvolinkUninstall::HandleListProgress(TclTarvolinkUninstall& context, TSetupList* sender, int32_t percent,
                                               const std::string& text, bool& cancel) {
  // The window's close arrives here, and sets Cancelled.
  const bool goesOn = sender ? sender->PumpMessages() : true;
  if (context.Cancelled) {
    cancel = true;
    return;
  }
  context.Percent = percent;
  context.StatusText = text;
  if (context.OnProgress) context.OnProgress(context.ProgressContext, context);
  // A quit that reached the pump from elsewhere (the session ending, say) stops the run at the
  // next report, as a confirmed close does.
  if (!goesOn) context.Cancelled = true;
}

TRunResult TclTarvolinkUninstall::BuildPlan() {
  if (!List) return msgAllocFail;
  Cancelled = false;
  List->Clear();
  TBoundCall<&TclTarvolinkUninstall::HandleListProgress>::Bind(List->OnProgress, List->ProgressContext, *this);

  int32_t r = 0;
  if ((r = List->AddCloseProgram(kProductWindowTitle)) != 0) return r;
  if ((r = List->AddRunEntryRemoval()) != 0) return r;
  for (const auto& named : kNamedSteps) {
    const std::string name = named.name;
    switch (named.step) {
      case TNamedStep::DesktopShortcut: r = List->AddDesktopShortcutDeletion(name); break;
      case TNamedStep::ProgramsShortcut: r = List->AddProgramsShortcutDeletion(name); break;
      case TNamedStep::File: r = List->AddFileDeletion(name); break;
      case TNamedStep::InfoFile: r = AddInfoFileRemoval(name); break;
    }
    if (r != 0) return r;
  }
  for (const char* code : kLanguageCodes)
    if ((r = AddLanguageRemoval(code)) != 0) return r;
  if ((r = AddDiskDriverRemoval()) != 0) return r;
  if ((r = List->AddProgramsFolderRemoval()) != 0) return r;
  for (const char* library : kArchiveLibraries)
    if ((r = List->AddFileDeletion(library)) != 0) return r;
  return List->AddFolderRemoval(List->InstallDir);
}

TRunResult TclTarvolinkUninstall::AddFile(const std::string& name) {
  if (!List) return msgAllocFail;
  return List->AddFileDeletion(name);
}

TRunResult TclTarvolinkUninstall::ExecutePlan() {
  if (!List) return msgAllocFail;
  Cancelled = false;
  OwnProgram = TOwnProgram::Goes;
  List->ClearHeld();
  int32_t r = List->Execute();
  if (r != 0) return r;
  // A close refused at the last action's own report ends no step, so the list finishes; the
  // removal it refused did not happen, and the keys must stay for a later run.
  if (Cancelled) return msgCancel;
  FAULT_PHASE("the end of the run");
  return FinishRun();
}

std::string TclTarvolinkUninstall::KeyName() const {
  // The list's name is the product's own; a blank one must never reach the maker's branch.
  return (List && !List->ProductName.empty()) ? List->ProductName : std::string(kProductName);
}

// The run went through every item. What it could not remove waits for the next restart, and the
// product's own key goes, as ever; the uninstall entry goes only when nothing else of the product
// is left that the restart does not take, and only then is the program's own file handed over.
// Otherwise the entry stays, naming a program that works, so that the uninstall can be run again,
// and the run answers with the first failure's Windows error.
TRunResult TclTarvolinkUninstall::FinishRun() {
  const THeldRemovals& held = List->Held();
  const std::string own = OwnProgramAmong(held);
  uint32_t failure = List->Failure();
  const uint32_t unscheduled = held.ScheduleAllBut(own, &restartListed_);
  if (failure == 0) failure = unscheduled;
  const std::string name = KeyName();
  const uint32_t key = RemoveMachineKeyLogged(ProductKeyPath(name), &DeleteProductKey, name);
  if (failure == 0) failure = key;
  if (failure != 0)
    return KeepEntry(name, failure, "what failed is still there: the entry keeps its uninstaller, to be run again");
  // Made and started before the entry goes, told to go on once it has: after that, nothing but the
  // own file and folder can be left by a failure.
  THandOver handOver;
  const uint32_t prepared = own.empty() ? 0 : handOver.Prepare();
  // Without a copy the program can only wait for the restart where it is, and the 9x family's
  // restart removes no folder: its folder would stay without an entry. The entry stays instead,
  // for a run again.
  if (prepared != 0 && !handOver.JobRefused() && !IsNtMachine()) {
    RunlogAction(kDeleteFile, own, TLogOutcome::NotHandedOver, prepared, WhyNotHandedOver(handOver, prepared));
    return KeepEntry(name, prepared, "the uninstaller could not be handed over: the entry keeps it, to be run again");
  }
  if (const uint32_t entry = RemoveMachineKeyLogged(UninstallKeyPath(name), &DeleteUninstallKey, name))
    return static_cast<int32_t>(entry);
  if (own.empty()) return 0;
  return HandOverOwnProgram(handOver, own, prepared);
}

TRunResult TclTarvolinkUninstall::HandOverOwnProgram(THandOver& handOver, const std::string& own, uint32_t prepared) {
  uint32_t why = prepared;
  const TOwnFileFate fate = handOver.Commit(why);
  const bool handedOver = fate == TOwnFileFate::HandedOver;
  RunlogAction(kDeleteFile, own, handedOver ? TLogOutcome::HandedOver : TLogOutcome::NotHandedOver, why,
               handedOver ? nullptr : WhyNotHandedOver(handOver, why));
  OwnProgram = handedOver ? TOwnProgram::Goes : fate == TOwnFileFate::Stays ? TOwnProgram::Stays
                                                                              : TOwnProgram::WaitsForRestart;
  uint32_t error = fate == TOwnFileFate::Stays ? why : 0;
  if (handOver.LeftItsFolder()) {
    if (fate == TOwnFileFate::MovedAside)
      RunlogAction(kDeleteFile, own, TLogOutcome::Scheduled, 0, "moved into the copy's place in the temporary folder");
    // No longer in the installation folder: that goes now, or with the rest that waits for the restart.
    const std::string folder = ParentFolder(own);
    if (List->RemoveFolderAgain(folder) != 0) {
      error = List->Held().ScheduleFolderOf(own, false);
      if (error == 0 && IsScheduledForRemoval(folder)) OwnProgram = TOwnProgram::WaitsForRestart;
    }
  } else if (fate != TOwnFileFate::Stays) {
    error = List->Held().ScheduleFolderOf(own, handedOver);
  }
  if (fate == TOwnFileFate::Stays || error != 0) {
    // The entry is gone: nothing but the program and its folder can be left, for the user to take.
    RunlogAction(kDeleteFile, own, TLogOutcome::LeftAlone, 0, "the uninstall entry is gone: delete it and its folder by hand");
    return static_cast<int32_t>(error ? error : static_cast<uint32_t>(ERROR_GEN_FAILURE));
  }
  return 0;
}


TRunResult TclTarvolinkUninstall::AddInfoFileRemoval(const std::string& name) {
  if (!List) return msgAllocFail;
  std::string path = List->ResolveFilePath(name);
  DWORD attributes = SYS_ONES("an information file's test", GetFileAttributesA, (path.c_str()));
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

TRunResult TclTarvolinkUninstall::AddLanguageRemoval(const std::string& code) {
  if (!List) return msgAllocFail;
  int32_t r = List->AddFileDeletion(MessageFileName(code));
  if (r == 0) r = List->AddFileDeletion(ExFileName(code));
  if (r == 0) r = AddInfoFileRemoval(InfoFileName(code));
  return r;
}

TRunResult TclTarvolinkUninstall::AddDiskDriverRemoval() {
  if (!List) return msgAllocFail;
  const TWindowsVersion version = GetWindowsVersion();
  if (version == TWindowsVersion::wvWin98 || version == TWindowsVersion::wvWinMe) return List->AddDriverRemoval(kDriverName);
  return 0;
}
