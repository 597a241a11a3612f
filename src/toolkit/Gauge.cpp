#include "toolkit/Gauge.h"

namespace {
// The whole percentage and "%". User32's formatter: the C library's would bring its
// floating-point printf into the exe.
struct PercentText {
  explicit PercentText(int percent) { ::wsprintfA(text, "%d%%", percent); }
  char text[8];
};
}  // namespace

void PaintGauge(HDC dc, const RECT& bounds, int percent, COLORREF fill, HFONT font, int line) {
  if (percent < 0) percent = 0;
  if (percent > 100) percent = 100;
  UniqueBrush frame(::CreateSolidBrush(RGB(0, 0, 0)));
  RECT inner = bounds;
  for (int i = 0; i < line; ++i) {
    ::FrameRect(dc, &inner, frame.Get());
    ::InflateRect(&inner, -1, -1);
  }
  int width = inner.right - inner.left;
  int height = inner.bottom - inner.top;
  if (width <= 0 || height <= 0) return;

  int filled = ::MulDiv(width, percent, 100);
  RECT done = {inner.left, inner.top, inner.left + filled, inner.bottom};
  RECT rest = {inner.left + filled, inner.top, inner.right, inner.bottom};
  UniqueBrush fillBrush(::CreateSolidBrush(fill));
  ::FillRect(dc, &done, fillBrush.Get());
  ::FillRect(dc, &rest, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));

  // The text goes white on black into a bitmap of its own, then onto the bar with XOR: white
  // pixels invert what is beneath, black ones leave it.
  const PercentText label(percent);
  UniqueMemDc mem(::CreateCompatibleDC(dc));
  UniqueBitmap bmp(::CreateCompatibleBitmap(dc, width, height));
  if (!mem || !bmp) return;
  SelectedObject selBmp(mem.Get(), bmp.Get());
  RECT local = {0, 0, width, height};
  ::FillRect(mem.Get(), &local, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
  SelectedObject selFont(mem.Get(), font ? static_cast<HGDIOBJ>(font) : ::GetStockObject(DEFAULT_GUI_FONT));
  ::SetBkMode(mem.Get(), TRANSPARENT);
  ::SetTextColor(mem.Get(), RGB(255, 255, 255));
  ::DrawTextA(mem.Get(), label.text, -1, &local, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  ::BitBlt(dc, inner.left, inner.top, width, height, mem.Get(), 0, 0, SRCINVERT);
}

TCGauge::TCGauge(TControlParent* parent) : TControl(parent, TAccessRole::Progress) { MakeFont(); }

void TCGauge::MakeFont() {
  // Smoothing would leave grey pixels, which invert to odd colours.
  LOGFONTA base = parent_->FontInfo();
  base.lfQuality = NONANTIALIASED_QUALITY;
  font_.Reset(::CreateFontIndirectA(&base));
}

void TCGauge::ScaleChanged() {
  Place();
  MakeFont();
}

void TCGauge::SetProgress(int value) {
  if (value < 0) value = 0;
  if (value > 100) value = 100;
  if (value == progress_) return;
  progress_ = value;
  Invalidate();
}

void TCGauge::SetForeColor(TColor color) {
  foreColor_ = color;
  Invalidate();
}

std::string TCGauge::AccessValue() const { return PercentText(progress_).text; }

void TCGauge::Paint(HDC dc) {
  PaintGauge(dc, BoundsRect(), progress_, ColorToRGB(foreColor_), font_.Get(), Scale(1));
}
