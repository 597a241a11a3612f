#include "toolkit/Accessible.h"

#include <new>

#include <ole2.h>
#include <oleacc.h>

#include "sys/Syslibrary.h"
#include "toolkit/Control.h"

#ifndef EVENT_OBJECT_SHOW
#define EVENT_OBJECT_SHOW 0x8002
#define EVENT_OBJECT_HIDE 0x8003
#endif
#ifndef EVENT_OBJECT_NAMECHANGE
#define EVENT_OBJECT_NAMECHANGE 0x800C
#define EVENT_OBJECT_VALUECHANGE 0x800E
#endif
#ifndef WM_GETOBJECT
#define WM_GETOBJECT 0x003D
#endif

namespace {

// None of these may be imported: Windows 95 and NT 4 may lack oleacc, and NotifyWinEvent came
// with 98 and 2000. The modules stay loaded for the life of the process: proxies handed to other
// processes may outlive any owner we could give them.
struct OleApi {
  decltype(&::LresultFromObject) lresultFromObject = nullptr;
  decltype(&::CreateStdAccessibleObject) createStdAccessibleObject = nullptr;
  decltype(&::SysAllocStringLen) sysAllocStringLen = nullptr;
  decltype(&::CoInitialize) coInitialize = nullptr;
  decltype(&::CoUninitialize) coUninitialize = nullptr;
  decltype(&::CoDisconnectObject) coDisconnectObject = nullptr;
  decltype(&::NotifyWinEvent) notifyWinEvent = nullptr;

  OleApi() {
    HMODULE user = ::GetModuleHandleA("user32.dll");
    notifyWinEvent = GetSystemProc<decltype(notifyWinEvent)>(user, "NotifyWinEvent");
  }
  // Only once a client asks: a plain run with no reader loads nothing.
  bool LoadCom() {
    if (loaded_) return lresultFromObject && sysAllocStringLen && coInitialize;
    loaded_ = true;
    HMODULE oleacc = LoadSystemLibrary("oleacc.dll");
    HMODULE oleaut = LoadSystemLibrary("oleaut32.dll");
    HMODULE ole = LoadSystemLibrary("ole32.dll");
    lresultFromObject = GetSystemProc<decltype(lresultFromObject)>(oleacc, "LresultFromObject");
    createStdAccessibleObject =
        GetSystemProc<decltype(createStdAccessibleObject)>(oleacc, "CreateStdAccessibleObject");
    sysAllocStringLen = GetSystemProc<decltype(sysAllocStringLen)>(oleaut, "SysAllocStringLen");
    coInitialize = GetSystemProc<decltype(coInitialize)>(ole, "CoInitialize");
    coUninitialize = GetSystemProc<decltype(coUninitialize)>(ole, "CoUninitialize");
    coDisconnectObject = GetSystemProc<decltype(coDisconnectObject)>(ole, "CoDisconnectObject");
    return lresultFromObject && sysAllocStringLen && coInitialize;
  }

private:
  bool loaded_ = false;
};

OleApi& Api() {
  static OleApi api;
  return api;
}

// The catalogue's bytes are in the ANSI code page; a BSTR is UTF-16.
HRESULT ToBstr(const char* text, int length, BSTR* out) {
  *out = nullptr;
  int n = length > 0 ? ::MultiByteToWideChar(CP_ACP, 0, text, length, nullptr, 0) : 0;
  if (!Api().sysAllocStringLen) return E_OUTOFMEMORY;
  BSTR s = Api().sysAllocStringLen(nullptr, static_cast<UINT>(n));
  if (!s) return E_OUTOFMEMORY;
  if (n > 0) ::MultiByteToWideChar(CP_ACP, 0, text, length, s, n);
  s[n] = 0;
  *out = s;
  return S_OK;
}

HRESULT ToBstr(const std::string& text, BSTR* out) {
  return ToBstr(text.data(), static_cast<int>(text.size()), out);
}

}  // namespace

// The client area's IAccessible. Its children are simple elements (no object of their own): a
// client names them by child id. Every call asks the window's live controls, so there is nothing
// to keep in step; once the window is gone every call answers "not connected".
class TAccessibleObject final : public IAccessible {
public:
  explicit TAccessibleObject(TFormAccessibility* owner) : owner_(owner) {}

