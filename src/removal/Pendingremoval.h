// Removal at the next restart of what cannot go while it is in use (the running uninstaller
// above all). NT family: the system's pending file operations; 9x family: WININIT.INI.
#pragma once
#include <cstdint>
#include <string>

// The restart resolves the path again: with `trusted` given, nothing is scheduled whose way down
// from there crosses a link (see CrossesReparsePoint).
// Each is true when the system took the request; otherwise `error` (when given) says why: the
// Windows error of what failed, or 0 when the path was declined on purpose (a link in the way, a
// folder that keeps something not going).
// Schedules the file's deletion. On the 9x family a file whose short name cannot be had is not
// scheduled (WININIT.INI cannot take a long one). `forTheProduct` false: a file of the run's own
// (the hand-over copy), which makes no restart needed (RestartNeeded).
bool ScheduleFileRemoval(const std::string& path, const std::string& trusted = std::string(),
                         uint32_t* error = nullptr, bool forTheProduct = true);
// Schedules an existing folder's removal when everything it still holds was scheduled by this
// process (or goes elsewhere); on the 9x family, whose WININIT.INI cannot remove a folder, such a
// folder answers ERROR_NOT_SUPPORTED.
bool ScheduleFolderRemoval(const std::string& path, const std::string& trusted = std::string(),
                           uint32_t* error = nullptr);
// True when this process scheduled the path (full path, compared as SamePathText does).
bool IsScheduledForRemoval(const std::string& path);
// Counts the path as going, for the folder test above, without scheduling it: another process
// removes it.
void NoteRemovalElsewhere(const std::string& path);

// Replaces the file's content by a whole new one without a moment where neither the old nor the
// new content is on disk under some name: written beside it first, then swapped in.
bool ReplaceFileContent(const std::string& name, const std::string& content);
// True when this process scheduled a file of the product for the next restart (the uninstaller's
// own program too): what a restart must finish. A folder is scheduled only when all it holds was,
// so files tell it all.
bool RestartNeeded();

// The WININIT.INI text with "NUL=<shortPath>" added to its [rename] section (made when missing).
std::string AddWininitDeletion(const std::string& content, const std::string& shortPath);
