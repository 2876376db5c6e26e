// Windows side of the device monitor: a hidden window of class "TMiTeC_DeviceMonitorWindow" that
// receives WM_DEVICECHANGE, and RegisterDeviceNotificationA / UnregisterDeviceNotification looked
// up by name in user32.dll when the program starts.
#pragma once
#include "devices/device_monitor.h"

inline constexpr wchar_t kDeviceMonitorWindowClass[] = L"TMiTeC_DeviceMonitorWindow";

class WindowsDeviceNotifications final : public DeviceNotificationApi {
 public:
  uintptr_t CreateNotifyWindow(TMiTeC_DeviceMonitor& monitor) override;
  void DestroyNotifyWindow(uintptr_t window) override;
  uintptr_t RegisterNotifications(uintptr_t window) override;
  bool CanUnregister() override;
  void UnregisterNotifications(uintptr_t registration) override;
};

// Installs the Windows notification api for every monitor activated afterwards.
void InstallDeviceMonitorProvider();
