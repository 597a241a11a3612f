// Resource identifiers of Uninstall.EXE.
#pragma once
#define IDI_MAIN 1
#define IDB_IMAGE1 101
// The program's version, as its version resource and its log name it: the project's (CMakeLists.txt).
#include "Version.h"
