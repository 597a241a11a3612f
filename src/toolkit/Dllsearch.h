// Keeps DLLs that the program loads by name to the system folder, so that a DLL lying beside the
// program (a downloads folder, say) with a system DLL's name is never loaded.
#pragma once

// True when the system folder alone is searched from now on. Where the system lacks the call
// (XP without its update), only the current folder leaves the search path.
bool RestrictDllSearchToSystem();
