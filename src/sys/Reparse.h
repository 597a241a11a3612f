// Links of the file system (junctions, symbolic links, mount points). A deletion never goes
// through one: what lies behind a link in the product's folder belongs to someone else.
#pragma once
#include <cstdint>
#include <string>

// True when the path itself is a reparse point (the link, not what it points at).
bool IsReparsePoint(const std::string& path);

// True when a folder on the way from trusted down to path's last part is a reparse point, or
// cannot be examined (every folder strictly below trusted, none above it). A path that does
// not lie below trusted is examined from its root on. "/" separates as "\" does.
// By name: an answer for the moment it is given, which a removal must not trust (see
// sys/Nativefile.h); the restart resolves names again anyway. `unreadable` (when given) gets the
// error of a folder that could not be examined, 0 for a link.
bool CrossesReparsePoint(const std::string& path, const std::string& trusted, uint32_t* unreadable = nullptr);
