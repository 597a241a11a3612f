// Resource identifiers of Uninstall.EXE.
#pragma once
#define IDI_MAIN 1
#define IDB_IMAGE1 101
// The program's version, as its version resource and its log name it.
#define TARVO_VERSION "1.0.0.0"
