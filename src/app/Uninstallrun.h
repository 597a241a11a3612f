// The uninstall's run apart from the window: the driver's start, the plan and then its execution,
// the log's lines at the run's start and end, and the exit code that the program ends with. The
// window runs it from "Uninstall", the unattended start without any window; it shows nothing.
#pragma once
#include <cstdint>

#include "app/Exitcode.h"
#include "msg/Msgids.h"
#include "product/Tarvolinkuninstall.h"
#include "sys/Status.h"

// The exit code that a run's result (0, 15002 or an error) earns, by what the driver tells of the
// program's own file and of the restart.
inline int RunExitCode(TRunResult result, const TclTarvolinkUninstall& driver) {
  if (result == msgCancel) return kExitCancelled;
  if (result != 0) return kExitFailed;
  // A success code promises that nothing of the product stays but what the restart removes.
  if (driver.OwnProgram == TOwnProgram::Stays) return kExitFailed;
  return driver.NeedsRestart() ? kExitRestartNeeded : kExitSuccess;
}

class TUninstallRun {
public:
  // Initialises the driver (which may be null); false, and logged, when it cannot start. The
  // driver stays the caller's and must outlive every Run.
  bool Start(TclTarvolinkUninstall* driver);
  bool Started() const { return driver_ != nullptr; }
  bool Ran() const { return ran_; }

  // One run: the plan, the two archive libraries, then the execution, each only after the one
  // before returned 0; `pump` serves the thread's messages at every report. Its result: 0, 15002
  // after a cancel, or the first failure's code (15001 without a started driver).
  TRunResult Run(TMessagePump pump, void* pumpContext);
  // By the last run: 1603 when the driver could not start, 1602 before any run.
  int ExitCode() const { return exitCode_; }

private:
  TclTarvolinkUninstall* driver_ = nullptr;
  bool ran_ = false;
  int exitCode_ = kExitFailed;
};
