#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "devices/device_monitor.h"
#include "fakes/cp1252.h"
#include "fakes/memory_registry.h"

namespace {

const RegRoot HKLM = RegRoot::LocalMachine;
const u16 kEnum = kEnumKey;

TEST(VendorProductText, BuildsTheNameOfStorageKeys) {
  const struct {
    const char16_t* in;
    const char* out;
  } cases[] = {
      {u"Disk&Ven_Maker&Prod_Model_X&Rev_1.00", "Maker Model X 1.00"},
      {u"USBSTOR\\Disk&Ven_Maker&Prod_Model_X&Rev_1.00\\0123&0\\", "Maker Model X 1.00"},  // stops at "\"
      {u"disk&ven_small&prod_stick&rev_2", "small stick 2"},  // found in any case, kept as written
      {u"Disk&Ven_&Prod_OnlyModel&Rev_", "OnlyModel"},
      {u"Disk&Ven_Maker&Prod_Model", "Maker"},  // no revision: product and revision stay empty
      {u"Disk&Prod_Model&Rev_1", ""},            // no vendor
      {u"Disk&Ven_Maker&Rev_1", ""},             // no product
      {u"USB\\VID_ABCD&PID_EF01\\0123456789\\", ""},
      {u"", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(ToUtf8(c.in));
    EXPECT_EQ(ToUtf8(VendorProductText(c.in)), c.out);
  }
}

TEST(NotificationInterfaceName, ReadsBothNarrowAndWideNames) {
  ScopedCp1252 cp;
  const std::string narrow = std::string("\\\\?\\USB#VID_ABCD&PID_EF01#1#{a5dcbf10}") + '\0' + "junk";
  EXPECT_EQ(ToUtf8(NotificationInterfaceName(reinterpret_cast<const uint8_t*>(narrow.data()), narrow.size())),
            "\\\\?\\USB#VID_ABCD&PID_EF01#1#{a5dcbf10}");

  const u16 wideText = u"\\\\?\\HID#VID_1&PID_2#K\u00e4mera";
  std::vector<uint8_t> wide;
  for (char16_t c : wideText) {
    wide.push_back(uint8_t(c & 0xFF));
    wide.push_back(uint8_t(c >> 8));
  }
  wide.insert(wide.end(), {0, 0, 'x', 0});
  EXPECT_EQ(NotificationInterfaceName(wide.data(), wide.size()), wideText);

  // A name without its terminating zero is read only as far as the record goes.
  const std::string cut = "ABC";
  EXPECT_EQ(ToUtf8(NotificationInterfaceName(reinterpret_cast<const uint8_t*>(cut.data()), 2)), "AB");
  const uint8_t wideCut[] = {'\\', 0, '\\', 0, '?'};
  EXPECT_EQ(ToUtf8(NotificationInterfaceName(wideCut, sizeof wideCut)), "\\\\");
  EXPECT_EQ(NotificationInterfaceName(nullptr, 10), u"");
}

class LookupTest : public ::testing::Test {
 protected:
  void SetUp() override { SetRegistryBackend(&reg, true); }
  void TearDown() override {
    EXPECT_EQ(reg.OpenHandles(), 0);
    for (uint32_t access : reg.AccessLog()) EXPECT_EQ(access & 0x6, 0u) << "a look-up asked for write access";
    SetRegistryBackend(nullptr, false);
  }
  void Text(const u16& key, const u16& name, const u16& value) { reg.PutString(HKLM, kEnum + key, name, value); }
  ScopedCp1252 cp;
  MemoryRegistry reg;
};

TEST_F(LookupTest, GeneralLookupReadsTheDeviceNode) {
  const u16 node = u"USB\\VID_ABCD&PID_EF01&MI_00\\6&1A2B&0&0000";
  Text(node, u"LocationInformation", u"  Port_#0002.Hub_#0001 ");
  Text(node, u"DeviceDesc", u" @oem5.inf,%usb.devicedesc%;USB Video Device ");
  Text(node, u"Driver", u"{6bdd1fc6-810f-11d0-bec7-08002be2092f}\\0001");
  Text(node, u"Class", u"Image");
  Text(node, u"FriendlyName", u"@oem5.inf;HD WebCam");

  TDeviceDesc d;
  d.SymbolicName = u"\\\\?\\USB#VID_ABCD&PID_EF01&MI_00#6&1A2B&0&0000#{e5323777-f976-4f5b-9b55-b94699c46e44}";
  DeviceDesc_GeneralLookup(d);
  EXPECT_EQ(ToUtf8(d.Location), "Port_#0002.Hub_#0001");
  EXPECT_EQ(ToUtf8(d.Description), "USB Video Device");
  EXPECT_EQ(ToUtf8(d.Driver), "{6bdd1fc6-810f-11d0-bec7-08002be2092f}\\0001");
  EXPECT_EQ(ToUtf8(d.ClassName), "Image");
  EXPECT_EQ(ToUtf8(d.Name), "HD WebCam");
}

TEST_F(LookupTest, GeneralLookupFallbacks) {
  // No friendly name: the hardware-id component names the device, unless the class is USB.
  const u16 node = u"HID\\VID_1234&PID_0001\\7&abc";
  Text(node, u"DeviceDesc", u"HID-compliant device");
  Text(node, u"Class", u"HIDClass");
  TDeviceDesc d;
  d.SymbolicName = u"\\\\?\\HID#VID_1234&PID_0001#7&abc#{4d1e55b2-f16f-11cf-88cb-001111000030}";
  DeviceDesc_GeneralLookup(d);
  EXPECT_EQ(ToUtf8(d.Name), "VID_1234&PID_0001");
  EXPECT_EQ(ToUtf8(d.Location), "HID-compliant device");  // location falls back to the description

  const u16 hub = u"USB\\ROOT_HUB30\\4&1";
  Text(hub, u"Class", u"usb");
  TDeviceDesc h;
  h.SymbolicName = u"\\\\?\\USB#ROOT_HUB30#4&1#{f18a0e88-c30c-11d0-8815-00a0c906bed8}";
  DeviceDesc_GeneralLookup(h);
  EXPECT_EQ(h.Name, u"");

  // A storage node is named by vendor, product and revision.
  const u16 disk = u"USBSTOR\\Disk&Ven_Maker&Prod_Model_X&Rev_1.00\\0123&0";
  Text(disk, u"FriendlyName", u"Maker Model X USB Device");
  TDeviceDesc s;
  s.SymbolicName = u"\\\\?\\USBSTOR#Disk&Ven_Maker&Prod_Model_X&Rev_1.00#0123&0#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}";
  DeviceDesc_GeneralLookup(s);
  EXPECT_EQ(ToUtf8(s.Name), "Maker Model X 1.00");
}

TEST_F(LookupTest, GeneralLookupOfAGoneOrOddDeviceLeavesEverythingEmpty) {
  for (const char16_t* name : {u"\\\\?\\USB#VID_DEAD&PID_BEEF#1#{a5dcbf10-6530-11d2-901f-00c04fb951ed}", u"\\\\?",
                               u"", u"#", u"\\\\?\\nothing-to-split"}) {
    SCOPED_TRACE(ToUtf8(name));
    TDeviceDesc d;
    d.SymbolicName = name;
    DeviceDesc_GeneralLookup(d);
    EXPECT_EQ(d.Name + d.Location + d.Description + d.Driver + d.ClassName, u"");
  }
}

TEST_F(LookupTest, UsbLookupFindsTheStorageFunctionOfAStick) {
  // Another USB device first, so the scan has to go on past it.
  Text(u"USB\\VID_1111&PID_2222\\AAA\\Device Parameters", u"SymbolicName", u"\\??\\USB#VID_1111&PID_2222#AAA#{a5dcbf10-6530-11d2-901f-00c04fb951ed}");
  Text(u"USB\\VID_1111&PID_2222\\AAA", u"Service", u"usbccgp");
  // The stick.
  const u16 node = u"USB\\VID_0951&PID_1666\\0123456789";
  Text(node + u"\\Device Parameters", u"SymbolicName", u"\\??\\usb#vid_0951&pid_1666#0123456789#{a5dcbf10-6530-11d2-901f-00c04fb951ed}");
  Text(node, u"LocationInformation", u"Port_#0003.Hub_#0001");
  Text(node, u"DeviceDesc", u"@usbstor.inf,%genmanufacturer%;USB Mass Storage Device");
  Text(node, u"Driver", u"{36fc9e60-c465-11cf-8056-444553540000}\\0042");
  Text(node, u"Service", u"USBSTOR");
  // The disk below it: the instance name starts with the USB instance (no ParentIdPrefix).
  Text(u"USBSTOR\\Disk&Ven_Other&Prod_Disk&Rev_9\\XYZ&0", u"Class", u"DiskDrive");
  Text(u"USBSTOR\\Disk&Ven_Kingston&Prod_DataTraveler_3.0&Rev_PMAP\\0123456789&0", u"Class", u" DiskDrive ");

  TDeviceDesc d;
  d.SymbolicName = u"\\\\?\\USB#VID_0951&PID_1666#0123456789#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
  DeviceDesc_UsbLookup(d);
  EXPECT_EQ(ToUtf8(d.Name), "Kingston DataTraveler 3.0 PMAP");
  EXPECT_EQ(ToUtf8(d.ClassName), "DiskDrive");
  EXPECT_EQ(ToUtf8(d.Location), "Port_#0003.Hub_#0001");
  EXPECT_EQ(ToUtf8(d.Description), "USB Mass Storage Device");
  EXPECT_EQ(ToUtf8(d.Driver), "{36fc9e60-c465-11cf-8056-444553540000}\\0042");
}

TEST_F(LookupTest, UsbLookupUsesTheParentIdPrefixAndTheFriendlyName) {
  const u16 node = u"USB\\VID_0AAA&PID_0001\\5&1";
  Text(node + u"\\Device Parameters", u"SymbolicName", u"\\\\?\\USB#VID_0AAA&PID_0001#5&1#{a5dcbf10-6530-11d2-901f-00c04fb951ed}");
  Text(node, u"ParentIdPrefix", u"6&2F");
  Text(node, u"Service", u"UASPStor");
  // A key without vendor and product: the friendly name after its ";" names the device.
  Text(u"UASPStor\\Generic\\6&2F&0&0", u"FriendlyName", u" inf;Card Reader ");
  Text(u"UASPStor\\Generic\\5&1&0", u"FriendlyName", u"not the prefix");
  TDeviceDesc d;
  d.SymbolicName = u"\\\\?\\USB#VID_0AAA&PID_0001#5&1#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
  DeviceDesc_UsbLookup(d);
  EXPECT_EQ(ToUtf8(d.Name), "Card Reader");
  EXPECT_EQ(d.ClassName, u"");

  // No matching USB node at all (a device already removed): nothing is filled.
  TDeviceDesc gone;
  gone.SymbolicName = u"\\\\?\\USB#VID_FFFF&PID_FFFF#1#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
  DeviceDesc_UsbLookup(gone);
  EXPECT_EQ(gone.Name + gone.Location + gone.Driver + gone.ClassName, u"");
}

// A notification api that records what the monitor asks of it.
struct FakeNotifications final : DeviceNotificationApi {
  uintptr_t CreateNotifyWindow(TMiTeC_DeviceMonitor&) override {
    log.push_back("create");
    return windowOk ? 77 : 0;
  }
  void DestroyNotifyWindow(uintptr_t w) override { log.push_back("destroy " + std::to_string(w)); }
  uintptr_t RegisterNotifications(uintptr_t w) override {
    log.push_back("register " + std::to_string(w));
    return registerOk ? 5 : 0;
  }
  bool CanUnregister() override { return canUnregister; }
  void UnregisterNotifications(uintptr_t r) override { log.push_back("unregister " + std::to_string(r)); }
  std::vector<std::string> log;
  bool windowOk = true, registerOk = true, canUnregister = true;
};

class MonitorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetDeviceNotificationApi(&api);
    SetRegistryBackend(&reg, false);
  }
  void TearDown() override {
    SetDeviceNotificationApi(nullptr);
    SetRegistryBackend(nullptr, false);
  }
  ScopedCp1252 cp;
  MemoryRegistry reg;
  FakeNotifications api;
};

