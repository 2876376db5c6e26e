#include "devices/win32/device_monitor_win.h"

#include <windows.h>

#include <dbt.h>

#include <cstring>

#include "platform/win32/system_libraries.h"

namespace {
using RegisterFn = HDEVNOTIFY(WINAPI*)(HANDLE, LPVOID, DWORD);
using UnregisterFn = BOOL(WINAPI*)(HDEVNOTIFY);

// Looked up once, when the program starts; a function that is missing counts as unavailable.
struct User32Notifications {
  RegisterFn registerA = nullptr;
  UnregisterFn unregister = nullptr;
  User32Notifications() {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    if (!user32) user32 = LoadSystemLibrary(L"user32.dll");
    if (!user32) return;
    registerA = reinterpret_cast<RegisterFn>(reinterpret_cast<void*>(GetProcAddress(user32, "RegisterDeviceNotificationA")));
    unregister = reinterpret_cast<UnregisterFn>(reinterpret_cast<void*>(GetProcAddress(user32, "UnregisterDeviceNotification")));
  }
};
const User32Notifications g_user32;

WindowsDeviceNotifications g_api;

// Reads the notification record within the size its header states.
intptr_t HandleDeviceChange(TMiTeC_DeviceMonitor& monitor, WPARAM wp, LPARAM lp) {
  const auto* hdr = reinterpret_cast<const DEV_BROADCAST_HDR*>(lp);
  const bool hasData = (wp == DBT_DEVICEARRIVAL || wp == DBT_DEVICEREMOVECOMPLETE || wp == DBT_CUSTOMEVENT) && hdr &&
                       hdr->dbch_size >= sizeof(DEV_BROADCAST_HDR);
  if (!hasData) return monitor.WMDeviceChange(wp, nullptr);
  DeviceBroadcast b;
  b.deviceType = hdr->dbch_devicetype;
  if (hdr->dbch_devicetype == DBT_DEVTYP_DEVICEINTERFACE &&
      hdr->dbch_size >= offsetof(DEV_BROADCAST_DEVICEINTERFACE_A, dbcc_name)) {
    const auto* di = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_A*>(lp);
    static_assert(sizeof(GUID) == 16);
    b.classGuid.data1 = di->dbcc_classguid.Data1;
    b.classGuid.data2 = di->dbcc_classguid.Data2;
    b.classGuid.data3 = di->dbcc_classguid.Data3;
    std::memcpy(b.classGuid.data4, di->dbcc_classguid.Data4, 8);
    b.name = reinterpret_cast<const uint8_t*>(di->dbcc_name);
    b.nameBytes = hdr->dbch_size - offsetof(DEV_BROADCAST_DEVICEINTERFACE_A, dbcc_name);
  }
  return monitor.WMDeviceChange(wp, &b);
}

LRESULT CALLBACK MonitorWndProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
    SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  if (msg == WM_DEVICECHANGE) {
    if (auto* m = reinterpret_cast<TMiTeC_DeviceMonitor*>(GetWindowLongPtrW(w, GWLP_USERDATA))) {
      try {
        return HandleDeviceChange(*m, wp, lp);
      } catch (...) {
        return 0;  // the monitor reports its own errors; nothing leaves the window procedure
      }
    }
  }
  return DefWindowProcW(w, msg, wp, lp);
}

bool RegisterMonitorClass() {
  static const bool registered = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = MonitorWndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kDeviceMonitorWindowClass;
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  return registered;
}
}  // namespace

uintptr_t WindowsDeviceNotifications::CreateNotifyWindow(TMiTeC_DeviceMonitor& monitor) {
  if (!RegisterMonitorClass()) return 0;
  HWND w = CreateWindowExW(WS_EX_TOOLWINDOW, kDeviceMonitorWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                           nullptr, GetModuleHandleW(nullptr), &monitor);
  return reinterpret_cast<uintptr_t>(w);
}

void WindowsDeviceNotifications::DestroyNotifyWindow(uintptr_t window) {
  DestroyWindow(reinterpret_cast<HWND>(window));
}

uintptr_t WindowsDeviceNotifications::RegisterNotifications(uintptr_t window) {
  if (!g_user32.registerA) return 0;
  DEV_BROADCAST_DEVICEINTERFACE_A filter;
  static_assert(sizeof(filter) == 32);
  std::memset(&filter, 0, sizeof(filter));
  filter.dbcc_size = sizeof(filter);
  filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  filter.dbcc_classguid = {0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};
  return reinterpret_cast<uintptr_t>(
      g_user32.registerA(reinterpret_cast<HANDLE>(window), &filter, DEVICE_NOTIFY_ALL_INTERFACE_CLASSES));
}

bool WindowsDeviceNotifications::CanUnregister() { return g_user32.unregister != nullptr; }

void WindowsDeviceNotifications::UnregisterNotifications(uintptr_t registration) {
  g_user32.unregister(reinterpret_cast<HDEVNOTIFY>(registration));
}

void InstallDeviceMonitorProvider() { SetDeviceNotificationApi(&g_api); }
