#include "ui/win32/providers.h"

#include <windows.h>

#include "ui/thread_timer.h"
#include "ui/win32/gdiplus_images.h"
#include "ui/win32/guard.h"

namespace {
constexpr UINT kRunTick = WM_APP + 7;
constexpr wchar_t kDispatcherClass[] = L"VeilcapTimerDispatcher";

LRESULT CALLBACK DispatcherProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == kRunTick) {
    GuardedCall(nullptr, [lp] { (*reinterpret_cast<const std::function<void()>*>(lp))(); });
    return 0;
  }
  return DefWindowProcW(w, msg, wp, lp);
}

// Ticks reach the main thread as a sent message to a hidden window of that thread: SendMessageW
// returns when the tick has run.
class WindowDispatcher final : public MainThreadDispatcher {
 public:
  void Create() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DispatcherProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kDispatcherClass;
    RegisterClassW(&wc);
    window_ = CreateWindowExW(0, kDispatcherClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  }
  void Destroy() {
    HWND w = window_;
    window_ = nullptr;
    if (w) DestroyWindow(w);
  }
  void RunAndWait(const std::function<void()>& fn) override {
    HWND w = window_;
    if (w) SendMessageW(w, kRunTick, 0, reinterpret_cast<LPARAM>(&fn));
  }

 private:
  HWND volatile window_ = nullptr;
};

WindowDispatcher g_dispatcher;
GdiplusImageLoader g_images;
}  // namespace

void InstallUiProviders() {
  g_dispatcher.Create();
  SetTimerDispatcher(&g_dispatcher);
  SetImageLoader(&g_images);
}

void UninstallUiProviders() { g_dispatcher.Destroy(); }
