#include "guard/win32/registry_watch.h"

#include "guard/in_use.h"
#include "guard/policies.h"

namespace {
constexpr wchar_t kWindowClass[] = L"Veilcap_RegistryWatch";
constexpr UINT kChangedMessage = WM_APP + 1;
constexpr REGSAM kNotifyAccess = KEY_NOTIFY | KEY_WOW64_64KEY;
constexpr DWORD kFilter = REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET;

bool RegisterWatchClass() {
  static const bool registered = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kWindowClass;
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  return registered;
}

// One watched key: the handle of the key itself, or of its nearest existing parent while the key
// is missing (exact false), and the event its notification signals.
struct Watched {
  HKEY root = nullptr;
  std::wstring path;
  HKEY key = nullptr;
  bool exact = false;
  HANDLE event = nullptr;

  void Open() {
    Close();
    std::wstring p = path;
    for (;;) {
      if (RegOpenKeyExW(root, p.c_str(), 0, kNotifyAccess, &key) == ERROR_SUCCESS) {
        exact = p.size() == path.size();
        return;
      }
      key = nullptr;
      const size_t cut = p.rfind(L'\\');
      if (cut == std::wstring::npos) return;
      p.resize(cut);
    }
  }
  // Asks for the next change. A key deleted meanwhile is opened again (through a parent while it
  // is gone); one that cannot be watched at all leaves its event unsignalled for good.
  void Arm() {
    if (!key) Open();
    if (key && RegNotifyChangeKeyValue(key, TRUE, kFilter, event, TRUE) == ERROR_SUCCESS) return;
    Open();
    if (key && RegNotifyChangeKeyValue(key, TRUE, kFilter, event, TRUE) != ERROR_SUCCESS) Close();
  }
  void Close() {
    if (key) RegCloseKey(key);
    key = nullptr;
  }
};
}  // namespace

RegistryWatch::Keys RegistryWatch::DefaultKeys() {
  Keys keys;
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
    for (DeviceKind kind : {DeviceKind::Webcam, DeviceKind::Microphone}) {
      const u16& k = ConsentStoreKey(kind);
      keys.emplace_back(root, std::wstring(k.begin(), k.end()));
    }
  return keys;
}

RegistryWatch::Keys RegistryWatch::PolicyKeys() {
  Keys keys;
  for (const u16& k : {u16(kPolicyKey), u16(kPolicyParentKey)})
    keys.emplace_back(HKEY_LOCAL_MACHINE, std::wstring(k.begin(), k.end()));
  return keys;
}

RegistryWatch::RegistryWatch(Keys keys, std::function<void()> onChange)
    : keys_(std::move(keys)), onChange_(std::move(onChange)) {
  if (!RegisterWatchClass()) return;
  window_ = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr);
  stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!window_ || !stop_) return;
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RegistryWatch::WindowProc));
  worker_ = std::thread([this] { Run(); });
}

RegistryWatch::~RegistryWatch() {
  if (worker_.joinable()) {
    SetEvent(stop_);
    worker_.join();
  }
  if (window_) DestroyWindow(window_);
  if (stop_) CloseHandle(stop_);
}

LRESULT CALLBACK RegistryWatch::WindowProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == kChangedMessage) {
    auto* self = reinterpret_cast<RegistryWatch*>(GetWindowLongPtrW(w, GWLP_USERDATA));
    if (self) {
      // Cleared first: a change during the call posts the next one.
      self->pending_ = false;
      try {
        if (self->onChange_) self->onChange_();
      } catch (...) {
        // the caller shows its own errors; nothing leaves the window procedure
      }
    }
    return 0;
  }
  return DefWindowProcW(w, msg, wp, lp);
}

void RegistryWatch::Run() {
  std::vector<Watched> watched(keys_.size());
  std::vector<HANDLE> handles{stop_};
  for (size_t i = 0; i < keys_.size(); ++i) {
    watched[i].root = keys_[i].first;
    watched[i].path = keys_[i].second;
    watched[i].event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!watched[i].event) continue;
    watched[i].Open();
    watched[i].Arm();
    handles.push_back(watched[i].event);
  }
  for (;;) {
    const DWORD r = WaitForMultipleObjects(DWORD(handles.size()), handles.data(), FALSE, INFINITE);
    if (r == WAIT_OBJECT_0 || r < WAIT_OBJECT_0 || r >= WAIT_OBJECT_0 + handles.size()) break;
    HANDLE fired = handles[r - WAIT_OBJECT_0];
    for (Watched& w : watched) {
      if (w.event != fired) continue;
      if (!w.exact) w.Open();  // the missing key may exist now
      w.Arm();
    }
    if (!pending_.exchange(true)) PostMessageW(window_, kChangedMessage, 0, 0);
  }
  for (Watched& w : watched) {
    w.Close();
    if (w.event) CloseHandle(w.event);
  }
}
