// Label and speed button: what they paint on the form and how the button answers the mouse.
#include <gtest/gtest.h>

#include "toolkit/Form.h"
#include "toolkit/Image.h"
#include "toolkit/Label.h"
#include "toolkit/Speedbutton.h"
#include "unit/toolkit/Paintprobe.h"

namespace {
const COLORREF kPicture = RGB(40, 200, 90);

// A form whose whole client area is a one-colour picture, so that anything a transparent
// control leaves alone keeps the picture's colour.
struct PictureForm {
  TForm form;
  TImage image{&form};
  explicit PictureForm(const char* cls) {
    form.CreateHandle(cls, 396, 248, nullptr);
    PaintProbe pic(396, 248, kPicture);
    HBITMAP bmp = ::CreateCompatibleBitmap(pic.Dc(), 396, 248);
    {
      UniqueMemDc dc(::CreateCompatibleDC(pic.Dc()));
      SelectedObject into(dc.Get(), bmp);
      ::BitBlt(dc.Get(), 0, 0, 396, 248, pic.Dc(), 0, 0, SRCCOPY);
    }
    image.SetBitmap(bmp);   // the image owns it from here
  }
  void PaintInto(PaintProbe& p) { form.PaintTo(p.Dc()); }
};

LPARAM At(int x, int y) { return MAKELPARAM(x, y); }
}  // namespace

TEST(Label, TransparentAndSizedToItsText) {
  PictureForm f("TLabelTestForm");
  TLabel label(&f.form);
  label.SetBounds(24, 112, 60, 16);
  label.SetCaption("Delete C:\\Program Files\\Tarvolink\\Busprobe.exe");
  int longWidth = label.Width();
  EXPECT_GT(longWidth, 60);
  label.SetCaption("ab");
  EXPECT_LT(label.Width(), longWidth);

  PaintProbe p(396, 248, RGB(0, 0, 0));
  f.PaintInto(p);
  const COLORREF plain[] = {kPicture};
  int n = 0;
  RECT text = BoxOfOthers(p, label.BoundsRect(), plain, 1, &n);
  EXPECT_GT(n, 5);   // the letters are there
  // Around the letters the picture shows through: no background was filled.
  EXPECT_EQ(kPicture, p.At(label.Left(), label.Top()));
  EXPECT_EQ(kPicture, p.At(label.Left() + label.Width() - 1, label.Top()));
  EXPECT_GE(text.left, label.Left());

  // A path longer than the form stops at the right margin, mirrored from the left one.
  label.SetCaption(std::string(300, 'W'));
  EXPECT_EQ(396 - 2 * 24, label.Width());
}

TEST(Label, CharsetIsTheLabelsOwn) {
  TForm form;
  form.CreateHandle("TLabelTestForm2", 396, 248, nullptr);
  TLabel label(&form);
  EXPECT_EQ(DEFAULT_CHARSET, CharsetOf(label.Font()));
  label.SetCharset(SHIFTJIS_CHARSET);
  EXPECT_EQ(SHIFTJIS_CHARSET, label.Charset());
  EXPECT_EQ(SHIFTJIS_CHARSET, CharsetOf(label.Font()));
  EXPECT_EQ(DEFAULT_CHARSET, CharsetOf(form.Font()));
  LOGFONTA lf = FontOf(label.Font());
  EXPECT_EQ(-13, lf.lfHeight);
  EXPECT_STREQ("MS Sans Serif", lf.lfFaceName);
}

namespace {
int Brightness(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c); }

// The caption's inked box inside the button's edge (`edge` pixels wide), and how many of its
// pixels have `colour`.
RECT CaptionBox(const PaintProbe& p, const TSpeedButton& b, COLORREF colour, int* inColour,
                int edge = 2) {
  RECT inner = b.BoundsRect();
  ::InflateRect(&inner, -edge, -edge);
  const COLORREF face[] = {::GetSysColor(COLOR_BTNFACE)};
  int n = 0;
  RECT box = BoxOfOthers(p, inner, face, 1, &n);
  *inColour = 0;
  for (int y = inner.top; y < inner.bottom; ++y)
    for (int x = inner.left; x < inner.right; ++x) *inColour += p.At(x, y) == colour;
  EXPECT_GT(n, 5) << "no caption";
  return box;
}
}  // namespace

