#include "setup/Setuplist.h"

#include <windows.h>
#include <algorithm>
#include <new>
#include "msg/Builtintext.h"
#include "msg/Clwinmsgfile.h"
#include "msg/Msgids.h"
#include "msg/Winstrutil.h"
#include "sys/Appwindowclass.h"
#include "sys/Faultpoint.h"
#include "sys/Pathutil.h"
#include "sys/Runlog.h"
#include "sys/Syslibrary.h"
#include "sys/Systemfolder.h"

namespace {

const int32_t kCloseWaitTicks = 20;
const DWORD kCloseTickMs = 50;
const int32_t kCloseWeight = 10;
// How long the close request waits for the product to answer: a window whose thread is hung
// never does, and the run goes on without it.
const DWORD kCloseAnswerMs = 5000;
// One formatted text never grows beyond this, whatever a catalogue line holds.
const size_t kMaxFormattedText = 4096;

// Close requests are numbered; an answer that comes after its wait gave up finds no one waiting
// but these counters, never a dead stack frame.
ULONG_PTR g_closeRequests = 0;
ULONG_PTR g_closeAnswered = 0;

// A Windows callback: no-throw.
void CALLBACK CloseAnswered(HWND, UINT, ULONG_PTR request, LRESULT) { g_closeAnswered = request; }

// Serves this thread's windows until done() or kCloseAnswerMs after start. A blocking send would
// leave our own window unanswered for as long as the product's thread is stuck.
template <typename Done>
void PumpUntil(const TSetupList& list, DWORD start, Done done) {
  for (;;) {
    const bool goesOn = list.PumpMessages();
    if (done()) return;
    if (!goesOn) return;   // a quit waits for the outer loop: the run ends soon
    DWORD waited = ::GetTickCount() - start;
    if (waited >= kCloseAnswerMs) return;
    DWORD left = kCloseAnswerMs - waited;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, left < kCloseTickMs ? left : kCloseTickMs,
                                QS_ALLINPUT);
  }
}

// ShowWindow on another thread's window waits for that thread; the asynchronous form does not.
void RestoreWithoutWaiting(HWND wnd) {
  using ShowWindowAsyncFn = BOOL(WINAPI*)(HWND, int);
  auto showAsync = GetSystemProc<ShowWindowAsyncFn>(::GetModuleHandleA("user32.dll"), "ShowWindowAsync");
  if (showAsync) {
    showAsync(wnd, SW_RESTORE);
  } else {
    ::ShowWindow(wnd, SW_RESTORE);
  }
}

// Asks the window to close and waits, serving our own windows, until it has handled the request
// or the time is up. The request stays queued for a hung window, as a timed-out send's does.
void RequestClose(const TSetupList& list, HWND wnd) {
  DWORD start = ::GetTickCount();
  if (::IsIconic(wnd)) {
    // Restored first: a product may refuse to close while minimised.
    RestoreWithoutWaiting(wnd);
    PumpUntil(list, start, [wnd] { return !::IsWindow(wnd) || !::IsIconic(wnd); });
  }
  ULONG_PTR request = ++g_closeRequests;
  if (::SendMessageCallbackA(wnd, WM_CLOSE, 0, 0, &CloseAnswered, request)) {
    PumpUntil(list, start, [wnd, request] { return g_closeAnswered == request || !::IsWindow(wnd); });
  }
}

}  // namespace

std::string FormatOneArgument(const std::string& format, const std::string& argument) {
  // A catalogue line of many "%s" with a long argument would otherwise grow without end.
  std::string out;
  out.reserve(std::min(format.size() + argument.size(), kMaxFormattedText));
  for (size_t i = 0; i < format.size() && out.size() < kMaxFormattedText; ++i) {
    char c = format[i];
    if (c == '%' && i + 1 < format.size()) {
      if (format[i + 1] == 's') {
        out.append(argument, 0, kMaxFormattedText - out.size());
        ++i;
        continue;
      }
      if (format[i + 1] == '%') {
        out += '%';
        ++i;
        continue;
      }
    }
    out += c;
  }
  if (out.size() < kMaxFormattedText) return out;
  // Cut at a character's end: a lead byte without its trail byte would swallow what follows it.
  size_t end = 0;
  while (end < out.size()) {
    if (end + 1 == out.size() && ::IsDBCSLeadByte(static_cast<BYTE>(out[end]))) break;
    end += CharLengthAt(out, end);
  }
  out.resize(end);
  return out;
}

TSetupList::TSetupList() : InstallDir(GetProgramFilesFolderUpper()) {}

TSetupList::~TSetupList() { Clear(); }

void TSetupList::Clear() {
  Items.clear();
  TotalWeight = 0;
}

bool TSetupList::LoadMessageFile(const std::string& fileName) {
  if (!Messages) {
    Messages.reset(SYS_NEW("the catalogue", TclMsgFile));
    if (!Messages) return false;
  }
  return Messages->LoadFromFile(fileName);
}

