// The product's records under HKEY_LOCAL_MACHINE: uninstall entry, Run value, maker's key and the
// Used lists of shared components. A key that does not open with full access counts as missing;
// a registry link key is never followed.
#pragma once
#include <string>

bool DeleteRunValue(const std::string& name);
bool DeleteUninstallKey(const std::string& name);
std::string ReadUninstallString(const std::string& name);
bool DeleteProductKey(const std::string& name);
bool RemoveUsedMark(const std::string& component, const std::string& product);
bool IsUsedByOthers(const std::string& component, const std::string& product);

// For the run's log: the records' key paths under HKEY_LOCAL_MACHINE, and whether they are there
// now (readable counts as there).
std::string RunKeyPath();
std::string UninstallKeyPath(const std::string& name);
std::string ProductKeyPath(const std::string& name);
std::string UsedKeyPath(const std::string& component);
bool MachineKeyExists(const std::string& path);
bool MachineValueExists(const std::string& path, const std::string& value);
