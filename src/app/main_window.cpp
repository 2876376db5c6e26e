// The normal run: language, main window, message loop.
#include "app/main_window.h"

#include <commctrl.h>

#include "app/admin_mode.h"
#include "app/online_ui.h"
#include "app/resource_ids.h"
#include "lang/languages.h"
#include "ui/win32/devices_ui.h"
#include "ui/win32/gdiplus_images.h"
#include "ui/win32/guard.h"
#include "ui/win32/main_window_view.h"
#include "ui/win32/providers.h"

namespace {
HICON SmallIcon(HINSTANCE instance, int id) {
  return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                       GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
}

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
  GdiplusSession gdiplus;
  InstallUiProviders();
  InstallSwitchingLock();
  Choose_Language();
  {
    TrayIcons icons{SmallIcon(instance, IDI_TRAY_NORMAL), SmallIcon(instance, IDI_TRAY_ON),
                    SmallIcon(instance, IDI_TRAY_OFF), SmallIcon(instance, IDI_TRAY_NODEVICE)};
    // The detected-devices window, the device monitor, the language menu and the online services
    // plug in through these hooks.
    MainWindowHooks hooks;
    OnlineUi online(instance, args);  // outlives the view, whose hooks it serves
    MainWindowView view(instance, args, std::move(hooks), icons, LoadIconW(instance, MAKEINTRESOURCEW(IDI_VEILCAP)));
    // The language menu, the about dialog and the online services.
    online.Attach(view);
    if (view.Create()) {
      GuardedCall(view.Window(), [&] { view.Form().FormCreate(); });
      // The detected-devices window and the device monitor, created right after the main window.
      DevicesUi devices(view.Form(), view.Window());
      MSG m;
      while (GetMessageW(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
      }
    }
  }
  UninstallUiProviders();
}
