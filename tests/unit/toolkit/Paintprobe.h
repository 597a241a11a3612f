// A 32-bit top-down memory bitmap to paint into and read back pixel by pixel.
#pragma once
#include <windows.h>

#include <cstdint>

class PaintProbe {
public:
  PaintProbe(int width, int height, COLORREF background);
  ~PaintProbe();
  PaintProbe(const PaintProbe&) = delete;
  PaintProbe& operator=(const PaintProbe&) = delete;
  HDC Dc() const { return dc_; }
  COLORREF At(int x, int y) const;   // after GdiFlush
  int Width() const { return width_; }
  int Height() const { return height_; }

private:
  int width_, height_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  uint32_t* bits_ = nullptr;
};

// The box of pixels in r whose colour is not one of `plain` (count of them in *count).
RECT BoxOfOthers(const PaintProbe& p, const RECT& r, const COLORREF* plain, int nplain, int* count);
