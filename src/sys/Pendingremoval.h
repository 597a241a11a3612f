// Removal at the next restart of what cannot go while it is in use (the running uninstaller
// above all). NT family: the system's pending file operations; 9x family: WININIT.INI.
#pragma once
#include <string>

// Schedules the file's deletion; true when the system took the request.
bool ScheduleFileRemoval(const std::string& path);
// Schedules an existing folder's removal, only on the NT family and only when everything it still
// holds was scheduled by this process; true when it was scheduled.
bool ScheduleFolderRemoval(const std::string& path);
// True when this process scheduled the path (full path, compared case-insensitively).
bool IsScheduledForRemoval(const std::string& path);
// True when this process scheduled a file other than its own program for the next restart: what
// a restart must finish. A folder is scheduled only when all it holds was, so files tell it all.
bool RestartNeeded();

// The WININIT.INI text with "NUL=<shortPath>" added to its [rename] section (made when missing).
std::string AddWininitDeletion(const std::string& content, const std::string& shortPath);