TEST_F(MonitorTest, ActivationRegistersOnceAndDeactivationUndoesIt) {
  TMiTeC_DeviceMonitor m;
  EXPECT_FALSE(m.Active());
  m.SetActive(true);
  m.SetActive(true);
  EXPECT_TRUE(m.Active());
  EXPECT_EQ(api.log, (std::vector<std::string>{"create", "register 77"}));
  m.SetCatchBluetooth(true);  // ignored while active
  EXPECT_FALSE(m.CatchBluetooth());
  m.SetActive(false);
  m.SetActive(false);
  EXPECT_EQ(api.log, (std::vector<std::string>{"create", "register 77", "unregister 5", "destroy 77"}));
  EXPECT_EQ(m.WindowHandle(), 0u);
  EXPECT_EQ(m.BluetoothRegistration(), 0u);
}

TEST_F(MonitorTest, RefusedOrUnavailableRegistrationLeavesItInactive) {
  api.registerOk = false;
  {
    TMiTeC_DeviceMonitor m;
    m.SetActive(true);
    EXPECT_FALSE(m.Active());
    EXPECT_EQ(api.log, (std::vector<std::string>{"create", "register 77", "destroy 77"}));
  }
  api.log.clear();
  api.registerOk = true;
  api.canUnregister = false;
  {
    TMiTeC_DeviceMonitor m;
    m.SetActive(true);
  }  // destruction deactivates: the window goes, the registration cannot be cancelled
  EXPECT_EQ(api.log, (std::vector<std::string>{"create", "register 77", "destroy 77"}));
  SetDeviceNotificationApi(nullptr);
  TMiTeC_DeviceMonitor none;
  none.SetActive(true);
  EXPECT_FALSE(none.Active());
}

