#include "ui/win32/accessible_button.h"

#include <oleacc.h>

#include <vector>

#include "core/win32/windows_seams.h"
#include "lang/messages.h"
#include "platform/win32/system_libraries.h"

namespace {
// oleacc.dll is not in the import table: it is loaded from the system folder the first time a
// screen reader asks, like the other system libraries Veilcap loads by name.
struct OleAcc {
  using CreateStdFn = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
  using LresultFn = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
  CreateStdFn createStd = nullptr;
  LresultFn lresultFromObject = nullptr;
};

const OleAcc& OleAccCalls() {
  static const OleAcc calls = [] {
    OleAcc c;
    if (HMODULE module = LoadSystemLibrary(L"oleacc.dll")) {
      c.createStd = reinterpret_cast<OleAcc::CreateStdFn>(
          reinterpret_cast<void*>(GetProcAddress(module, "CreateStdAccessibleObject")));
      c.lresultFromObject = reinterpret_cast<OleAcc::LresultFn>(
          reinterpret_cast<void*>(GetProcAddress(module, "LresultFromObject")));
    }
    return c;
  }();
  return calls;
}

bool IsSelf(const VARIANT& v) { return v.vt == VT_I4 && v.lVal == CHILDID_SELF; }

class AccessibleButton final : public IAccessible {
 public:
  explicit AccessibleButton(HWND button) : button_(button) {
    // The system's object for the same window answers what a push button does not decide itself:
    // the parent and the navigation among the siblings.
    if (OleAccCalls().createStd)
      OleAccCalls().createStd(button, OBJID_CLIENT, IID_IAccessible, reinterpret_cast<void**>(&standard_));
  }
  ~AccessibleButton() {
    if (standard_) standard_->Release();
  }
  AccessibleButton(const AccessibleButton&) = delete;
  AccessibleButton& operator=(const AccessibleButton&) = delete;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IAccessible) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(InterlockedIncrement(&refs_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return ULONG(left);
  }

  // IDispatch: not offered; clients use the IAccessible methods directly.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count) *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }

  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    if (!parent) return E_POINTER;
    *parent = nullptr;
    return standard_ ? standard_->get_accParent(parent) : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT, IDispatch** child) override {
    if (child) *child = nullptr;
    return E_INVALIDARG;
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT id, BSTR* name) override {
    if (!name) return E_POINTER;
    *name = nullptr;
    if (!IsSelf(id)) return E_INVALIDARG;
    if (!IsWindow(button_)) return E_FAIL;
    const int length = GetWindowTextLengthW(button_);
    std::vector<wchar_t> text(size_t(length) + 1);
    const int got = GetWindowTextW(button_, text.data(), length + 1);
    *name = SysAllocStringLen(text.data(), UINT(got));
    return *name ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT id, BSTR* value) override { return NoText(id, value); }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT id, BSTR* text) override { return NoText(id, text); }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT id, VARIANT* role) override {
    if (!role) return E_POINTER;
    VariantInit(role);
    if (!IsSelf(id)) return E_INVALIDARG;
    role->vt = VT_I4;
    role->lVal = ROLE_SYSTEM_PUSHBUTTON;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT id, VARIANT* state) override {
    if (!state) return E_POINTER;
    VariantInit(state);
    if (!IsSelf(id)) return E_INVALIDARG;
    long s = 0;
    if (!IsWindow(button_) || !IsWindowVisible(button_)) s |= STATE_SYSTEM_INVISIBLE;
    s |= STATE_SYSTEM_FOCUSABLE;  // the keyboard reaches it even while a press does nothing
    if (!Enabled()) s |= STATE_SYSTEM_UNAVAILABLE;
    if (HasFocus()) s |= STATE_SYSTEM_FOCUSED;
    state->vt = VT_I4;
    state->lVal = s;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT id, BSTR* text) override { return NoText(id, text); }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
    if (file) *file = nullptr;
    if (topic) *topic = 0;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT id, BSTR* text) override { return NoText(id, text); }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
    if (!focus) return E_POINTER;
    VariantInit(focus);
    if (!HasFocus()) return S_FALSE;
    focus->vt = VT_I4;
    focus->lVal = CHILDID_SELF;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
    if (!selection) return E_POINTER;
    VariantInit(selection);
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT id, BSTR* action) override {
    if (!action) return E_POINTER;
    *action = nullptr;
    if (!IsSelf(id)) return E_INVALIDARG;
    *action = SysAllocString(W(MESSAGE_ACCESS_PRESS));
    return *action ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT id) override {
    if (!IsSelf(id)) return E_INVALIDARG;
    if ((flags & SELFLAG_TAKEFOCUS) && IsWindow(button_)) SetFocus(button_);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT id) override {
    if (!left || !top || !width || !height) return E_POINTER;
    *left = *top = *width = *height = 0;
    if (!IsSelf(id)) return E_INVALIDARG;
    RECT r{};
    if (!IsWindow(button_) || !GetWindowRect(button_, &r)) return E_FAIL;
    *left = r.left;
    *top = r.top;
    *width = r.right - r.left;
    *height = r.bottom - r.top;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
    if (!end) return E_POINTER;
    VariantInit(end);
    return standard_ ? standard_->accNavigate(direction, start, end) : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* hit) override {
    if (!hit) return E_POINTER;
    VariantInit(hit);
    RECT r{};
    if (!IsWindow(button_) || !GetWindowRect(button_, &r) || !PtInRect(&r, POINT{x, y})) return S_FALSE;
    hit->vt = VT_I4;
    hit->lVal = CHILDID_SELF;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT id) override {
    if (!IsSelf(id)) return E_INVALIDARG;
    if (!IsWindow(button_)) return E_FAIL;
    // Posted: the command may open a menu or run for a while, which must not happen inside the
    // reader's call.
    PostMessageW(button_, kAccessiblePress, 0, 0);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  static HRESULT NoText(const VARIANT& id, BSTR* text) {
    if (!text) return E_POINTER;
    *text = nullptr;
    return IsSelf(id) ? S_FALSE : E_INVALIDARG;
  }
  bool Enabled() const {
    DWORD_PTR answer = 0;
    return IsWindow(button_) &&
           SendMessageTimeoutW(button_, kAccessibleStateQuery, 0, 0, SMTO_ABORTIFHUNG, 1000, &answer) &&
           (LRESULT(answer) & kAccessibleEnabled);
  }
  bool HasFocus() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    return GetGUIThreadInfo(GetWindowThreadProcessId(button_, nullptr), &info) && info.hwndFocus == button_;
  }

  LONG refs_ = 1;
  HWND button_;
  IAccessible* standard_ = nullptr;
};
}  // namespace

LRESULT AnswerButtonGetObject(HWND button, WPARAM wp, LPARAM lp) {
  if (LONG(DWORD(lp)) != LONG(OBJID_CLIENT) || !OleAccCalls().lresultFromObject) return 0;
  auto* object = new AccessibleButton(button);
  const LRESULT result = OleAccCalls().lresultFromObject(IID_IAccessible, wp, object);
  object->Release();
  return result;
}
