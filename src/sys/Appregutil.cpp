#include "sys/Appregutil.h"

#include <windows.h>

#include <memory>
#include <new>

#include "sys/Faultpoint.h"
#include "sys/Handle.h"
#include "sys/Sysutil.h"
#include "sys/Syslibrary.h"

#ifndef REG_OPTION_OPEN_LINK
#define REG_OPTION_OPEN_LINK 0x00000008L
#endif

namespace {

const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char kMakerKey[] = "Software\\QORV";
const char kTreeDeletion[] = "the key-tree deletion";

// Guards against subkeys that will not go (enumeration would hand them out again and again) and
// against a tree deeper than the registry allows.
constexpr int kMaxSteps = 1000000;
constexpr size_t kMaxDepth = 512;

std::string Join(const char* parent, const std::string& name) {
  return std::string(parent) + "\\" + name;
}

// The NT family's registry has link keys (REG_LINK): opened by name, a link is its target, so a
// deletion by name would empty and delete a tree that is not ours. Every key is opened as itself
// (REG_OPTION_OPEN_LINK), whatever version the system reports to this program, a link is never
// descended into, and each key goes through the handle that was checked (NtDeleteKey): a link is
// removed as a link. Windows 9x has no links; its registry reserves the options.

using NtDeleteKeyFn = LONG(WINAPI*)(HANDLE);

NtDeleteKeyFn NtDeleteKeyProc() {
  return GetSystemProc<NtDeleteKeyFn>(::GetModuleHandleA("ntdll.dll"), "NtDeleteKey");
}

// The names below a key are anyone's, in any script: where keys go through their handles (the NT
// family) they are enumerated and opened in UTF-16, which the ANSI calls would turn into '?' outside
// the code page. Looked up at run time: the 9x family has these only as stubs.
struct TWideRegistry {
  using OpenFn = LONG(WINAPI*)(HKEY, LPCWSTR, DWORD, REGSAM, PHKEY);
  using EnumFn = LONG(WINAPI*)(HKEY, DWORD, LPWSTR, LPDWORD, LPDWORD, LPWSTR, LPDWORD, PFILETIME);
  OpenFn Open = nullptr;
  EnumFn Enum = nullptr;
  TWideRegistry() {
    HMODULE advapi = ::GetModuleHandleA("advapi32.dll");
    Open = GetSystemProc<OpenFn>(advapi, "RegOpenKeyExW");
    Enum = GetSystemProc<EnumFn>(advapi, "RegEnumKeyExW");
  }
  bool Usable() const { return Open && Enum; }
};

// The Windows error code that a status of the native call stands for.
LONG NtStatusError(LONG status) {
  using RtlNtStatusToDosErrorFn = ULONG(WINAPI*)(LONG);
  auto toDos = GetSystemProc<RtlNtStatusToDosErrorFn>(::GetModuleHandleA("ntdll.dll"), "RtlNtStatusToDosError");
  return toDos ? static_cast<LONG>(toDos(status)) : ERROR_ACCESS_DENIED;
}

bool IsLinkKey(HKEY key) {
  DWORD type = REG_NONE;
  return SYS_REG(kTreeDeletion, RegQueryValueExA, (key, "SymbolicLinkValue", nullptr, &type, nullptr, nullptr)) ==
             ERROR_SUCCESS &&
         type == REG_LINK;
}

// The key as itself; the handle is taken only on success (a failing call need not leave its
// out-parameter null).
LONG OpenKey(HKEY parent, const char* path, UniqueHKey& key, const char* where = "a registry key's open") {
  HKEY raw = nullptr;
  LONG result = SYS_REG(where, RegOpenKeyExA, (parent, path, REG_OPTION_OPEN_LINK, KEY_ALL_ACCESS, &raw));
  if (OpensWithoutLinkOption(IsNtMachine(), result))
    result = SYS_REG(where, RegOpenKeyExA, (parent, path, 0, KEY_ALL_ACCESS, &raw));
  key.Reset(result == ERROR_SUCCESS ? raw : nullptr);
  return result;
}

LONG OpenWideKey(const TWideRegistry& wide, HKEY parent, const wchar_t* name, UniqueHKey& key) {
  HKEY raw = nullptr;
  LONG result = SYS_REG_P(kTreeDeletion, "RegOpenKeyExW",
                          wide.Open(parent, name, REG_OPTION_OPEN_LINK, KEY_ALL_ACCESS, &raw));
  key.Reset(result == ERROR_SUCCESS ? raw : nullptr);
  return result;
}

// A link opens as itself, and so looks like a key without our values: its target, another
// program's entry, is never read or changed through it.
LONG OpenMachineKey(const std::string& path, UniqueHKey& key) {
  return OpenKey(HKEY_LOCAL_MACHINE, path.c_str(), key);
}

UniqueHKey OpenMachineKey(const std::string& path) {
  UniqueHKey key;
  OpenMachineKey(path, key);   // a key that does not open reads as missing
  return key;
}

// What is not there needs no deleting.
uint32_t GoneOrError(LONG result) {
  return result == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : static_cast<uint32_t>(result);
}

bool ValueExists(HKEY key, const std::string& name) {
  return SYS_REG("a registry value's test", RegQueryValueExA, (key, name.c_str(), nullptr, nullptr, nullptr,
                                                                nullptr)) == ERROR_SUCCESS;
}

// One key of the tree on the way down: its handle, the children enumerated past because they
// stayed, and the first reason why.
struct TKeyFrame {
  UniqueHKey Key;
  bool Link = false;   // never descended into
  DWORD Stayed = 0;
  LONG Failure = ERROR_SUCCESS;
};

// The next child of the key that has not stayed: ERROR_NO_MORE_ITEMS when there is none, else
// the enumeration's error; `opened` is then the child's own open.
LONG NextChild(const TWideRegistry& wide, const TKeyFrame& parent, TKeyFrame& child, LONG& opened) {
  wchar_t name[256];
  DWORD length = sizeof name / sizeof name[0];
  LONG listed = SYS_REG_P(kTreeDeletion, "RegEnumKeyExW",
                          wide.Enum(parent.Key.Get(), parent.Stayed, name, &length, nullptr, nullptr, nullptr, nullptr));
  if (listed == ERROR_SUCCESS) opened = OpenWideKey(wide, parent.Key.Get(), name, child.Key);
  return listed;
}

// A child that is listed yet does not open by its name is no missing key: the tree keeps it.
void Stays(TKeyFrame& key, LONG why) {
  ++key.Stayed;
  if (key.Failure == ERROR_SUCCESS) key.Failure = why == ERROR_FILE_NOT_FOUND ? ERROR_BADKEY : why;
}

// Depth first, the children of a key before the key itself, on a stack of its own rather than
// the program's: the registry allows trees 512 levels deep. A child that will not go is passed
// by, its siblings still go, and the keys above it stay and answer with its error. The 9x family
// has no links and no names outside its code page, and its own deletion takes the subkeys too.
LONG DeleteKeyTree(HKEY root, const std::string& name) {
  NtDeleteKeyFn ntDeleteKey = NtDeleteKeyProc();
  const TKeyDeletion way = ChooseKeyDeletion(IsNtMachine(), ntDeleteKey != nullptr);
  if (way == TKeyDeletion::ByName) return SYS_REG(kTreeDeletion, RegDeleteKeyA, (root, name.c_str()));
  const TWideRegistry wide;
  // No safe way to delete: leave it all.
  if (way == TKeyDeletion::Refused || !wide.Usable()) return ERROR_NOT_SUPPORTED;
  // The whole way down at once, from the heap: the program's stack stays as small as ever.
  std::unique_ptr<TKeyFrame[]> stack(SYS_NEW(kTreeDeletion, TKeyFrame[kMaxDepth + 1]));
  if (!stack) return ERROR_NOT_ENOUGH_MEMORY;
  size_t depth = 0;   // of the key looked at, the tree's own key being 0
  LONG opened = OpenKey(root, name.c_str(), stack[0].Key, kTreeDeletion);
  if (opened != ERROR_SUCCESS) return opened;
  stack[0].Link = IsLinkKey(stack[0].Key.Get());
  for (int step = 0; step < kMaxSteps; ++step) {
    TKeyFrame& top = stack[depth];
    if (!top.Link) {
      TKeyFrame& child = stack[depth < kMaxDepth ? depth + 1 : depth];
      LONG childOpened = ERROR_SUCCESS;
      LONG listed = depth < kMaxDepth ? NextChild(wide, top, child, childOpened) : ERROR_CANTWRITE;
      if (listed == ERROR_SUCCESS && childOpened == ERROR_SUCCESS) {
        child.Link = IsLinkKey(child.Key.Get());
        ++depth;
        continue;
      }
      // A child that does not open stays, and its siblings go on; a list that cannot be read ends.
      if (listed == ERROR_SUCCESS) {
        Stays(top, childOpened);
        continue;
      }
      if (listed != ERROR_NO_MORE_ITEMS && top.Failure == ERROR_SUCCESS) top.Failure = listed;
    }
    LONG result = top.Failure;
    if (result == ERROR_SUCCESS) {
      LONG status = SYS_NT(kTreeDeletion, "NtDeleteKey", ntDeleteKey(top.Key.Get()));
      result = status == 0 ? ERROR_SUCCESS : NtStatusError(status);
    }
    top.Key.Reset();
    top.Stayed = 0;
    top.Failure = ERROR_SUCCESS;
    if (depth == 0) return result;
    --depth;
    if (result != ERROR_SUCCESS) Stays(stack[depth], result);
  }
  return ERROR_CANTWRITE;
}

// The key `name` below `parentPath`, with everything under it; nothing when the parent is itself
// a link, which would place the key in some other tree.
uint32_t DeleteMachineTree(const char* parentPath, const std::string& name) {
  if (name.empty()) return ERROR_INVALID_NAME;   // would name the parent itself
  UniqueHKey parent;
  LONG opened = OpenKey(HKEY_LOCAL_MACHINE, parentPath, parent);
  if (opened != ERROR_SUCCESS) return GoneOrError(opened);
  if (IsLinkKey(parent.Get())) return ERROR_CANT_RESOLVE_FILENAME;
  return GoneOrError(DeleteKeyTree(parent.Get(), name));
}

std::string ExpandVariables(const std::string& text) {
  const char where[] = "the uninstall command's variables";
  DWORD needed = SYS_ZERO(where, ExpandEnvironmentStringsA, (text.c_str(), nullptr, 0));
  for (int attempt = 0; attempt < 3 && needed != 0; ++attempt) {
    // One byte more than asked for: some systems count the ANSI result short.
    std::unique_ptr<char[]> out(SYS_NEW(where, char[needed + 1]));
    if (!out) return text;
    DWORD got = SYS_ZERO(where, ExpandEnvironmentStringsA, (text.c_str(), out.get(), needed + 1));
    if (got == 0) break;
    if (got <= needed + 1) return std::string(out.get());
    needed = got;   // the environment grew meanwhile
  }
  return text;
}

// A string value's text up to its first zero byte; empty for a value that is missing, empty or
// of another type. Environment references in an expandable string are resolved.
std::string ReadStringValue(HKEY key, const char* name) {
  const char where[] = "a string value's read";
  for (int attempt = 0; attempt < 3; ++attempt) {
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (SYS_REG(where, RegQueryValueExA, (key, name, nullptr, &type, nullptr, &size)) != ERROR_SUCCESS) break;
    if (type != REG_SZ && type != REG_EXPAND_SZ) break;
    if (size == 0) break;
    // One zero byte beyond the data: a stored string need not be terminated.
    std::unique_ptr<char[]> data(SYS_NEW(where, char[size + 1]()));
    if (!data) break;
    DWORD got = size;
    LONG read = SYS_REG(where, RegQueryValueExA, (key, name, nullptr, &type, reinterpret_cast<BYTE*>(data.get()), &got));
    if (read == ERROR_MORE_DATA) continue;   // the value grew between the two calls
    if (read != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) break;
    std::string text(data.get());
    return type == REG_EXPAND_SZ ? ExpandVariables(text) : text;
  }
  return std::string();
}

}  // namespace