std::vector<uint8_t> WideName(u16v s) {
  std::vector<uint8_t> b;
  for (char16_t c : s) {
    b.push_back(uint8_t(c & 0xFF));
    b.push_back(uint8_t(c >> 8));
  }
  b.push_back(0);
  b.push_back(0);
  return b;
}

TEST_F(MonitorTest, OnlyArrivalsAndRemovalsOfDeviceInterfacesRaiseEvents) {
  reg.PutString(HKLM, kEnum + u"USB\\VID_ABCD&PID_EF01&MI_00\\6&1", u"FriendlyName", u"HD WebCam");
  const auto name = WideName(u"\\\\?\\USB#VID_ABCD&PID_EF01&MI_00#6&1#{e5323777-f976-4f5b-9b55-b94699c46e44}");
  const DevGuid camInterface = {0xE5323777, 0xF976, 0x4F5B, {0x9B, 0x55, 0xB9, 0x46, 0x99, 0xC4, 0x6E, 0x44}};
  DeviceBroadcast iface{kDbtDevtypDeviceInterface, camInterface, name.data(), name.size()};
  DeviceBroadcast volume{2, {}, nullptr, 0};

  TMiTeC_DeviceMonitor m;
  std::vector<std::string> events;
  int messages = 0;
  m.OnMessage = [&](uintptr_t, const DeviceBroadcast*) { ++messages; };
  m.OnDeviceConnect = [&](TMiTeC_DeviceMonitor& s, const TDeviceDesc& d) {
    EXPECT_EQ(&s, &m);
    events.push_back("connect " + ToUtf8(d.Name) + " " + ToUtf8(d.GUID));
  };
  m.OnDeviceDisconect = [&](TMiTeC_DeviceMonitor&, const TDeviceDesc& d) {
    events.push_back("disconnect " + ToUtf8(d.Name));
  };
  const struct {
    uintptr_t event;
    const DeviceBroadcast* data;
  } messagesIn[] = {
      {kDbtDeviceArrival, &iface},   {kDbtDeviceRemoveComplete, &iface}, {kDbtCustomEvent, &iface},
      {kDbtDeviceArrival, &volume},  {0x0007 /* DBT_DEVNODES_CHANGED */, nullptr},
      {kDbtDeviceArrival, nullptr},  {0x8001 /* query remove */, &iface},
  };
  for (const auto& msg : messagesIn) EXPECT_EQ(m.WMDeviceChange(msg.event, msg.data), 0);
  EXPECT_EQ(messages, 7);
  EXPECT_EQ(events, (std::vector<std::string>{"connect HD WebCam {E5323777-F976-4F5B-9B55-B94699C46E44}",
                                              "disconnect HD WebCam"}));
}

