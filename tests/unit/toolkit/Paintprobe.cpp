#include "unit/toolkit/Paintprobe.h"

#include <cstdlib>

namespace {
HDC ScreenCompatibleDc() {
  WindowDc screen(nullptr);
  return ::CreateCompatibleDC(screen.Get());
}

HBITMAP TopDownBitmap(HDC dc, int width, int height, uint32_t** bits) {
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* p = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
  *bits = static_cast<uint32_t*>(p);
  return bitmap;
}
}  // namespace

PaintProbe::PaintProbe(int width, int height, COLORREF background)
    : width_(width),
      dc_(ScreenCompatibleDc()),
      bitmap_(TopDownBitmap(dc_.Get(), width, height, &bits_)),
      selected_(dc_.Get(), bitmap_.Get()) {
  UniqueBrush brush(::CreateSolidBrush(background));
  RECT r = {0, 0, width, height};
  ::FillRect(dc_.Get(), &r, brush.Get());
}

COLORREF PaintProbe::At(int x, int y) const {
  ::GdiFlush();
  uint32_t v = bits_[y * width_ + x];
  return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

RECT BoxOfOthers(const PaintProbe& p, const RECT& r, const COLORREF* plain, int nplain, int* count) {
  RECT box = {r.right, r.bottom, r.left, r.top};
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) {
      COLORREF c = p.At(x, y);
      bool isPlain = false;
      for (int i = 0; i < nplain; ++i) isPlain = isPlain || c == plain[i];
      if (isPlain) continue;
      ++n;
      if (x < box.left) box.left = x;
      if (y < box.top) box.top = y;
      if (x + 1 > box.right) box.right = x + 1;
      if (y + 1 > box.bottom) box.bottom = y + 1;
    }
  }
  if (count) *count = n;
  return box;
}

LOGFONTA FontOf(HFONT font) {
  LOGFONTA lf = {};
  ::GetObjectA(font, sizeof lf, &lf);
  return lf;
}

BYTE CharsetOf(HFONT font) { return FontOf(font).lfCharSet; }

Pixels PixelsOf(HBITMAP bitmap) {
  Pixels p;
  BITMAP info = {};
  if (!bitmap || !::GetObjectA(bitmap, sizeof info, &info)) return p;
  p.width = info.bmWidth;
  p.height = info.bmHeight;
  p.rgb.resize(static_cast<size_t>(p.width) * p.height);
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = p.width;
  bi.bmiHeader.biHeight = -p.height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  WindowDc screen(nullptr);
  ::GetDIBits(screen.Get(), bitmap, 0, static_cast<UINT>(p.height), p.rgb.data(), &bi, DIB_RGB_COLORS);
  for (uint32_t& v : p.rgb) v &= 0xFFFFFF;
  return p;
}

double SingleColourBlockShare(const Pixels& p) {
  int blocks = 0, single = 0;
  for (int y = 0; y + 1 < p.height; y += 2) {
    for (int x = 0; x + 1 < p.width; x += 2) {
      const uint32_t c = p.At(x, y);
      ++blocks;
      single += c == p.At(x + 1, y) && c == p.At(x, y + 1) && c == p.At(x + 1, y + 1);
    }
  }
  return blocks ? static_cast<double>(single) / blocks : 0;
}

int FirmEdges(const Pixels& p) {
  auto channel = [](uint32_t a, uint32_t b, int shift) {
    return std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
  };
  int n = 0;
  for (int y = 0; y < p.height; ++y) {
    for (int x = 0; x + 1 < p.width; ++x) {
      const uint32_t a = p.At(x, y), b = p.At(x + 1, y);
      n += channel(a, b, 0) + channel(a, b, 8) + channel(a, b, 16) > 250;
    }
  }
  return n;
}
