// The uninstall window at the display scale of the prefix it runs in (TARVO_DPI names the
// scale expected, 96 by default): laid out, drawn, clicked and read at that scale, and laid out
// again when it is moved to a monitor of another scale.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "app/Frmuninstall.h"
#include "product/Tarvolinkuninstall.h"
#include "res/Resource.h"
#include "sys/Runlog.h"
#include "toolkit/Dpi.h"
#include "unit/app/Formfixture.h"
#include "unit/sys/WinFiles.h"
#include "unit/toolkit/Paintprobe.h"
#include "unit/toolkit/Reader.h"

namespace {
const UINT kDpiChanged = 0x02E0;
const UINT kGetDpiScaledSize = 0x02E4;
enum Child : long { kPicture = 1, kUninstall, kLine, kGauge, kQuit };

int ExpectedDpi() {
  const char* dpi = std::getenv("TARVO_DPI");
  return dpi ? std::atoi(dpi) : kLayoutDpi;
}

// Where a box of the layout lies at that DPI.
RECT Scaled(int dpi, int left, int top, int width, int height) {
  const int l = ScaleForDpi(left, dpi), t = ScaleForDpi(top, dpi);
  return {l, t, l + ScaleForDpi(width, dpi), t + ScaleForDpi(height, dpi)};
}
POINT Centre(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

RECT OnScreen(HWND wnd, RECT r) {
  ::MapWindowPoints(wnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

std::string Text(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x" +
         std::to_string(r.bottom - r.top);
}

// The layout at 96 DPI: picture, gauge, progress line (its place), Quit, Uninstall.
const RECT kPictureBox = {0, 0, 396, 248}, kGaugeBox = {24, 136, 345, 17}, kQuitBox = {120, 176, 145, 24},
           kUninstallBox = {120, 96, 145, 25};

class DisplayScale : public FormFixture {
protected:
  void SetUp() override {
    FormFixture::SetUp();
    log = Root() + "\\scale.log";
    ASSERT_TRUE(RunlogOpen(log).Opened());
    RunlogReplace();   // an old log of an earlier case gives way at once, as a run's does
  }
  void TearDown() override {
    FormFixture::TearDown();
    RunlogClose();
  }
  std::string Root() const { return install.Root(); }
  std::string Log() const {
    UniqueFile f(::CreateFileA(log.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, 0, nullptr));
    std::string out;
    char buf[4096];
    DWORD got = 0;
    while (f && ::ReadFile(f.Get(), buf, sizeof buf, &got, nullptr) && got) out.append(buf, got);
    return out;
  }
  void ClickAt(POINT p) {
    ::PostMessageA(form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    ::PostMessageA(form->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
  }
  static RECT At(int dpi, const RECT& box) { return Scaled(dpi, box.left, box.top, box.right, box.bottom); }

  // Every box, font and the picture as the layout gives them at that DPI.
  void ExpectLaidOutFor(int dpi) {
    SCOPED_TRACE(dpi);
    EXPECT_EQ(dpi, form->Dpi());
    EXPECT_EQ(ScaleForDpi(396, dpi), form->ClientWidth());
    EXPECT_EQ(ScaleForDpi(248, dpi), form->ClientHeight());
    const struct {
      const TControl& control;
      RECT box;
    } boxes[] = {{form->Image1, kPictureBox}, {form->CGaugeSetup, kGaugeBox}, {form->BtnClose, kQuitBox},
                 {form->BtnUninstall, kUninstallBox}};
    for (const auto& b : boxes) EXPECT_EQ(Text(At(dpi, b.box)), Text(b.control.BoundsRect()));
    EXPECT_EQ(ScaleForDpi(24, dpi), form->LabelMsg.Left());
    EXPECT_EQ(ScaleForDpi(112, dpi), form->LabelMsg.Top());
    for (HFONT font : {form->Font(), form->BtnClose.Font(), form->BtnUninstall.Font(), form->LabelMsg.Font()}) {
      LOGFONTA lf = FontOf(font);
      EXPECT_EQ(ScaleForDpi(-13, dpi), lf.lfHeight);
      EXPECT_STREQ(dpi > 96 ? "Arial" : "MS Sans Serif", lf.lfFaceName);
    }
    const Pixels picture = PixelsOf(form->Image1.Bitmap());
    EXPECT_EQ(ScaleForDpi(396, dpi), picture.width);
    EXPECT_EQ(ScaleForDpi(248, dpi), picture.height);
    if (dpi == 192) {
      // Drawn for the scale: not the 96-DPI pixels doubled, and edges as firm as the bitmap's.
      UniqueBitmap base(static_cast<HBITMAP>(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_IMAGE1),
                                                          IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
      EXPECT_LT(SingleColourBlockShare(picture), 0.9);
      EXPECT_GE(FirmEdges(picture), FirmEdges(PixelsOf(base.Get())));
    }
  }

  // Where a reader finds each child shown, and what it finds at each one's centre.
  void ExpectReadAt(int dpi) {
    SCOPED_TRACE(dpi);
    Reader reader(form->Handle());
    ASSERT_NE(nullptr, reader.Object());
    const struct {
      long id;
      RECT box;
    } shown[] = {{kPicture, kPictureBox}, {kUninstall, kUninstallBox}, {kQuit, kQuitBox}};
    for (const auto& s : shown) {
      const RECT want = OnScreen(form->Handle(), At(dpi, s.box));
      EXPECT_EQ(Text(want), Text(reader.Child(s.id).place)) << s.id;
      EXPECT_EQ(s.id, reader.HitTest(Centre(want))) << s.id;
    }
  }

  std::string log;
};
}  // namespace

TEST_F(DisplayScale, LaidOutDrawnAndReadAtTheScale) {
  const int dpi = ExpectedDpi();
  Create(new TFormUninstall());
  ASSERT_EQ(dpi, form->Dpi()) << "the prefix's LogPixels";
  RECT client;
  ::GetClientRect(form->Handle(), &client);
  EXPECT_EQ(ScaleForDpi(396, dpi), client.right);
  EXPECT_EQ(ScaleForDpi(248, dpi), client.bottom);
  ExpectLaidOutFor(dpi);
  ExpectReadAt(dpi);
  EXPECT_NE(std::string::npos, Log().find("Window laid out for " + std::to_string(dpi) + " DPI\r\n")) << Log();

  // The running state as drawn: the gauge's frame, the buttons' rings and caption, all scaled.
  form->ShowRunningState();
  form->CGaugeSetup.SetProgress(50);
  PaintProbe p(form->ClientWidth(), form->ClientHeight(), RGB(1, 2, 3));
  form->PaintTo(p.Dc());
  const int line = ScaleForDpi(1, dpi);
  const RECT gauge = form->CGaugeSetup.BoundsRect(), quit = form->BtnClose.BoundsRect();
  const int x = gauge.right - ScaleForDpi(20, dpi), y = (quit.top + quit.bottom) / 2;
  for (int i = 0; i < line; ++i) {
    EXPECT_EQ(RGB(0, 0, 0), p.At(x, gauge.top + i)) << i;
    EXPECT_EQ(::GetSysColor(COLOR_3DDKSHADOW), p.At(quit.right - 1 - i, y)) << i;
    EXPECT_EQ(::GetSysColor(COLOR_BTNSHADOW), p.At(quit.right - 1 - line - i, y)) << i;
  }
  EXPECT_EQ(RGB(255, 255, 255), p.At(x, gauge.top + line));
  EXPECT_EQ(::GetSysColor(COLOR_BTNFACE), p.At(quit.right - 1 - 2 * line, y));
  // The caption's first inked row: as far below the top as the font's own, plus the margin.
  PaintProbe ref(400, 80, ::GetSysColor(COLOR_BTNFACE));
  {
    SelectedObject font(ref.Dc(), form->BtnClose.Font());
    ::SetBkMode(ref.Dc(), TRANSPARENT);
    RECT r = {0, 0, 400, 80};
    ::DrawTextA(ref.Dc(), "Quit", -1, &r, DT_LEFT | DT_TOP | DT_SINGLELINE);
  }
  const COLORREF face[] = {::GetSysColor(COLOR_BTNFACE)};
  RECT inner = quit, cell = {0, 0, 400, 80};
  ::InflateRect(&inner, -2 * line, -2 * line);
  EXPECT_EQ(quit.top + ScaleForDpi(2, dpi) + BoxOfOthers(ref, cell, face, 1, nullptr).top,
            BoxOfOthers(p, inner, face, 1, nullptr).top);
}

TEST_F(DisplayScale, ButtonsAnswerClicksAtTheirScaledCentres) {
  const int dpi = ExpectedDpi();
  Create(new TFormUninstall());
  ASSERT_EQ(dpi, form->Dpi());
  BoxAnswerer boxes({IDCANCEL, IDOK}, form->Handle());
  ClickAt(Centre(At(dpi, kUninstallBox)));
  ClickAt(Centre(At(dpi, kQuitBox)));   // taken at the run's first report: the question, Cancel
  ASSERT_TRUE(PumpUntilTerminated());
  auto seen = boxes.Seen();
  ASSERT_EQ(2u, seen.size());
  EXPECT_EQ("Uninstall not Compelete, Quit ?", seen[0].text);
  EXPECT_EQ("Uninstall Compelete !", seen[1].text);
  for (const std::string& f : Throwaway::PlantedFiles()) EXPECT_FALSE(install.Exists(f)) << f;
}

TEST_F(DisplayScale, MovedToAMonitorOfAnotherScaleItIsLaidOutAgain) {
  const int dpi = ExpectedDpi();
  Create(new TFormUninstall());
  ASSERT_EQ(dpi, form->Dpi());
  HWND wnd = form->Handle();
  form->BtnClose.SetCharset(SHIFTJIS_CHARSET);
  const Pixels picture = PixelsOf(form->Image1.Bitmap());
  RECT before;
  ::GetWindowRect(wnd, &before);

  // The system first asks the size for the other scale, then gives the rectangle made of it.
  const int other = dpi == 192 ? 144 : 192;
  SIZE size = {0, 0};
  ASSERT_EQ(TRUE, ::SendMessageA(wnd, kGetDpiScaledSize, other, reinterpret_cast<LPARAM>(&size)));
  EXPECT_GT(size.cx, ScaleForDpi(396, other));
  EXPECT_GT(size.cy, ScaleForDpi(248, other));
  RECT suggested = {before.left + 7, before.top + 5, before.left + 7 + size.cx, before.top + 5 + size.cy};
  ::SendMessageA(wnd, kDpiChanged, MAKEWPARAM(other, other), reinterpret_cast<LPARAM>(&suggested));
  RECT now;
  ::GetWindowRect(wnd, &now);
  EXPECT_EQ(Text(suggested), Text(now));
  ExpectLaidOutFor(other);
  ExpectReadAt(other);
  EXPECT_EQ(SHIFTJIS_CHARSET, CharsetOf(form->BtnClose.Font())) << "a caption keeps its language";
  EXPECT_NE(std::string::npos, Log().find("Window laid out again for " + std::to_string(other) + " DPI\r\n"));

  // And back: everything as it was, to the pixel.
  ::SendMessageA(wnd, kDpiChanged, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&before));
  ExpectLaidOutFor(dpi);
  EXPECT_TRUE(PixelsOf(form->Image1.Bitmap()).rgb == picture.rgb);
  ::GetWindowRect(wnd, &now);
  EXPECT_EQ(Text(before), Text(now));

  // Where Quit now is, a click closes the idle window.
  BoxAnswerer boxes({});
  ClickAt(Centre(At(dpi, kQuitBox)));
  ASSERT_TRUE(PumpUntilTerminated());
  EXPECT_EQ(0u, boxes.Count());
}
