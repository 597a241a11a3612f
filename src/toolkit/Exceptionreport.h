// Where window procedures send what escaped a handler, so that nothing unwinds through user32.
// The application registers its exception box; until then a plain error box shows the message.
#pragma once

using TExceptionReporter = void (*)(const char* message) noexcept;

void SetExceptionReporter(TExceptionReporter reporter);
// Null stands for an exception that carries no message.
void ReportException(const char* message) noexcept;