bool TSetupList::AddItem(std::unique_ptr<TSetupItem> item) {
  if (!item) return false;
  for (const auto& existing : Items) {
    // Planned already: this request is dropped (it goes with `item`), the first keeps its place and
    // weight. The archive libraries are asked for again after the plan, which has them before the
    // installation folder: they stay there.
    if (existing->IsEqual(*item)) return true;
  }
  int32_t weight = item->Weight;
  try {
    Items.push_back(std::move(item));
  } catch (...) {
    return false;
  }
  TotalWeight += weight;
  return true;
}

TRunResult TSetupList::AddNewItem(TItemKind kind, const std::string& target, int32_t weight) {
  std::unique_ptr<TSetupItem> item(SYS_NEW("a plan's item", TSetupItem));
  if (!item) return msgAllocFail;
  item->Kind = kind;
  item->Target = target;
  item->Weight = weight;
  return AddItem(std::move(item)) ? 0 : msgAllocFail;
}

TRunResult TSetupList::AddCloseProgram(const std::string& windowTitle) {
  return AddNewItem(TItemKind::skCloseProgram, windowTitle, kCloseWeight);
}

TRunResult TSetupList::ReportProgress() {
  if (!OnProgress) return 0;
  bool cancel = false;
  OnProgress(ProgressContext, this, Percent, StatusText, cancel);
  return cancel ? msgCancel : 0;
}

TRunResult TSetupList::RunItemStep(TSetupItem& item) {
  int32_t result = ReportProgress();
  if (result != 0) return result;
  if (item.Kind == TItemKind::skCloseProgram) return CloseProgramStep(item);
  return DoItemStep(item);
}

TRunResult TSetupList::Execute() {
  StatusText.clear();
  int32_t result = 0;
  int32_t finished = 0;
  // By index: a callback must not change the list during a run, but a stale iterator must not
  // be what finds out.
  for (size_t i = 0; i < Items.size(); ++i) {
    TSetupItem& item = *Items[i];
    item.StepsDone = 0;
    while (item.StepsDone < item.Weight) {
      int64_t done = static_cast<int64_t>(finished) + item.StepsDone;
      Percent = static_cast<int32_t>(done * 100 / TotalWeight);
      result = RunItemStep(item);
      if (result != 0) break;
    }
    if (result != 0) break;
    finished += item.Weight;
  }
  return result;
}

bool TSetupList::PumpMessages() const { return MessagePump ? MessagePump(PumpContext) : true; }

int32_t TSetupList::StepsDoneOf(size_t index) const {
  return index < Items.size() ? Items[index]->StepsDone : -1;
}

TRunResult TSetupList::CloseProgramStep(TSetupItem& item) {
  HWND wnd = ::FindWindowA(kAppWindowClass, item.Target.c_str());
  if (!wnd) {
    RunlogJoin({"Close program \"", item.Target, "\": ", item.StepsDone == 0 ? "not running" : "closed"});
    item.StepsDone = item.Weight;
  } else if (item.StepsDone == 0) {
    RunlogJoin({"Close program \"", item.Target, "\": running, asked to close"});
    RequestClose(*this, wnd);
    PumpMessages();
    item.StepsDone = 1;
  } else {
    for (int32_t i = 0; i < kCloseWaitTicks; ++i) {
      PumpMessages();
      ::Sleep(kCloseTickMs);
    }
    ++item.StepsDone;
    if (item.StepsDone >= item.Weight)
      RunlogJoin({"Close program \"", item.Target, "\": left running, it did not close in the time allowed"});
  }
  return 0;
}

TRunResult TSetupList::DoItemStep(TSetupItem& item) {
  ++item.StepsDone;
  return 0;
}

std::string TSetupList::GetText(int32_t identifier) const {
  // The system's table holds unrelated texts under many of the program's own numbers.
  if (identifier < msgFirstOwn || identifier > msgLastOwn) {
    std::string text = GetSystemErrorText(identifier);
    if (!text.empty()) return text;
  }
  if (!Messages) return std::string();
  std::string text = Messages->MessageText(identifier);
  if (!text.empty()) return text;
  return GetBuiltinText(identifier);
}

std::string TSetupList::FormatText(int32_t identifier, const std::string& argument) const {
  std::string format = GetText(identifier);
  if (format.empty()) return std::string();
  return FormatOneArgument(format, argument);
}

void TSetupList::SetProductName(const std::string& name) {
  ProductName = name;
  LocateInstallDir();
  const bool fromEntry = !InstallDir.empty();
  if (!fromEntry) InstallDir = GetProgramFilesFolderUpper() + "\\" + ProductName;
  RunlogJoin({"Installation folder: ", InstallDir,
              fromEntry ? " (from UninstallString of the uninstall entry)"
                        : " (default: the uninstall entry names no usable folder)"});
}
