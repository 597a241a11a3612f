// The fault walk's side of the fault point: only the build made for it has any of this.
#ifdef TARVO_FAULTS
#include "sys/Faultpoint.h"

#include <windows.h>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include "sys/Commandargs.h"

namespace {

struct TSite {
  std::string Call, Where;
  uint32_t Count;
};

// Nothing here goes through the fault point itself: its own calls are neither counted nor failed.
struct TFaults {
  bool Ready = false;
  std::string Role = "run";   // "copy" in the hand-over copy
  bool Planned = false, Persistent = false, Fired = false;
  std::string PlanRole, PlanCall, PlanWhere;
  uint32_t PlanOccurrence = 0, Error = 0;
  HANDLE Trace = INVALID_HANDLE_VALUE;   // every call, one line each (TARVO_FAULT_TRACE)
  uint32_t Calls = 0;
  std::vector<TSite> Sites;
};

TFaults& Faults() {
  static TFaults faults;
  return faults;
}

std::string Environment(const char* name) {
  char value[2048] = {};
  DWORD n = ::GetEnvironmentVariableA(name, value, sizeof value);
  return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

std::string Decimal(uint32_t v) {
  std::string digits;
  do digits.insert(digits.begin(), static_cast<char>('0' + v % 10)); while (v /= 10);
  return digits;
}

void TraceLine(TFaults& f, const std::string& text) {
  if (f.Trace == INVALID_HANDLE_VALUE) return;
  const DWORD error = ::GetLastError();
  std::string line = f.Role + " " + Decimal(f.Calls) + " " + text + "\r\n";
  DWORD written = 0;
  ::WriteFile(f.Trace, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  ::SetLastError(error);
}

void ReadPlan(TFaults& f, const std::string& plan) {
  f.Planned = f.Fired = f.Persistent = false;
  std::vector<std::string> fields(1);
  for (char c : plan) {
    if (c == '|') fields.emplace_back();
    else fields.back() += c;
  }
  if (fields.size() != 6) return;
  f.PlanRole = fields[0];
  f.PlanCall = fields[1];
  f.PlanWhere = fields[2];
  f.PlanOccurrence = static_cast<uint32_t>(std::strtoul(fields[3].c_str(), nullptr, 10));
  f.Error = static_cast<uint32_t>(std::strtoul(fields[4].c_str(), nullptr, 10));
  f.Persistent = fields[5] == "persistent";
  f.Planned = f.Error != 0 && f.PlanOccurrence != 0;
}

TFaults& Ready() {
  TFaults& f = Faults();
  if (f.Ready) return f;
  f.Ready = true;
  const DWORD error = ::GetLastError();
  if (IsSelfRemovalSwitch(CommandArguments(::GetCommandLineA()))) f.Role = "copy";
  ReadPlan(f, Environment("TARVO_FAULT"));
  const std::string trace = Environment("TARVO_FAULT_TRACE");
  if (!trace.empty())
    f.Trace = ::CreateFileA(trace.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ::SetLastError(error);
  return f;
}

uint32_t Occurrence(TFaults& f, const char* call, const char* where) {
  for (TSite& s : f.Sites)
    if (s.Call == call && s.Where == where) return ++s.Count;
  f.Sites.push_back({call, where, 1});
  return 1;
}

}  // namespace

bool FaultFires(const char* call, const char* where) {
  TFaults& f = Ready();
  ++f.Calls;
  const uint32_t k = Occurrence(f, call, where);
  const std::string site = std::string(call) + "|" + where + "|" + Decimal(k);
  bool fires = false;
  if (f.Planned && f.PlanRole == f.Role) {
    if (f.Fired) fires = f.Persistent && f.PlanCall == call;
    else fires = k == f.PlanOccurrence && f.PlanCall == call && f.PlanWhere == where;
  }
  if (!fires) {
    TraceLine(f, site);
    return false;
  }
  TraceLine(f, site + (f.Fired ? " fails again, error " : " fired, error ") + Decimal(f.Error) +
                   (f.Persistent ? " persistent" : " transient"));
  f.Fired = true;
  ::SetLastError(f.Error);
  return true;
}

uint32_t FaultError() { return Ready().Error; }

long FaultNtStatus() {
  switch (Ready().Error) {
    case ERROR_ACCESS_DENIED: return static_cast<long>(0xC0000022);
    case ERROR_SHARING_VIOLATION: return static_cast<long>(0xC0000043);
    case ERROR_DISK_FULL: return static_cast<long>(0xC000007F);
    case ERROR_NOT_ENOUGH_MEMORY: return static_cast<long>(0xC0000017);
    case ERROR_FILE_NOT_FOUND: return static_cast<long>(0xC0000034);
    default: return static_cast<long>(0xC0000001);
  }
}

void FaultPhase(const char* name) { TraceLine(Ready(), std::string("phase ") + name); }

void SetFaultPlan(const char* plan) {
  TFaults& f = Ready();
  ReadPlan(f, plan ? plan : "");
  f.Calls = 0;
  f.Sites.clear();
}
#endif
