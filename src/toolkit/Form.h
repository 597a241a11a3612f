// A top-level form: fixed single border, caption and system menu only, a client area of a given
// size centred on the screen, owned by the application window. It paints its controls itself.
// Its layout is given at 96 DPI and drawn at the window's DPI, again whenever that changes.
#pragma once
#include <windows.h>
#include <string>

#include "sys/Handle.h"
#include "toolkit/Accessible.h"
#include "toolkit/Control.h"

enum TCloseAction { caNone, caHide, caFree, caMinimize };

// What the main form tells whoever runs the program, through a function with a context so that
// the form needs nothing of it: that it posted the quit, and that it goes.
enum class TMainFormEvent { Ending, Destroyed };
using TMainFormHandler = void (*)(void* context, TMainFormEvent event);

class TForm : public TControlParent {
public:
  TForm();
  virtual ~TForm();
  TForm(const TForm&) = delete;
  TForm& operator=(const TForm&) = delete;

  // The owner is the window that carries the taskbar entry (null: none). The client size is the
  // layout's, at 96 DPI.
  bool CreateHandle(const char* className, int clientWidth, int clientHeight, HWND owner);
  void SetCaption(const std::string& caption);
  std::string Caption() const;
  void SetIcon(HICON icon);
  void Show();          // runs the show handler, then shows the window
  void Hide();
  bool Visible() const;
  void Close();         // exactly what the close box does
  void Repaint();       // paints what is invalid at once
  // Runs the creation handler; the application calls it once the derived object exists.
  void AfterConstruction();
  // The main form ends the program itself: closing it, or its window going first, posts the
  // quit. A null handler makes it an ordinary form again.
  void MakeMainForm(TMainFormHandler handler, void* context);
  // The program is ending by other means: the form's end posts no second quit, which would
  // outlive the loop that it was meant for.
  void ProgramEnding() { ending_ = true; }

  // Lays the form out again for another DPI: fonts, controls, pictures (WM_DPICHANGED does this).
  void ChangeDpi(int dpi);

  // The form's font, made from FontInfo(): "MS Sans Serif", 13 pixels, DEFAULT_CHARSET; above
  // 96 DPI the TrueType "Arial" at the scaled height.
  HFONT Font() const { return font_.Get(); }
  COLORREF Color() const { return ::GetSysColor(COLOR_BTNFACE); }

  // The controls that screen readers see, and what they are; none until the form adds them.
  TFormAccessibility& Accessibility() { return accessibility_; }
  // Paints the background and every visible control, in creation order, into dc. Used by
  // WM_PAINT through a memory bitmap, and by tests.
  void PaintTo(HDC dc);                      // the whole client area
  void PaintTo(HDC dc, const RECT& area);    // only what lies in area

protected:
  virtual void DoCreate() {}
  virtual void DoShow() {}
  virtual void DoClose(TCloseAction& /*action*/) {}
  virtual void DoDestroy() {}
  // A key pressed while the form has the keyboard: the first press only, never its repeats, and
  // never while a box has the form disabled. Keys with Alt go to the system (Alt+F4 closes).
  virtual void DoKeyDown(UINT /*key*/) {}
  // The form has been laid out for the DPI of the monitor that it was moved to.
  virtual void DoDpiChanged() {}
  // Derived destructors call this first, while their own fields are still alive: it runs the
  // destroy handler once and takes the window down.
  void Destroy();

private:
  // Attaches the form to its window at WM_NCCREATE and hands each message to HandleMessage,
  // which gives it to its handler below.
  static LRESULT CALLBACK WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  void OnPaint();
  void OnClose();
  void OnKeyDown(UINT key, bool repeat);
  void OnEnable(bool enabled);
  void OnDpiChanged(int dpi, const RECT* suggested);
  void OnGetDpiScaledSize(int dpi, SIZE& size) const;
  bool OnSetCursor(HWND cursorWindow, UINT hitTest);   // true: a control's cursor was set
  void OnLButtonDown(POINT pt);
  void OnMouseMove(POINT pt);
  void OnMouseLeave();
  void OnLButtonUp(POINT pt);
  void OnCaptureChanged(HWND capture);
  void OnDestroy();
  void OnNcDestroy();
  RECT CentredRect() const;
  void EndProgram();
  TControl* MouseControlAt(POINT pt) const;
  void SetHot(TControl* control);

  UniqueFont font_;
  bool destroyed_ = false;
  TMainFormHandler mainHandler_ = nullptr;
  void* mainContext_ = nullptr;
  bool ending_ = false;
  TFormAccessibility accessibility_{this};
};
