// Paths of the Windows folders that the removal plan names, with their fallbacks.
#pragma once
#include <string>

std::string GetWindowsFolder();
std::string GetWindowsFolderUpper();   // cached
char GetSystemDriveLetter();
std::string GetShellFolder(int folderId);   // trimmed; empty on any failure
std::string GetProgramFilesFolder();
std::string GetProgramFilesFolderUpper();   // cached
std::string GetCommonDesktopFolder();
std::string GetUserDesktopFolder();
std::string GetDesktopFolder();    // by version; empty when unrecognised
std::string GetCommonProgramsFolder();
std::string GetUserProgramsFolder();
std::string GetProgramsFolder();   // by version; empty when unrecognised
std::string GetSystemFolder();     // the 9x system folder
