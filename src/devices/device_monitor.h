// The device arrival and removal monitor: a hidden message window registered for the system's
// device-interface notifications. Each arrival or removal becomes an event with a description of
// the device, looked up in the Plug-and-Play part of the registry. The window and the
// registration sit behind DeviceNotificationApi (Windows: devices/win32; tests: a fake).
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>

#include "core/text.h"
#include "devices/device_sources.h"

// What an arrival or removal event tells about the device.
struct TDeviceDesc {
  u16 SymbolicName;  // device-interface path from the notification
  u16 ClassName;     // setup class name ("Class")
  u16 Name;          // display name
  u16 Location;      // "LocationInformation"; the general look-up falls back to the description
  u16 Driver;        // driver key ("Driver")
  u16 Description;   // "DeviceDesc" after its first ";", at most 1024 characters
  u16 GUID;          // interface class of the notification, in braces
};

// Window message and events of device notifications.
constexpr uint32_t kWmDeviceChange = 0x0219;
constexpr uint32_t kDbtDeviceArrival = 0x8000;
constexpr uint32_t kDbtDeviceRemoveComplete = 0x8004;
constexpr uint32_t kDbtCustomEvent = 0x8006;
constexpr uint32_t kDbtDevtypDeviceInterface = 5;
// The USB device interface class, the class of the registration filter.
extern const DevGuid kGuidDevinterfaceUsbDevice;  // {A5DCBF10-6530-11D2-901F-00C04FB951ED}

// The key of all Plug-and-Play device nodes (HKEY_LOCAL_MACHINE).
inline constexpr char16_t kEnumKey[] = u"SYSTEM\\CurrentControlSet\\Enum\\";

// "Maker Model X 1.00" from a storage key such as Disk&Ven_Maker&Prod_Model_X&Rev_1.00; empty when
// the text has no "&VEN_" or no "&PROD_".
u16 VendorProductText(u16v t);
// Fills Name, Location, Driver, Description and ClassName from the device's own node, found
// through the interface path.
void DeviceDesc_GeneralLookup(TDeviceDesc& d);
// For USB device interfaces: finds the USB node whose interface path matches, then the node of
// the function below it (a storage stick's disk, for example) for its name and class.
void DeviceDesc_UsbLookup(TDeviceDesc& d);

// The interface name of a notification, from the bytes of its name field up to the end of the
// record: read as 8-bit text; when that gives exactly one character the name is UTF-16 and is
// read again as such. Never reads past the given bytes.
u16 NotificationInterfaceName(const uint8_t* bytes, size_t size);

// One notification's data as the window receives it: the header's device type and, for a device
// interface, its class and the bytes of its name field.
struct DeviceBroadcast {
  uint32_t deviceType = 0;
  DevGuid classGuid;
  const uint8_t* name = nullptr;
  size_t nameBytes = 0;
};

class TMiTeC_DeviceMonitor;

// The hidden window and the notification registration.
class DeviceNotificationApi {
 public:
  virtual ~DeviceNotificationApi() = default;
  // A hidden window on the calling thread whose device-change messages go to
  // monitor.WMDeviceChange; 0 when it cannot be created.
  virtual uintptr_t CreateNotifyWindow(TMiTeC_DeviceMonitor& monitor) = 0;
  virtual void DestroyNotifyWindow(uintptr_t window) = 0;
  // Registers window for the notifications of every device-interface class (filter: USB device
  // interfaces); the registration handle, 0 when refused or unavailable.
  virtual uintptr_t RegisterNotifications(uintptr_t window) = 0;
  // False when the unregistration function is not available.
  virtual bool CanUnregister() = 0;
  virtual void UnregisterNotifications(uintptr_t registration) = 0;
};
// Installs the notification api (not owned) for monitors that are activated afterwards.
void SetDeviceNotificationApi(DeviceNotificationApi* api);

class TMiTeC_DeviceMonitor {
 public:
  using TDeviceChangeEvent = std::function<void(TMiTeC_DeviceMonitor& Sender, const TDeviceDesc& DeviceDesc)>;
  // Receives every device-change message (its event code and data) before it is handled.
  using TMessageEvent = std::function<void(uintptr_t event, const DeviceBroadcast* data)>;
  // The application's error handler: shows the text of an error raised while a message is handled.
  using TErrorEvent = std::function<void(const u16& text)>;

  // Inactive, no registrations; the owner is not used beyond identifying it.
  explicit TMiTeC_DeviceMonitor(void* AOwner = nullptr);
  virtual ~TMiTeC_DeviceMonitor();
  TMiTeC_DeviceMonitor(const TMiTeC_DeviceMonitor&) = delete;
  TMiTeC_DeviceMonitor& operator=(const TMiTeC_DeviceMonitor&) = delete;

  bool Active() const { return FActive; }
  // True: creates the hidden window and registers it; stays true only when the registration
  // returned a handle. False: cancels the registration and destroys the window. Writing the
  // current value does nothing.
  void SetActive(bool value);
  bool CatchBluetooth() const { return FBTH; }
  // Taken only while inactive. Bluetooth radios are never watched by this program.
  void SetCatchBluetooth(bool value);

  // Handles one WM_DEVICECHANGE; the message result is 0. Errors go to OnError, never out.
  intptr_t WMDeviceChange(uintptr_t event, const DeviceBroadcast* data);

  TDeviceChangeEvent OnDeviceConnect;
  TDeviceChangeEvent OnDeviceDisconect;
  TMessageEvent OnMessage;
  TErrorEvent OnError;

  uintptr_t WindowHandle() const { return FWindowHandle; }
  uintptr_t Registration() const { return FHDN_USB; }
  // Bluetooth registration and radio: always empty here.
  uintptr_t BluetoothRegistration() const { return FHDN_BT; }
  uintptr_t BluetoothRadio() const { return hRadio; }
  void* Owner() const { return owner_; }

 private:
  void* owner_;
  DeviceNotificationApi* api_ = nullptr;  // the api the current activation used
  uintptr_t FWindowHandle = 0;
  uintptr_t FHDN_BT = 0;
  uintptr_t FHDN_USB = 0;
  bool FActive = false;
  uintptr_t hRadio = 0;
  bool FBTH = false;
};

// Turns a storm of arrival and removal messages (a hub or a headset raises several within a few
// hundred milliseconds) into few refreshes. A message refreshes at once when no refresh is running
// or waiting and the last one ended QuietMs or more ago. Any other message leaves one refresh
// waiting; it runs on a tick once QuietMs have passed without a message, at the latest MaxDelayMs
// after it began to wait. A waiting refresh always runs after the last message that made it wait,
// so the end state is that of refreshing after every message.
class RefreshCoalescer {
 public:
  static constexpr uint32_t QuietMs = 150;
  static constexpr uint32_t MaxDelayMs = 1000;

  // refresh: the full refresh. now: a millisecond clock. arm(true) asks the owner to call Tick
  // every few milliseconds from now on, arm(false) to stop. All on the main thread.
  RefreshCoalescer(std::function<void()> refresh, std::function<uint32_t()> now,
                   std::function<void(bool)> arm);
  void Message();
  void Tick();
  bool Waiting() const { return waiting_; }

 private:
  void Run();

  std::function<void()> refresh_;
  std::function<uint32_t()> now_;
  std::function<void(bool)> arm_;
  bool running_ = false, waiting_ = false, ran_ = false;
  uint32_t lastEnd_ = 0, lastMessage_ = 0, waitingSince_ = 0;
};
