#include "toolkit/Speedbutton.h"

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

namespace {
// A 3-D edge whose two rings are each `line` pixels wide. DrawEdge draws rings of one pixel, and an
// inner ring alone in other colours than beside its outer one: the inner rings go first, as whole
// edges from the deepest out, then the outer ring alone over what remains.
void DrawScaledEdge(HDC dc, const RECT& r, bool sunken, int line) {
  const UINT edge = sunken ? EDGE_SUNKEN : EDGE_RAISED;
  UINT middle = BF_MIDDLE;
  for (int depth = 2 * line - 2; depth >= line - 1; --depth, middle = 0) {
    RECT ring = r;
    ::InflateRect(&ring, -depth, -depth);
    ::DrawEdge(dc, &ring, edge, BF_RECT | middle);
  }
  for (int depth = line - 2; depth >= 0; --depth) {
    RECT ring = r;
    ::InflateRect(&ring, -depth, -depth);
    ::DrawEdge(dc, &ring, sunken ? BDR_SUNKENOUTER : BDR_RAISEDOUTER, BF_RECT);
  }
}
}  // namespace

void TSpeedButton::Paint(HDC dc) {
  const int line = Scale(1);   // the edges' rings, the hover frame, the press's shift
  RECT r = BoundsRect();
  RECT face = r;
  if (hot_ && !down_) {
    // Under the mouse: a frame in the window-frame colour around the raised face, which reads
    // in every colour scheme (a caption colour would not: some schemes make it near the face's).
    for (int i = 0; i < line; ++i) {
      ::FrameRect(dc, &face, ::GetSysColorBrush(COLOR_WINDOWFRAME));
      ::InflateRect(&face, -1, -1);
    }
  }
  DrawScaledEdge(dc, face, down_, line);
  if (caption_.empty()) return;
  SelectedObject sel(dc, font_.Get());
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
  int shift = down_ ? line : 0;
  RECT text = {r.left + shift, r.top + Scale(kCaptionMargin) + shift, r.right + shift, r.bottom};
  // Reading order stays left to right whatever the parent's.
  ::DrawTextA(dc, caption_.c_str(), static_cast<int>(caption_.size()), &text,
              DT_CENTER | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
}
