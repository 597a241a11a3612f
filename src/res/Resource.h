// Resource identifiers of Uninstall.EXE.
#pragma once
#define IDI_MAIN 1
#define IDB_IMAGE1 101