  void Detach() noexcept {
    owner_ = nullptr;
    if (std_) std_->Release();
    std_ = nullptr;
  }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) noexcept override {
    if (!ppv) return E_POINTER;
    if (riid == __uuidof(IUnknown) || riid == __uuidof(IDispatch) || riid == __uuidof(IAccessible)) {
      *ppv = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() noexcept override {
    return static_cast<ULONG>(::InterlockedIncrement(&refs_));
  }
  ULONG STDMETHODCALLTYPE Release() noexcept override {
    LONG n = ::InterlockedDecrement(&refs_);
    if (n == 0) {
      Detach();
      delete this;
    }
    return static_cast<ULONG>(n);
  }

  // IDispatch: readers call IAccessible directly; no type library is offered.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) noexcept override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) noexcept override {
    if (info) *info = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) noexcept override {
    return E_NOTIMPL;
  }

  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) noexcept override {
    if (!parent) return E_POINTER;
    *parent = nullptr;
    if (!owner_) return CO_E_OBJNOTCONNECTED;
    IAccessible* s = Std();
    return s ? s->get_accParent(parent) : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) noexcept override {
    if (!count) return E_POINTER;
    *count = 0;
    if (!owner_) return CO_E_OBJNOTCONNECTED;
    *count = static_cast<long>(owner_->Entries().size());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) noexcept override {
    if (!out) return E_POINTER;
    *out = nullptr;
    const TAccessEntry* e = nullptr;
    HRESULT hr = Resolve(child, e);
    if (FAILED(hr)) return hr;
    return e ? S_FALSE : E_INVALIDARG;   // simple elements have no object of their own
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) noexcept override {
    if (!name) return E_POINTER;
    *name = nullptr;
    const TAccessEntry* e = nullptr;
    HRESULT hr = Resolve(child, e);
    if (FAILED(hr)) return hr;
    if (!e) return Self([&](IAccessible* s) { return s->get_accName(child, name); },
                        [&] { return CaptionBstr(name); });
    const std::string* own = e->name.empty() ? e->control->AccessName() : &e->name;
    return own ? ToBstr(*own, name) : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) noexcept override {
    if (!value) return E_POINTER;
    *value = nullptr;
    const TAccessEntry* e = nullptr;
    HRESULT hr = Resolve(child, e);
    if (FAILED(hr)) return hr;
    if (!e) return Self([&](IAccessible* s) { return s->get_accValue(child, value); },
                        [] { return DISP_E_MEMBERNOTFOUND; });
    const std::string shown = e->control->AccessValue();
    return shown.empty() ? DISP_E_MEMBERNOTFOUND : ToBstr(shown, value);
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) noexcept override {
    return SelfOnlyText(child, text, &IAccessible::get_accDescription);
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* text) noexcept override {
    return SelfOnlyText(child, text, &IAccessible::get_accHelp);
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) noexcept override {
    if (file) *file = nullptr;
    if (topic) *topic = -1;
    return owner_ ? S_FALSE : CO_E_OBJNOTCONNECTED;
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) noexcept override {
    if (!role) return E_POINTER;
    role->vt = VT_EMPTY;
    const TAccessEntry* e = nullptr;
    HRESULT hr = Resolve(child, e);
    if (FAILED(hr)) return hr;
    if (!e) return Self([&](IAccessible* s) { return s->get_accRole(child, role); },
                        [&] { return I4(role, ROLE_SYSTEM_CLIENT); });
    switch (e->control->AccessRole()) {
      case TAccessRole::Button: return I4(role, ROLE_SYSTEM_PUSHBUTTON);
      case TAccessRole::Text: return I4(role, ROLE_SYSTEM_STATICTEXT);
      case TAccessRole::Progress: return I4(role, ROLE_SYSTEM_PROGRESSBAR);
      case TAccessRole::Picture: return I4(role, ROLE_SYSTEM_GRAPHIC);
    }
    return E_INVALIDARG;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) noexcept override {
    if (!state) return E_POINTER;
    state->vt = VT_EMPTY;
    const TAccessEntry* e = nullptr;
    HRESULT hr = Resolve(child, e);
    if (FAILED(hr)) return hr;
    HWND wnd = owner_->Form()->Handle();
    if (!e) return Self([&](IAccessible* s) { return s->get_accState(child, state); },
                        [&] { return I4(state, wnd && ::IsWindowVisible(wnd) ? 0 : STATE_SYSTEM_INVISIBLE); });
    long bits = 0;
    if (!e->control->Visible() || !wnd || !::IsWindowVisible(wnd)) bits |= STATE_SYSTEM_INVISIBLE;
    if (e->control->AccessRole() == TAccessRole::Button) {
      if (!owner_->Available(*e)) bits |= STATE_SYSTEM_UNAVAILABLE;
      if (e->isDefault) bits |= STATE_SYSTEM_DEFAULT;
    } else {
      bits |= STATE_SYSTEM_READONLY;
    }
    return I4(state, bits);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* text) noexcept override {
    if (!text) return E_POINTER;
    *text = nullptr;
    const TAccessEntry* e = nullptr;
    HRESULT hr = Resolve(child, e);
    if (FAILED(hr)) return hr;
    if (!e) return Self([&](IAccessible* s) { return s->get_accKeyboardShortcut(child, text); },
                        [] { return S_FALSE; });
    if (!e->shortcut) return S_FALSE;
    return ToBstr(e->shortcut, lstrlenA(e->shortcut), text);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) noexcept override {
    if (!focus) return E_POINTER;
    focus->vt = VT_EMPTY;
    if (!owner_) return CO_E_OBJNOTCONNECTED;
    // No control takes the focus: the form itself has it or nothing here does.
    HWND wnd = owner_->Form()->Handle();
    if (wnd && ::GetFocus() == wnd) return I4(focus, CHILDID_SELF);
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) noexcept override {
    if (!selection) return E_POINTER;
    selection->vt = VT_EMPTY;
    return owner_ ? S_FALSE : CO_E_OBJNOTCONNECTED;
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) noexcept override {
    if (!action) return E_POINTER;
    *action = nullptr;
    const TAccessEntry* e = nullptr;
    HRESULT hr = Resolve(child, e);
    if (FAILED(hr)) return hr;
    if (!e) return Self([&](IAccessible* s) { return s->get_accDefaultAction(child, action); },
                        [] { return DISP_E_MEMBERNOTFOUND; });
    if (e->control->AccessRole() != TAccessRole::Button) return DISP_E_MEMBERNOTFOUND;
    return ToBstr("Press", 5, action);
  }
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) noexcept override {
    const TAccessEntry* e = nullptr;
    HRESULT hr = Resolve(child, e);
    if (FAILED(hr)) return hr;
    if (!e) return Self([&](IAccessible* s) { return s->accSelect(flags, child); },
                        [] { return DISP_E_MEMBERNOTFOUND; });
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                        VARIANT child) noexcept override {
    if (!left || !top || !width || !height) return E_POINTER;
    *left = *top = *width = *height = 0;
    const TAccessEntry* e = nullptr;
    HRESULT hr = Resolve(child, e);
    if (FAILED(hr)) return hr;
    TControlParent* form = owner_->Form();
    RECT r = e ? e->control->BoundsRect() : RECT{0, 0, form->ClientWidth(), form->ClientHeight()};
    POINT origin = {r.left, r.top};
    if (!form->Handle() || !::ClientToScreen(form->Handle(), &origin)) return E_FAIL;
    *left = origin.x;
    *top = origin.y;
    *width = r.right - r.left;
    *height = r.bottom - r.top;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long dir, VARIANT start, VARIANT* end) noexcept override {
    if (!end) return E_POINTER;
    end->vt = VT_EMPTY;
    const TAccessEntry* e = nullptr;
    HRESULT hr = Resolve(start, e);
    if (FAILED(hr)) return hr;
    const auto& entries = owner_->Entries();
    const long count = static_cast<long>(entries.size());
    long from, step;
    if (!e) {
      if (dir == NAVDIR_FIRSTCHILD) {
        from = 0, step = 1;
      } else if (dir == NAVDIR_LASTCHILD) {
        from = count - 1, step = -1;
      } else {
        return Self([&](IAccessible* s) { return s->accNavigate(dir, start, end); }, [] { return S_FALSE; });
      }
    } else {
      // Siblings are taken in reading order whichever way the arrow points.
      long at = start.lVal - 1;
      if (dir == NAVDIR_NEXT || dir == NAVDIR_DOWN || dir == NAVDIR_RIGHT) {
        from = at + 1, step = 1;
      } else if (dir == NAVDIR_PREVIOUS || dir == NAVDIR_UP || dir == NAVDIR_LEFT) {
        from = at - 1, step = -1;
      } else {
        return S_FALSE;
      }
    }
    for (long i = from; i >= 0 && i < count; i += step) {
      if (entries[static_cast<size_t>(i)].control->Visible()) return I4(end, i + 1);
    }
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* hit) noexcept override {
    if (!hit) return E_POINTER;
    hit->vt = VT_EMPTY;
    if (!owner_) return CO_E_OBJNOTCONNECTED;
    TControlParent* form = owner_->Form();
    POINT pt = {x, y};
    if (!form->Handle() || !::ScreenToClient(form->Handle(), &pt)) return E_FAIL;
    RECT client = {0, 0, form->ClientWidth(), form->ClientHeight()};
    if (!::PtInRect(&client, pt)) return S_FALSE;
    // The last drawn is on top.
    const auto& entries = owner_->Entries();
    const TControl* top = nullptr;
    for (const TControl* c : form->Controls()) {
      if (c->Visible() && ::PtInRect(&c->BoundsRect(), pt)) top = c;
    }
    for (size_t i = 0; i < entries.size(); ++i) {
      if (entries[i].control == top) return I4(hit, static_cast<long>(i + 1));
    }
    return I4(hit, CHILDID_SELF);
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) noexcept override {
    const TAccessEntry* e = nullptr;
    HRESULT hr = Resolve(child, e);
    if (FAILED(hr)) return hr;
    if (!e || e->control->AccessRole() != TAccessRole::Button) return DISP_E_MEMBERNOTFOUND;
    HWND wnd = owner_->Form()->Handle();
    if (!wnd || !::PostMessageA(wnd, TFormAccessibility::kPressMessage, static_cast<WPARAM>(child.lVal), 0))
      return E_FAIL;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) noexcept override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) noexcept override { return E_NOTIMPL; }

