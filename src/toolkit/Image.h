// A picture: draws its bitmap at the control's top left and takes the bitmap's size.
#pragma once
#include "sys/Handle.h"
#include "toolkit/Control.h"

class TImage : public TControl {
public:
  explicit TImage(TForm* parent) : TControl(parent) {}
  // Takes ownership of the bitmap; false when there is none.
  bool SetBitmap(HBITMAP bitmap);
  bool LoadFromResource(HINSTANCE instance, const char* name);
  HBITMAP Bitmap() const { return bitmap_.Get(); }
  void Paint(HDC dc) override;

private:
  UniqueBitmap bitmap_;
};
