#include "setup/Setuplist.h"

#include <windows.h>
#include <new>
#include "msg/Builtintext.h"
#include "msg/Clwinmsgfile.h"
#include "msg/Msgids.h"
#include "msg/Winstrutil.h"
#include "sys/Appregutil.h"
#include "sys/Pathutil.h"
#include "sys/Runlog.h"
#include "sys/Systemfolder.h"
#include "toolkit/Application.h"

namespace {

const char kToolkitWindowClass[] = "TApplication";
const int32_t kCloseWaitTicks = 20;
const DWORD kCloseTickMs = 50;
const int32_t kCloseWeight = 10;

std::string SystemDirectory() {
  char buf[MAX_PATH + 1] = {};
  UINT n = ::GetSystemDirectoryA(buf, MAX_PATH);
  return (n > 0 && n < MAX_PATH) ? std::string(buf, n) : std::string();
}

}  // namespace

std::string FormatOneArgument(const std::string& format, const std::string& argument) {
  std::string out;
  out.reserve(format.size() + argument.size());
  for (size_t i = 0; i < format.size(); ++i) {
    char c = format[i];
    if (c == '%' && i + 1 < format.size()) {
      if (format[i + 1] == 's') {
        out += argument;
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
  return out;
}

std::string UninstallCommandFolder(const std::string& command) {
  std::string value = command;
  if (!value.empty() && value[0] == '"') {
    size_t close = value.find('"', 1);
    value = value.substr(1, close == std::string::npos ? std::string::npos : close - 1);
  }
  size_t sep = LastPathSeparator(value);
  if (sep == std::string::npos) return std::string();
  std::string folder = value.substr(0, sep + 1);
  if (EndsWithBackslash(folder) && folder.size() >= 2) {
    char before = folder[folder.size() - 2];
    bool keep = before == ':' || (before == '\\' && EndsWithBackslash(folder.substr(0, folder.size() - 1)));
    if (!keep) folder.erase(folder.size() - 1);
  }
  return folder;
}

bool IsUnfitInstallDir(const std::string& folder) {
  if (folder.empty()) return false;
  if (IsRootPath(folder)) return true;
  return SameFolder(folder, GetWindowsFolder()) || SameFolder(folder, SystemDirectory()) ||
         SameFolder(folder, GetSystemFolder()) || SameFolder(folder, GetProgramFilesFolder()) ||
         SameFolder(folder, GetProgramFilesFolderUpper());
}

TSetupList::TSetupList() : InstallDir(GetProgramFilesFolderUpper()) {}

TSetupList::~TSetupList() { Clear(); }

void TSetupList::Clear() {
  Items.clear();
  TotalWeight = 0;
}

bool TSetupList::LoadMessageFile(const std::string& fileName) {
  if (!Messages) {
    Messages.reset(new (std::nothrow) TclMsgFile);
    if (!Messages) return false;
  }
  return Messages->LoadFromFile(fileName);
}

bool TSetupList::AddItem(std::unique_ptr<TSetupItem> item) {
  if (!item) return false;
  for (const auto& existing : Items) {
    if (existing->IsEqual(*item)) return true;   // the new one goes with `item`
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

int32_t TSetupList::AddNewItem(int32_t kind, const std::string& target, int32_t weight) {
  std::unique_ptr<TSetupItem> item(new (std::nothrow) TSetupItem);
  if (!item) return msgAllocFail;
  item->Kind = kind;
  item->Target = target;
  item->Weight = weight;
  return AddItem(std::move(item)) ? 0 : msgAllocFail;
}

int32_t TSetupList::AddCloseProgram(const std::string& windowTitle) {
  return AddNewItem(skCloseProgram, windowTitle, kCloseWeight);
}

int32_t TSetupList::ReportProgress() {
  if (!OnProgress) return 0;
  bool cancel = false;
  OnProgress(ProgressContext, this, Percent, StatusText, cancel);
  return cancel ? msgCancel : 0;
}

int32_t TSetupList::RunItemStep(TSetupItem& item) {
  int32_t result = ReportProgress();
  if (result != 0) return result;
  if (item.Kind == skCloseProgram) return CloseProgramStep(item);
  return DoItemStep(item);
}

int32_t TSetupList::Execute() {
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

int32_t TSetupList::CloseProgramStep(TSetupItem& item) {
  HWND wnd = ::FindWindowA(kToolkitWindowClass, item.Target.c_str());
  if (!wnd) {
    RunlogJoin({"Close program \"", item.Target, "\": ", item.StepsDone == 0 ? "not running" : "closed"});
    item.StepsDone = item.Weight;
  } else if (item.StepsDone == 0) {
    if (::IsIconic(wnd)) ::ShowWindow(wnd, SW_RESTORE);
    RunlogJoin({"Close program \"", item.Target, "\": running, asked to close"});
    ::SendMessageA(wnd, WM_CLOSE, 0, 0);
    TApplication::ProcessMessages();
    item.StepsDone = 1;
  } else {
    for (int32_t i = 0; i < kCloseWaitTicks; ++i) {
      TApplication::ProcessMessages();
      ::Sleep(kCloseTickMs);
    }
    ++item.StepsDone;
    if (item.StepsDone >= item.Weight)
      RunlogJoin({"Close program \"", item.Target, "\": left running, it did not close in the time allowed"});
  }
  return 0;
}

int32_t TSetupList::DoItemStep(TSetupItem& item) {
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

void TSetupList::LocateInstallDir() {
  std::string command = ReadUninstallString(ProductName);
  std::string folder = command.empty() ? std::string() : UninstallCommandFolder(command);
  // Bare names are deleted from this folder: never a root or a folder of the system.
  if (IsUnfitInstallDir(folder)) folder.clear();
  InstallDir = folder;
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
