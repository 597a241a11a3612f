#include "toolkit/Control.h"

#include "sys/Syslibrary.h"
#include "toolkit/Form.h"

TControl::TControl(TForm* parent) : parent_(parent) {
  if (parent_) parent_->AddControl(this);
}

TControl::~TControl() {
  if (parent_) parent_->RemoveControl(this);
}

void TControl::SetBounds(int left, int top, int width, int height) {
  Invalidate();
  bounds_ = {left, top, left + width, top + height};
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

bool TrackMouseLeave(HWND wnd) {
  using TrackProc = BOOL(WINAPI*)(LPTRACKMOUSEEVENT);
  static const TrackProc track =
      GetSystemProc<TrackProc>(::GetModuleHandleA("user32.dll"), "TrackMouseEvent");
  if (!track) return false;
  TRACKMOUSEEVENT tme = {sizeof tme, TME_LEAVE, wnd, 0};
  return track(&tme) != FALSE;
}
