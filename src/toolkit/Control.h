// A control drawn by its form (no window of its own): bounds, visibility, painting and mouse.
#pragma once
#include <windows.h>

class TForm;

class TControl {
public:
  // Adds itself to the form's controls; the form paints them in this order.
  explicit TControl(TForm* parent);
  virtual ~TControl();
  TControl(const TControl&) = delete;
  TControl& operator=(const TControl&) = delete;

  void SetBounds(int left, int top, int width, int height);
  const RECT& BoundsRect() const { return bounds_; }
  int Left() const { return bounds_.left; }
  int Top() const { return bounds_.top; }
  int Width() const { return bounds_.right - bounds_.left; }
  int Height() const { return bounds_.bottom - bounds_.top; }
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  void Invalidate();
  TForm* Parent() const { return parent_; }

  // Draws the control into the form's DC, in form client coordinates.
  virtual void Paint(HDC dc) = 0;

  // Mouse: only controls that take the mouse are asked. Points are in form client coordinates.
  virtual bool TakesMouse() const { return false; }
  virtual HCURSOR Cursor() const { return nullptr; }
  virtual void MouseDown(POINT) {}
  virtual void MouseMove(POINT) {}
  virtual void MouseUp(POINT) {}
  virtual void MouseEnter() {}
  virtual void MouseLeave() {}

protected:
  TForm* parent_;
  RECT bounds_ = {0, 0, 0, 0};
  bool visible_ = true;
};

// Asks for a WM_MOUSELEAVE when the mouse leaves wnd. False where the system cannot report it
// (TrackMouseEvent came with Windows 98 and NT 4.0): there no control shows a hover state.
bool TrackMouseLeave(HWND wnd);
