// The product's records under HKEY_LOCAL_MACHINE: uninstall entry, Run value, maker's key and the
// Used lists of shared components. A key that does not open with full access counts as missing;
// a registry link key is never followed.
#pragma once
#include <cstdint>
#include <string>

// The deletions answer 0 when the record is gone or was never there, otherwise the Windows error
// code of the step that failed; a caller that goes on regardless says so.
[[nodiscard]] uint32_t DeleteRunValue(const std::string& name);
[[nodiscard]] uint32_t DeleteUninstallKey(const std::string& name);
std::string ReadUninstallString(const std::string& name);
[[nodiscard]] uint32_t DeleteProductKey(const std::string& name);
[[nodiscard]] uint32_t RemoveUsedMark(const std::string& component, const std::string& product);
bool IsUsedByOthers(const std::string& component, const std::string& product);

// Decided by what the machine has, not by the version it reports: a key is opened as itself, and
// opened again without that option only where a machine of the 9x family (which has no links)
// refused it; it goes through its own handle wherever the system can, by name only on the 9x
// family, and not at all on an NT machine that lacks the call.
bool OpensWithoutLinkOption(bool ntMachine, long answer);
enum class TKeyDeletion { ThroughHandle, ByName, Refused };
TKeyDeletion ChooseKeyDeletion(bool ntMachine, bool haveNtDeleteKey);

// For the run's log: the records' key paths under HKEY_LOCAL_MACHINE, and whether they are there
// now (readable counts as there).
std::string RunKeyPath();
std::string UninstallKeyPath(const std::string& name);
std::string ProductKeyPath(const std::string& name);
std::string UsedKeyPath(const std::string& component);
bool MachineKeyExists(const std::string& path);
bool MachineValueExists(const std::string& path, const std::string& value);
// A string value of a key under HKEY_LOCAL_MACHINE, read only, environment references resolved;
// empty when missing or of another type.
std::string ReadMachineString(const std::string& path, const char* value);
