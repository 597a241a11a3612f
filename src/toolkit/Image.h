// A picture: draws its bitmap at the control's top left and takes the bitmap's size.
#pragma once
#include "sys/Handle.h"
#include "toolkit/Control.h"
#include "toolkit/Picture.h"

class TImage : public TControl {
public:
  explicit TImage(TControlParent* parent) : TControl(parent, TAccessRole::Picture) {}
  // Takes ownership of the bitmap; false when there is none.
  bool SetBitmap(HBITMAP bitmap);
  // The picture for the form's DPI, and for each DPI the form takes later. The source's names
  // and table must outlive the image.
  bool SetPicture(const TPictureSource& source);
  HBITMAP Bitmap() const { return bitmap_.Get(); }
  void Paint(HDC dc) override;
  void ScaleChanged() override;

private:
  UniqueBitmap bitmap_;
  TPictureSource source_ = {};   // none without a bitmap
};
