// The setup list: owned items run in insertion order, one weighted step at a time, with a
// progress report before every step that may stop the run. Also the message texts and the
// product's installation folder that every action needs.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>
#include "setup/Installfolder.h"
#include "setup/Setupitem.h"
#include "sys/Status.h"

class TSetupList;
class TclMsgFile;

using TSetupProgressEvent = void (*)(void* context, TSetupList* list, int32_t percent,
                                     const std::string& text, bool& cancel);
// Serves the waiting messages of the running thread, so that its windows stay answered during a
// run; false once the program is ending. The application supplies it: the engine knows no window
// of its own.
using TMessagePump = bool (*)(void* context);

class TSetupList {
public:
  TSetupList();
  virtual ~TSetupList();
  TSetupList(const TSetupList&) = delete;
  TSetupList& operator=(const TSetupList&) = delete;

  void Clear();
  bool LoadMessageFile(const std::string& fileName);
  // Takes ownership in every case; an equal item already listed keeps its place and weight.
  bool AddItem(std::unique_ptr<TSetupItem> item);
  TRunResult AddCloseProgram(const std::string& windowTitle);
  TRunResult ReportProgress();
  TRunResult RunItemStep(TSetupItem& item);
  virtual TRunResult Execute();
  // Steps that the item at `index` took in the current or last run, which an action may drive
  // past its weight; -1 when there is no such item.
  int32_t StepsDoneOf(size_t index) const;
  TRunResult CloseProgramStep(TSetupItem& item);
  bool PumpMessages() const;   // through MessagePump; true without one
  virtual TRunResult DoItemStep(TSetupItem& item);

  std::string GetText(int32_t identifier) const;
  std::string FormatText(int32_t identifier, const std::string& argument) const;

  void SetProductName(const std::string& name);
  // The folder that the product's uninstall entry names (Installfolder.h), or empty.
  void LocateInstallDir() { InstallDir = LocateInstallFolder(ProductName); }

  TSetupProgressEvent OnProgress = nullptr;
  void* ProgressContext = nullptr;
  TMessagePump MessagePump = nullptr;   // none: messages wait for the caller's loop
  void* PumpContext = nullptr;
  std::vector<std::unique_ptr<TSetupItem>> Items;
  int32_t TotalWeight = 0;
  int32_t Percent = 0;
  std::unique_ptr<TclMsgFile> Messages;
  std::string ProductName;
  std::string StatusText;
  std::string InstallDir;

protected:
  // 0 when an equal item is listed afterwards, 15001 when it could not be made or stored.
  TRunResult AddNewItem(TItemKind kind, const std::string& target, int32_t weight);
};

// Only "%s" (the argument) and "%%" are interpreted; every other '%' stays as written. The
// result stops at 4096 bytes, at the end of a character.
std::string FormatOneArgument(const std::string& format, const std::string& argument);

