// What the detected-devices window and the device monitor add to the main window: the devices
// window (model and view) rebuilt by every refresh and shown from the tray menu, and the monitor
// whose arrivals and removals run refreshes (a burst of them coalesced). Created by the program
// entry right after the main window, and kept until the main window is gone.
#pragma once
#include <windows.h>

#include <memory>

#include "devices/device_monitor.h"
#include "ui/devices_window.h"
#include "ui/main_window.h"
#include "ui/thread_timer.h"
#include "ui/win32/devices_window_win.h"

class DevicesUi {
 public:
  // Creates Form_VCP_Devices (translated) and the monitor, and plugs them into the main window's
  // hooks: the device-list rebuild, the modal devices window and the monitor switch.
  DevicesUi(TForm_Veilcap& mainForm, HWND mainWindow);
  ~DevicesUi();
  DevicesUi(const DevicesUi&) = delete;
  DevicesUi& operator=(const DevicesUi&) = delete;

  TForm_VCP_Devices& Devices() { return *devices_; }
  DevicesWindowView& DevicesView() { return *view_; }
  TMiTeC_DeviceMonitor& Monitor() { return *monitor_; }

 private:
  void ShowError(const u16& text);

  TForm_Veilcap& main_;
  HWND mainWindow_;
  std::unique_ptr<TForm_VCP_Devices> devices_;
  std::unique_ptr<DevicesWindowView> view_;
  std::unique_ptr<TMiTeC_DeviceMonitor> monitor_;
  static constexpr int32_t kCoalesceTickMs = 50;
  std::unique_ptr<TTarvoThreadTimer> coalesceTimer_;  // runs only while a refresh waits
  std::unique_ptr<RefreshCoalescer> coalescer_;
};
