// A control drawn by its form (no window of its own): bounds, visibility, painting and mouse.
// Its bounds are given in the layout's units (96 DPI) and kept in pixels at the form's DPI.
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

  void SetBounds(int left, int top, int width, int height);   // at 96 DPI
  const RECT& BoundsRect() const { return bounds_; }          // in pixels, as all below
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
  // The form is laid out for another DPI: the control takes its place again, and what it draws
  // with (fonts, pictures) for that DPI.
  virtual void ScaleChanged() { Place(); }

  // Mouse: only controls that take the mouse are asked. Points are in form client coordinates.
  virtual bool TakesMouse() const { return false; }
  virtual HCURSOR Cursor() const { return nullptr; }
  virtual void MouseDown(POINT) {}
  virtual void MouseMove(POINT) {}
  virtual void MouseUp(POINT) {}
  virtual void MouseEnter() {}
  virtual void MouseLeave() {}

protected:
  // A number of the layout in pixels at the form's DPI.
  int Scale(int value) const;
  // A size in pixels that the control measured or its picture has; the place stays.
  void SetPixelSize(int width, int height);
  void Place();   // the layout's bounds at the form's DPI

  TForm* parent_;
  RECT layout_ = {0, 0, 0, 0};   // at 96 DPI
  RECT bounds_ = {0, 0, 0, 0};
  bool visible_ = true;
};

// Asks for a WM_MOUSELEAVE when the mouse leaves wnd. False where the system cannot report it
// (TrackMouseEvent came with Windows 98 and NT 4.0): there no control shows a hover state.
bool TrackMouseLeave(HWND wnd);
