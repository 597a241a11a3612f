// The program's exit codes: the Windows Installer's, which deployment tools already understand.
#pragma once

constexpr int kExitSuccess = 0;
constexpr int kExitRestartNeeded = 3010;      // completed; files wait for the next restart
constexpr int kExitCancelled = 1602;          // the user cancelled a run, or quit before one
constexpr int kExitFailed = 1603;
constexpr int kExitAlreadyRunning = 1618;     // another copy of the uninstaller runs
constexpr int kExitLogFailed = 1622;          // the log file could not be created
constexpr int kExitBadCommandLine = 87;

// What a code means, in a few English words for the log.
inline const char* ExitCodeMeaning(int code) {
  switch (code) {
    case kExitSuccess: return "completed";
    case kExitRestartNeeded: return "completed, files wait for the next restart of Windows";
    case kExitCancelled: return "cancelled by the user";
    case kExitFailed: return "failed";
    case kExitAlreadyRunning: return "another copy of the uninstaller is running";
    case kExitLogFailed: return "the log file could not be created";
    case kExitBadCommandLine: return "the command line was not understood";
    default: return "unknown";
  }
}
