// The window's picture at every scale: drawn for it where a drawing is near, and smooth wherever
// pixels are made up.
#include <gtest/gtest.h>

#include <cstdio>

#include "res/Resource.h"
#include "sys/Handle.h"
#include "toolkit/Picture.h"
#include "unit/toolkit/Paintprobe.h"

namespace {
const TPictureScale kScales[] = {
    {144, MAKEINTRESOURCEA(IDR_IMAGE1_144)},
    {192, MAKEINTRESOURCEA(IDR_IMAGE1_192)},
    {288, MAKEINTRESOURCEA(IDR_IMAGE1_288)},
};

TPictureSource Source(const TPictureScale* scales = kScales, int count = 3) {
  return {::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_IMAGE1), scales, count};
}

Pixels Loaded(const TPictureSource& source, int dpi) {
  UniqueBitmap b(LoadPicture(source, dpi));
  return PixelsOf(b.Get());
}
}  // namespace

TEST(Picture, DrawnForTheScaleFromTheNearestDrawingAtOrAbove) {
  UniqueBitmap base(LoadPicture(Source(), 96));
  const Pixels at96 = PixelsOf(base.Get());
  ASSERT_EQ(396, at96.width);
  ASSERT_EQ(248, at96.height);
  // Between the drawings, reduced; above the largest, enlarged from it.
  const struct { int dpi, width, height; } cases[] = {{120, 495, 310}, {144, 594, 372}, {192, 792, 496},
                                                     {240, 990, 620}, {384, 1584, 992}};
  for (const auto& c : cases) {
    const Pixels drawn = Loaded(Source(), c.dpi);
    UniqueBitmap stretched(StretchPicture(base.Get(), c.width, c.height));
    const Pixels enlarged = PixelsOf(stretched.Get());
    ASSERT_EQ(c.width, drawn.width) << c.dpi;
    ASSERT_EQ(c.height, drawn.height) << c.dpi;
    std::printf("%d DPI: single-colour blocks %.3f (the bitmap enlarged: %.3f), firm edges %d (%d; at 96: %d)\n",
                c.dpi, SingleColourBlockShare(drawn), SingleColourBlockShare(enlarged), FirmEdges(drawn),
                FirmEdges(enlarged), FirmEdges(at96));
    // Edges as firm as the bitmap's own, where enlarging the bitmap blurs them.
    EXPECT_GE(FirmEdges(drawn), FirmEdges(at96)) << c.dpi;
    EXPECT_GT(FirmEdges(drawn), FirmEdges(enlarged)) << c.dpi;
    // Drawn or interpolated, never pixels repeated.
    EXPECT_LT(SingleColourBlockShare(drawn), 0.95) << c.dpi;
  }
  EXPECT_LT(SingleColourBlockShare(Loaded(Source(), 192)), 0.9);
}

TEST(Picture, WithoutADrawingItCanDecodeTheBitmapIsEnlargedSmoothly) {
  const char notAPicture[] = "\x89PNG but not one";
  EXPECT_EQ(nullptr, DecodePicture(notAPicture, sizeof notAPicture, 792, 496));
  const TPictureScale missing[] = {{192, MAKEINTRESOURCEA(999)}};
  UniqueBitmap base(LoadPicture(Source(), 96));
  UniqueBitmap stretched(StretchPicture(base.Get(), 792, 496));
  const Pixels fallback = Loaded(Source(missing, 1), 192);
  const Pixels enlarged = PixelsOf(stretched.Get());
  ASSERT_EQ(792, fallback.width);
  ASSERT_EQ(496, fallback.height);
  EXPECT_TRUE(fallback.rgb == enlarged.rgb);
  EXPECT_LT(SingleColourBlockShare(fallback), 0.9) << "smoothed, not pixels doubled";
  // Below 96 DPI there is nothing nearer than the bitmap itself.
  const Pixels small = Loaded(Source(), 72);
  EXPECT_EQ(297, small.width);
  EXPECT_EQ(186, small.height);
}
