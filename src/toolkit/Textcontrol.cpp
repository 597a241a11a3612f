#include "toolkit/Textcontrol.h"

TTextControl::TTextControl(TControlParent* parent, TAccessRole role)
    : TControl(parent, role), charset_(parent->FontInfo().lfCharSet) {
  font_ = MakeFont(parent->FontInfo(), charset_);
}

void TTextControl::SetCaption(const std::string& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  TextChanged();
}

void TTextControl::ScaleChanged() {
  Place();
  font_ = MakeFont(parent_->FontInfo(), charset_);
  TextChanged();
}

void TTextControl::SetCharset(BYTE charset) {
  charset_ = charset;
  font_ = MakeFont(parent_->FontInfo(), charset);
  TextChanged();
}
