#include "toolkit/Exceptionreport.h"

#include <windows.h>

namespace {
TExceptionReporter g_reporter = nullptr;
}

void SetExceptionReporter(TExceptionReporter reporter) { g_reporter = reporter; }

void ReportException(const char* message) noexcept {
  if (g_reporter) {
    g_reporter(message);
    return;
  }
  ::MessageBoxA(nullptr, message ? message : "Unknown exception", "", MB_OK | MB_ICONERROR);
}
