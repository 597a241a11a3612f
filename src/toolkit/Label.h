// A one-line text on a transparent background, sized to its text (never past the form's right
// margin, where a long path is shortened in its middle).
#pragma once
#include "toolkit/Textcontrol.h"

class TLabel : public TTextControl {
public:
  explicit TLabel(TControlParent* parent) : TTextControl(parent) {}
  void Paint(HDC dc) override;

protected:
  void TextChanged() override { AdjustSize(); }

private:
  void AdjustSize();
};
