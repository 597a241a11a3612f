#include "app/Uninstallrun.h"

#include "msg/Builtintext.h"
#include "msg/Msgids.h"
#include "product/Tarvolinkfilename.h"
#include "product/Tarvolinkuninstall.h"
#include "sys/Runlog.h"

namespace {
// The log is read by support, in English whatever the window's language.
std::string EnglishText(int32_t code) {
  return code >= msgFirstOwn && code <= msgLastOwn ? GetBuiltinText(code) : RunlogErrorText(code);
}

void LogRunEnd(int32_t result) {
  if (result == 0) {
    RunlogJoin({"Run completed"});
  } else if (result == msgCancel) {
    RunlogJoin({"Run cancelled: the steps after this point were not carried out"});
  } else {
    RunlogJoin({"Run failed: ", EnglishText(result)});
  }
}
}  // namespace

bool TUninstallRun::Start(TclTarvolinkUninstall* driver) {
  if (driver && driver->Initialize()) {
    driver_ = driver;
    exitCode_ = kExitCancelled;
    return true;
  }
  RunlogJoin({"Start-up failed: ", GetBuiltinText(msgAllocFail)});
  return false;
}

TRunResult TUninstallRun::Run(TMessagePump pump, void* pumpContext) {
  if (!driver_) return msgAllocFail;
  RunlogJoin({"Run started"});
  // A run that ends by an exception has failed.
  ran_ = true;
  exitCode_ = kExitFailed;
  driver_->UseMessagePump(pump, pumpContext);
  int32_t result = driver_->BuildPlan();
  // Asked for again: the plan has them already, before the folder, so the list drops these two.
  for (const char* library : kArchiveLibraries)
    if (result == 0) result = driver_->AddFile(library);
  if (result == 0) result = driver_->ExecutePlan();
  LogRunEnd(result);
  exitCode_ = RunExitCode(result, *driver_);
  return result;
}
