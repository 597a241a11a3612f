// A control drawn by its parent window (no window of its own): bounds, visibility, painting,
// mouse, and what it tells a screen reader; and the parent, which holds the controls.
// Its bounds are given in the layout's units (96 DPI) and kept in pixels at the parent's DPI.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

#include "sys/Handle.h"
#include "toolkit/Dpi.h"

class TControlParent;

// What a control is to a screen reader.
enum class TAccessRole { Button, Text, Progress, Picture };

class TControl {
public:
  // Adds itself to the parent's controls; the parent paints them in this order. The role is
  // what the control is to a screen reader.
  TControl(TControlParent* parent, TAccessRole role);
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
  TControlParent* Parent() const { return parent_; }

  // Draws the control into the parent's DC, in client coordinates.
  virtual void Paint(HDC dc) = 0;
  // The parent is laid out for another DPI: the control takes its place again, and what it
  // draws with (fonts, pictures) for that DPI.
  virtual void ScaleChanged() { Place(); }

  // Mouse: only controls that take the mouse are asked. Points are in client coordinates.
  virtual bool TakesMouse() const { return false; }
  virtual HCURSOR Cursor() const { return nullptr; }
  virtual void MouseDown(POINT) {}
  virtual void MouseMove(POINT) {}
  virtual void MouseUp(POINT) {}
  virtual void MouseEnter() {}
  virtual void MouseLeave() {}

  // What a screen reader is told: the role; the name, null where the control has none of its
  // own; the value as shown, empty where it has none. A press acts as a click of the mouse.
  TAccessRole AccessRole() const { return role_; }
  virtual const std::string* AccessName() const { return nullptr; }
  virtual std::string AccessValue() const { return std::string(); }
  virtual void Press() {}

protected:
  // A number of the layout in pixels at the parent's DPI.
  int Scale(int value) const;
  // A size in pixels that the control measured or its picture has; the place stays.
  void SetPixelSize(int width, int height);
  void Place();   // the layout's bounds at the parent's DPI

  TControlParent* parent_;
  TAccessRole role_;
  RECT layout_ = {0, 0, 0, 0};   // at 96 DPI
  RECT bounds_ = {0, 0, 0, 0};
  bool visible_ = true;
};

// A window that draws its controls itself (the form is one): the controls, in painting order,
// and which of them has the mouse; the DPI, font and client size that they are laid out with.
// Controls, and whatever shows them to others, know their window as this and no more.
class TControlParent {
public:
  TControlParent(const TControlParent&) = delete;
  TControlParent& operator=(const TControlParent&) = delete;

  HWND Handle() const { return handle_; }
  // The DPI the window is laid out for, and a number of the layout at that DPI.
  int Dpi() const { return dpi_; }
  int Scale(int value) const { return ScaleForDpi(value, dpi_); }
  // The font that controls copy; they may change the character set of their copy.
  const LOGFONTA& FontInfo() const { return fontInfo_; }
  // In pixels at the window's DPI.
  int ClientWidth() const { return Scale(clientWidth_); }
  int ClientHeight() const { return Scale(clientHeight_); }

  void AddControl(TControl* control);
  void RemoveControl(TControl* control);
  const std::vector<TControl*>& Controls() const { return controls_; }
  void InvalidateArea(const RECT& area);
  // Whether a click on the control would act now (it is not asked for the mouse, which clicks
  // whatever it is over); readers show the others as unavailable.
  virtual bool ClickAllowed(const TControl* /*control*/) const { return true; }

protected:
  explicit TControlParent(int dpi) : dpi_(dpi) {}
  ~TControlParent() = default;

  HWND handle_ = nullptr;
  int dpi_;
  LOGFONTA fontInfo_ = {};
  int clientWidth_ = 0;    // at 96 DPI
  int clientHeight_ = 0;
  // Which controls have the mouse: never one that has left the list.
  TControl* captured_ = nullptr;   // pressed, and holding the mouse until it is let go
  TControl* hot_ = nullptr;        // under the mouse

private:
  std::vector<TControl*> controls_;
};

// A font made from base with the given character set.
UniqueFont MakeFont(const LOGFONTA& base, BYTE charset);

// Asks for a WM_MOUSELEAVE when the mouse leaves wnd. False where the system cannot report it
// (TrackMouseEvent came with Windows 98 and NT 4.0): there no control shows a hover state.
bool TrackMouseLeave(HWND wnd);
