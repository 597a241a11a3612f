// A control that shows one caption in its own copy of the form's font, with the character set of
// the caption's language.
#pragma once
#include <string>

#include "sys/Handle.h"
#include "toolkit/Control.h"

class TTextControl : public TControl {
public:
  explicit TTextControl(TControlParent* parent, TAccessRole role = TAccessRole::Text);
  void SetCaption(const std::string& caption);
  const std::string& Caption() const { return caption_; }
  void SetCharset(BYTE charset);
  BYTE Charset() const { return charset_; }
  HFONT Font() const { return font_.Get(); }
  void ScaleChanged() override;
  const std::string* AccessName() const override { return &caption_; }

protected:
  // The caption or the font changed: a label takes its new size, a button only repaints.
  virtual void TextChanged() { Invalidate(); }

  std::string caption_;
  BYTE charset_;
  UniqueFont font_;
};