bool OpensWithoutLinkOption(bool ntMachine, long answer) {
  return !ntMachine && answer == ERROR_INVALID_PARAMETER;
}

TKeyDeletion ChooseKeyDeletion(bool ntMachine, bool haveNtDeleteKey) {
  if (haveNtDeleteKey) return TKeyDeletion::ThroughHandle;
  return ntMachine ? TKeyDeletion::Refused : TKeyDeletion::ByName;
}

uint32_t DeleteRunValue(const std::string& name) {
  HKEY raw = nullptr;
  LONG opened = SYS_REG("the start-up entry", RegCreateKeyExA, (HKEY_LOCAL_MACHINE, kRunKey, 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &raw, nullptr));
  if (opened != ERROR_SUCCESS) return static_cast<uint32_t>(opened);
  UniqueHKey key(raw);
  if (!ValueExists(key.Get(), name)) return ERROR_SUCCESS;
  return static_cast<uint32_t>(SYS_REG("the start-up entry", RegDeleteValueA, (key.Get(), name.c_str())));
}

uint32_t DeleteUninstallKey(const std::string& name) { return DeleteMachineTree(kUninstallKey, name); }

std::string ReadUninstallString(const std::string& name) {
  UniqueHKey key = OpenMachineKey(UninstallKeyPath(name));
  if (!key) return std::string();
  return ReadStringValue(key.Get(), "UninstallString");
}

