// The normal run: language, main window, message loop.
#include "app/main_window.h"

#include <objbase.h>
#include <commctrl.h>

#include <optional>

#include "app/admin_mode.h"
#include "app/window_hooks.h"
#include "app/resource_ids.h"
#include "guard/win32/hotkeys_win.h"
#include "lang/languages.h"
#include "ui/win32/devices_ui.h"
#include "ui/win32/dpi.h"
#include "ui/win32/gdiplus_images.h"
#include "ui/win32/guard.h"
#include "ui/win32/main_window_view.h"
#include "ui/win32/providers.h"

namespace {
// The notification area shows small icons at the primary monitor's scale: 16 px at 100 %, 24 at
// 150 %, 32 at 200 %; the icon file holds those sizes, so none is stretched.
HICON SmallIcon(HINSTANCE instance, int id, int dpi) {
  return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, SystemMetricForDpi(SM_CXSMICON, dpi),
                                       SystemMetricForDpi(SM_CYSMICON, dpi), LR_DEFAULTCOLOR));
}

TrayIcons LoadTrayIcons(HINSTANCE instance, int dpi) {
  return {SmallIcon(instance, IDI_TRAY_NORMAL, dpi),       SmallIcon(instance, IDI_TRAY_ON, dpi),
          SmallIcon(instance, IDI_TRAY_OFF, dpi),          SmallIcon(instance, IDI_TRAY_NODEVICE, dpi),
          SmallIcon(instance, IDI_TRAY_NORMAL_INUSE, dpi), SmallIcon(instance, IDI_TRAY_ON_INUSE, dpi),
          SmallIcon(instance, IDI_TRAY_OFF_INUSE, dpi),    SmallIcon(instance, IDI_TRAY_NODEVICE_INUSE, dpi)};
}

// COM on the window thread, for the screen readers' objects the windows hand out.
class ComSession {
 public:
  ComSession() : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComSession() {
    if (ok_) CoUninitialize();
  }
  ComSession(const ComSession&) = delete;
  ComSession& operator=(const ComSession&) = delete;

 private:
  bool ok_;
};

// GDI+ for the lifetime of the windows.
class GdiplusSession {
 public:
  GdiplusSession() {
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token_, &input, nullptr);
  }
  ~GdiplusSession() { Gdiplus::GdiplusShutdown(token_); }
  GdiplusSession(const GdiplusSession&) = delete;
  GdiplusSession& operator=(const GdiplusSession&) = delete;

 private:
  ULONG_PTR token_ = 0;
};
}  // namespace

void RunNormal(HINSTANCE instance, const std::vector<u16>& args) {
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  ComSession com;
  GdiplusSession gdiplus;
  InstallUiProviders();
  InstallSwitchingLock();
  Choose_Language();
  {
    const int trayDpi = PrimaryMonitorDpi();
    TrayIcons icons = LoadTrayIcons(instance, trayDpi);
    // The detected-devices window, the device monitor, the language menu and the online services
    // plug in through these hooks.
    MainWindowHooks hooks;
    WindowHooks online(instance, args);  // outlives the view, whose hooks it serves
    HWND window = nullptr;  // set once the view has created it; the hotkeys belong to it
    hooks.RegisterHotkey = [&window](int id, const Hotkey& key) { return Hotkey_Register(window, id, key); };
    hooks.UnregisterHotkey = [&window](int id) { Hotkey_Unregister(window, id); };
    MainWindowView view(instance, args, std::move(hooks), icons, LoadIconW(instance, MAKEINTRESOURCEW(IDI_VEILCAP)));
    view.SetTrayIconLoader([instance](int dpi) { return LoadTrayIcons(instance, dpi); }, trayDpi, &PrimaryMonitorDpi);
    // The language menu, the about dialog and the online services.
    online.Attach(view);
    if (view.Create()) {
      window = view.Window();
      // The detected-devices window and the device monitor, created while the main window waits
      // for its tray icon.
      std::optional<DevicesUi> devices;
      view.Form().Hooks.CreateCompanions = [&] { devices.emplace(view.Form(), view.Window()); };
      GuardedCall(view.Window(), [&] { view.Form().FormCreate(); });
      view.Form().Hooks.CreateCompanions = nullptr;
      if (!devices) devices.emplace(view.Form(), view.Window());
      MSG m;
      while (GetMessageW(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
      }
    }
  }
  UninstallUiProviders();
}