private:
  ~TAccessibleObject() = default;

  // Null entry for the form itself; E_INVALIDARG for an id that names nothing.
  HRESULT Resolve(const VARIANT& child, const TAccessEntry*& entry) const noexcept {
    entry = nullptr;
    if (!owner_) return CO_E_OBJNOTCONNECTED;
    if (child.vt != VT_I4) return E_INVALIDARG;
    if (child.lVal == CHILDID_SELF) return S_OK;
    const auto& entries = owner_->Entries();
    if (child.lVal < 1 || static_cast<size_t>(child.lVal) > entries.size()) return E_INVALIDARG;
    entry = &entries[static_cast<size_t>(child.lVal - 1)];
    return S_OK;
  }

  static HRESULT I4(VARIANT* v, long value) noexcept {
    v->vt = VT_I4;
    v->lVal = value;
    return S_OK;
  }

  // The system's own object for the client area answers what concerns the window itself (its
  // parent, name, state); without oleacc's, a plain answer of our own.
  IAccessible* Std() noexcept {
    if (!std_ && !stdTried_ && owner_ && Api().createStdAccessibleObject) {
      stdTried_ = true;
      void* p = nullptr;
      if (SUCCEEDED(Api().createStdAccessibleObject(owner_->Form()->Handle(), OBJID_CLIENT,
                                                    __uuidof(IAccessible), &p)))
        std_ = static_cast<IAccessible*>(p);
    }
    return std_;
  }
  template <typename WithStd, typename Without>
  HRESULT Self(WithStd withStd, Without without) noexcept {
    IAccessible* s = Std();
    return s ? withStd(s) : without();
  }
  using TextGetter = HRESULT (STDMETHODCALLTYPE IAccessible::*)(VARIANT, BSTR*);
  HRESULT SelfOnlyText(VARIANT child, BSTR* text, TextGetter get) noexcept {
    if (!text) return E_POINTER;
    *text = nullptr;
    const TAccessEntry* e = nullptr;
    HRESULT hr = Resolve(child, e);
    if (FAILED(hr)) return hr;
    if (e) return S_FALSE;
    IAccessible* s = Std();
    return s ? (s->*get)(child, text) : S_FALSE;
  }
  HRESULT CaptionBstr(BSTR* name) noexcept {
    char caption[512] = {};
    HWND wnd = owner_->Form()->Handle();
    int n = wnd ? ::GetWindowTextA(wnd, caption, sizeof caption) : 0;
    return ToBstr(caption, n > 0 ? n : 0, name);
  }

  volatile LONG refs_ = 1;
  TFormAccessibility* owner_;
  IAccessible* std_ = nullptr;
  bool stdTried_ = false;
};

