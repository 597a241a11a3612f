// Resource identifiers of Uninstall.EXE.
#pragma once
#define IDI_MAIN 1
#define IDB_IMAGE1 101
// The same picture drawn for 144, 192 and 288 DPI (PNG, RCDATA).
#define IDR_IMAGE1_144 102
#define IDR_IMAGE1_192 103
#define IDR_IMAGE1_288 104
// The program's version, as its version resource and its log name it: the project's (CMakeLists.txt).
#include "Version.h"
