// The display scale. The layout's numbers are at 96 DPI; whatever is drawn scales by DPI / 96,
// rounded the one way that MulDiv rounds, so that a position and a size of the same number always
// come out the same.
#pragma once
#include <windows.h>

const int kLayoutDpi = 96;

inline int ScaleForDpi(int value, int dpi) { return ::MulDiv(value, dpi, kLayoutDpi); }

// The DPI a window is drawn at: its own where the system keeps one per window (Windows 10 1607
// on), else its monitor's (8.1 on), else the screen's, which also carries the 120 DPI "large
// fonts" of 9x and XP. Null asks for the screen's.
int WindowDpi(HWND wnd);

// The window rectangle, at the origin, around a client area of the given size at that DPI.
RECT WindowRectForClient(int width, int height, DWORD style, DWORD exStyle, int dpi);
