#include "devices/win32/providers.h"

#include "devices/win32/device_monitor_win.h"
#include "devices/win32/directshow_source.h"
#include "devices/win32/node_switch_win.h"
#include "devices/win32/setupapi_source.h"

namespace {
SetupApiDeviceSource g_present;
DirectShowCaptureSource g_capture;
Win32ComApartment g_com;
}  // namespace

DeviceSources WindowsDeviceSources() { return DeviceSources{&g_present, &g_capture, &g_com}; }

void InstallDeviceProviders() {
  SetDeviceSources(WindowsDeviceSources());
  SetDeviceNodeSwitch(&WindowsDeviceNodeSwitch());
  InstallDeviceMonitorProvider();
}
