// What a screen reader learns about a window whose controls are drawn, not windows: an IAccessible
// of the client area whose children are the controls that it was told about, each describing
// itself, and change events for them. oleacc, oleaut32, ole32 and NotifyWinEvent are looked up at run time; where one is missing
// the form has no accessible object or sends no events, and works as before.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

class TControl;
class TControlParent;
class TAccessibleObject;

struct TAccessEntry {
  TControl* control;
  std::string name;           // given where the control has no name of its own (a picture)
  const char* shortcut;       // button: the key that presses it, or null
  bool isDefault;
  // What the last round of events told the listeners.
  bool shownVisible;
  std::string shownName;
  std::string shownValue;
};

class TFormAccessibility {
public:
  explicit TFormAccessibility(TControlParent* form) : form_(form) {}
  ~TFormAccessibility();
  TFormAccessibility(const TFormAccessibility&) = delete;
  TFormAccessibility& operator=(const TFormAccessibility&) = delete;

  // Children in the order a reader walks them; the child id is the position, from 1. What each
  // is, the control says itself.
  void AddButton(TControl* button, const char* shortcut = nullptr, bool isDefault = false);
  void AddText(TControl* text);
  void AddGauge(TControl* gauge);
  void AddPicture(TControl* picture, const std::string& name);

  // WM_GETOBJECT: true with the result when the client object was asked for and could be given.
  bool Answer(WPARAM wp, LPARAM lp, LRESULT& result);
  // A press asked for through the accessible object, delivered by the form's own message.
  void Press(WPARAM childId);
  // Called when the form has painted: tells listeners what changed since the last time.
  void NotifyChanges();
  // The form is going: clients that still hold the object get "not connected" from now on.
  void Detach();

  TControlParent* Form() const { return form_; }
  const std::vector<TAccessEntry>& Entries() const { return entries_; }
  // The button would act on a click now: shown, its form enabled, and the form agrees.
  bool Available(const TAccessEntry& entry) const;

  // Posted to the form by accDoDefaultAction: a press runs from the form's messages, never inside
  // the client's call (it may run a whole uninstall, or close the window under the client).
  static const UINT kPressMessage = WM_USER + 0x100;

private:
  TAccessEntry& Add(TControl* control);

  TControlParent* form_;
  std::vector<TAccessEntry> entries_;
  TAccessibleObject* object_ = nullptr;   // one reference held
  bool comInitialized_ = false;
  bool baseline_ = false;
};