TEST_F(MonitorTest, AnErrorInAHandlerGoesToTheErrorHandlerNotOutOfTheWindow) {
  const auto name = WideName(u"\\\\?\\USB#VID_1#2#{a5dcbf10-6530-11d2-901f-00c04fb951ed}");
  DeviceBroadcast usb{kDbtDevtypDeviceInterface, kGuidDevinterfaceUsbDevice, name.data(), name.size()};
  TMiTeC_DeviceMonitor m;
  std::vector<u16> errors;
  int connects = 0;
  m.OnError = [&](const u16& t) { errors.push_back(t); };
  m.OnDeviceConnect = [&](TMiTeC_DeviceMonitor&, const TDeviceDesc& d) {
    ++connects;
    EXPECT_EQ(ToUtf8(d.SymbolicName), "\\\\?\\USB#VID_1#2#{a5dcbf10-6530-11d2-901f-00c04fb951ed}");
    throw std::runtime_error("refresh failed");
  };
  EXPECT_EQ(m.WMDeviceChange(kDbtDeviceArrival, &usb), 0);
  EXPECT_EQ(m.WMDeviceChange(kDbtDeviceArrival, &usb), 0);  // the monitor goes on
  EXPECT_EQ(connects, 2);
  EXPECT_EQ(errors, (std::vector<u16>{u"refresh failed", u"refresh failed"}));
}

