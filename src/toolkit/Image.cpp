#include "toolkit/Image.h"

bool TImage::SetBitmap(HBITMAP bitmap) {
  bitmap_.Reset(bitmap);
  if (!bitmap) return false;
  BITMAP info = {};
  if (::GetObjectA(bitmap, sizeof info, &info)) SetPixelSize(info.bmWidth, info.bmHeight);
  Invalidate();
  return true;
}

bool TImage::SetPicture(const TPictureSource& source) {
  source_ = source;
  return SetBitmap(LoadPicture(source_, parent_ ? parent_->Dpi() : kLayoutDpi));
}

void TImage::ScaleChanged() {
  Place();
  if (source_.bitmap) SetPicture(source_);
}

void TImage::Paint(HDC dc) {
  if (!bitmap_) return;
  UniqueMemDc mem(::CreateCompatibleDC(dc));
  if (!mem) return;
  SelectedObject sel(mem.Get(), bitmap_.Get());
  ::BitBlt(dc, Left(), Top(), Width(), Height(), mem.Get(), 0, 0, SRCCOPY);
}
