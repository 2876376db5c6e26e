#include "ui/win32/devices_ui.h"

#include <exception>

#include "core/errors.h"
#include "core/win32/windows_seams.h"
#include "platform/environment.h"

DevicesUi::DevicesUi(TForm_Veilcap& mainForm, HWND mainWindow)
    : main_(mainForm),
      mainWindow_(mainWindow),
      devices_(std::make_unique<TForm_VCP_Devices>()),
      monitor_(std::make_unique<TMiTeC_DeviceMonitor>(&mainForm)) {
  devices_->FormCreate();
  devices_->Veilcap = main_.Veilcap.get();
  devices_->RepaintStatus = [this] { main_.Repaint_Status(); };
  devices_->KindFixed = [this](bool mic) { return main_.CurrentPolicies().BlocksKind(mic); };
  view_ = std::make_unique<DevicesWindowView>(*devices_);
  Form_VCP_Devices = devices_.get();

  // Arrivals and removals refresh everything; the description is not looked at. A burst of them
  // becomes one refresh at once and one after the burst.
  coalesceTimer_ = std::make_unique<TTarvoThreadTimer>();
  coalesceTimer_->SetInterval(kCoalesceTickMs);
  coalesceTimer_->OnTimer = [this](TTarvoThreadTimer&) { coalescer_->Tick(); };
  coalescer_ = std::make_unique<RefreshCoalescer>([this] { main_.Button_RefreshClick(); },
                                                  [] { return uint32_t(GetTickCount()); },
                                                  [this](bool on) { coalesceTimer_->SetEnabled(on); });
  auto refresh = [this](TMiTeC_DeviceMonitor&, const TDeviceDesc&) { coalescer_->Message(); };
  monitor_->OnDeviceConnect = refresh;
  monitor_->OnDeviceDisconect = refresh;
  monitor_->OnError = [this](const u16& text) { ShowError(text); };

  main_.Hooks.RebuildDeviceList = [this] {
    devices_->Veilcap = main_.Veilcap.get();
    if (!main_.Veilcap) return;
    devices_->Fill(*main_.Veilcap);
  };
  main_.Hooks.ShowDevicesModal = [this] { view_->ShowModal(mainWindow_); };
  main_.Hooks.SetMonitorActive = [this](bool active) { monitor_->SetActive(active); };
}

DevicesUi::~DevicesUi() {
  main_.Hooks.RebuildDeviceList = nullptr;
  main_.Hooks.ShowDevicesModal = nullptr;
  main_.Hooks.SetMonitorActive = nullptr;
  monitor_->SetActive(false);
  coalesceTimer_.reset();  // no tick reaches a refresh that is going away
  if (Form_VCP_Devices == devices_.get()) Form_VCP_Devices = nullptr;
}

void DevicesUi::ShowError(const u16& text) {
  MessageBoxW(mainWindow_, W(text), W(AppTitle), MB_OK | MB_ICONERROR);
}