// A script of device messages ('m') and timer ticks ('t') at given milliseconds; a refresh takes
// refreshMs of the clock.
struct CoalesceCase {
  const char* what;
  std::vector<std::pair<uint32_t, char>> script;
  std::vector<uint32_t> refreshesAt;  // clock at the start of each refresh
  uint32_t refreshMs = 0;
};

TEST(RefreshCoalescer, BurstsBecomeOneRefreshAtOnceAndOneAfterTheBurst) {
  std::vector<std::pair<uint32_t, char>> burst;  // 20 messages 10 ms apart, ticks every 50 ms
  for (uint32_t t = 0; t < 200; t += 10) burst.push_back({1000 + t, 'm'});
  for (uint32_t t = 1000; t <= 1600; t += 50) burst.push_back({t, 't'});
  std::stable_sort(burst.begin(), burst.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::pair<uint32_t, char>> endless;  // a message every 100 ms for 3 s
  for (uint32_t t = 0; t < 3000; t += 50) endless.push_back({t, t % 100 ? 't' : 'm'});

  const CoalesceCase cases[] = {
      {"a lone message refreshes at once", {{500, 'm'}, {550, 't'}, {900, 't'}}, {500}},
      {"lone messages far apart each refresh at once", {{100, 'm'}, {400, 'm'}, {1000, 'm'}}, {100, 400, 1000}},
      {"a message soon after a refresh waits for quiet", {{0, 'm'}, {100, 'm'}, {150, 't'}, {200, 't'}, {250, 't'}},
       {0, 250}},
      {"quiet is counted from the end of a slow refresh", {{0, 'm'}, {300, 'm'}, {350, 't'}, {500, 't'}}, {0, 500}, 200},
      {"a burst of twenty", burst, {1000, 1350}},
      {"an endless storm still refreshes about every second", endless, {0, 1150, 2250}},
      {"ticks without a waiting refresh do nothing", {{0, 't'}, {50, 't'}}, {}},
  };
  for (const auto& c : cases) {
    uint32_t now = 0;
    bool armed = false;
    std::vector<uint32_t> refreshes;
    RefreshCoalescer co([&] { refreshes.push_back(now), now += c.refreshMs; }, [&] { return now; },
                        [&](bool on) { armed = on; });
    for (const auto& [at, what] : c.script) {
      now = std::max(now, at);
      if (what == 'm') co.Message();
      if (what == 't') co.Tick();  // a late tick may still come after the timer was stopped
    }
    EXPECT_EQ(refreshes, c.refreshesAt) << c.what;
    EXPECT_EQ(armed, co.Waiting()) << c.what << ": the timer runs only while a refresh waits";
  }
}

TEST(RefreshCoalescer, AMessageDuringARunningRefreshWaitsForTheNextOne) {
  uint32_t now = 0;
  bool armed = false;
  int refreshes = 0;
  std::function<void()> during;
  RefreshCoalescer co(
      [&] {
        ++refreshes;
        auto inside = std::move(during);
        during = nullptr;
        if (inside) inside();
      },
      [&] { return now; }, [&](bool on) { armed = on; });
  // The search pumps messages while it waits: a message and a tick arrive inside it.
  during = [&] {
    now = 400;
    co.Message();
    co.Tick();
  };
  co.Message();
  EXPECT_EQ(refreshes, 1) << "no refresh inside a refresh";
  EXPECT_TRUE(co.Waiting());
  EXPECT_TRUE(armed);
  now = 560;
  co.Tick();
  EXPECT_EQ(refreshes, 2) << "the message that came during the refresh is not lost";
  EXPECT_FALSE(armed) << "an idle program has no timer running";
}

}  // namespace