TFormAccessibility::~TFormAccessibility() { Detach(); }

TAccessEntry& TFormAccessibility::Add(TControl* control) {
  entries_.push_back(TAccessEntry{control, std::string(), nullptr, false, false, std::string(), std::string()});
  return entries_.back();
}

void TFormAccessibility::AddButton(TControl* button, const char* shortcut, bool isDefault) {
  TAccessEntry& e = Add(button);
  e.shortcut = shortcut;
  e.isDefault = isDefault;
}

void TFormAccessibility::AddText(TControl* text) { Add(text); }

void TFormAccessibility::AddGauge(TControl* gauge) { Add(gauge); }

void TFormAccessibility::AddPicture(TControl* picture, const std::string& name) { Add(picture).name = name; }

bool TFormAccessibility::Available(const TAccessEntry& entry) const {
  HWND wnd = form_->Handle();
  return entry.control->AccessRole() == TAccessRole::Button && entry.control->Visible() && wnd &&
         ::IsWindowEnabled(wnd) && form_->ClickAllowed(entry.control);
}

bool TFormAccessibility::Answer(WPARAM wp, LPARAM lp, LRESULT& result) {
  // The id arrives as a DWORD whatever the width of LPARAM.
  if (static_cast<DWORD>(lp) != static_cast<DWORD>(OBJID_CLIENT) || !form_->Handle()) return false;
  OleApi& api = Api();
  if (!api.LoadCom()) return false;
  if (!comInitialized_) {
    // Handing the object out marshals it, which needs COM on this thread.
    HRESULT hr = api.coInitialize(nullptr);
    if (FAILED(hr) && hr != RPC_E_CHANGED_MODE) return false;
    comInitialized_ = SUCCEEDED(hr);
  }
  if (!object_) object_ = new (std::nothrow) TAccessibleObject(this);
  if (!object_) return false;
  result = api.lresultFromObject(__uuidof(IAccessible), wp, static_cast<IAccessible*>(object_));
  return result > 0;
}

