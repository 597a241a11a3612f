// A one-line text on a transparent background, sized to its text (never past the form's right
// margin, where a long path is shortened in its middle).
#pragma once
#include <string>

#include "sys/Handle.h"
#include "toolkit/Control.h"

class TLabel : public TControl {
public:
  explicit TLabel(TForm* parent);
  void SetCaption(const std::string& caption);
  const std::string& Caption() const { return caption_; }
  void SetCharset(BYTE charset);
  BYTE Charset() const { return charset_; }
  HFONT Font() const { return static_cast<HFONT>(font_.Get()); }
  void Paint(HDC dc) override;

private:
  void AdjustSize();
  std::string caption_;
  BYTE charset_;
  UniqueGdiObject font_;
};