TEST(SpeedButton, RaisedFaceSunkenWhilePressedCaptionTwoPixelsBelowTheTop) {
  PictureForm f("TButtonTestForm");
  TSpeedButton button(&f.form);
  button.SetBounds(120, 96, 145, 25);
  button.SetCaption("Uninstall");
  PaintProbe p(396, 248, RGB(0, 0, 0));
  f.PaintInto(p);
  const RECT& b = button.BoundsRect();

  // A face in the button colour over the whole button: the picture shows nowhere inside.
  const COLORREF plain[] = {kPicture};
  int n = 0;
  RECT whole = BoxOfOthers(p, b, plain, 1, &n);
  EXPECT_EQ(button.Width() * button.Height(), n);
  EXPECT_TRUE(::EqualRect(&whole, &b));
  EXPECT_EQ(kPicture, p.At(b.left - 1, b.top));
  EXPECT_EQ(::GetSysColor(COLOR_BTNFACE), p.At(b.left + 3, b.bottom - 4));
  // Raised: lit from the top left, in shadow at the bottom right.
  EXPECT_GT(Brightness(p.At(b.left + 1, b.top + 1)), Brightness(p.At(b.right - 2, b.bottom - 2)));
  EXPECT_GT(Brightness(p.At(b.left, b.top + 10)), Brightness(p.At(b.right - 1, b.top + 10)));

  int black = 0;
  RECT box = CaptionBox(p, button, ::GetSysColor(COLOR_BTNTEXT), &black);
  EXPECT_GT(black, 5) << "the caption in the button text colour";
  // Centred: the same room on both sides, give or take the odd pixel.
  EXPECT_LE(std::abs((box.left - b.left) - (b.right - box.right)), 1);
  // The same caption drawn at (0, 0): its first inked row gives the cell's offset.
  PaintProbe ref(200, 40, kPicture);
  {
    HDC dc = ref.Dc();
    SelectedObject font(dc, button.Font());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
    RECT r = {0, 0, 200, 40};
    ::DrawTextA(dc, "Uninstall", -1, &r, DT_LEFT | DT_TOP | DT_SINGLELINE);
  }
  RECT cell = {0, 0, 200, 40};
  RECT refBox = BoxOfOthers(ref, cell, plain, 1, &n);
  EXPECT_EQ(b.top + 2 + refBox.top, box.top);

  // Pressed: the edge sinks and the caption moves one pixel right and down.
  ::SendMessageA(f.form.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(130, 100));
  PaintProbe down(396, 248, RGB(0, 0, 0));
  f.PaintInto(down);
  EXPECT_LT(Brightness(down.At(b.left + 1, b.top + 1)), Brightness(down.At(b.right - 2, b.bottom - 2)));
  RECT downBox = CaptionBox(down, button, 0, &black);
  EXPECT_EQ(box.left + 1, downBox.left);
  EXPECT_EQ(box.top + 1, downBox.top);
  ::SendMessageA(f.form.Handle(), WM_LBUTTONUP, 0, At(300, 10));
}

TEST(SpeedButton, HoverFramesTheButtonUntilTheMouseLeaves) {
  PictureForm f("TButtonTestForm4");
  TSpeedButton button(&f.form);
  button.SetBounds(120, 176, 145, 24);
  button.SetCaption("Quit");
  const RECT& b = button.BoundsRect();
  const COLORREF frame = ::GetSysColor(COLOR_WINDOWFRAME);
  // Pixels of the button's outline in the frame colour, and whether the caption stays put.
  int framed = 0;
  RECT caption = {};
  auto paint = [&] {
    PaintProbe p(396, 248, RGB(0, 0, 0));
    f.PaintInto(p);
    framed = 0;
    for (int x = b.left; x < b.right; ++x)
      framed += (p.At(x, b.top) == frame) + (p.At(x, b.bottom - 1) == frame);
    for (int y = b.top + 1; y < b.bottom - 1; ++y)
      framed += (p.At(b.left, y) == frame) + (p.At(b.right - 1, y) == frame);
    int n = 0;
    caption = CaptionBox(p, button, ::GetSysColor(COLOR_BTNTEXT), &n, 3);   // frame and edge
  };
  const int outline = 2 * button.Width() + 2 * (button.Height() - 2);
  paint();
  EXPECT_LT(framed, outline);   // the top edge is lit
  RECT idle = caption;
  ::SendMessageA(f.form.Handle(), WM_MOUSEMOVE, 0, At(150, 185));
  paint();
  EXPECT_EQ(outline, framed) << "under the mouse (this system reports the mouse leaving)";
  EXPECT_TRUE(::EqualRect(&idle, &caption));
  ::SendMessageA(f.form.Handle(), WM_MOUSELEAVE, 0, 0);
  paint();
  EXPECT_LT(framed, outline);
}

