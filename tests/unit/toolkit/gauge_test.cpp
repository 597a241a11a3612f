// The gauge as the user sees it, painted into a bitmap and read back pixel by pixel.
#include <gtest/gtest.h>

#include "toolkit/Form.h"
#include "toolkit/Gauge.h"
#include "unit/toolkit/Paintprobe.h"

namespace {
const COLORREF kFill = RGB(0, 120, 215);
const COLORREF kFillInverted = RGB(255, 135, 40);
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kBlack = RGB(0, 0, 0);
const RECT kBar = {4, 3, 4 + 345, 3 + 17};   // the window's gauge, off the bitmap's corner

HFONT GaugeFont() {
  static TForm form;   // the form's font, without a window
  static UniqueFont font = [] {
    LOGFONTA base = form.FontInfo();
    base.lfQuality = NONANTIALIASED_QUALITY;
    return UniqueFont(::CreateFontIndirectA(&base));
  }();
  return font.Get();
}

struct Painted {
  PaintProbe probe{360, 26, RGB(200, 10, 10)};
  explicit Painted(int percent) { PaintGauge(probe.Dc(), kBar, percent, kFill, GaugeFont()); }
};

int FilledColumns(const PaintProbe& p) {
  // Along the bar's second inner row, above any digit.
  int n = 0;
  for (int x = kBar.left + 1; x < kBar.right - 1; ++x) n += p.At(x, kBar.top + 1) == kFill;
  return n;
}
}  // namespace

TEST(Gauge, FrameIsOneBlackPixelAndNothingOutsideIsTouched) {
  Painted g(37);
  for (int x = kBar.left; x < kBar.right; ++x) {
    EXPECT_EQ(kBlack, g.probe.At(x, kBar.top)) << x;
    EXPECT_EQ(kBlack, g.probe.At(x, kBar.bottom - 1)) << x;
    EXPECT_EQ(RGB(200, 10, 10), g.probe.At(x, kBar.top - 1)) << x;
    EXPECT_EQ(RGB(200, 10, 10), g.probe.At(x, kBar.bottom)) << x;
  }
  for (int y = kBar.top; y < kBar.bottom; ++y) {
    EXPECT_EQ(kBlack, g.probe.At(kBar.left, y)) << y;
    EXPECT_EQ(kBlack, g.probe.At(kBar.right - 1, y)) << y;
    EXPECT_EQ(RGB(200, 10, 10), g.probe.At(kBar.left - 1, y)) << y;
    EXPECT_EQ(RGB(200, 10, 10), g.probe.At(kBar.right, y)) << y;
  }
  // Inside the frame there is no black frame line left over.
  EXPECT_NE(kBlack, g.probe.At(kBar.left + 1, kBar.top + 1));
}

TEST(Gauge, FillCoversTheFractionOfTheInnerWidth) {
  const int inner = 345 - 2;
  for (int percent : {0, 1, 25, 50, 99, 100}) {
    Painted g(percent);
    EXPECT_EQ(::MulDiv(inner, percent, 100), FilledColumns(g.probe)) << percent;
    // Filled from the left: the first inner column is filled as soon as anything is.
    if (percent > 0) {
      EXPECT_EQ(kFill, g.probe.At(kBar.left + 1, kBar.top + 1)) << percent;
    }
    if (percent < 100) {
      EXPECT_EQ(kWhite, g.probe.At(kBar.right - 2, kBar.top + 1)) << percent;
    }
  }
}

TEST(Gauge, OutOfRangeValuesAreClamped) {
  Painted low(-40), zero(0), high(250), full(100);
  for (int y = kBar.top; y < kBar.bottom; ++y) {
    for (int x = kBar.left; x < kBar.right; ++x) {
      ASSERT_EQ(zero.probe.At(x, y), low.probe.At(x, y)) << x << "," << y;
      ASSERT_EQ(full.probe.At(x, y), high.probe.At(x, y)) << x << "," << y;
    }
  }
}

TEST(Gauge, PercentageIsCentredAndDrawnByInversion) {
  RECT inner = kBar;
  ::InflateRect(&inner, -1, -1);
  const COLORREF plain[] = {kFill, kWhite};

  // Over the empty bar the digits are the inverse of white, over a full bar that of the fill.
  Painted empty(0);
  int n = 0;
  RECT box = BoxOfOthers(empty.probe, inner, plain, 2, &n);
  ASSERT_GT(n, 10);
  for (int y = box.top; y < box.bottom; ++y)
    for (int x = box.left; x < box.right; ++x) {
      COLORREF c = empty.probe.At(x, y);
      ASSERT_TRUE(c == kWhite || c == kBlack) << x << "," << y;
    }
  int centre = (inner.left + inner.right) / 2;
  EXPECT_LE(std::abs((box.left + box.right) / 2 - centre), 2);
  EXPECT_LE(std::abs((box.top + box.bottom) / 2 - (inner.top + inner.bottom) / 2), 2);

  Painted full(100);
  box = BoxOfOthers(full.probe, inner, plain, 2, &n);
  ASSERT_GT(n, 10);
  for (int y = box.top; y < box.bottom; ++y)
    for (int x = box.left; x < box.right; ++x) {
      COLORREF c = full.probe.At(x, y);
      ASSERT_TRUE(c == kFill || c == kFillInverted) << x << "," << y;
    }

  // "50%" straddles the edge of the fill: both inversions appear in one picture.
  Painted half(50);
  int black = 0, inverted = 0;
  for (int y = inner.top; y < inner.bottom; ++y)
    for (int x = inner.left; x < inner.right; ++x) {
      black += half.probe.At(x, y) == kBlack;
      inverted += half.probe.At(x, y) == kFillInverted;
    }
  EXPECT_GT(black, 0);
  EXPECT_GT(inverted, 0);
}

TEST(GaugeControl, RepaintsOnlyWhenTheWholePercentageChanges) {
  TForm form;
  ASSERT_TRUE(form.CreateHandle("TGaugeTestForm", 396, 248, nullptr));
  form.Show();   // a hidden window collects no invalid area
  TCGauge gauge(&form);
  gauge.SetBounds(24, 136, 345, 17);
  HWND wnd = form.Handle();
  RECT dirty;

  ::ValidateRect(wnd, nullptr);
  gauge.SetProgress(40);
  EXPECT_EQ(40, gauge.Progress());
  ASSERT_TRUE(::GetUpdateRect(wnd, &dirty, FALSE));
  EXPECT_TRUE(::EqualRect(&dirty, &gauge.BoundsRect()));

  ::ValidateRect(wnd, nullptr);
  gauge.SetProgress(40);
  EXPECT_FALSE(::GetUpdateRect(wnd, &dirty, FALSE));

  gauge.SetProgress(170);
  EXPECT_EQ(100, gauge.Progress());
  ::ValidateRect(wnd, nullptr);
  gauge.SetProgress(100);
  gauge.SetProgress(101);
  EXPECT_FALSE(::GetUpdateRect(wnd, &dirty, FALSE));

  gauge.SetProgress(-1);
  EXPECT_EQ(0, gauge.Progress());
  EXPECT_TRUE(::GetUpdateRect(wnd, &dirty, FALSE));
}
