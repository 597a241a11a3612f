// A 32-bit top-down memory bitmap to paint into and read back pixel by pixel.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

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

// A bitmap's pixels, top row first, as 0x00RRGGBB.
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> rgb;
  uint32_t At(int x, int y) const { return rgb[static_cast<size_t>(y) * width + x]; }
};
Pixels PixelsOf(HBITMAP bitmap);
// The share of the 2 x 2 blocks, aligned at the origin, whose four pixels have one colour: 1.0
// for a picture enlarged by doubling its pixels, well below for one drawn at its size.
double SingleColourBlockShare(const Pixels& p);
// Neighbours side by side whose colours differ by more than 250, summed over the channels: the
// firm edges of a drawing, which a smooth enlargement spreads over several weaker steps.
int FirmEdges(const Pixels& p);