uint32_t DeleteProductKey(const std::string& name) { return DeleteMachineTree(kMakerKey, name); }

uint32_t RemoveUsedMark(const std::string& component, const std::string& product) {
  UniqueHKey key;
  LONG opened = OpenMachineKey(UsedKeyPath(component), key);
  if (opened != ERROR_SUCCESS) return GoneOrError(opened);
  if (!ValueExists(key.Get(), product)) return ERROR_SUCCESS;
  return static_cast<uint32_t>(SYS_REG("the driver's use mark", RegDeleteValueA, (key.Get(), product.c_str())));
}

bool IsUsedByOthers(const std::string& component, const std::string& product) {
  // In every case of doubt the component counts as used, so that it stays installed.
  UniqueHKey key = OpenMachineKey(UsedKeyPath(component));
  if (!key) return true;
  DWORD values = 0;
  if (SYS_REG("the driver's use list", RegQueryInfoKeyA, (key.Get(), nullptr, nullptr, nullptr, nullptr, nullptr,
                                                          nullptr, &values, nullptr, nullptr, nullptr, nullptr)) !=
      ERROR_SUCCESS) {
    return true;
  }
  if (values == 0) return false;
  if (values == 1) return !ValueExists(key.Get(), product);
  return true;
}

std::string RunKeyPath() { return kRunKey; }

std::string UninstallKeyPath(const std::string& name) { return Join(kUninstallKey, name); }

std::string ProductKeyPath(const std::string& name) { return Join(kMakerKey, name); }

std::string UsedKeyPath(const std::string& component) { return Join(kMakerKey, component) + "\\Used"; }

namespace {
UniqueHKey OpenMachineKeyToRead(const std::string& path) {
  HKEY raw = nullptr;
  LONG result = SYS_REG("a key's look for the log", RegOpenKeyExA, (HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &raw));
  return UniqueHKey(result == ERROR_SUCCESS ? raw : nullptr);
}
}  // namespace

bool MachineKeyExists(const std::string& path) { return OpenMachineKeyToRead(path).Valid(); }

std::string ReadMachineString(const std::string& path, const char* value) {
  UniqueHKey key = OpenMachineKeyToRead(path);
  return key ? ReadStringValue(key.Get(), value) : std::string();
}

bool MachineValueExists(const std::string& path, const std::string& value) {
  UniqueHKey key = OpenMachineKeyToRead(path);
  return key && ValueExists(key.Get(), value);
}
