// Where the product was installed, as its uninstall command names it: the folder, when bare file
// names may be deleted from it (otherwise the list takes its default under Program Files). The
// choice over the system's answers given by the caller, beside the wrapper that asks the system.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// What the system tells about a folder that an uninstall command names.
struct TInstallFolderFacts {
  std::string (*canonical)(const std::string& path);   // empty when there is none
  std::vector<std::string> (*systemFolders)();          // SystemOwnedFolders
  bool (*isLink)(const std::string& folder);            // IsReparsePoint
  // CrossesReparsePoint: a link on the way down from `trusted` (empty: from the root)
  bool (*crossesLink)(const std::string& path, const std::string& trusted, uint32_t* unreadable);
};

// The folder part of an uninstall command (blanks around it ignored): the value inside the quotes when it is quoted, up to
// and including the last backslash or colon, with a trailing backslash dropped unless it follows a
// colon or a backslash. Double-byte aware by the system code page.
std::string UninstallCommandFolder(const std::string& command);

// True for folders whose bare file names must never be deleted: one that is no absolute folder
// once made canonical (CanonicalPath), a drive or share root, and the folders of the system
// (SystemOwnedFolders) and every folder that holds one of them. The empty text is not refused.
bool IsUnfitInstallDir(const std::string& folder);
// The same over a canonical folder and the system's folders as the platform names them.
bool IsUnfitFolder(const std::string& canonical, const std::vector<std::string>& systemFolders);
// The Windows folder, its system folders (SysWOW64 and Sysnative too), both Program Files
// folders and the folder of the user profiles, each as the system names it, some empty.
std::vector<std::string> SystemOwnedFolders();

// The canonical folder that the command names, or empty when it names none that is fit (see
// IsUnfitFolder) and reached through no link. The system is asked only about a folder named.
std::string ChooseInstallFolder(const std::string& command, const TInstallFolderFacts& facts);

// ChooseInstallFolder of the product's UninstallString over the live system.
std::string LocateInstallFolder(const std::string& productName);
