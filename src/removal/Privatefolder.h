// A folder of the process's own under a shared one (the temporary folder): made here, never one
// found there, and on the NT family open only to administrators and SYSTEM (and to the user when
// the process runs without administrator rights, since nothing else could use it then).
#pragma once
#include <windows.h>
#include <memory>
#include <string>

// The access rights that a private folder is made with, built for the running process.
class TPrivateFolderSecurity {
public:
  TPrivateFolderSecurity();
  ~TPrivateFolderSecurity();
  TPrivateFolderSecurity(const TPrivateFolderSecurity&) = delete;
  TPrivateFolderSecurity& operator=(const TPrivateFolderSecurity&) = delete;
  // False when the NT family's rights could not be built: then no folder may be made.
  bool Usable() const;
  // For CreateDirectory: null on the 9x family, which has no access rights.
  SECURITY_ATTRIBUTES* Attributes();
  PACL Dacl();   // null on the 9x family

private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
};

// The new folder's full path, or empty when none could be made.
std::string MakePrivateFolder(const std::string& under);

// Names that are hard to guess in advance, a new one at each call: "TVU" and eight hex digits. One
// that is taken is skipped, never reused.
class TFreshNames {
public:
  TFreshNames();
  std::string Next();

private:
  DWORD seed_;
};
