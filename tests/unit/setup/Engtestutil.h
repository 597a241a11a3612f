// Real files and keys for the engine and driver tests (Wine is the platform), over the file and
// process helpers of WinFiles.h.
#pragma once
#include <windows.h>
#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <vector>
#include "setup/Setuplist.h"
#include "sys/Handle.h"
#include "unit/sys/WinFiles.h"

namespace engtest {

inline void WriteFile(const std::string& path, const std::string& content = "x",
                      DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
  ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  ASSERT_TRUE(WriteBytes(path, content)) << path;
  ::SetFileAttributesA(path.c_str(), attributes);
}

// HKEY_LOCAL_MACHINE helpers.
inline void SetString(const std::string& key, const std::string& name, const std::string& value) {
  UniqueHKey k;
  ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, k.Put(), nullptr)) << key;
  ::RegSetValueExA(k.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
}
inline void MakeKey(const std::string& key) {
  UniqueHKey k;
  ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, k.Put(), nullptr));
}
inline bool KeyExists(const std::string& key) {
  UniqueHKey k;
  return ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, k.Put()) == ERROR_SUCCESS;
}
inline bool ValueExists(const std::string& key, const std::string& name) {
  UniqueHKey k;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, k.Put()) != ERROR_SUCCESS) return false;
  return ::RegQueryValueExA(k.Get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}
inline void DeleteTree(const std::string& key) {
  for (int guard = 0; guard < 100; ++guard) {
    UniqueHKey k;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_ALL_ACCESS, k.Put()) != ERROR_SUCCESS) return;
    char name[256];
    DWORD len = sizeof name;
    if (::RegEnumKeyExA(k.Get(), 0, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    k.Reset();
    DeleteTree(key + "\\" + name);
  }
  ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str());
}
inline void DeleteValue(const std::string& key, const std::string& name) {
  UniqueHKey k;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_ALL_ACCESS, k.Put()) == ERROR_SUCCESS)
    ::RegDeleteValueA(k.Get(), name.c_str());
}

const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// The pending operations of the next restart, as the system keeps them.
inline std::vector<std::string> PendingOperations() {
  std::vector<std::string> out;
  UniqueHKey k;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager", 0, KEY_READ,
                      k.Put()) != ERROR_SUCCESS)
    return out;
  DWORD size = 0;
  if (::RegQueryValueExA(k.Get(), "PendingFileRenameOperations", nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS)
    return out;
  std::vector<char> buf(size + 2, '\0');
  ::RegQueryValueExA(k.Get(), "PendingFileRenameOperations", nullptr, nullptr,
                     reinterpret_cast<BYTE*>(buf.data()), &size);
  for (size_t i = 0; i < size;) {
    std::string s(buf.data() + i);
    out.push_back(s);
    i += s.size() + 1;
  }
  return out;
}
inline bool IsPending(const std::string& path) {
  for (const auto& op : PendingOperations())
    if (op.size() >= path.size() && ::lstrcmpiA(op.substr(op.size() - path.size()).c_str(), path.c_str()) == 0)
      return true;
  return false;
}

// Every report of a run: percentage and line.
struct Report {
  int32_t percent;
  std::string text;
};
struct Recorder {
  std::vector<Report> reports;
  int cancelAt = -1;       // report index (0-based) that asks to stop
  bool sticky = false;     // keep asking once asked, as a window's close does
  bool cancelled = false;
  std::vector<int32_t> Percents() const {
    std::vector<int32_t> p;
    for (const auto& r : reports) p.push_back(r.percent);
    return p;
  }
};
inline void RecordProgress(void* context, TSetupList*, int32_t percent, const std::string& text, bool& cancel) {
  Recorder* r = static_cast<Recorder*>(context);
  r->reports.push_back({percent, text});
  if (static_cast<int>(r->reports.size()) - 1 == r->cancelAt || (r->sticky && r->cancelled)) {
    cancel = true;
    r->cancelled = true;
  }
}
// Also gives the list an (empty) catalogue, as the driver always does, so lines have their texts.
inline void Attach(TSetupList& list, Recorder& r) {
  if (!list.Messages) list.LoadMessageFile("C:\\no such folder\\SetupMsg.XXX");
  list.OnProgress = &RecordProgress;
  list.ProgressContext = &r;
}

// A planned item as (kind, target, weight), for comparing whole plans.
struct Planned {
  int32_t kind;
  std::string target;
  int32_t weight;
  bool operator==(const Planned& o) const { return kind == o.kind && target == o.target && weight == o.weight; }
};
inline void PrintTo(const Planned& p, std::ostream* os) {
  *os << "(" << p.kind << ", " << p.target << ", " << p.weight << ")";
}
inline std::vector<Planned> Plan(const TSetupList& list) {
  std::vector<Planned> out;
  for (const auto& i : list.Items) out.push_back({static_cast<int32_t>(i->Kind), i->Target, i->Weight});
  return out;
}

// The percentage that `list` reports before step `step` of its item `item`, from the weights of
// the planned items: the steps finished before it over the total weight, truncated.
inline int32_t PercentBefore(const TSetupList& list, size_t item, int32_t step) {
  const std::vector<Planned> plan = Plan(list);
  int64_t total = 0, before = step;
  for (size_t i = 0; i < plan.size(); ++i) {
    total += plan[i].weight;
    if (i < item) before += plan[i].weight;
  }
  return total > 0 ? static_cast<int32_t>(before * 100 / total) : -1;
}
// How a run went through one planned item: `steps` steps from step `first`, each with `reports`
// reports (the step's own, then the action's).
struct Walked {
  size_t item;
  int32_t steps;
  int32_t reports;
  int32_t first = 0;
};
// The percentages of every report of such a run, in order.
inline std::vector<int32_t> ExpectedPercents(const TSetupList& list, const std::vector<Walked>& walk) {
  std::vector<int32_t> out;
  for (const auto& w : walk)
    for (int32_t step = w.first; step < w.first + w.steps; ++step)
      out.insert(out.end(), static_cast<size_t>(w.reports), PercentBefore(list, w.item, step));
  return out;
}

}  // namespace engtest
