#include "unit/toolkit/Reader.h"

namespace {
EventRecorder* g_recorder = nullptr;

VARIANT Id(long id) {
  VARIANT v;
  v.vt = VT_I4;
  v.lVal = id;
  return v;
}

// One text property of a child: empty when there is none.
template <typename Get>
std::string Text(Get get, bool* had = nullptr) {
  BSTR text = nullptr;
  HRESULT hr = get(&text);
  if (had) *had = hr == S_OK && text;
  std::string s = hr == S_OK ? Narrow(text) : std::string();
  ::SysFreeString(text);
  return s;
}
}  // namespace

std::string Narrow(BSTR text) {
  if (!text) return std::string();
  int len = static_cast<int>(::SysStringLen(text));
  int n = ::WideCharToMultiByte(CP_ACP, 0, text, len, nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, text, len, &s[0], n, nullptr, nullptr);
  return s;
}

Reader::Reader(HWND wnd) : wnd_(wnd) {
  com_ = SUCCEEDED(::CoInitialize(nullptr));
  void* p = nullptr;
  if (SUCCEEDED(::AccessibleObjectFromWindow(wnd, OBJID_CLIENT, __uuidof(IAccessible), &p)))
    acc_ = static_cast<IAccessible*>(p);
}

Reader::~Reader() {
  if (acc_) acc_->Release();
  if (com_) ::CoUninitialize();
}

long Reader::ChildCount() const {
  long n = -1;
  if (acc_) acc_->get_accChildCount(&n);
  return n;
}

ReaderChild Reader::Child(long id) const {
  ReaderChild c;
  if (!acc_) return c;
  VARIANT v;
  ::VariantInit(&v);
  if (acc_->get_accRole(Id(id), &v) == S_OK && v.vt == VT_I4) c.role = v.lVal;
  ::VariantInit(&v);
  if (acc_->get_accState(Id(id), &v) == S_OK && v.vt == VT_I4) c.state = v.lVal;
  c.name = Text([&](BSTR* b) { return acc_->get_accName(Id(id), b); }, &c.hasName);
  c.value = Text([&](BSTR* b) { return acc_->get_accValue(Id(id), b); });
  c.action = Text([&](BSTR* b) { return acc_->get_accDefaultAction(Id(id), b); });
  c.shortcut = Text([&](BSTR* b) { return acc_->get_accKeyboardShortcut(Id(id), b); });
  long l = 0, t = 0, w = 0, h = 0;
  if (acc_->accLocation(&l, &t, &w, &h, Id(id)) == S_OK) c.place = {l, t, l + w, t + h};
  return c;
}

HRESULT Reader::Press(long id) const { return acc_ ? acc_->accDoDefaultAction(Id(id)) : E_FAIL; }

long Reader::HitTest(POINT screen) const {
  VARIANT v;
  ::VariantInit(&v);
  if (!acc_ || acc_->accHitTest(screen.x, screen.y, &v) != S_OK || v.vt != VT_I4) return -1;
  return v.lVal;
}

long Reader::Navigate(long from, long dir) const {
  VARIANT v;
  ::VariantInit(&v);
  if (!acc_ || acc_->accNavigate(dir, Id(from), &v) != S_OK || v.vt != VT_I4) return -1;
  return v.lVal;
}

EventRecorder::EventRecorder(const Reader& reader) : reader_(reader) {
  g_recorder = this;
  DWORD pid = ::GetCurrentProcessId();
  hook_ = ::SetWinEventHook(EVENT_OBJECT_SHOW, EVENT_OBJECT_VALUECHANGE, nullptr, &EventRecorder::Proc, pid, 0,
                            WINEVENT_OUTOFCONTEXT);
}

EventRecorder::~EventRecorder() {
  if (hook_) ::UnhookWinEvent(hook_);
  g_recorder = nullptr;
}

void CALLBACK EventRecorder::Proc(HWINEVENTHOOK, DWORD event, HWND wnd, LONG object, LONG child, DWORD, DWORD) {
  EventRecorder* self = g_recorder;
  if (!self || wnd != self->reader_.Window() || object != OBJID_CLIENT || child == CHILDID_SELF) return;
  const char* kind = event == EVENT_OBJECT_SHOW          ? "show"
                     : event == EVENT_OBJECT_HIDE        ? "hide"
                     : event == EVENT_OBJECT_NAMECHANGE  ? "name"
                     : event == EVENT_OBJECT_VALUECHANGE ? "value"
                                                         : nullptr;
  if (!kind) return;
  ReaderChild c = self->reader_.Child(child);
  std::string line = std::string(kind) + " " + std::to_string(child);
  std::string said = event == EVENT_OBJECT_VALUECHANGE || c.role == ROLE_SYSTEM_PROGRESSBAR ? c.value : c.name;
  self->lines_.push_back(line + " " + said);
}
