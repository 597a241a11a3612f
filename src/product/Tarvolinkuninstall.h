// Everything particular to Tarvolink: its names, its fixed removal plan, the texts and caption of
// the window, and the bridge between the list's progress and the window.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include "setup/Setuplist.h"
#include "setup/Uninstlist.h"
#include "sys/Status.h"

class TclTarvolinkUninstall;
class THandOver;

// What becomes of the running program's own file after a complete run: it goes (handed to a copy
// of it, or it was no file of the product), it waits for the next restart, or it stays.
enum class TOwnProgram { Goes, WaitsForRestart, Stays };

// Told after each accepted report; the driver is given to read, not to change: whether the run
// goes on is decided in HandleListProgress alone.
using TUninstallNotify = void (*)(void* context, const TclTarvolinkUninstall& sender);

class TclTarvolinkUninstall {
public:
  TclTarvolinkUninstall();
  ~TclTarvolinkUninstall();
  TclTarvolinkUninstall(const TclTarvolinkUninstall&) = delete;
  TclTarvolinkUninstall& operator=(const TclTarvolinkUninstall&) = delete;

  bool Initialize();
  std::string GetText(int32_t identifier) const;
  std::string GetCaption() const;
  // The folder that the run removes: known once Initialize has run.
  std::string InstallFolder() const;
  TRunResult BuildPlan();
  TRunResult AddFile(const std::string& name);
  TRunResult ExecutePlan();
  TRunResult AddInfoFileRemoval(const std::string& name);
  TRunResult AddLanguageRemoval(const std::string& code);
  TRunResult AddDiskDriverRemoval();
  // The list's progress (bound by BuildPlan): serves the thread's messages, refuses the report once
  // the run is cancelled, and otherwise keeps it and tells OnProgress.
  static void HandleListProgress(TclTarvolinkUninstall& context, TSetupList* sender, int32_t percent,
                                 const std::string& text, bool& cancel);
  // What serves the thread's messages during a run, at every report and in the list's waits.
  void UseMessagePump(TMessagePump pump, void* context) {
    if (!List) return;
    List->MessagePump = pump;
    List->PumpContext = context;
  }
  // After a run through every item: the restart schedule, the keys and the own file's hand-over.
  TRunResult FinishRun();
  // True once a run listed anything of the product for the next restart, which must finish it:
  // what the run could not remove, or the program's own file.
  bool NeedsRestart() const { return restartListed_ || OwnProgram == TOwnProgram::WaitsForRestart; }

  TUninstallNotify OnProgress = nullptr;
  void* ProgressContext = nullptr;
  std::unique_ptr<TUninstList> List;
  uint8_t Charset = 1;
  bool Cancelled = false;
  int32_t Percent = 0;
  std::string StatusText;
  TOwnProgram OwnProgram = TOwnProgram::Goes;

private:
  std::string KeyName() const;
  bool restartListed_ = false;   // stays set: what was listed waits for the restart
  TRunResult HandOverOwnProgram(THandOver& handOver, const std::string& own, uint32_t prepared);
};
