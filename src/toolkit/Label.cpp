#include "toolkit/Label.h"

namespace {
const UINT kDrawFlags = DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX;
}

void TLabel::AdjustSize() {
  // Measured on a screen DC: the form may not have a window yet.
  WindowDc screen(nullptr);
  int width = 0;
  int height = Height();
  if (screen.Get()) {
    SelectedObject sel(screen.Get(), font_.Get());
    RECT r = {0, 0, 0, 0};
    ::DrawTextA(screen.Get(), caption_.empty() ? " " : caption_.c_str(), -1, &r,
                kDrawFlags | DT_CALCRECT);
    width = caption_.empty() ? 0 : r.right;
    height = r.bottom;
  }
  // Keep the same margin on the right as on the left.
  int room = parent_->ClientWidth() - 2 * Left();
  if (room > 0 && width > room) width = room;
  SetPixelSize(width, height);
}

void TLabel::Paint(HDC dc) {
  if (caption_.empty()) return;
  SelectedObject sel(dc, font_.Get());
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
  RECT r = BoundsRect();
  ::DrawTextA(dc, caption_.c_str(), static_cast<int>(caption_.size()), &r,
              kDrawFlags | DT_PATH_ELLIPSIS);
}
