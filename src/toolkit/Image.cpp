#include "toolkit/Image.h"

bool TImage::SetBitmap(HBITMAP bitmap) {
  bitmap_.Reset(bitmap);
  if (!bitmap) return false;
  BITMAP info = {};
  if (::GetObjectA(bitmap, sizeof info, &info)) SetPixelSize(info.bmWidth, info.bmHeight);
  Invalidate();
  return true;
}

bool TImage::LoadFromResource(HINSTANCE instance, const char* name) {
  return SetBitmap(static_cast<HBITMAP>(
      ::LoadImageA(instance, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
}

void TImage::Paint(HDC dc) {
  if (!bitmap_) return;
  UniqueMemDc mem(::CreateCompatibleDC(dc));
  if (!mem) return;
  SelectedObject sel(mem.Get(), bitmap_.Get());
  ::BitBlt(dc, Left(), Top(), Width(), Height(), mem.Get(), 0, 0, SRCCOPY);
}
