// Colours as the layout gives them: a plain RGB value, or a system colour that is looked up
// when it is drawn (so that a change of the colour scheme shows at the next paint).
#pragma once
#include <windows.h>
#include <cstdint>

using TColor = uint32_t;
constexpr TColor clSystemColor = 0xFF000000u;
constexpr TColor clBlack = 0x000000u;
constexpr TColor clWhite = 0xFFFFFFu;
constexpr TColor clHighlight = clSystemColor | COLOR_HIGHLIGHT;
constexpr TColor clBtnFace = clSystemColor | COLOR_BTNFACE;
constexpr TColor clWindowText = clSystemColor | COLOR_WINDOWTEXT;

inline COLORREF ColorToRGB(TColor color) {
  if ((color & clSystemColor) == clSystemColor) return ::GetSysColor(static_cast<int>(color & 0xFF));
  return static_cast<COLORREF>(color);
}