TEST(SpeedButton, ClickOnlyWhenPressedAndReleasedInside) {
  TForm form;
  ASSERT_TRUE(form.CreateHandle("TButtonTestForm2", 396, 248, nullptr));
  TSpeedButton button(&form);
  button.SetBounds(120, 96, 145, 25);
  int clicks = 0;
  button.SetOnClick([](void* c) { ++*static_cast<int*>(c); }, &clicks);
  HWND w = form.Handle();

  ::SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, At(130, 100));
  ::SendMessageA(w, WM_LBUTTONUP, 0, At(260, 118));
  EXPECT_EQ(1, clicks);

  ::SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, At(130, 100));
  ::SendMessageA(w, WM_MOUSEMOVE, MK_LBUTTON, At(300, 100));
  ::SendMessageA(w, WM_LBUTTONUP, 0, At(300, 100));
  EXPECT_EQ(1, clicks) << "released outside";

  ::SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, At(119, 100));
  ::SendMessageA(w, WM_LBUTTONUP, 0, At(121, 100));
  EXPECT_EQ(1, clicks) << "pressed outside";

  button.SetVisible(false);
  ::SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, At(130, 100));
  ::SendMessageA(w, WM_LBUTTONUP, 0, At(130, 100));
  EXPECT_EQ(1, clicks) << "hidden";
  EXPECT_EQ(nullptr, ::GetCapture());
}

TEST(SpeedButton, HandCursorOverTheButtonOnly) {
  TForm form;
  ASSERT_TRUE(form.CreateHandle("TButtonTestForm3", 396, 248, nullptr));
  TSpeedButton button(&form);
  button.SetBounds(120, 96, 145, 25);
  form.Show();
  HWND w = form.Handle();
  HCURSOR hand = ::LoadCursorA(nullptr, IDC_HAND);
  HCURSOR arrow = ::LoadCursorA(nullptr, IDC_ARROW);

  POINT in = {150, 105};
  ::ClientToScreen(w, &in);
  ASSERT_TRUE(::SetCursorPos(in.x, in.y));
  ::SetCursor(arrow);
  ::SendMessageA(w, WM_SETCURSOR, reinterpret_cast<WPARAM>(w), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(hand, ::GetCursor());

  POINT out = {20, 20};
  ::ClientToScreen(w, &out);
  ::SetCursorPos(out.x, out.y);
  ::SetCursor(arrow);
  ::SendMessageA(w, WM_SETCURSOR, reinterpret_cast<WPARAM>(w), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_NE(hand, ::GetCursor());
}


TEST(Form, PaintsOnlyTheAreaAskedFor) {
  // A progress report repaints the line and the gauge only; the rest must stay as it was.
  PictureForm f("TPartialPaintForm");
  TLabel label(&f.form);
  label.SetBounds(24, 112, 60, 16);
  label.SetCaption("Delete setup.ini");
  const COLORREF untouched = RGB(1, 2, 3);
  PaintProbe p(396, 248, untouched);
  RECT area = {20, 110, 200, 130};
  f.form.PaintTo(p.Dc(), area);
  EXPECT_EQ(kPicture, p.At(20, 110));
  EXPECT_EQ(kPicture, p.At(199, 129));
  EXPECT_EQ(untouched, p.At(19, 110));
  EXPECT_EQ(untouched, p.At(200, 129));
  EXPECT_EQ(untouched, p.At(0, 0));
  int n = 0;
  const COLORREF plain[] = {kPicture};
  BoxOfOthers(p, label.BoundsRect(), plain, 1, &n);
  EXPECT_GT(n, 5);   // the label's letters inside the area were drawn
}
