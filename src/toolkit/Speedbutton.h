// A speed button without a window: takes no focus, shows the hand cursor. Drawn as a face in the
// button colour with a raised 3-D edge, sunken while pressed, its caption horizontally centred with
// its top 2 pixels below the button's top; under the mouse a dark frame surrounds it, where the
// system reports the mouse leaving (not on Windows 95).
#pragma once
#include "toolkit/Textcontrol.h"

class TSpeedButton : public TTextControl {
public:
  using ClickHandler = void (*)(void* context);

  explicit TSpeedButton(TControlParent* parent) : TTextControl(parent, TAccessRole::Button) {}
  void SetOnClick(ClickHandler handler, void* context) {
    onClick_ = handler;
    context_ = context;
  }
  void Click();   // as a click of the mouse does

  void Paint(HDC dc) override;
  bool TakesMouse() const override { return true; }
  HCURSOR Cursor() const override;
  void MouseDown(POINT pt) override;
  void MouseMove(POINT pt) override;
  void MouseUp(POINT pt) override;
  void MouseEnter() override;
  void MouseLeave() override;
  void Press() override { Click(); }

  static const int kCaptionMargin = 2;

private:
  void SetState(bool hot, bool down);
  ClickHandler onClick_ = nullptr;
  void* context_ = nullptr;
  bool hot_ = false;
  bool down_ = false;
  bool tracking_ = false;
};
