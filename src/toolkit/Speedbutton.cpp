#include "toolkit/Speedbutton.h"

#include "toolkit/Form.h"

#ifndef IDC_HAND
#define IDC_HAND MAKEINTRESOURCE(32649)
#endif

// Windows 95 and NT 4.0 have no hand cursor: there this is null and the form keeps its arrow.
HCURSOR TSpeedButton::Cursor() const { return ::LoadCursorA(nullptr, IDC_HAND); }

void TSpeedButton::Click() {
  if (onClick_) onClick_(context_);
}

void TSpeedButton::SetState(bool hot, bool down) {
  if (hot == hot_ && down == down_) return;
  hot_ = hot;
  down_ = down;
  Invalidate();
}

void TSpeedButton::MouseDown(POINT) {
  tracking_ = true;
  SetState(true, true);
}

void TSpeedButton::MouseMove(POINT pt) {
  if (!tracking_) return;
  bool inside = ::PtInRect(&BoundsRect(), pt) != FALSE;
  SetState(inside, inside);
}

void TSpeedButton::MouseUp(POINT pt) {
  bool inside = ::PtInRect(&BoundsRect(), pt) != FALSE;
  bool wasTracking = tracking_;
  tracking_ = false;
  SetState(inside, false);
  if (wasTracking && inside && Visible()) Click();
}

void TSpeedButton::MouseEnter() { SetState(true, down_); }

void TSpeedButton::MouseLeave() {
  tracking_ = false;
  SetState(false, false);
}

void TSpeedButton::Paint(HDC dc) {
  RECT r = BoundsRect();
  RECT face = r;
  if (hot_ && !down_) {
    // Under the mouse: a frame in the window-frame colour around the raised face, which reads
    // in every colour scheme (a caption colour would not: some schemes make it near the face's).
    ::FrameRect(dc, &r, ::GetSysColorBrush(COLOR_WINDOWFRAME));
    ::InflateRect(&face, -1, -1);
  }
  ::DrawEdge(dc, &face, down_ ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_MIDDLE);
  if (caption_.empty()) return;
  SelectedObject sel(dc, font_.Get());
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
  int shift = down_ ? 1 : 0;
  RECT text = {r.left + shift, r.top + kCaptionMargin + shift, r.right + shift, r.bottom};
  // Reading order stays left to right whatever the parent's.
  ::DrawTextA(dc, caption_.c_str(), static_cast<int>(caption_.size()), &text,
              DT_CENTER | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
}
