// Paths that came from outside (the registry, information files) made canonical before the program
// decides whether it may delete there: a text test alone is fooled by "C:\Windows\." or "PROGRA~1".
#pragma once
#include <string>

// The absolute path with "/" read as "\", repeated separators dropped, "." and ".." resolved (no
// higher than the root) and no trailing backslash unless it is a drive's root. The empty text
// refuses it: not absolute (a drive letter and its root, or \\server\share), the "\\?\" and "\\.\"
// forms, an administrative share (C$, ADMIN$), a device name (NUL, COM1, ...), wildcards, a stream
// name, or a part ending in a dot or a blank (which Windows would drop, naming another folder).
std::string CanonicalPathText(const std::string& path);

// CanonicalPathText with short 8.3 names expanded to the long ones as far as the parts exist.
std::string CanonicalPath(const std::string& path);

// The path with its short names expanded, as far as its parts exist; unchanged without any.
std::string ExpandShortNames(const std::string& path);

// The absolute form of a name as the system reads it against the current folder; empty on failure.
std::string FullPathName(const std::string& name);

// True for a name that can be no disk file of ours, before any call is made with it: its last part
// is a device name (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9, CONIN$, CONOUT$, CLOCK$; the part before
// its first dot compared, trailing blanks ignored, in any folder and with any extension); it holds
// one of <>:"|?* outside a drive letter's colon, or a control character; or it is a "\\.\" or
// "\\?\" form. "/" is a separator as "\" is.
bool IsUnfitFileName(const std::string& name);
