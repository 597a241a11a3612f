// A 32-bit top-down memory bitmap to paint into and read back pixel by pixel.
#pragma once
#include <windows.h>

#include <cstdint>

#include "sys/Handle.h"

class PaintProbe {
public:
  PaintProbe(int width, int height, COLORREF background);
  PaintProbe(const PaintProbe&) = delete;
  PaintProbe& operator=(const PaintProbe&) = delete;
  HDC Dc() const { return dc_.Get(); }
  COLORREF At(int x, int y) const;   // after GdiFlush

private:
  int width_;
  uint32_t* bits_ = nullptr;
  UniqueMemDc dc_;
  UniqueBitmap bitmap_;
  SelectedObject selected_;   // the bitmap in the DC, until the probe goes
};

// The box of pixels in r whose colour is not one of `plain` (count of them in *count).
RECT BoxOfOthers(const PaintProbe& p, const RECT& r, const COLORREF* plain, int nplain, int* count);

// What a font was made from, and its character set.
LOGFONTA FontOf(HFONT font);
BYTE CharsetOf(HFONT font);
