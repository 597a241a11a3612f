#include "toolkit/Control.h"

#include <algorithm>

#include "sys/Syslibrary.h"

TControl::TControl(TControlParent* parent, TAccessRole role) : parent_(parent), role_(role) {
  if (parent_) parent_->AddControl(this);
}

TControl::~TControl() {
  if (parent_) parent_->RemoveControl(this);
}

void TControl::SetBounds(int left, int top, int width, int height) {
  layout_ = {left, top, left + width, top + height};
  Place();
}

int TControl::Scale(int value) const { return parent_ ? parent_->Scale(value) : value; }

void TControl::Place() {
  // The size scales by itself, not as the difference of two scaled edges: every control keeps
  // its size exactly, and a gap between two may differ by a pixel instead.
  Invalidate();
  const int left = Scale(layout_.left), top = Scale(layout_.top);
  bounds_ = {left, top, left + Scale(layout_.right - layout_.left), top + Scale(layout_.bottom - layout_.top)};
  Invalidate();
}

void TControl::SetPixelSize(int width, int height) {
  Invalidate();
  bounds_.right = bounds_.left + width;
  bounds_.bottom = bounds_.top + height;
  Invalidate();
}

void TControl::SetVisible(bool visible) {
  if (visible_ == visible) return;
  visible_ = visible;
  Invalidate();
}

void TControl::Invalidate() {
  if (parent_) parent_->InvalidateArea(bounds_);
}

void TControlParent::AddControl(TControl* control) { controls_.push_back(control); }

void TControlParent::RemoveControl(TControl* control) {
  controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
  if (captured_ == control) captured_ = nullptr;
  if (hot_ == control) hot_ = nullptr;
}

void TControlParent::InvalidateArea(const RECT& area) {
  if (handle_ && !::IsRectEmpty(&area)) ::InvalidateRect(handle_, &area, FALSE);
}

UniqueFont MakeFont(const LOGFONTA& base, BYTE charset) {
  LOGFONTA lf = base;
  lf.lfCharSet = charset;
  return UniqueFont(::CreateFontIndirectA(&lf));
}

bool TrackMouseLeave(HWND wnd) {
  using TrackProc = BOOL(WINAPI*)(LPTRACKMOUSEEVENT);
  static const TrackProc track =
      GetSystemProc<TrackProc>(::GetModuleHandleA("user32.dll"), "TrackMouseEvent");
  if (!track) return false;
  TRACKMOUSEEVENT tme = {sizeof tme, TME_LEAVE, wnd, 0};
  return track(&tme) != FALSE;
}