void TFormAccessibility::Press(WPARAM childId) {
  if (childId < 1 || childId > entries_.size()) return;
  TAccessEntry& e = entries_[childId - 1];
  // Checked again now: the state may have changed since the client asked.
  if (Available(e)) e.control->Press();
}

void TFormAccessibility::NotifyChanges() {
  auto notify = Api().notifyWinEvent;
  HWND wnd = form_->Handle();
  for (size_t i = 0; i < entries_.size(); ++i) {
    TAccessEntry& e = entries_[i];
    const bool visible = e.control->Visible();
    // Name changes are told for texts: theirs is what changes during a run.
    const std::string* name = e.control->AccessRole() == TAccessRole::Text ? e.control->AccessName() : nullptr;
    const std::string value = e.control->AccessValue();
    const LONG child = static_cast<LONG>(i + 1);
    // The first paint sets the baseline: a window that appears is announced by the system. What
    // shows or hides is told as such; name and value changes only of what stays in sight.
    if (baseline_ && notify && wnd) {
      if (visible != e.shownVisible) {
        notify(visible ? EVENT_OBJECT_SHOW : EVENT_OBJECT_HIDE, wnd, OBJID_CLIENT, child);
      } else if (visible) {
        // A line cleared for the next one is not worth telling.
        if (name && !name->empty() && *name != e.shownName)
          notify(EVENT_OBJECT_NAMECHANGE, wnd, OBJID_CLIENT, child);
        if (!value.empty() && value != e.shownValue)
          notify(EVENT_OBJECT_VALUECHANGE, wnd, OBJID_CLIENT, child);
      }
    }
    e.shownVisible = visible;
    if (name) e.shownName = *name;
    e.shownValue = value;
  }
  baseline_ = true;
}

void TFormAccessibility::Detach() {
  if (object_) {
    object_->Detach();
    if (comInitialized_ && Api().coDisconnectObject) Api().coDisconnectObject(object_, 0);
    object_->Release();
    object_ = nullptr;
  }
  if (comInitialized_ && Api().coUninitialize) Api().coUninitialize();
  comInitialized_ = false;
}
