// A horizontal progress bar: 1-pixel black frame, white background, filled from the left over the
// given percentage, and the percentage in its centre drawn by inverting what lies beneath.
#pragma once
#include "sys/Handle.h"
#include "toolkit/Colors.h"
#include "toolkit/Control.h"

// Paints a gauge into any DC, in the DC's coordinates. Kept apart from the control so that a
// memory bitmap can be painted and checked.
// The frame is `line` pixels wide.
void PaintGauge(HDC dc, const RECT& bounds, int percent, COLORREF fill, HFONT font, int line = 1);

class TCGauge : public TControl {
public:
  explicit TCGauge(TControlParent* parent);
  // Clamped to 0..100; nothing is repainted when the whole percentage stays the same.
  void SetProgress(int value);
  int Progress() const { return progress_; }
  void SetForeColor(TColor color);
  TColor ForeColor() const { return foreColor_; }
  void Paint(HDC dc) override;
  void ScaleChanged() override;
  std::string AccessValue() const override;   // as drawn

private:
  void MakeFont();
  int progress_ = 0;
  TColor foreColor_ = clBlack;
  UniqueFont font_;
};
