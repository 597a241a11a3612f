// A picture laid out at 96 DPI: a bitmap for 96 DPI, and the same picture drawn again for higher
// scales and stored compressed (PNG) for the system's imaging component to decode. WIC comes with
// Vista, and with updates to XP; it is looked up at run time, and without it the bitmap is
// enlarged.
#pragma once
#include <windows.h>

struct TPictureScale {
  int dpi;
  const char* resource;   // RT_RCDATA
};

struct TPictureSource {
  HINSTANCE instance;
  const char* bitmap;            // RT_BITMAP, for 96 DPI
  const TPictureScale* scales;   // by rising DPI
  int count;
};

// The picture for that DPI, its bitmap's size scaled: the bitmap itself at 96 DPI; else the
// drawing for the nearest DPI at or above, reduced smoothly (above the largest, that one
// enlarged); where that cannot be decoded, the bitmap enlarged. Null without the bitmap.
HBITMAP LoadPicture(const TPictureSource& source, int dpi);

// Data in a format the system decodes, as a 32-bit bitmap of width x height, scaled smoothly:
// area-averaged when reduced. Null where no decoder is present or the data is not a picture.
HBITMAP DecodePicture(const void* data, DWORD size, int width, int height);

// The bitmap at width x height, smoothly where the system can (NT's HALFTONE; 9x has none).
HBITMAP StretchPicture(HBITMAP source, int width, int height);
